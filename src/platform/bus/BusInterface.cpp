#include "BusInterface.h"

#include <QStringList>

#include <algorithm>

#include <map>
#include <memory>
#include <string>
#include <utility>

namespace platform::bus {

namespace {

struct Entries {
    const vb::MemberInfo* method = nullptr;
    const vb::MemberInfo* get = nullptr;
    const vb::MemberInfo* let = nullptr;
    const vb::MemberInfo* set = nullptr;
};

bool takesNoArguments(const vb::MemberInfo& entry)
{
    return entry.signature && entry.signature->params.empty() && !entry.signature->rest;
}

QString inSignatureOf(const vb::MemberSignature* signature)
{
    if (!signature)
        return QStringLiteral("av");
    QString s;
    for (const vb::ParamInfo& p : signature->params)
        s += QLatin1String(typeCode(p.type));
    if (signature->rest)
        s += QLatin1String("av");
    return s;
}

QString outSignatureOf(const vb::MemberSignature* signature, const MemberNote* note)
{
    if (note && note->nulList && signature && signature->result == vb::VbType::String)
        return QStringLiteral("as");
    return QLatin1String(signature ? typeCode(signature->result) : "v");
}

QStringList argNamesOf(const vb::MemberSignature* signature, const MemberNote* note)
{
    QStringList names;
    if (!signature)
        return {QStringLiteral("args")};
    if (note && !note->argNames.empty())
        names = QString::fromUtf8(note->argNames.data(), qsizetype(note->argNames.size())).split(QLatin1Char(','));
    for (auto& n : names)
        n = n.trimmed();
    while (names.size() < qsizetype(signature->params.size()))
        names << QStringLiteral("arg%1").arg(names.size());
    names.resize(qsizetype(signature->params.size()));
    if (signature->rest)
        names << QStringLiteral("rest");
    return names;
}

template <std::size_t... N, std::size_t... R>
void collectStandIns(std::vector<const vb::MemberSignature*>& into, std::index_sequence<N...>, std::index_sequence<R...>)
{
    auto forN = [&](auto n) {
        (into.push_back(vb::variantSignature<decltype(n)::value, static_cast<vb::VbType>(R)>()), ...);
    };
    (forN(std::integral_constant<std::size_t, N>{}), ...);
}

BusMethod methodOf(const QString& name, vb::CallKind kind, const vb::MemberSignature* signature, const MemberNote* note)
{
    BusMethod m{name, kind, signature, inSignatureOf(signature), outSignatureOf(signature, note), {}};
    m.argNames = argNamesOf(signature, note);
    m.standIn = isStandIn(signature);
    if (note) {
        m.access = note->access;
        m.fileArg = note->fileArg;
        m.folder = note->folder;
        m.nulList = note->nulList && signature && signature->result == vb::VbType::String;
    }
    return m;
}

vb::VbType valueTypeOfSetter(const vb::MemberInfo& entry)
{
    if (entry.kind == vb::Set)
        return vb::VbType::Object;
    if (entry.signature && !entry.signature->params.empty())
        return entry.signature->params.back().type;
    return vb::VbType::Variant;
}

BusInterface build(const vb::TypeInfo& type, std::string_view typeName, std::span<const ClassNotes> notes)
{
    BusInterface iface;
    iface.name = QLatin1String(kInterfacePrefix) + QString::fromUtf8(typeName.data(), qsizetype(typeName.size()));

    // Group the entries by name (case-insensitive, as the object model resolves them),
    // keeping the slot order of each name's first entry.
    std::vector<std::pair<QString, Entries>> names;
    auto entriesOf = [&names](const QString& name) -> Entries& {
        for (auto& [n, e] : names)
            if (n.compare(name, Qt::CaseInsensitive) == 0)
                return e;
        names.emplace_back(name, Entries{});
        return names.back().second;
    };
    for (const vb::MemberInfo& entry : type.entries) {
        Entries& e = entriesOf(QString::fromUtf8(entry.name.data(), qsizetype(entry.name.size())));
        switch (entry.kind) {
        case vb::Method: e.method = e.method ? e.method : &entry; break;
        case vb::Get: e.get = e.get ? e.get : &entry; break;
        case vb::Let: e.let = e.let ? e.let : &entry; break;
        case vb::Set: e.set = e.set ? e.set : &entry; break;
        default: break;
        }
    }

    const std::string_view className = typeName;
    for (const auto& [name, e] : names) {
        const MemberNote* note = memberNote(notes, className, name.toStdString());
        if (e.method)
            iface.methods.push_back(methodOf(name, vb::Method, e.method->signature, note));
        const bool getIsProperty = e.get && takesNoArguments(*e.get);
        if (e.get && !getIsProperty && !e.method)
            iface.methods.push_back(methodOf(name, vb::Get, e.get->signature, note));
        // A Let that drops its value makes nothing writable.
        const bool letKeeps = e.let && !isStandIn(e.let->signature);
        if (getIsProperty || letKeeps || e.set) {
            BusProperty p;
            p.name = name;
            p.readable = getIsProperty;
            p.writableByLet = letKeeps;
            p.writableBySet = e.set != nullptr;
            p.emitsChanged = note && note->emitsChanged;
            p.standIn = getIsProperty && isStandIn(e.get->signature);
            if (getIsProperty)
                p.type = e.get->signature->result;
            else
                p.type = valueTypeOfSetter(letKeeps ? *e.let : *e.set);
            if (p.type == vb::VbType::None)
                p.type = vb::VbType::Variant;
            iface.properties.push_back(p);
        }
    }
    return iface;
}

QString escaped(const QString& text)
{
    return text.toHtmlEscaped();
}

void appendArgs(QString& xml, const BusMethod& m)
{
    const QString& out = m.outSignature;
    if (!m.signature) {
        xml += QStringLiteral("      <arg name=\"args\" type=\"av\" direction=\"in\"/>\n");
    } else {
        qsizetype i = 0;
        for (const vb::ParamInfo& p : m.signature->params) {
            xml += QStringLiteral("      <arg name=\"%1\" type=\"%2\" direction=\"in\"/>\n")
                       .arg(escaped(m.argNames.value(i++)), QLatin1String(typeCode(p.type)));
        }
        if (m.signature->rest)
            xml += QStringLiteral("      <arg name=\"rest\" type=\"av\" direction=\"in\"/>\n");
    }
    if (!out.isEmpty())
        xml += QStringLiteral("      <arg name=\"result\" type=\"%1\" direction=\"out\"/>\n").arg(out);
}

constexpr const char* kStandInAnnotation =
    "      <annotation name=\"org.tallis.Automation.StandIn\" value=\"true\"/>\n";

constexpr const char* kStandardInterfaces =
    "  <interface name=\"org.tallis.Automation\">\n"
    "    <method name=\"Invoke\">\n"
    "      <arg name=\"member\" type=\"s\" direction=\"in\"/>\n"
    "      <arg name=\"kind\" type=\"s\" direction=\"in\"/>\n"
    "      <arg name=\"args\" type=\"av\" direction=\"in\"/>\n"
    "      <arg name=\"result\" type=\"v\" direction=\"out\"/>\n"
    "      <arg name=\"args_after\" type=\"av\" direction=\"out\"/>\n"
    "    </method>\n"
    "    <method name=\"Release\"/>\n"
    "  </interface>\n"
    "  <interface name=\"org.freedesktop.DBus.Introspectable\">\n"
    "    <method name=\"Introspect\">\n"
    "      <arg name=\"xml_data\" type=\"s\" direction=\"out\"/>\n"
    "    </method>\n"
    "  </interface>\n"
    "  <interface name=\"org.freedesktop.DBus.Properties\">\n"
    "    <method name=\"Get\">\n"
    "      <arg name=\"interface_name\" type=\"s\" direction=\"in\"/>\n"
    "      <arg name=\"property_name\" type=\"s\" direction=\"in\"/>\n"
    "      <arg name=\"value\" type=\"v\" direction=\"out\"/>\n"
    "    </method>\n"
    "    <method name=\"Set\">\n"
    "      <arg name=\"interface_name\" type=\"s\" direction=\"in\"/>\n"
    "      <arg name=\"property_name\" type=\"s\" direction=\"in\"/>\n"
    "      <arg name=\"value\" type=\"v\" direction=\"in\"/>\n"
    "    </method>\n"
    "    <method name=\"GetAll\">\n"
    "      <arg name=\"interface_name\" type=\"s\" direction=\"in\"/>\n"
    "      <arg name=\"props\" type=\"a{sv}\" direction=\"out\"/>\n"
    "    </method>\n"
    "  </interface>\n"
    "  <interface name=\"org.freedesktop.DBus.Peer\">\n"
    "    <method name=\"Ping\"/>\n"
    "    <method name=\"GetMachineId\">\n"
    "      <arg name=\"machine_uuid\" type=\"s\" direction=\"out\"/>\n"
    "    </method>\n"
    "  </interface>\n";

} // namespace

const char* typeCode(vb::VbType type)
{
    switch (type) {
    case vb::VbType::None: return "";
    case vb::VbType::String: return "s";
    case vb::VbType::Integer: return "n";
    case vb::VbType::Long: return "i";
    case vb::VbType::Byte: return "y";
    case vb::VbType::Single:
    case vb::VbType::Double:
    case vb::VbType::Currency: return "d";
    case vb::VbType::Boolean: return "b";
    case vb::VbType::Date: return "s";
    case vb::VbType::Object: return "o";
    case vb::VbType::Variant: return "v";
    }
    return "v";
}

namespace {

// The entry with exactly this name, else the first whose name matches without regard to case.
template <class Entry>
const Entry* findByName(const std::vector<Entry>& entries, const QString& name)
{
    const Entry* folded = nullptr;
    for (const Entry& e : entries) {
        if (e.name == name)
            return &e;
        if (!folded && e.name.compare(name, Qt::CaseInsensitive) == 0)
            folded = &e;
    }
    return folded;
}

} // namespace

const BusMethod* BusInterface::findMethod(const QString& member) const
{
    return findByName(methods, member);
}

const BusProperty* BusInterface::findProperty(const QString& property) const
{
    return findByName(properties, property);
}

BusInterfaces::BusInterfaces(std::span<const ClassNotes> notes) : notes_(notes) { }

BusInterfaces::~BusInterfaces() = default;

const BusInterface& BusInterfaces::of(const vb::TypeInfo& type, std::string_view typeName)
{
    auto& slot = built_[{&type, std::string(typeName)}];
    if (!slot)
        slot = std::make_unique<BusInterface>(build(type, typeName, notes_));
    return *slot;
}

bool isStandIn(const vb::MemberSignature* signature)
{
    static const std::vector<const vb::MemberSignature*> standIns = [] {
        std::vector<const vb::MemberSignature*> all;
        collectStandIns(all, std::make_index_sequence<16>(), std::make_index_sequence<std::size_t(vb::VbType::Object) + 1>());
        return all;
    }();
    return signature && std::find(standIns.begin(), standIns.end(), signature) != standIns.end();
}

QString introspectionXml(const BusInterface* iface, bool isObject, const QStringList& children, const QString& extraInterfaces)
{
    QString xml = QStringLiteral(
        "<!DOCTYPE node PUBLIC \"-//freedesktop//DTD D-BUS Object Introspection 1.0//EN\"\n"
        " \"http://www.freedesktop.org/standards/dbus/1.0/introspect.dtd\">\n<node>\n");
    if (iface) {
        xml += QStringLiteral("  <interface name=\"%1\">\n").arg(escaped(iface->name));
        for (const BusMethod& m : iface->methods) {
            xml += QStringLiteral("    <method name=\"%1\">\n").arg(escaped(m.name));
            appendArgs(xml, m);
            if (m.standIn)
                xml += QLatin1String(kStandInAnnotation);
            xml += QStringLiteral("    </method>\n");
        }
        for (const BusProperty& p : iface->properties) {
            const bool writable = p.writableByLet || p.writableBySet;
            const char* access = p.readable ? (writable ? "readwrite" : "read") : "write";
            xml += QStringLiteral("    <property name=\"%1\" type=\"%2\" access=\"%3\">\n")
                       .arg(escaped(p.name), QLatin1String(typeCode(p.type)), QLatin1String(access));
            // Only the properties the service announces say so; the others are read when asked.
            xml += QStringLiteral("      <annotation name=\"org.freedesktop.DBus.Property.EmitsChangedSignal\" value=\"%1\"/>\n")
                       .arg(QLatin1String(p.emitsChanged ? "true" : "false"));
            if (p.standIn)
                xml += QLatin1String(kStandInAnnotation);
            xml += QStringLiteral("    </property>\n");
        }
        xml += QStringLiteral("  </interface>\n");
    }
    if (isObject)
        xml += QLatin1String(kStandardInterfaces);
    xml += extraInterfaces;
    for (const QString& child : children)
        xml += QStringLiteral("  <node name=\"%1\"/>\n").arg(escaped(child));
    xml += QStringLiteral("</node>\n");
    return xml;
}

} // namespace platform::bus
