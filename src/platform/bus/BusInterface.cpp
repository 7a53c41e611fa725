#include "BusInterface.h"

#include <QStringList>

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

QString outSignatureOf(const vb::MemberSignature* signature)
{
    return QLatin1String(signature ? typeCode(signature->result) : "v");
}

vb::VbType valueTypeOfSetter(const vb::MemberInfo& entry)
{
    if (entry.kind == vb::Set)
        return vb::VbType::Object;
    if (entry.signature && !entry.signature->params.empty())
        return entry.signature->params.back().type;
    return vb::VbType::Variant;
}

BusInterface build(const vb::TypeInfo& type, std::string_view typeName)
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

    for (const auto& [name, e] : names) {
        if (e.method)
            iface.methods.push_back({name, vb::Method, e.method->signature, inSignatureOf(e.method->signature),
                                     outSignatureOf(e.method->signature)});
        const bool getIsProperty = e.get && takesNoArguments(*e.get);
        if (e.get && !getIsProperty && !e.method)
            iface.methods.push_back({name, vb::Get, e.get->signature, inSignatureOf(e.get->signature),
                                     outSignatureOf(e.get->signature)});
        if (getIsProperty || e.let || e.set) {
            BusProperty p;
            p.name = name;
            p.readable = getIsProperty;
            p.writableByLet = e.let != nullptr;
            p.writableBySet = e.set != nullptr;
            if (getIsProperty)
                p.type = e.get->signature->result;
            else
                p.type = valueTypeOfSetter(e.let ? *e.let : *e.set);
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

void appendArgs(QString& xml, const vb::MemberSignature* signature, const QString& out)
{
    if (!signature) {
        xml += QStringLiteral("      <arg name=\"args\" type=\"av\" direction=\"in\"/>\n");
    } else {
        int i = 0;
        for (const vb::ParamInfo& p : signature->params) {
            xml += QStringLiteral("      <arg name=\"arg%1\" type=\"%2\" direction=\"in\"/>\n")
                       .arg(i++)
                       .arg(QLatin1String(typeCode(p.type)));
        }
        if (signature->rest)
            xml += QStringLiteral("      <arg name=\"rest\" type=\"av\" direction=\"in\"/>\n");
    }
    if (!out.isEmpty())
        xml += QStringLiteral("      <arg name=\"result\" type=\"%1\" direction=\"out\"/>\n").arg(out);
}

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

const BusInterface& busInterface(const vb::TypeInfo& type, std::string_view typeName)
{
    static std::map<std::pair<const vb::TypeInfo*, std::string>, std::unique_ptr<BusInterface>> cache;
    auto& slot = cache[{&type, std::string(typeName)}];
    if (!slot)
        slot = std::make_unique<BusInterface>(build(type, typeName));
    return *slot;
}

QString introspectionXml(const BusInterface* iface, bool isObject, const QStringList& children)
{
    QString xml = QStringLiteral(
        "<!DOCTYPE node PUBLIC \"-//freedesktop//DTD D-BUS Object Introspection 1.0//EN\"\n"
        " \"http://www.freedesktop.org/standards/dbus/1.0/introspect.dtd\">\n<node>\n");
    if (iface) {
        xml += QStringLiteral("  <interface name=\"%1\">\n").arg(escaped(iface->name));
        // Properties are read when asked; nothing announces their changes.
        xml += QStringLiteral("    <annotation name=\"org.freedesktop.DBus.Property.EmitsChangedSignal\" value=\"false\"/>\n");
        for (const BusMethod& m : iface->methods) {
            xml += QStringLiteral("    <method name=\"%1\">\n").arg(escaped(m.name));
            appendArgs(xml, m.signature, m.outSignature);
            xml += QStringLiteral("    </method>\n");
        }
        for (const BusProperty& p : iface->properties) {
            const bool writable = p.writableByLet || p.writableBySet;
            const char* access = p.readable ? (writable ? "readwrite" : "read") : "write";
            xml += QStringLiteral("    <property name=\"%1\" type=\"%2\" access=\"%3\"/>\n")
                       .arg(escaped(p.name), QLatin1String(typeCode(p.type)), QLatin1String(access));
        }
        xml += QStringLiteral("  </interface>\n");
    }
    if (isObject)
        xml += QLatin1String(kStandardInterfaces);
    for (const QString& child : children)
        xml += QStringLiteral("  <node name=\"%1\"/>\n").arg(escaped(child));
    xml += QStringLiteral("</node>\n");
    return xml;
}

} // namespace platform::bus
