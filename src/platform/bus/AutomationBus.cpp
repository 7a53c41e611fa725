#include "AutomationBus.h"

#include <QDBusConnectionInterface>
#include <QDBusMessage>
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

AutomationBus::AutomationBus(const QDBusConnection& connection, BusReceiver::Deliver deliver)
    : connection_(connection)
    , bridge_(std::make_shared<ObjectBridge>(connection))
    , receiver_(std::make_unique<BusReceiver>(bridge_, std::move(deliver)))
{
}

AutomationBus::~AutomationBus()
{
    connection_.unregisterObject(QLatin1String(kRootPath), QDBusConnection::UnregisterTree);
    connection_.unregisterService(QLatin1String(kServiceName));
    thread_.quit();
    thread_.wait();
    receiver_.reset();
    bridge_.reset();
    QDBusConnection::disconnectFromBus(QLatin1String(kConnectionName));
}

void AutomationBus::emitSignal(const QString& path, const QString& interfaceName, const QString& name, const QVariantList& args)
{
    QDBusMessage signal = QDBusMessage::createSignal(path, interfaceName, name);
    signal.setArguments(args);
    connection_.send(signal);
}

std::unique_ptr<AutomationBus> AutomationBus::connect(BusKind kind, BusReceiver::Deliver deliver, std::string& problem)
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
    std::unique_ptr<AutomationBus> bus(new AutomationBus(connection, std::move(deliver)));
    if (!connection.registerVirtualObject(QLatin1String(kRootPath), bus->receiver_.get(), QDBusConnection::SubPath)) {
        problem = "D-Bus: cannot serve " + std::string(kRootPath) + ": automation interface off";
        return nullptr;
    }
    // Registered first, then moved: the connection sets the object up on this thread.
    bus->thread_.setObjectName(QStringLiteral("tallis-bus"));
    bus->receiver_->moveToThread(&bus->thread_);
    bus->thread_.start();
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
