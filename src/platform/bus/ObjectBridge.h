// ObjectBridge: objects of the object model served on a D-Bus connection.
//
// Named objects live at fixed paths (/org/tallis/Application ...). An object that a call
// returns or passes back is handed out under /org/tallis/objects/<n>: the bridge keeps
// it alive while any client that received it is still connected, or until each such
// client calls org.tallis.Automation.Release on it. Passing the same object again gives
// the same path.
//
// Every object path answers:
//   org.tallis.<Class>           the class's members, typed from its member table
//   org.tallis.Automation        Invoke(s member, s kind, av args) -> (v result, av args_after)
//                                Release()
//   org.freedesktop.DBus.Introspectable, .Properties, .Peer
// A VB error raised by a member comes back as the D-Bus error org.tallis.Error.VB<number>
// with the VB description as its message. Calls run on the thread that owns the bridge
// (the program's event loop), one at a time unless a member itself lets events through.
#pragma once

#include "BusValues.h"

#include "automation/Object.h"

#include <QDBusConnection>
#include <QDBusServiceWatcher>
#include <QDBusVirtualObject>

#include <cstdint>
#include <functional>
#include <map>
#include <set>
#include <unordered_map>
#include <vector>

class QDBusMessage;

namespace platform::bus {

inline constexpr const char* kRootPath = "/org/tallis";
inline constexpr const char* kObjectsPath = "/org/tallis/objects";
inline constexpr const char* kErrorPrefix = "org.tallis.Error.VB";

class ObjectBridge final : public QDBusVirtualObject, private ObjectPathMap {
public:
    // Returns the named object, or null while it does not exist.
    using Resolver = std::function<vb::Ref<vb::Object>()>;

    explicit ObjectBridge(const QDBusConnection& connection, QObject* parent = nullptr);
    ~ObjectBridge() override;

    // Serves the object that `resolve` returns at /org/tallis/<name>.
    void exportObject(const QString& name, Resolver resolve);

    // Objects handed out and still held by some client.
    std::size_t handedOutCount() const { return handedOut_.size(); }

    QString introspect(const QString& path) const override;
    bool handleMessage(const QDBusMessage& message, const QDBusConnection& connection) override;

private:
    struct HandedOut {
        vb::Ref<vb::Object> object;
        std::set<QString> holders; // unique bus names of the clients holding it
    };
    struct Target {
        vb::Ref<vb::Object> object;
        std::uint64_t handedOutId = 0; // 0 for a named object
    };

    QString pathOf(vb::Object& object) override;
    vb::Ref<vb::Object> objectAt(const QString& path) override;

    bool findTarget(const QString& path, Target& target);
    QDBusMessage serve(const QDBusMessage& message);
    QDBusMessage callTyped(vb::Object& object, const QDBusMessage& message);
    QDBusMessage invoke(vb::Object& object, const QDBusMessage& message);
    QDBusMessage properties(vb::Object& object, const QDBusMessage& message);
    QDBusMessage release(const Target& target, const QDBusMessage& message);
    QString introspectPath(const QString& path);
    void clientGone(const QString& client);

    QDBusConnection connection_;
    QDBusServiceWatcher watcher_;
    std::vector<std::pair<QString, Resolver>> named_;
    std::map<std::uint64_t, HandedOut> handedOut_;
    std::unordered_map<const vb::Object*, std::uint64_t> idOf_;
    std::uint64_t nextId_ = 1;
    QString caller_; // the client whose call is being served
};

} // namespace platform::bus
