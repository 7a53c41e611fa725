#include "NodeSettingsFile.h"

#include "automation/TextCompare.h"
#include "ini/IniTool.h"
#include "platform/FileSystem.h"
#include "xap/LogFileWriter.h"
#include "xap/Logging.h"

namespace shell {

namespace {

// Loads the file into `ini`; false (and `ini` empty) when it cannot be used.
void loadFile(xap::ProgramState& program, services::IniTool& ini, const std::string& path)
{
    try {
        ini.Load(path);
    } catch (...) {
        const vb::Failure failure = vb::failureFromCurrentException();
        ini.Clear();
        xap::WriteLogWarning(program, xap::kProgramName, "vynXap.ini cannot be read (" + failure.description +
                                                    "): the default interface and broadcast addresses are used");
        return;
    }
    if (!platform::fileExists(platform::resolvePath(path)))
        return;
    for (const std::string& key : ini.Keys("Interface"))
        if (vb::equalsIgnoreCase(key, "BroadcastAddress") || vb::equalsIgnoreCase(key, "InterfaceAddress"))
            return;
    xap::WriteLogWarning(program, xap::kProgramName, "vynXap.ini holds no [Interface] key the node reads (BroadcastAddress, "
                                            "InterfaceAddress): the default addresses are used");
}

} // namespace

xap::NodeSettings readNodeSettings(xap::ProgramState& program, const std::string& baseFolder)
{
    services::IniTool ini(program.ini);
    loadFile(program, ini, platform::joinPath(baseFolder, "config/vynXap.ini"));
    xap::NodeSettings settings;
    settings.interfaceAddress = ini.Read("Interface", "InterfaceAddress", "Default");
    settings.broadcastAddress = ini.Read("Interface", "BroadcastAddress", "Default");
    const std::uint64_t cap = xap::parseLogSizeCap(ini.Read("Logging", "MaxLogFileSize", ""));
    settings.maxLogBytes = cap ? cap : xap::LogFileWriter::kDefaultMaxBytes;
    return settings;
}

void readFoldersAndSettings(xap::ProgramState& program, const std::string& baseFolder, const std::string& programPath)
{
    xap::InitXapAt(program, baseFolder, programPath);
    vb::trap(xap::writeLogFileReporter(program), xap::kProgramName, "InitXap",
             [&] { xap::useNodeSettings(program, readNodeSettings(program, program.baseFolder)); });
}

} // namespace shell
