#include "ObjectBridge.h"

#include "BusInterface.h"

#include "automation/Array.h"
#include "automation/Conversions.h"
#include "automation/Error.h"
#include "automation/MemberSignature.h"

#include <QDBusArgument>
#include <QDBusError>
#include <QDBusMessage>
#include <QDBusMetaType>
#include <QDBusObjectPath>
#include <QDBusVariant>
#include <QStringList>
#include <QThread>

#include <malloc.h>

#include <algorithm>
#include <array>
#include <utility>

using InterfaceMap = QMap<QString, QVariantMap>;
using ManagedObjects = QMap<QDBusObjectPath, InterfaceMap>;
Q_DECLARE_METATYPE(InterfaceMap)
Q_DECLARE_METATYPE(ManagedObjects)

namespace platform::bus {

namespace {

constexpr const char* kIntrospectable = "org.freedesktop.DBus.Introspectable";
constexpr const char* kProperties = "org.freedesktop.DBus.Properties";
constexpr const char* kPeer = "org.freedesktop.DBus.Peer";
constexpr const char* kObjectManager = "org.freedesktop.DBus.ObjectManager";
// The service's own figures at /org/tallis.
constexpr const char* kServiceInterface = "org.tallis.Service";
// Clients remembered as gone; a unique name never comes back, so older ones are forgotten.
constexpr std::size_t kGoneRemembered = 4096;
// Releasing at least this many objects at once gives the freed memory back to the system.
constexpr std::size_t kTrimAfter = 1000;

constexpr const char* kObjectManagerXml =
    "  <interface name=\"org.tallis.Service\">\n"
    "    <property name=\"HandedOutObjects\" type=\"u\" access=\"read\">\n"
    "      <annotation name=\"org.freedesktop.DBus.Property.EmitsChangedSignal\" value=\"false\"/>\n"
    "    </property>\n"
    "    <property name=\"ObjectLimit\" type=\"u\" access=\"read\">\n"
    "      <annotation name=\"org.freedesktop.DBus.Property.EmitsChangedSignal\" value=\"const\"/>\n"
    "    </property>\n"
    "  </interface>\n"
    "  <interface name=\"org.freedesktop.DBus.Properties\">\n"
    "    <method name=\"Get\">\n"
    "      <arg name=\"interface_name\" type=\"s\" direction=\"in\"/>\n"
    "      <arg name=\"property_name\" type=\"s\" direction=\"in\"/>\n"
    "      <arg name=\"value\" type=\"v\" direction=\"out\"/>\n"
    "    </method>\n"
    "    <method name=\"GetAll\">\n"
    "      <arg name=\"interface_name\" type=\"s\" direction=\"in\"/>\n"
    "      <arg name=\"props\" type=\"a{sv}\" direction=\"out\"/>\n"
    "    </method>\n"
    "  </interface>\n"
    "  <interface name=\"org.freedesktop.DBus.ObjectManager\">\n"
    "    <method name=\"GetManagedObjects\">\n"
    "      <arg name=\"objects\" type=\"a{oa{sa{sv}}}\" direction=\"out\"/>\n"
    "    </method>\n"
    "    <signal name=\"InterfacesAdded\">\n"
    "      <arg name=\"object\" type=\"o\"/>\n"
    "      <arg name=\"interfaces\" type=\"a{sa{sv}}\"/>\n"
    "    </signal>\n"
    "    <signal name=\"InterfacesRemoved\">\n"
    "      <arg name=\"object\" type=\"o\"/>\n"
    "      <arg name=\"interfaces\" type=\"as\"/>\n"
    "    </signal>\n"
    "  </interface>\n";

// The object model's call kinds as Invoke names them.
struct KindName {
    const char* name;
    vb::CallKind kind;
};
constexpr std::array kKinds = {
    KindName{"method", vb::CallKind(vb::Method | vb::Get)},
    KindName{"get", vb::Get},
    KindName{"let", vb::Let},
    KindName{"set", vb::Set},
};

QDBusMessage failure(const QDBusMessage& message, QDBusError::ErrorType type, const QString& text)
{
    return message.createErrorReply(type, text);
}

// The failure being thrown, as the D-Bus error org.tallis.Error.VB<number>.
QDBusMessage vbFailure(const QDBusMessage& message)
{
    const vb::Failure f = vb::failureFromCurrentException();
    QString text = QString::fromStdString(f.description);
    if (text.isEmpty())
        text = QString::fromUtf8(vb::describe(f.number).data(), qsizetype(vb::describe(f.number).size()));
    return message.createErrorReply(QLatin1String(kErrorPrefix) + QString::number(f.number), text);
}

vb::MemberId memberIdOf(vb::Object& object, const QString& name)
{
    const vb::MemberId id = object.memberId(name.toStdString());
    if (id == vb::kNoMember)
        vb::raiseError(vb::err::NoSuchMember);
    return id;
}

vb::Variant call(vb::Object& object, const QString& name, vb::CallKind kind, std::vector<vb::Variant>& args)
{
    std::vector<vb::Variant*> pointers;
    pointers.reserve(args.size());
    for (vb::Variant& v : args)
        pointers.push_back(&v);
    return object.invoke(memberIdOf(object, name), kind, vb::Args(pointers.data(), pointers.size()));
}

// True when a message with this signature may call the method: every parameter given,
// or the leading ones with only optional parameters left out.
// An integer parameter (Integer n, Long i) takes any signed integer (n, i, x): clients
// that only speak 64-bit integers can call too; the range is checked when the value is
// converted (6 "Overflow").
bool isSignedInteger(QChar code)
{
    return code == QLatin1Char('n') || code == QLatin1Char('i') || code == QLatin1Char('x');
}

bool sameSignature(const QString& expected, const QString& given)
{
    if (expected.size() != given.size())
        return false;
    for (qsizetype i = 0; i < expected.size(); ++i) {
        const bool integers = expected[i] != QLatin1Char('x') && isSignedInteger(expected[i]) && isSignedInteger(given[i]);
        if (expected[i] != given[i] && !integers)
            return false;
    }
    return true;
}

bool signatureAccepted(const BusMethod& method, const QString& given)
{
    if (sameSignature(method.inSignature, given))
        return true;
    const vb::MemberSignature* s = method.signature;
    if (!s)
        return false;
    QString prefix;
    for (std::size_t i = 0; i <= s->params.size(); ++i) {
        const bool restOptional = i == s->params.size() || s->params[i].optional;
        if (sameSignature(prefix, given) && restOptional) {
            bool allOptional = true;
            for (std::size_t j = i; j < s->params.size(); ++j)
                allOptional = allOptional && s->params[j].optional;
            return allOptional;
        }
        if (i < s->params.size())
            prefix += QLatin1String(typeCode(s->params[i].type));
    }
    return false;
}

std::vector<vb::Variant> elementsOf(const vb::Variant& list)
{
    if (!list.isArray())
        return {};
    const std::span<const vb::Variant> elements = list.arrayValue().elements();
    return {elements.begin(), elements.end()};
}


} // namespace

ObjectBridge::ObjectBridge(const QDBusConnection& connection, QObject* parent)
    : QObject(parent)
    , connection_(connection)
    , interfaces_(std::make_unique<BusInterfaces>())
{
    qDBusRegisterMetaType<InterfaceMap>();
    qDBusRegisterMetaType<ManagedObjects>();
    // One match rule for every client's departure, rather than one per client.
    connection_.connect(QStringLiteral("org.freedesktop.DBus"), QStringLiteral("/org/freedesktop/DBus"),
                        QStringLiteral("org.freedesktop.DBus"), QStringLiteral("NameOwnerChanged"), this,
                        SLOT(nameOwnerChanged(QString, QString, QString)));
}

ObjectBridge::~ObjectBridge()
{
    connection_.disconnect(QStringLiteral("org.freedesktop.DBus"), QStringLiteral("/org/freedesktop/DBus"),
                           QStringLiteral("org.freedesktop.DBus"), QStringLiteral("NameOwnerChanged"), this,
                           SLOT(nameOwnerChanged(QString, QString, QString)));
}

void ObjectBridge::setMemberNotes(std::span<const ClassNotes> notes)
{
    interfaces_ = std::make_unique<BusInterfaces>(notes);
}

const BusInterface* ObjectBridge::interfaceOf(const vb::Object& object)
{
    const vb::TypeInfo* type = object.typeInfo();
    return type ? &interfaces_->of(*type, object.typeName()) : nullptr;
}

void ObjectBridge::exportObject(const QString& name, Resolver resolve)
{
    named_.emplace_back(name, std::move(resolve));
}

void ObjectBridge::exportRecords(const QString& folder, RecordLister list)
{
    records_.push_back(RecordFolder{folder, std::move(list), 1, {}, {}});
}

std::size_t ObjectBridge::heldBy(const QString& client) const
{
    auto it = heldBy_.find(client);
    return it == heldBy_.end() ? 0 : it->second.size();
}

const QString& ObjectBridge::caller() const
{
    static const QString none;
    return frames_.empty() ? none : frames_.back()->caller;
}

void ObjectBridge::serve(const QDBusMessage& message)
{
    CallFrame frame{message.service(), {}, 0, {}};
    frames_.push_back(&frame);
    QDBusMessage answer;
    try {
        answer = reply(message, frame);
    } catch (...) {
        answer = vbFailure(message);
    }
    frames_.pop_back();
    if (frame.failedNumber != 0 && answer.type() != QDBusMessage::ErrorMessage) {
        QString text = QString::fromStdString(frame.failedDescription);
        if (text.isEmpty())
            text = QString::fromUtf8(vb::describe(frame.failedNumber).data(), qsizetype(vb::describe(frame.failedNumber).size()));
        answer = message.createErrorReply(QLatin1String(kErrorPrefix) + QString::number(frame.failedNumber), text);
    }
    if (message.isReplyRequired())
        connection_.send(answer);
    refreshRecords();
    if (afterCall_)
        afterCall_();
}

void ObjectBridge::noteReportedFailure(std::int32_t number, const std::string& description, const std::string& trapName)
{
    if (frames_.empty() || QThread::currentThread() != thread())
        return;
    CallFrame& frame = *frames_.back();
    if (frame.failedNumber != 0 || frame.member.isEmpty())
        return;
    if (!trapName.empty() && QString::fromStdString(trapName).compare(frame.member, Qt::CaseInsensitive) != 0)
        return;
    frame.failedNumber = number != 0 ? number : vb::err::InvalidProcedureCall;
    frame.failedDescription = description;
}

bool ObjectBridge::findTarget(const QString& path, Target& target)
{
    const QString root = QLatin1String(kRootPath) + QLatin1Char('/');
    const QString objects = QLatin1String(kObjectsPath) + QLatin1Char('/');
    if (path.startsWith(objects)) {
        bool ok = false;
        const std::uint64_t id = path.mid(objects.size()).toULongLong(&ok);
        auto it = ok ? handedOut_.find(id) : handedOut_.end();
        // Such objects belong to the clients they were handed to: no other may use them.
        if (it == handedOut_.end() || (!caller().isEmpty() && !it->second.holders.count(caller())))
            return false;
        target = Target{it->second.object, id};
        return true;
    }
    if (!path.startsWith(root))
        return false;
    const QString name = path.mid(root.size());
    for (RecordFolder& folder : records_) {
        if (!name.startsWith(folder.name + QLatin1Char('/')))
            continue;
        bool ok = false;
        const std::uint64_t id = name.mid(folder.name.size() + 1).toULongLong(&ok);
        auto it = ok ? folder.byId.find(id) : folder.byId.end();
        if (it == folder.byId.end())
            return false;
        target = Target{it->second, 0};
        return true;
    }
    for (const auto& [n, resolve] : named_) {
        if (n == name) {
            target = Target{resolve(), 0};
            return target.object != nullptr;
        }
    }
    return false;
}

QDBusMessage ObjectBridge::reply(const QDBusMessage& message, CallFrame& frame)
{
    const QString path = message.path();
    const QString iface = message.interface();
    const QString member = message.member();
    if (iface == QLatin1String(kPeer) && member == QLatin1String("Ping"))
        return message.createReply();
    const bool isIntrospect = (iface.isEmpty() || iface == QLatin1String(kIntrospectable)) && member == QLatin1String("Introspect");
    bool isFolder = path == QLatin1String(kRootPath) || path == QLatin1String(kObjectsPath);
    for (const RecordFolder& folder : records_)
        isFolder = isFolder || path == QLatin1String(kRootPath) + QLatin1Char('/') + folder.name;
    if (isFolder) {
        if (isIntrospect)
            return message.createReply(introspectPath(path));
        if (path == QLatin1String(kRootPath) && iface == QLatin1String(kProperties))
            return serviceProperties(message);
        if (path == QLatin1String(kRootPath) && iface == QLatin1String(kObjectManager)
            && member == QLatin1String("GetManagedObjects")) {
            QDBusMessage answer = managedObjects(message);
            frame.failedNumber = 0; // a record whose getter fails is listed without that property
            return answer;
        }
        return failure(message, QDBusError::UnknownMethod, QStringLiteral("%1 has only child objects").arg(path));
    }
    Target target;
    if (!findTarget(path, target))
        return failure(message, QDBusError::UnknownObject, QStringLiteral("No object at %1").arg(path));
    if (iface == QLatin1String(kIntrospectable) || (iface.isEmpty() && member == QLatin1String("Introspect")))
        return message.createReply(introspectPath(path));
    if (iface == QLatin1String(kProperties)) {
        QDBusMessage answer = properties(*target.object, message);
        if (member == QLatin1String("GetAll"))
            frame.failedNumber = 0; // a property whose getter fails is left out
        return answer;
    }
    if (iface == QLatin1String(kAutomationInterface)) {
        if (member == QLatin1String("Invoke"))
            return invoke(*target.object, message);
        if (member == QLatin1String("Release"))
            return release(target, message);
        return failure(message, QDBusError::UnknownMethod, QStringLiteral("No method %1 in %2").arg(member, iface));
    }
    const BusInterface* own = interfaceOf(*target.object);
    if (!own || (!iface.isEmpty() && iface != own->name))
        return failure(message, QDBusError::UnknownInterface, QStringLiteral("No interface %1 at %2").arg(iface, path));
    return callTyped(*target.object, message);
}

void ObjectBridge::confine(const BusMethod& method, const std::vector<vb::Variant>& args) const
{
    if (method.fileArg < 0 || std::size_t(method.fileArg) >= args.size())
        return;
    const vb::Variant& name = args[std::size_t(method.fileArg)];
    if (name.isMissing())
        return;
    if (!staysInsideFolder(vb::CStr(name)))
        throw vb::Error(vb::err::PathFileAccessError,
                        std::string("Path/File access error: ") + (method.folder == Folder::Scripts ? "scripts" : "settings")
                            + " files must stay inside the " + (method.folder == Folder::Scripts ? "Scripts" : "Config")
                            + " folder");
}

QDBusMessage ObjectBridge::callTyped(vb::Object& object, const QDBusMessage& message)
{
    const BusInterface& iface = *interfaceOf(object);
    const BusMethod* method = iface.findMethod(message.member());
    if (!method)
        return failure(message, QDBusError::UnknownMethod,
                       QStringLiteral("No method %1 in %2").arg(message.member(), iface.name));
    if (!signatureAccepted(*method, message.signature()))
        return failure(message, QDBusError::InvalidArgs,
                       QStringLiteral("%1 takes (%2), not (%3)").arg(method->name, method->inSignature, message.signature()));

    std::vector<vb::Variant> args;
    const QList<QVariant> given = message.arguments();
    const bool hasRest = method->signature && method->signature->rest && message.signature() == method->inSignature;
    const bool untyped = !method->signature;
    for (qsizetype i = 0; i < given.size(); ++i) {
        vb::Variant value = fromBus(given[i], *this);
        const bool spread = untyped || (hasRest && i == given.size() - 1);
        if (spread) {
            for (vb::Variant& v : elementsOf(value))
                args.push_back(std::move(v));
        } else {
            const bool isDate = method->signature && std::size_t(i) < method->signature->params.size()
                                && method->signature->params[std::size_t(i)].type == vb::VbType::Date;
            args.push_back(isDate ? dateFromIso(value) : std::move(value));
        }
    }
    confine(*method, args);
    frames_.back()->member = method->name;
    const vb::Variant result = call(object, method->name, method->kind, args);
    if (method->outSignature.isEmpty())
        return message.createReply();
    if (method->nulList)
        return message.createReply(QVariant::fromValue(nulSeparatedList(vb::CStr(result))));
    const vb::VbType resultType = method->signature ? method->signature->result : vb::VbType::Variant;
    return message.createReply(toBusAs(result, resultType, *this));
}

QDBusMessage ObjectBridge::invoke(vb::Object& object, const QDBusMessage& message)
{
    if (message.signature() != QLatin1String("ssav"))
        return failure(message, QDBusError::InvalidArgs, QStringLiteral("Invoke takes (ssav), not (%1)").arg(message.signature()));
    const QList<QVariant> given = message.arguments();
    const QString member = given[0].toString();
    const QString kindName = given[1].toString();
    const KindName* kind = nullptr;
    for (const KindName& k : kKinds)
        if (kindName.compare(QLatin1String(k.name), Qt::CaseInsensitive) == 0)
            kind = &k;
    if (!kind)
        return failure(message, QDBusError::InvalidArgs,
                       QStringLiteral("kind \"%1\" is none of method, get, let, set").arg(kindName));
    std::vector<vb::Variant> args = elementsOf(fromBus(given[2], *this));
    if (const BusInterface* iface = interfaceOf(object)) {
        if (const BusMethod* method = iface->findMethod(member)) {
            confine(*method, args);
            // A Date parameter takes the ISO 8601 text here too.
            for (std::size_t i = 0; method->signature && i < args.size() && i < method->signature->params.size(); ++i)
                if (method->signature->params[i].type == vb::VbType::Date)
                    args[i] = dateFromIso(args[i]);
        }
    }
    frames_.back()->member = member;
    const vb::Variant result = call(object, member, kind->kind, args);
    return message.createReply(
        QList<QVariant>{QVariant::fromValue(QDBusVariant(toBus(result, *this))), toBusList(args, *this)});
}

QDBusMessage ObjectBridge::properties(vb::Object& object, const QDBusMessage& message)
{
    const BusInterface* iface = interfaceOf(object);
    const QList<QVariant> given = message.arguments();
    const QString member = message.member();
    const bool isGetAll = member == QLatin1String("GetAll");
    const bool isGet = member == QLatin1String("Get");
    const bool isSet = member == QLatin1String("Set");
    if (!isGetAll && !isGet && !isSet)
        return failure(message, QDBusError::UnknownMethod, QStringLiteral("No method %1 in %2").arg(member, QLatin1String(kProperties)));
    const QString expected = isGetAll ? QStringLiteral("s") : isGet ? QStringLiteral("ss") : QStringLiteral("ssv");
    if (message.signature() != expected)
        return failure(message, QDBusError::InvalidArgs,
                       QStringLiteral("%1 takes (%2), not (%3)").arg(member, expected, message.signature()));
    const QString wanted = given[0].toString();
    if (!iface || (!wanted.isEmpty() && wanted != iface->name)) {
        if (isGetAll)
            return message.createReply(QVariant::fromValue(QVariantMap()));
        return failure(message, QDBusError::UnknownInterface, QStringLiteral("No interface %1").arg(wanted));
    }
    auto read = [&](const BusProperty& p) {
        std::vector<vb::Variant> none;
        const vb::Variant value = call(object, p.name, vb::Get, none);
        return p.type == vb::VbType::Variant ? QDBusVariant(toBus(value, *this)) : QDBusVariant(toBusAs(value, p.type, *this));
    };
    if (isGetAll) {
        QVariantMap all;
        for (const BusProperty& p : iface->properties) {
            if (!p.readable)
                continue;
            // A property whose getter fails is left out rather than failing the whole answer.
            try {
                all.insert(p.name, QVariant::fromValue(read(p)));
            } catch (...) {
            }
        }
        return message.createReply(QVariant::fromValue(all));
    }
    const BusProperty* p = iface->findProperty(given[1].toString());
    if (!p)
        return failure(message, QDBusError::UnknownProperty, QStringLiteral("No property %1 in %2").arg(given[1].toString(), iface->name));
    frames_.back()->member = p->name;
    if (isGet) {
        if (!p->readable)
            return failure(message, QDBusError::AccessDenied, QStringLiteral("%1 can only be set").arg(p->name));
        return message.createReply(QVariant::fromValue(read(*p)));
    }
    if (!p->writableByLet && !p->writableBySet)
        return failure(message, QDBusError::PropertyReadOnly, QStringLiteral("%1 is read-only").arg(p->name));
    std::vector<vb::Variant> value{fromBus(given[2], *this)};
    const bool bySet = p->writableBySet && (value[0].isObject() || !p->writableByLet);
    call(object, p->name, bySet ? vb::Set : vb::Let, value);
    return message.createReply();
}

QDBusMessage ObjectBridge::serviceProperties(const QDBusMessage& message)
{
    QVariantMap all;
    all.insert(QStringLiteral("HandedOutObjects"), QVariant::fromValue(quint32(handedOut_.size())));
    all.insert(QStringLiteral("ObjectLimit"), QVariant::fromValue(quint32(objectLimit_)));
    const QList<QVariant> given = message.arguments();
    const QString wanted = given.isEmpty() ? QString() : given[0].toString();
    if (wanted != QLatin1String(kServiceInterface))
        return failure(message, QDBusError::UnknownInterface, QStringLiteral("No interface %1").arg(wanted));
    if (message.member() == QLatin1String("GetAll") && message.signature() == QLatin1String("s"))
        return message.createReply(QVariant::fromValue(all));
    if (message.member() == QLatin1String("Get") && message.signature() == QLatin1String("ss")) {
        if (!all.contains(given[1].toString()))
            return failure(message, QDBusError::UnknownProperty, QStringLiteral("No property %1").arg(given[1].toString()));
        return message.createReply(QVariant::fromValue(QDBusVariant(all.value(given[1].toString()))));
    }
    if (message.member() == QLatin1String("Set"))
        return failure(message, QDBusError::PropertyReadOnly, QStringLiteral("The service's properties are read-only"));
    return failure(message, QDBusError::InvalidArgs, QStringLiteral("%1 (%2) is not a Properties call")
                                                         .arg(message.member(), message.signature()));
}

void ObjectBridge::releaseFrom(const QString& client, std::uint64_t id)
{
    auto it = handedOut_.find(id);
    if (it == handedOut_.end())
        return;
    it->second.holders.erase(client);
    auto held = heldBy_.find(client);
    if (held != heldBy_.end()) {
        held->second.erase(id);
        if (held->second.empty())
            heldBy_.erase(held);
    }
    if (it->second.holders.empty()) {
        idOf_.erase(it->second.object.get());
        vb::Ref<vb::Object> last = std::move(it->second.object); // let go after the bookkeeping
        handedOut_.erase(it);
    }
}

QDBusMessage ObjectBridge::release(const Target& target, const QDBusMessage& message)
{
    releaseFrom(message.service(), target.handedOutId);
    return message.createReply();
}

QMap<QString, QVariantMap> ObjectBridge::recordInterfaces(vb::Object& record)
{
    InterfaceMap interfaces;
    if (const BusInterface* iface = interfaceOf(record)) {
        QVariantMap props;
        for (const BusProperty& p : iface->properties) {
            if (!p.readable)
                continue;
            // A property whose getter fails is left out.
            try {
                std::vector<vb::Variant> none;
                const vb::Variant value = call(record, p.name, vb::Get, none);
                props.insert(p.name, p.type == vb::VbType::Variant ? toBus(value, *this) : toBusAs(value, p.type, *this));
            } catch (...) {
            }
        }
        interfaces.insert(iface->name, props);
    }
    interfaces.insert(QLatin1String(kAutomationInterface), QVariantMap());
    return interfaces;
}

QDBusMessage ObjectBridge::managedObjects(const QDBusMessage& message)
{
    ManagedObjects all;
    for (RecordFolder& folder : records_)
        for (const auto& [id, object] : folder.byId)
            all.insert(QDBusObjectPath(recordPath(folder, id)), recordInterfaces(*object));
    return message.createReply(QVariant::fromValue(all));
}

QString ObjectBridge::recordPath(const RecordFolder& folder, std::uint64_t id) const
{
    return QLatin1String(kRootPath) + QLatin1Char('/') + folder.name + QLatin1Char('/') + QString::number(id);
}

void ObjectBridge::refreshRecords()
{
    // Reading a new record's properties may hand out objects, which looks for records again.
    if (refreshing_)
        return;
    refreshing_ = true;
    struct Done {
        bool& flag;
        ~Done() { flag = false; }
    } done{refreshing_};
    for (RecordFolder& folder : records_) {
        const std::vector<vb::Ref<vb::Object>> now = folder.list();
        // The common case after a call: the same records as before.
        if (now.size() == folder.byId.size()
            && std::all_of(now.begin(), now.end(), [&](const vb::Ref<vb::Object>& r) { return r && folder.idOf.count(r.get()); }))
            continue;
        std::unordered_set<const vb::Object*> present;
        std::vector<std::uint64_t> added;
        for (const vb::Ref<vb::Object>& record : now) {
            if (!record)
                continue;
            present.insert(record.get());
            if (folder.idOf.count(record.get()))
                continue;
            const std::uint64_t id = folder.nextId++;
            folder.idOf.emplace(record.get(), id);
            folder.byId.emplace(id, record);
            added.push_back(id);
        }
        std::vector<std::pair<std::uint64_t, vb::Ref<vb::Object>>> removed;
        if (present.size() != folder.byId.size()) {
            for (auto it = folder.byId.begin(); it != folder.byId.end();) {
                if (present.count(it->second.get())) {
                    ++it;
                    continue;
                }
                folder.idOf.erase(it->second.get());
                removed.emplace_back(it->first, std::move(it->second));
                it = folder.byId.erase(it);
            }
        }
        for (std::uint64_t id : added) {
            QDBusMessage signal = QDBusMessage::createSignal(QLatin1String(kRootPath), QLatin1String(kObjectManager),
                                                             QStringLiteral("InterfacesAdded"));
            signal << QVariant::fromValue(QDBusObjectPath(recordPath(folder, id)))
                   << QVariant::fromValue(recordInterfaces(*folder.byId[id]));
            connection_.send(signal);
        }
        for (const auto& [id, object] : removed) {
            QDBusMessage signal = QDBusMessage::createSignal(QLatin1String(kRootPath), QLatin1String(kObjectManager),
                                                             QStringLiteral("InterfacesRemoved"));
            QStringList interfaces;
            if (const BusInterface* iface = interfaceOf(*object))
                interfaces << iface->name;
            interfaces << QLatin1String(kAutomationInterface);
            signal << QVariant::fromValue(QDBusObjectPath(recordPath(folder, id))) << QVariant::fromValue(interfaces);
            connection_.send(signal);
        }
    }
}

void ObjectBridge::announceProperty(const QString& objectName, const QString& interfaceName, const QString& property,
                                    const QVariant& value)
{
    QDBusMessage signal = QDBusMessage::createSignal(QLatin1String(kRootPath) + QLatin1Char('/') + objectName,
                                                     QLatin1String(kProperties), QStringLiteral("PropertiesChanged"));
    QVariantMap changed;
    changed.insert(property, value);
    signal << interfaceName << QVariant::fromValue(changed) << QVariant::fromValue(QStringList());
    connection_.send(signal);
}

QString ObjectBridge::introspectPath(const QString& path)
{
    QStringList children;
    if (path == QLatin1String(kRootPath)) {
        for (const auto& [name, resolve] : named_)
            children << name;
        for (const RecordFolder& folder : records_)
            children << folder.name;
        children << QStringLiteral("objects");
        return introspectionXml(nullptr, false, children, QLatin1String(kObjectManagerXml));
    }
    if (path == QLatin1String(kObjectsPath)) {
        // A client sees only the objects it holds.
        auto held = heldBy_.find(caller());
        if (held != heldBy_.end()) {
            std::vector<std::uint64_t> ids(held->second.begin(), held->second.end());
            std::sort(ids.begin(), ids.end());
            for (std::uint64_t id : ids)
                children << QString::number(id);
        }
        return introspectionXml(nullptr, false, children);
    }
    for (const RecordFolder& folder : records_) {
        if (path == QLatin1String(kRootPath) + QLatin1Char('/') + folder.name) {
            for (const auto& [id, record] : folder.byId)
                children << QString::number(id);
            return introspectionXml(nullptr, false, children);
        }
    }
    Target target;
    if (!findTarget(path, target))
        return introspectionXml(nullptr, false, children);
    return introspectionXml(interfaceOf(*target.object), true, children);
}

QString ObjectBridge::pathOf(vb::Object& object)
{
    for (const auto& [name, resolve] : named_) {
        if (resolve().get() == &object)
            return QLatin1String(kRootPath) + QLatin1Char('/') + name;
    }
    // A record of a host-owned list: its stable path (a record just added is found
    // once the lists are compared again).
    for (int pass = 0; pass < 2; ++pass) {
        for (const RecordFolder& folder : records_) {
            auto known = folder.idOf.find(&object);
            if (known != folder.idOf.end())
                return recordPath(folder, known->second);
        }
        if (pass == 0)
            refreshRecords();
    }
    const QString& client = caller();
    auto pathFor = [](std::uint64_t id) { return QLatin1String(kObjectsPath) + QLatin1Char('/') + QString::number(id); };
    // A client that has left, or a call without one, holds nothing: its reply is not
    // delivered and a new object goes with the call.
    const bool holds = !client.isEmpty() && !gone_.count(client);
    auto known = idOf_.find(&object);
    if (known == idOf_.end() && !holds)
        return pathFor(nextId_++);
    std::uint64_t id = known != idOf_.end() ? known->second : 0;
    const bool newToClient = holds && (id == 0 || !handedOut_[id].holders.count(client));
    if (newToClient && heldBy(client) >= objectLimit_)
        throw vb::Error(vb::err::OutOfMemory,
                        "Out of memory: a client holds at most " + std::to_string(objectLimit_) + " objects");
    if (id == 0) {
        id = nextId_++;
        idOf_.emplace(&object, id);
        handedOut_[id].object = vb::Ref<vb::Object>(&object);
    }
    if (newToClient) {
        handedOut_[id].holders.insert(client);
        heldBy_[client].insert(id);
    }
    return pathFor(id);
}

vb::Ref<vb::Object> ObjectBridge::objectAt(const QString& path)
{
    Target target;
    if (!findTarget(path, target))
        throw vb::Error(vb::err::ObjectRequired, "Object required: no object at " + path.toStdString());
    return target.object;
}

void ObjectBridge::nameOwnerChanged(const QString& name, const QString&, const QString& newOwner)
{
    if (newOwner.isEmpty() && name.startsWith(QLatin1Char(':')))
        clientGone(name);
}

void ObjectBridge::clientGone(const QString& client)
{
    if (gone_.insert(client).second) {
        goneOrder_.push_back(client);
        if (goneOrder_.size() > kGoneRemembered) {
            gone_.erase(goneOrder_.front());
            goneOrder_.pop_front();
        }
    }
    auto held = heldBy_.find(client);
    if (held == heldBy_.end())
        return;
    const std::vector<std::uint64_t> ids(held->second.begin(), held->second.end());
    for (std::uint64_t id : ids)
        releaseFrom(client, id);
    if (ids.size() >= kTrimAfter)
        malloc_trim(0);
}

} // namespace platform::bus
