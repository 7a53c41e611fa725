// The automation interface of the running program: the host object, the start object
// and the host callback object served on D-Bus as org.tallis.Tallis
// (/org/tallis/Application, /org/tallis/FRH, /org/tallis/Setup), for outside clients.
//
// The bus is the session bus; TALLIS_BUS=system puts the service on the system bus (the
// system service), TALLIS_BUS=off leaves it off. Without a bus the program logs one
// line and runs as before.
#pragma once

#include <cstddef>
#include <cstdint>
#include <memory>

namespace platform::bus {
class AutomationBus;
class SignalInterest;
} // namespace platform::bus
namespace xap {
struct ProgramState;
}

namespace services {
class SentWork;
}

namespace shell {

struct ShellState;

// One program's service. Its owner starts it once the node is bound and the plug-in
// created, and destroys it while the application object and the host still exist.
class AutomationService {
public:
    // The service of the program whose states it is given; calls from the bus's
    // threads go to the program's thread through `sentWork`. All outlive the service.
    AutomationService(xap::ProgramState& program, ShellState& shell, services::SentWork& sentWork);
    // Stops the service.
    ~AutomationService();
    AutomationService(const AutomationService&) = delete;
    AutomationService& operator=(const AutomationService&) = delete;

    // Connects and exports (program thread); a call while it serves does nothing.
    void start();
    // Leaves the bus and takes its observers out (program thread).
    void stop();

    // The announced properties of the host object (those its notes mark), as last seen.
    struct Announced {
        bool known = false;
        std::int32_t deviceCount = 0;
        std::int32_t eventCount = 0;
        std::int32_t debugMode = 0;
        bool noLog = false;
    };

private:
    // The service as the report observers see it (defined in the source file).
    struct ObserverLink;

    void installObservers();

    xap::ProgramState& program_;
    ShellState& shell_;
    services::SentWork& sentWork_;
    std::unique_ptr<platform::bus::AutomationBus> bus_;
    // Whether anyone listens for XapReceived (program thread).
    std::unique_ptr<platform::bus::SignalInterest> xapInterest_;
    Announced announced_;
    std::shared_ptr<ObserverLink> link_;
    std::size_t deviceObserver_ = 0; // 0 while none is registered
    std::size_t logRecordObserver_ = 0; // the same for the log's two observers
    std::size_t logEventObserver_ = 0;
    bool inboundObserver_ = false;   // the shell's inbound observer is ours
};

} // namespace shell
