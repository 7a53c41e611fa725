#include "Logging.h"
#include "ReportObservers.h"

#include "LogFileWriter.h"
#include "Outgoing.h"
#include "ProgramState.h"

#include "automation/DateTime.h"
#include "automation/TextCompare.h"
#include "platform/FileSystem.h"

namespace xap {

std::string LocalComputerName()
{
    std::string& name = state().computerName;
    if (name.empty()) {
        name = platform::hostName();
        const std::size_t dot = name.find('.');
        if (dot != std::string::npos)
            name.resize(dot);
    }
    return name;
}

std::string logFilePath()
{
    return platform::joinPath(state().baseFolder, std::string("Data/") + kProgramName + ".txt");
}

namespace {

void writeRecord(std::string_view source, std::string_view text, platform::JournalPriority priority)
{
    const vb::Failure failure = vb::currentFailure();
    if (failure.active())
        priority = platform::JournalPriority::Error;
    std::string record;
    record.reserve(source.size() + text.size() + failure.description.size() + 16);
    record += source;
    record += ' ';
    record += text;
    record += ' ';
    record += std::to_string(failure.line);
    record += ' ';
    record += failure.description;
    record += "\r\n";
    // Repeats are counted rather than written, and the file is capped in size.
    logFileWriter().write(logFilePath(), source, text, record, priority);
    notifyLogRecord(source, failure.active() ? std::string(text) + ' ' + std::to_string(failure.line) + ' ' + failure.description
                                             : std::string(text));
    vb::clearCurrentFailure();
}

} // namespace

void WriteLogFile(std::string_view source, std::string_view text)
{
    writeRecord(source, text, platform::JournalPriority::Info);
}

void WriteLogWarning(std::string_view source, std::string_view text)
{
    writeRecord(source, text, platform::JournalPriority::Warning);
}

void LogEvent(std::string_view type, std::string_view text)
{
    std::string data(text);
    const vb::Failure& failure = vb::currentFailure();
    notifyLogEvent(type, text, failure);
    if (failure.active()) {
        data += " Line " + std::to_string(failure.line) + " " + failure.description;
        vb::clearCurrentFailure();
    }
    const std::string time = vb::formatGeneralDate(vb::now());
    SendXap("", "Homeseer.Event", "Event.Log", itemList({{"Time", time}, {"Type", type}, {"Data", data}}), "", "");
}

void CreateFolders(std::string_view path)
{
    // The path is the program's own (POSIX, a "\\" is part of a name). Only an absolute
    // path has a root to build from; the last component is never created.
    const std::string posix(path);
    if (posix.empty() || posix[0] != '/')
        return;
    std::string folder;
    std::size_t start = 1;
    while (true) {
        const std::size_t slash = posix.find('/', start);
        if (slash == std::string::npos)
            break;
        const std::string part = posix.substr(start, slash - start);
        start = slash + 1;
        if (part.empty())
            continue;
        folder += "/" + part;
        const std::string resolved = platform::resolvePath(folder);
        if (platform::folderExists(resolved)) {
            folder = resolved;
            continue;
        }
        if (!platform::createFolder(folder)) {
            vb::setCurrentFailure(vb::Failure{vb::err::PathNotFound, std::string(vb::describe(vb::err::PathNotFound)), {}, __LINE__});
            LogEvent(kProgramName, folder + " CreateFolders ");
            return;
        }
    }
}

void InitXapAt(const std::string& baseFolder, const std::string& programPath)
{
    vb::trap(writeLogFileReporter(), kProgramName, "InitXap", [&] {
        ProgramState& program = state();
        program.machineName = LocalComputerName();
        program.baseFolder = baseFolder;
        // The program's path is kept as given: a POSIX path needs no rewriting of
        // development folders or network shares.
        program.programPath = programPath;
        for (const char* folder : {"Config", "HTML", "Data", "Scripts"})
            CreateFolders(platform::joinPath(program.baseFolder, std::string(folder) + "/x"));
    });
}

void useNodeSettings(const NodeSettings& settings)
{
    ProgramState& program = state();
    program.settings = settings;
    program.log.setMaxBytes(settings.maxLogBytes);
}

const vb::Reporter& logEventReporter()
{
    static const vb::Reporter reporter = [](std::string_view source, std::string_view text) { LogEvent(source, text); };
    return reporter;
}

const vb::Reporter& writeLogFileReporter()
{
    static const vb::Reporter reporter = [](std::string_view source, std::string_view text) { WriteLogFile(source, text); };
    return reporter;
}

} // namespace xap
