#include "AutomationBus.h"

#include <QDBusConnectionInterface>
#include <QFileInfo>

namespace platform::bus {

namespace {

constexpr const char* kConnectionName = "tallis-automation";

// The session bus's address, without falling back to starting a bus (autolaunch).
QString sessionBusAddress()
{
    const QString address = qEnvironmentVariable("DBUS_SESSION_BUS_ADDRESS");
    if (!address.isEmpty())
        return address;
    const QString runtime = qEnvironmentVariable("XDG_RUNTIME_DIR");
    if (!runtime.isEmpty() && QFileInfo(runtime + QStringLiteral("/bus")).exists())
        return QStringLiteral("unix:path=") + runtime + QStringLiteral("/bus");
    return QString();
}

} // namespace

AutomationBus::AutomationBus(const QDBusConnection& connection)
    : connection_(connection)
    , bridge_(std::make_unique<ObjectBridge>(connection))
{
}

AutomationBus::~AutomationBus()
{
    connection_.unregisterObject(QLatin1String(kRootPath), QDBusConnection::UnregisterTree);
    connection_.unregisterService(QLatin1String(kServiceName));
    QDBusConnection::disconnectFromBus(QLatin1String(kConnectionName));
}

std::unique_ptr<AutomationBus> AutomationBus::connect(BusKind kind, std::string& problem)
{
    QDBusConnection connection(QString{});
    if (kind == BusKind::Session) {
        const QString address = sessionBusAddress();
        if (address.isEmpty()) {
            problem = "no D-Bus session bus: automation interface off";
            return nullptr;
        }
        connection = QDBusConnection::connectToBus(address, QLatin1String(kConnectionName));
        if (!connection.isConnected()) {
            QDBusConnection::disconnectFromBus(QLatin1String(kConnectionName));
            problem = "no D-Bus session bus: automation interface off";
            return nullptr;
        }
    } else {
        connection = QDBusConnection::connectToBus(QDBusConnection::SystemBus, QLatin1String(kConnectionName));
        if (!connection.isConnected()) {
            QDBusConnection::disconnectFromBus(QLatin1String(kConnectionName));
            problem = "no D-Bus system bus: automation interface off";
            return nullptr;
        }
    }
    std::unique_ptr<AutomationBus> bus(new AutomationBus(connection));
    if (!connection.registerVirtualObject(QLatin1String(kRootPath), bus->bridge_.get(), QDBusConnection::SubPath)) {
        problem = "D-Bus: cannot serve " + std::string(kRootPath) + ": automation interface off";
        return nullptr;
    }
    if (!connection.registerService(QLatin1String(kServiceName))) {
        problem = "D-Bus: the name " + std::string(kServiceName) + " is taken or not allowed ("
                  + connection.lastError().message().toStdString() + "): automation interface off";
        return nullptr;
    }
    return bus;
}

void AutomationBus::exportObject(const QString& name, ObjectBridge::Resolver resolve)
{
    bridge_->exportObject(name, std::move(resolve));
}

} // namespace platform::bus
