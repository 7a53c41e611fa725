// AutomationBus: the program's automation interface on D-Bus. It connects to the session
// bus (or the system bus when run as the system service), owns the name
// org.tallis.Tallis and serves the exported objects under /org/tallis through an
// ObjectBridge.
#pragma once

#include "ObjectBridge.h"

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
    static std::unique_ptr<AutomationBus> connect(BusKind kind, std::string& problem);

    // Serves the object at /org/tallis/<name>.
    void exportObject(const QString& name, ObjectBridge::Resolver resolve);

    ObjectBridge& bridge() { return *bridge_; }

private:
    explicit AutomationBus(const QDBusConnection& connection);

    QDBusConnection connection_;
    std::unique_ptr<ObjectBridge> bridge_;
};

} // namespace platform::bus
