// Start-up discovery of folders and settings, the computer name, and the two reports
// every other part uses: WriteLogFile (a line of Data/raruveViziva.txt) and LogEvent
// (a "Homeseer.Event" xAP message).
#pragma once

#include "automation/Error.h"

#include <string>
#include <string_view>

namespace xap {

struct NodeSettings;
struct ProgramState;

// Every function here works for the program whose state it is handed.

// Sets the program's computer name, base folder and program path, and creates the
// Config, HTML, Data and Scripts folders under the base folder.
void InitXapAt(ProgramState& program, const std::string& baseFolder, const std::string& programPath);
// Hands the node's settings (read from vynXap.ini by the program) to the program: the
// addresses the node uses and the log file's size cap.
void useNodeSettings(ProgramState& program, const NodeSettings& settings);

// The host name up to its first "."; cached in the program's state after the first call.
std::string LocalComputerName(ProgramState& program);

// Appends "source text line description" and CR LF to the log file; the line and
// description are those of the failure being handled (0 and "" when none), which is
// then cleared. Failures are ignored. Under a service manager the record also goes
// to the journal: as an error when a failure is being handled, otherwise as
// information.
void WriteLogFile(ProgramState& program, std::string_view source, std::string_view text);
// As WriteLogFile; the journal gets the record as a warning (a setting the program
// works around, a peer or a network that does not answer).
void WriteLogWarning(ProgramState& program, std::string_view source, std::string_view text);

// Sends one "Homeseer.Event"/"Event.Log" message (items Time, Type, Data). When a
// failure is being handled, " Line ", its line and description follow the text in
// "Data", and the failure is cleared.
void LogEvent(ProgramState& program, std::string_view type, std::string_view text);

// Creates every missing folder of `path` except its last component. Only absolute
// paths create anything.
void CreateFolders(ProgramState& program, std::string_view path);

// Reporters for vb::trap that report through LogEvent and WriteLogFile for `program`;
// they live as long as the program's state.
const vb::Reporter& logEventReporter(ProgramState& program);
const vb::Reporter& writeLogFileReporter(ProgramState& program);

// The full path of the program's log file.
std::string logFilePath(const ProgramState& program);

} // namespace xap
