#include "ObjectBridge.h"

#include "BusInterface.h"

#include "automation/Array.h"
#include "automation/Error.h"
#include "automation/MemberSignature.h"

#include <QDBusArgument>
#include <QDBusError>
#include <QDBusMessage>
#include <QDBusVariant>
#include <QStringList>

#include <array>
#include <utility>

namespace platform::bus {

namespace {

constexpr const char* kIntrospectable = "org.freedesktop.DBus.Introspectable";
constexpr const char* kProperties = "org.freedesktop.DBus.Properties";
constexpr const char* kPeer = "org.freedesktop.DBus.Peer";

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

const BusInterface* interfaceOf(const vb::Object& object)
{
    const vb::TypeInfo* type = object.typeInfo();
    return type ? &busInterface(*type, object.typeName()) : nullptr;
}

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
bool signatureAccepted(const BusMethod& method, const QString& given)
{
    if (given == method.inSignature)
        return true;
    const vb::MemberSignature* s = method.signature;
    if (!s)
        return false;
    QString prefix;
    for (std::size_t i = 0; i <= s->params.size(); ++i) {
        const bool restOptional = i == s->params.size() || s->params[i].optional;
        if (given == prefix && restOptional) {
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
    return list.arrayValue().elements();
}

} // namespace

ObjectBridge::ObjectBridge(const QDBusConnection& connection, QObject* parent)
    : QDBusVirtualObject(parent)
    , connection_(connection)
    , watcher_(QString(), connection, QDBusServiceWatcher::WatchForUnregistration)
{
    connect(&watcher_, &QDBusServiceWatcher::serviceUnregistered, this, [this](const QString& client) { clientGone(client); });
}

ObjectBridge::~ObjectBridge() = default;

void ObjectBridge::exportObject(const QString& name, Resolver resolve)
{
    named_.emplace_back(name, std::move(resolve));
}

QString ObjectBridge::introspect(const QString& path) const
{
    // Every call, Introspect included, is answered by handleMessage.
    Q_UNUSED(path);
    return QString();
}

bool ObjectBridge::handleMessage(const QDBusMessage& message, const QDBusConnection& connection)
{
    if (message.type() != QDBusMessage::MethodCallMessage)
        return false;
    const QString saved = std::exchange(caller_, message.service());
    QDBusMessage reply = serve(message);
    caller_ = saved;
    if (message.isReplyRequired())
        connection.send(reply);
    return true;
}

bool ObjectBridge::findTarget(const QString& path, Target& target)
{
    const QString root = QLatin1String(kRootPath) + QLatin1Char('/');
    const QString objects = QLatin1String(kObjectsPath) + QLatin1Char('/');
    if (path.startsWith(objects)) {
        bool ok = false;
        const std::uint64_t id = path.mid(objects.size()).toULongLong(&ok);
        auto it = ok ? handedOut_.find(id) : handedOut_.end();
        if (it == handedOut_.end())
            return false;
        target = Target{it->second.object, id};
        return true;
    }
    if (!path.startsWith(root))
        return false;
    const QString name = path.mid(root.size());
    for (const auto& [n, resolve] : named_) {
        if (n == name) {
            target = Target{resolve(), 0};
            return target.object != nullptr;
        }
    }
    return false;
}

QDBusMessage ObjectBridge::serve(const QDBusMessage& message)
{
    const QString path = message.path();
    const QString iface = message.interface();
    const QString member = message.member();
    if (iface == QLatin1String(kPeer) && member == QLatin1String("Ping"))
        return message.createReply();
    if (path == QLatin1String(kRootPath) || path == QLatin1String(kObjectsPath)) {
        if ((iface.isEmpty() || iface == QLatin1String(kIntrospectable)) && member == QLatin1String("Introspect"))
            return message.createReply(introspectPath(path));
        return failure(message, QDBusError::UnknownMethod, QStringLiteral("%1 has only child objects").arg(path));
    }
    Target target;
    if (!findTarget(path, target))
        return failure(message, QDBusError::UnknownObject, QStringLiteral("No object at %1").arg(path));
    try {
        if (iface == QLatin1String(kIntrospectable) || (iface.isEmpty() && member == QLatin1String("Introspect")))
            return message.createReply(introspectPath(path));
        if (iface == QLatin1String(kProperties))
            return properties(*target.object, message);
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
    } catch (...) {
        return vbFailure(message);
    }
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
            args.push_back(std::move(value));
        }
    }
    const vb::Variant result = call(object, method->name, method->kind, args);
    if (method->outSignature.isEmpty())
        return message.createReply();
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
    const vb::Variant result = call(object, member, kind->kind, args);
    return message.createReply(
        QList<QVariant>{QVariant::fromValue(QDBusVariant(toBus(result, *this))), toBusList(args, *this)});
}

QDBusMessage ObjectBridge::properties(vb::Object& object, const QDBusMessage& message)
{
    const BusInterface* iface = interfaceOf(object);
    const QList<QVariant> given = message.arguments();
    const QString member = message.member();
    const QString wanted = given.isEmpty() ? QString() : given[0].toString();
    if (!iface || (!wanted.isEmpty() && wanted != iface->name)) {
        if (member == QLatin1String("GetAll"))
            return message.createReply(QVariant::fromValue(QVariantMap()));
        return failure(message, QDBusError::UnknownInterface, QStringLiteral("No interface %1").arg(wanted));
    }
    auto read = [&](const BusProperty& p) {
        std::vector<vb::Variant> none;
        const vb::Variant value = call(object, p.name, vb::Get, none);
        return p.type == vb::VbType::Variant ? QDBusVariant(toBus(value, *this)) : QDBusVariant(toBusAs(value, p.type, *this));
    };
    if (member == QLatin1String("GetAll") && message.signature() == QLatin1String("s")) {
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
    const bool isGet = member == QLatin1String("Get") && message.signature() == QLatin1String("ss");
    const bool isSet = member == QLatin1String("Set") && message.signature() == QLatin1String("ssv");
    if (!isGet && !isSet)
        return failure(message, QDBusError::UnknownMethod, QStringLiteral("No method %1 (%2) in %3").arg(member, message.signature(), QLatin1String(kProperties)));
    const BusProperty* p = iface->findProperty(given[1].toString());
    if (!p)
        return failure(message, QDBusError::UnknownProperty, QStringLiteral("No property %1 in %2").arg(given[1].toString(), iface->name));
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

QDBusMessage ObjectBridge::release(const Target& target, const QDBusMessage& message)
{
    auto it = handedOut_.find(target.handedOutId);
    if (it != handedOut_.end()) {
        it->second.holders.erase(message.service());
        if (it->second.holders.empty()) {
            idOf_.erase(it->second.object.get());
            vb::Ref<vb::Object> last = std::move(it->second.object);
            handedOut_.erase(it);
        }
    }
    return message.createReply();
}

QString ObjectBridge::introspectPath(const QString& path)
{
    QStringList children;
    if (path == QLatin1String(kRootPath)) {
        for (const auto& [name, resolve] : named_)
            children << name;
        children << QStringLiteral("objects");
        return introspectionXml(nullptr, false, children);
    }
    if (path == QLatin1String(kObjectsPath)) {
        for (const auto& [id, entry] : handedOut_)
            children << QString::number(id);
        return introspectionXml(nullptr, false, children);
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
    std::uint64_t id = 0;
    auto known = idOf_.find(&object);
    if (known != idOf_.end()) {
        id = known->second;
    } else {
        id = nextId_++;
        idOf_.emplace(&object, id);
        handedOut_[id].object = vb::Ref<vb::Object>(&object);
    }
    if (!caller_.isEmpty() && handedOut_[id].holders.insert(caller_).second)
        watcher_.addWatchedService(caller_);
    return QLatin1String(kObjectsPath) + QLatin1Char('/') + QString::number(id);
}

vb::Ref<vb::Object> ObjectBridge::objectAt(const QString& path)
{
    Target target;
    if (!findTarget(path, target))
        throw vb::Error(vb::err::ObjectRequired, "Object required: no object at " + path.toStdString());
    return target.object;
}

void ObjectBridge::clientGone(const QString& client)
{
    watcher_.removeWatchedService(client);
    std::vector<vb::Ref<vb::Object>> dropped; // let go after the bookkeeping is done
    for (auto it = handedOut_.begin(); it != handedOut_.end();) {
        it->second.holders.erase(client);
        if (it->second.holders.empty()) {
            idOf_.erase(it->second.object.get());
            dropped.push_back(std::move(it->second.object));
            it = handedOut_.erase(it);
        } else {
            ++it;
        }
    }
}

} // namespace platform::bus
