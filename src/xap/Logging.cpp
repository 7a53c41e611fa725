#include "Logging.h"
#include "ReportObservers.h"

#include "LogFileWriter.h"
#include "Outgoing.h"
#include "ProgramState.h"

#include "automation/DateTime.h"
#include "automation/TextCompare.h"
#include "platform/FileSystem.h"

namespace xap {

std::string LocalComputerName(ProgramState& program)
{
    std::string& name = program.computerName;
    if (name.empty()) {
        name = platform::hostName();
        const std::size_t dot = name.find('.');
        if (dot != std::string::npos)
            name.resize(dot);
    }
    return name;
}

std::string logFilePath(const ProgramState& program)
{
    return platform::joinPath(program.baseFolder, std::string("Data/") + kProgramName + ".txt");
}

namespace {

void writeRecord(ProgramState& program, std::string_view source, std::string_view text, platform::JournalPriority priority)
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
    program.log.write(logFilePath(program), source, text, record, priority);
    notifyLogRecord(program, source, failure.active() ? std::string(text) + ' ' + std::to_string(failure.line) + ' ' + failure.description
                                             : std::string(text));
    vb::clearCurrentFailure();
}

} // namespace

void WriteLogFile(ProgramState& program, std::string_view source, std::string_view text)
{
    writeRecord(program, source, text, platform::JournalPriority::Info);
}

void WriteLogWarning(ProgramState& program, std::string_view source, std::string_view text)
{
    writeRecord(program, source, text, platform::JournalPriority::Warning);
}

void LogEvent(ProgramState& program, std::string_view type, std::string_view text)
{
    std::string data(text);
    const vb::Failure& failure = vb::currentFailure();
    notifyLogEvent(program, type, text, failure);
    if (failure.active()) {
        data += " Line " + std::to_string(failure.line) + " " + failure.description;
        vb::clearCurrentFailure();
    }
    const std::string time = vb::formatGeneralDate(vb::now());
    SendXap(program, "", "Homeseer.Event", "Event.Log", itemList({{"Time", time}, {"Type", type}, {"Data", data}}), "", "");
}

void CreateFolders(ProgramState& program, std::string_view path)
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
            LogEvent(program, kProgramName, folder + " CreateFolders ");
            return;
        }
    }
}

void InitXapAt(ProgramState& program, const std::string& baseFolder, const std::string& programPath)
{
    vb::trap(writeLogFileReporter(program), kProgramName, "InitXap", [&] {
        program.machineName = LocalComputerName(program);
        program.baseFolder = baseFolder;
        // The program's path is kept as given: a POSIX path needs no rewriting of
        // development folders or network shares.
        program.programPath = programPath;
        for (const char* folder : {"Config", "HTML", "Data", "Scripts"})
            CreateFolders(program, platform::joinPath(program.baseFolder, std::string(folder) + "/x"));
    });
}

void useNodeSettings(ProgramState& program, const NodeSettings& settings)
{
    program.settings = settings;
    program.log.setMaxBytes(settings.maxLogBytes);
}

const vb::Reporter& logEventReporter(ProgramState& program)
{
    return program.logEventReporter;
}

const vb::Reporter& writeLogFileReporter(ProgramState& program)
{
    return program.writeLogFileReporter;
}

} // namespace xap
