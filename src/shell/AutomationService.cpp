#include "AutomationService.h"

#include "AutomationServiceMembers.h"
#include "DesktopWindow.h"
#include "InboundDispatch.h"
#include "PublicClasses.h"
#include "ShellState.h"

#include "host/DeviceChanges.h"
#include "host/HostState.h"
#include "platform/bus/AutomationBus.h"
#include "platform/bus/SignalInterest.h"
#include "services/Setup.h"
#include "wait/SentWork.h"
#include "xap/ProgramState.h"
#include "xap/Logging.h"
#include "xap/ReportObservers.h"

#include <QCoreApplication>
#include <QDBusMessage>
#include <QThread>
#include <QTimer>

#include <atomic>
#include <memory>
#include <mutex>
#include <string>

namespace shell {

namespace {

constexpr const char* kEventsInterface = "org.tallis.Events";
constexpr const char* kApplicationPath = "/org/tallis/Application";
// How often records added or removed by the plug-in or scripts are looked for.
constexpr int kRecordScanMs = 500;

} // namespace

// Log records may be written on any thread. The observers hold this link, never the
// service: signals go out while its lock keeps the service (sending is thread-safe), and
// the service takes its log observers out (which waits for calls under way) and cuts
// the link under that lock before it goes. Everything else happens on the program's
// thread only.
struct AutomationService::ObserverLink {
    std::mutex lock;
    platform::bus::AutomationBus* bus = nullptr; // guarded by lock
    // The same service for the program thread's observers, read without the lock.
    std::atomic<platform::bus::AutomationBus*> live{nullptr};

