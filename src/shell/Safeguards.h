// Safeguards: what keeps the program from losing state or dying silently.
//
// - One program per base folder: an exclusive lock on Data/tallis.lock, held for the
//   life of the program, taken before the node binds anything. A program that cannot
//   take it (held by another, or the file cannot be opened or locked) does not start.
// - A last report on a fatal signal (in the log file and on standard error), naming the
//   plug-in member that was running.
// - The stall watchdog: a plug-in that blocks the event loop is reported after
//   StallSeconds and the program aborted after a further GraceSeconds (at once on a
//   stop request), so that a service manager restarts it.
// - Device checkpoints: the devices are saved every CheckpointSeconds when they changed,
//   so that a crash loses at most that much.
//
// Settings (Config/Settings.ini, section "Watchdog"): StallSeconds (30), GraceSeconds
// (60), CheckpointSeconds (60).
#pragma once

#include <memory>
#include <string>
#include <string_view>

namespace platform {
struct BoundedWorkAllowance;
class InstanceLock;
class StallWatchdog;
class Timer;
} // namespace platform

namespace services {
struct IniState;
struct ServicesState;
}

namespace xap {
struct ProgramState;
}

namespace shell {

struct GuardSettings {
    int stallSeconds = 30;
    int graceSeconds = 60;
    int checkpointSeconds = 60;
};
// The settings from Config/Settings.ini under the base folder; defaults for what is
// missing, not a positive number, or unreadable.
GuardSettings readGuardSettings(services::IniState& iniState, const std::string& baseFolder);

// The safeguards of one running program: the base folder's lock, the stall watchdog
// and the device checkpoints. The program's instance owns them; all go with it.
class Safeguards {
public:
    // The safeguards of the program whose states they are given (they outlive them);
    // the checkpoints save the devices of `services`' host. The stall watchdog leaves
    // the bounded work marked in `allowance` (when given; it outlives the safeguards)
    // its time.
    Safeguards(xap::ProgramState& program, services::ServicesState& services,
               const platform::BoundedWorkAllowance* allowance = nullptr);
    ~Safeguards();
    Safeguards(const Safeguards&) = delete;
    Safeguards& operator=(const Safeguards&) = delete;

    // Start-up step after the folders and settings are read: takes the base folder's
    // lock and prepares the fatal signal reports. Returns "" or why the program must
    // not start: "already running in <folder>" when another program holds the lock, or
    // "cannot take the lock of <folder> (<file>: <reason>): not starting" when the lock
    // file cannot be opened or locked.
    std::string claimBaseFolder();
    // Starts the stall watchdog and the device checkpoints (after the host is loaded).
    void startWatchdogs();
    // Stops them and lets go of the lock (at the program's end).
    void release();

private:
    xap::ProgramState& program_;
    services::ServicesState& services_;
    const platform::BoundedWorkAllowance* allowance_;
    std::unique_ptr<platform::InstanceLock> lock_;
    std::unique_ptr<platform::StallWatchdog> watchdog_;
    std::unique_ptr<platform::Timer> checkpoints_;
};

// A notice about the program's saved state: a line of `program`'s log file and, with
// the prefix "tallis: ", of standard error. A failure being handled stays pending.
void writeStateNotice(xap::ProgramState& program, std::string_view text);

} // namespace shell
