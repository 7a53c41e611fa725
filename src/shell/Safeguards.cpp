#include "Safeguards.h"

#include "automation/Conversions.h"
#include "platform/EmergencyReport.h"
#include "platform/FatalSignals.h"
#include "platform/FileSystem.h"
#include "platform/InstanceLock.h"
#include "platform/StallWatchdog.h"
#include "platform/service/JournalStream.h"
#include "platform/Timer.h"
#include "services/DevicePersistence.h"
#include "ini/IniTool.h"
#include "xap/ProgramState.h"
#include "xap/Logging.h"

#include <iostream>
#include <memory>

namespace shell {

namespace {

int positiveOr(const services::IniTool& ini, const char* key, int fallback)
{
    const vb::Variant value(ini.Read("Watchdog", key, ""));
    if (!vb::IsNumeric(value))
        return fallback;
    const double seconds = vb::CDbl(value);
    return seconds >= 1 && seconds <= 86400 ? static_cast<int>(seconds) : fallback;
}

} // namespace

GuardSettings readGuardSettings(services::IniState& iniState, const std::string& baseFolder)
{
    GuardSettings settings;
    services::IniTool ini(iniState);
    try {
        ini.Load(platform::joinPath(baseFolder, "Config/Settings.ini"));
    } catch (...) {
        return settings; // unreadable: the host's own load reports it
    }
    settings.stallSeconds = positiveOr(ini, "StallSeconds", settings.stallSeconds);
    settings.graceSeconds = positiveOr(ini, "GraceSeconds", settings.graceSeconds);
    settings.checkpointSeconds = positiveOr(ini, "CheckpointSeconds", settings.checkpointSeconds);
    return settings;
}

Safeguards::Safeguards(xap::ProgramState& program, services::ServicesState& services,
                       const platform::BoundedWorkAllowance* allowance)
    : program_(program)
    , services_(services)
    , allowance_(allowance)
{
}

Safeguards::~Safeguards()
{
    release();
}

std::string Safeguards::claimBaseFolder()
{
    // A last report goes to the log file as WriteLogFile frames its lines.
    // In the journal they are critical records (the journal names the program itself).
    platform::prepareEmergencyReports(xap::logFilePath(program_), std::string(xap::kProgramName) + " ", " 0 \r\n",
                                      platform::stderrIsJournal() ? "<2>" : "tallis: ");
    platform::installFatalSignalReports();

    bool busy = false;
    std::string error;
    lock_ = platform::InstanceLock::acquire(platform::joinPath(program_.baseFolder, "Data/tallis.lock"), busy, error);
    if (busy)
        return "already running in " + program_.baseFolder;
    // Without the lock nothing keeps a second program out of the folder: refuse. No
    // other program runs here, so the log may say it too (where it can be written).
    if (!lock_) {
        const std::string refusal = "cannot take the lock of " + program_.baseFolder + " (" + error + "): not starting";
        xap::WriteLogFile(program_, xap::kProgramName, refusal);
        return refusal;
    }
    return {};
}

void Safeguards::startWatchdogs()
{
    const GuardSettings settings = readGuardSettings(program_.ini, program_.baseFolder);
    watchdog_ = std::make_unique<platform::StallWatchdog>(
        platform::StallWatchdog::Settings{settings.stallSeconds, settings.graceSeconds}, nullptr, allowance_);
    checkpoints_ = std::make_unique<platform::Timer>([this] { services::checkpointDevices(services_); });
    checkpoints_->setInterval(settings.checkpointSeconds * 1000);
    checkpoints_->setEnabled(true);
}

void Safeguards::release()
{
    checkpoints_.reset();
    watchdog_.reset();
    lock_.reset();
}

void writeStateNotice(xap::ProgramState& program, std::string_view text)
{
    const vb::Failure pending = vb::currentFailure();
    vb::clearCurrentFailure();
    xap::WriteLogFile(program, xap::kProgramName, text);
    std::cerr << "tallis: " << text << std::endl;
    if (pending.active())
        vb::setCurrentFailure(pending);
}

} // namespace shell
