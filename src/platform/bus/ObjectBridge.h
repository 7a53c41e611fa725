// ObjectBridge: objects of the object model served on a D-Bus connection.
//
// Named objects live at fixed paths (/org/tallis/Application ...). Records the host
// owns (devices, events) live at stable paths /org/tallis/<Folder>/<n> for as long as
// they are in their list, callable from any connection and listed by
// org.freedesktop.DBus.ObjectManager at /org/tallis; n never repeats within a run. Any
// other object that a call returns or passes back is handed out to the caller under
// /org/tallis/objects/<n>: the bridge keeps it alive while a client that received it is
// still connected, or until each such client calls org.tallis.Automation.Release on it.
// Only the clients it was handed to may use such a path.
// A client holds at most objectLimit() objects; past it a call fails with VB error 7.
// /org/tallis answers org.tallis.Service properties: HandedOutObjects, ObjectLimit.
//
// Every object path answers:
//   org.tallis.<Class>           the class's members, typed from its member table
//   org.tallis.Automation        Invoke(s member, s kind, av args) -> (v result, av args_after)
//                                Release()
//   org.freedesktop.DBus.Introspectable, .Properties, .Peer
// A VB error raised by a member, or a failure a member reported through its error trap
// during the call, comes back as the D-Bus error org.tallis.Error.VB<number> with the
// description as its message.
//
// The bridge lives on the program's thread: serve() runs there, each call to its end,
// and sends the reply. BusReceiver hands the calls over from the bus thread.
#pragma once

#include "BusInterface.h"
#include "BusValues.h"

#include "automation/Object.h"

#include <QDBusConnection>
#include <QObject>

#include <cstdint>
#include <deque>
#include <functional>
#include <map>
#include <memory>
#include <set>
#include <unordered_map>
#include <unordered_set>
#include <vector>

class QDBusMessage;

namespace platform::bus {

inline constexpr const char* kRootPath = "/org/tallis";
inline constexpr const char* kObjectsPath = "/org/tallis/objects";
inline constexpr const char* kErrorPrefix = "org.tallis.Error.VB";
inline constexpr std::size_t kDefaultObjectLimit = 10000;

class ObjectBridge final : public QObject, private ObjectPathMap {
    Q_OBJECT
public:
    // Returns the named object, or null while it does not exist.
    using Resolver = std::function<vb::Ref<vb::Object>()>;
    // Returns the records of a host-owned list, in order.
    using RecordLister = std::function<std::vector<vb::Ref<vb::Object>>()>;

    explicit ObjectBridge(const QDBusConnection& connection, QObject* parent = nullptr);
    ~ObjectBridge() override;

    // The notes of the classes served (before the first call is served); none: every
    // member takes the defaults.
    void setMemberNotes(std::span<const ClassNotes> notes);

    // Serves the object that `resolve` returns at /org/tallis/<name>.
    void exportObject(const QString& name, Resolver resolve);
    // Serves the records `list` returns at /org/tallis/<folder>/<n>.
    void exportRecords(const QString& folder, RecordLister list);

    // Runs one method call and sends its reply (program thread).
    void serve(const QDBusMessage& message);

    // A failure reported through an error trap named `trapName` (program thread): the
    // bus call being served answers with it when the trap is that of the member called
    // (an empty name: whatever member runs, as for the script host's reports). Failures
    // that members called inside it report and swallow are theirs, not the call's.
    void noteReportedFailure(std::int32_t number, const std::string& description, const std::string& trapName);

    // Compares the exported records with their lists and announces what came and went.
    void refreshRecords();

    // Objects handed out and still held by some client; those one client holds.
    std::size_t handedOutCount() const { return handedOut_.size(); }
    std::size_t heldBy(const QString& client) const;
    void setObjectLimit(std::size_t limit) { objectLimit_ = limit; }
    std::size_t objectLimit() const { return objectLimit_; }

    // Runs after every call served (program thread).
    void setAfterCall(std::function<void()> afterCall) { afterCall_ = std::move(afterCall); }

    // A property that changed: PropertiesChanged on the named object's path.
    void announceProperty(const QString& objectName, const QString& interfaceName, const QString& property,
                          const QVariant& value);

private slots:
    void nameOwnerChanged(const QString& name, const QString& oldOwner, const QString& newOwner);

private:
    struct HandedOut {
        vb::Ref<vb::Object> object;
        std::set<QString> holders; // unique bus names of the clients holding it
    };
    struct Target {
        vb::Ref<vb::Object> object;
        std::uint64_t handedOutId = 0; // 0 for a named object or a record
    };
    struct RecordFolder {
        QString name;
        RecordLister list;
        std::uint64_t nextId = 1;
        std::map<std::uint64_t, vb::Ref<vb::Object>> byId;
        std::unordered_map<const vb::Object*, std::uint64_t> idOf;
    };
    // The call being served: its caller and the first failure reported in it.
    struct CallFrame {
        QString caller;
        QString member; // the member called, once known
        std::int32_t failedNumber = 0;
        std::string failedDescription;
    };

    QString pathOf(vb::Object& object) override;
    vb::Ref<vb::Object> objectAt(const QString& path) override;

    bool findTarget(const QString& path, Target& target);
    QDBusMessage reply(const QDBusMessage& message, CallFrame& frame);
    QDBusMessage callTyped(vb::Object& object, const QDBusMessage& message);
    QDBusMessage invoke(vb::Object& object, const QDBusMessage& message);
    QDBusMessage properties(vb::Object& object, const QDBusMessage& message);
    QDBusMessage release(const Target& target, const QDBusMessage& message);
    QDBusMessage managedObjects(const QDBusMessage& message);
    // A record's interfaces with its readable properties, as ObjectManager lists them.
    QMap<QString, QVariantMap> recordInterfaces(vb::Object& record);
    QDBusMessage serviceProperties(const QDBusMessage& message);
    QString introspectPath(const QString& path);
    void confine(const BusMethod& method, const std::vector<vb::Variant>& args) const;
    void releaseFrom(const QString& client, std::uint64_t id);
    void clientGone(const QString& client);
    QString recordPath(const RecordFolder& folder, std::uint64_t id) const;
    const QString& caller() const;
    // The interface of the object's class (null for an object without a member table).
    const BusInterface* interfaceOf(const vb::Object& object);

    QDBusConnection connection_;
    std::unique_ptr<BusInterfaces> interfaces_;
    std::vector<std::pair<QString, Resolver>> named_;
    std::vector<RecordFolder> records_;
    std::map<std::uint64_t, HandedOut> handedOut_;
    std::unordered_map<const vb::Object*, std::uint64_t> idOf_;
    std::unordered_map<QString, std::unordered_set<std::uint64_t>> heldBy_;
    std::uint64_t nextId_ = 1;
    std::size_t objectLimit_ = kDefaultObjectLimit;
    // Clients known to have left (bounded): a call of theirs served late hands out nothing.
    std::unordered_set<QString> gone_;
    std::deque<QString> goneOrder_;
    std::vector<CallFrame*> frames_;
    std::function<void()> afterCall_;
    bool refreshing_ = false;
};

} // namespace platform::bus