    void emitEvent(const char* name, const QVariantList& args)
    {
        std::lock_guard guard(lock);
        if (bus)
            bus->emitSignal(QLatin1String(kApplicationPath), QLatin1String(kEventsInterface), QLatin1String(name), args);
    }
};

namespace {

bool onProgramThread()
{
    return QCoreApplication::instance() && QThread::currentThread() == QCoreApplication::instance()->thread();
}

QString text(std::string_view s)
{
    return QString::fromUtf8(s.data(), qsizetype(s.size()));
}

std::vector<vb::Ref<vb::Object>> recordsOf(vb::Collection& list)
{
    std::vector<vb::Ref<vb::Object>> records;
    records.reserve(list.size());
    for (std::size_t i = 1; i <= list.size(); ++i) {
        const vb::Variant& item = list.at(i);
        if (item.isObject() && item.objectValue())
            records.push_back(item.objectRef());
    }
    return records;
}

using Announced = AutomationService::Announced;

// Announces with PropertiesChanged what changed since the last look (after every bus
// call and on the record scan's timer, so changes by scripts and the plug-in too).
void announceChanges(host::HostRegistry& registry, platform::bus::ObjectBridge& bridge, Announced& last)
{
    host::HostState& s = host::state(registry);
    const Announced now{true, static_cast<std::int32_t>(s.deviceList().size()),
                        static_cast<std::int32_t>(s.eventList().size()), s.debugModeSetting, s.noLogSetting};
    if (last.known) {
        const QString app = QStringLiteral("Application");
        const QString iface = QStringLiteral("org.tallis.Application");
        if (now.deviceCount != last.deviceCount)
            bridge.announceProperty(app, iface, QStringLiteral("DeviceCount"), QVariant::fromValue(static_cast<short>(now.deviceCount)));
        if (now.eventCount != last.eventCount)
            bridge.announceProperty(app, iface, QStringLiteral("EventCount"), QVariant::fromValue(static_cast<short>(now.eventCount)));
        if (now.debugMode != last.debugMode)
            bridge.announceProperty(app, iface, QStringLiteral("DebugMode"), QVariant::fromValue(now.debugMode));
        if (now.noLog != last.noLog)
            bridge.announceProperty(app, iface, QStringLiteral("NoLog"), QVariant::fromValue(now.noLog));
    }
    last = now;
}

} // namespace

AutomationService::AutomationService(xap::ProgramState& program, ShellState& shell, services::SentWork& sentWork)
    : program_(program)
    , shell_(shell)
    , sentWork_(sentWork)
{
}

AutomationService::~AutomationService()
{
    stop();
}

void AutomationService::installObservers()
{
    host::HostRegistry& registry = shell_.host;
    deviceObserver_ = host::addDeviceChangeObserver(
        registry, [link = link_, &registry](std::string_view code, host::DeviceCell cell, host::DeviceChange) {
            const host::HostState* state = host::loadedState(registry);
            if (!state)
                return;
            const std::size_t i = cell.index();
            link->emitEvent("DeviceChanged",
                            {text(code), QVariant::fromValue(static_cast<short>(state->tables.status[i])),
                             QVariant::fromValue(double(state->tables.value[i])), text(state->tables.text[i])});
        });
    logRecordObserver_ = program_.reportObservers.addRecordObserver([link = link_](std::string_view source, std::string_view line) {
        link->emitEvent("Log", {text(source), text(line)});
    });
    // A failure a member reports through its trap answers the bus call it happened in.
    // A trap reports with its member's name as the text; the script host's reports
    // ("Script Run Error ...") belong to the member that ran the script.
    logEventObserver_ = program_.reportObservers.addEventObserver([link = link_](std::string_view, std::string_view text, const vb::Failure& failure) {
        if (!failure.active() || !onProgramThread())
            return;
        const bool scriptReport = text.starts_with("Script");
        if (platform::bus::AutomationBus* bus = link->live.load())
            bus->bridge().noteReportedFailure(failure.number, failure.description, scriptReport ? std::string() : std::string(text));
    });
    // The shell's inbound observer is cleared by stop(), on the program thread that calls it.
    setInboundObserver(shell_, [this](const std::string& source, const std::string& target, const std::string& messageClass,
                              const std::string& message) {
        // Every inbound message would be one: sent only while some client's rule wants it.
        if (!onProgramThread() || !xapInterest_ || !xapInterest_->anyoneListens())
            return;
        link_->emitEvent("XapReceived", {text(source), text(target), text(messageClass), text(message)});
    });
    inboundObserver_ = true;
}

void AutomationService::start()
{
    if (bus_)
        return;
    const QString choice = qEnvironmentVariable("TALLIS_BUS").toLower();
    if (choice == QLatin1String("off"))
        return;
    const bool system = choice == QLatin1String("system");
    std::string problem;
    bus_ = platform::bus::AutomationBus::connect(system ? platform::bus::BusKind::System
                                                        : platform::bus::BusKind::Session,
                                                 [this](std::function<void()> work) { sentWork_.send(std::move(work)); },
                                                 problem);
    if (!bus_) {
        xap::WriteLogFile(program_, xap::kProgramName, problem);
        return;
    }
    platform::bus::AutomationBus& bus = *bus_;
    bus.bridge().setMemberNotes(automationMemberNotes());
    xap::ProgramState& program = program_;
    ShellState& shell = shell_;
    host::HostRegistry& registry = shell_.host;
    bus.exportObject(QStringLiteral("Application"), [&program, &shell] { return createPublicObject(program, shell, "Application"); });
    bus.exportObject(QStringLiteral("FRH"), [&program, &shell] { return createPublicObject(program, shell, "FRH"); });
    bus.exportObject(QStringLiteral("Setup"), [&shell] { return vb::Ref<vb::Object>(services::setupForm(shell.services)); });
    // The host's own lists, so that one-shot clients can follow them too.
    bus.exportObject(QStringLiteral("DeviceList"), [&registry] { return vb::Ref<vb::Object>(host::state(registry).deviceListRef()); });
    bus.exportObject(QStringLiteral("EventList"), [&registry] { return vb::Ref<vb::Object>(host::state(registry).eventListRef()); });
    bus.bridge().exportRecords(QStringLiteral("Devices"), [&registry] { return recordsOf(host::state(registry).deviceList()); });
    bus.bridge().exportRecords(QStringLiteral("Events"), [&registry] { return recordsOf(host::state(registry).eventList()); });
    // A second start in this session shows this program's window through it.
    bus.exportObject(QStringLiteral("Desktop"), [&shell] { return vb::Ref<vb::Object>(vb::make<DesktopWindow>(shell)); });
    bool limitOk = false;
    const qulonglong limit = qEnvironmentVariable("TALLIS_BUS_OBJECT_LIMIT").toULongLong(&limitOk);
    if (limitOk && limit > 0)
        bus.bridge().setObjectLimit(limit);

    // Records the plug-in or scripts add and remove are announced without a bus call.
    auto* scan = new QTimer(&bus.bridge());
    QObject::connect(scan, &QTimer::timeout, &bus.bridge(), [this, &bridge = bus.bridge()] {
        bridge.refreshRecords();
        announceChanges(shell_.host, bridge, announced_);
    });
    scan->start(kRecordScanMs);
    bus.bridge().setAfterCall([this, &bridge = bus.bridge()] { announceChanges(shell_.host, bridge, announced_); });

    link_ = std::make_shared<ObserverLink>();
    installObservers();
    link_->live.store(&bus);
    {
        std::lock_guard guard(link_->lock);
        link_->bus = &bus;
    }
    xapInterest_ = std::make_unique<platform::bus::SignalInterest>(
        bus.connection(), platform::bus::SignalAddress{{QLatin1String(platform::bus::kServiceName), bus.connection().baseService()},
                                                       QLatin1String(kApplicationPath), QLatin1String(kEventsInterface),
                                                       QStringLiteral("XapReceived")});
    xap::WriteLogFile(program_, xap::kProgramName, std::string("automation interface on the ") + (system ? "system" : "session")
                                             + " bus as " + platform::bus::kServiceName);
}

void AutomationService::stop()
{
    if (deviceObserver_ != 0) {
        host::removeDeviceChangeObserver(shell_.host, deviceObserver_);
        deviceObserver_ = 0;
    }
    if (inboundObserver_) {
        setInboundObserver(shell_, nullptr);
        inboundObserver_ = false;
    }
    // Not under the link's lock: a record being told on another thread may be waiting for it.
    if (logRecordObserver_ != 0) {
        program_.reportObservers.removeRecordObserver(logRecordObserver_);
        logRecordObserver_ = 0;
    }
    if (logEventObserver_ != 0) {
        program_.reportObservers.removeEventObserver(logEventObserver_);
        logEventObserver_ = 0;
    }
    if (link_) {
        link_->live.store(nullptr);
        {
            std::lock_guard guard(link_->lock);
            link_->bus = nullptr;
        }
        link_.reset();
    }
    xapInterest_.reset();
    bus_.reset();
}

} // namespace shell
