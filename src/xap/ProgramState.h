// The state one running program keeps below the shell: where it runs, the node's
// settings and identity, its log, the messages waiting for the node and the node that
// sends them. The program's instance object owns one and hands it down: every
// function and object below the shell that logs, sends or reads the node's identity
// is given the state it works for. Tools and tests own theirs the same way. A state
// flushes its log when it goes, so each process keeps its own until it ends.
#pragma once

#include "LogFileWriter.h"
#include "Outgoing.h"
#include "ReportObservers.h"
#include "SendGuards.h"

#include "automation/Error.h"
#include "ini/IniState.h"

#include <cstdint>
#include <deque>
#include <string>

namespace xap {

// The node's settings, read from vynXap.ini by whoever starts the program and passed in.
struct NodeSettings {
    std::string interfaceAddress = "Default"; // [Interface] InterfaceAddress
    std::string broadcastAddress = "Default"; // [Interface] BroadcastAddress
    std::uint64_t maxLogBytes = LogFileWriter::kDefaultMaxBytes; // [Logging] MaxLogFileSize
};

struct ProgramState {
    ProgramState();
    ~ProgramState();
    ProgramState(const ProgramState&) = delete;
    ProgramState& operator=(const ProgramState&) = delete;

    // Where the program runs (set when the folders are read).
    std::string machineName; // computer name
    std::string baseFolder;  // folder of the executable, no trailing "/"
    std::string programPath; // full path of the executable
    NodeSettings settings;

    // The node's identity and the send path's state.
    std::string xapSource;    // "vyn.Audrey." + machineName once start-up set it
    std::string xapUID;       // "FF.0097:00" once start-up set it
    std::string xapTarget;    // stored and returned only
    std::string xapClass;     // stored and returned only
    std::string headerPrefix; // first lines of every message, up to "uid="
    bool xapReady = false;        // true once the node is initialised
    bool startupComplete = false; // true once start-up has loaded the plug-in
    int ownMessageDepth = 0;      // handlings of the node's own messages under way
    std::string computerName;     // the host name up to its first dot, once asked for

    // The log file's writer, the limit on LogEvent reports, the messages handed in
    // before xapReady (oldest first), the node that sends (null when there is none),
    // and who watches the reports.
    LogFileWriter log;
    LogEventLimiter logEvents{*this};
    std::deque<xapQueuedMessage> pending;
    MessageSender* sender = nullptr;
    ReportObservers reportObservers;

    // What vb::trap reports a failure through: LogEvent and WriteLogFile for this state.
    vb::Reporter logEventReporter;
    vb::Reporter writeLogFileReporter;

    // The INI store's reporting and save-failure counts, handed to the program's stores.
    services::IniState ini;
};

// The program's name as its reports carry it.
inline constexpr const char* kProgramName = "raruveViziva";

} // namespace xap
