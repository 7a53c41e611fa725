// AutomationBus: the program's automation interface on D-Bus. It connects to the session
// bus (or the system bus when run as the system service), owns the name
// org.tallis.Tallis and serves the exported objects under /org/tallis through an
// ObjectBridge. Calls arrive on a bus thread of their own (BusReceiver) and are handed
// to the program's thread by the Deliver function, each answered with a delayed reply.
#pragma once

#include "BusReceiver.h"
#include "ObjectBridge.h"

#include <QThread>

#include <memory>
#include <string>

namespace platform::bus {

inline constexpr const char* kServiceName = "org.tallis.Tallis";

enum class BusKind { Session, System };

class AutomationBus {
public:
    ~AutomationBus();

    // Connects to the bus and owns the service name. Returns null with `problem` set (a
    // line for the log) when there is no bus or the name is taken. The session bus is
    // only what DBUS_SESSION_BUS_ADDRESS or $XDG_RUNTIME_DIR/bus names: the program never
    // starts a bus of its own.
    // `deliver` hands a call's work to the program's thread.
    static std::unique_ptr<AutomationBus> connect(BusKind kind, BusReceiver::Deliver deliver, std::string& problem);

    // Serves the object at /org/tallis/<name>.
    void exportObject(const QString& name, ObjectBridge::Resolver resolve);

    ObjectBridge& bridge() { return *bridge_; }
    const QDBusConnection& connection() const { return connection_; }

    // Sends a signal from the object at `path` (any thread). It is sent at once, on the
    // calling thread: handing it to the bus thread instead costs a thread switch per
    // signal, which made the signal's delay worse on a busy machine.
    void emitSignal(const QString& path, const QString& interfaceName, const QString& name, const QVariantList& args);

private:
    AutomationBus(const QDBusConnection& connection, BusReceiver::Deliver deliver);

    QDBusConnection connection_;
    std::shared_ptr<ObjectBridge> bridge_;
    QThread thread_;
    std::unique_ptr<BusReceiver> receiver_;
};

} // namespace platform::bus
