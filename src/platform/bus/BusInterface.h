// BusInterface: how one class of the object model looks on D-Bus, derived from its
// member table (no second list of members).
//
// Every member with a method entry is a D-Bus method; a Get without parameters is a
// property (writable when the class also has a Let or Set of that name that keeps its
// value, write-only when it has only those); a Get with parameters is a method too.
// Signatures come from the declared VB types: String s, Integer n, Long i, Byte y,
// Single/Double/Currency d, Boolean b, Date s (ISO 8601 text with offset), Variant v,
// object o. A member without declared types takes `av` and returns `v`. The member's
// notes (MemberNotes) name its arguments and turn a NUL-separated list result into `as`.
//
// Members published with a fixed result (a variantSignature) are stand-ins: their
// methods carry the annotation org.tallis.Automation.StandIn, and a Let of that kind
// drops its value, so it makes no property writable.
#pragma once

#include "MemberNotes.h"

#include "automation/MemberSignature.h"

#include <QString>
#include <QStringList>

#include <map>
#include <memory>
#include <span>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

namespace platform::bus {

inline constexpr const char* kInterfacePrefix = "org.tallis.";
inline constexpr const char* kAutomationInterface = "org.tallis.Automation";

// The D-Bus type code of a VB type ("" for None).
const char* typeCode(vb::VbType type);

struct BusMethod {
    QString name;                           // as the member table publishes it
    vb::CallKind kind = vb::Method;         // how the object model is called
    const vb::MemberSignature* signature = nullptr;
    QString inSignature;
    QString outSignature;
    QStringList argNames; // one per parameter (and "rest")
    Access access = Access::Admin;
    std::int8_t fileArg = -1;
    Folder folder = Folder::None;
    bool nulList = false;
    bool standIn = false;
};

struct BusProperty {
    QString name;
    vb::VbType type = vb::VbType::Variant;
    bool readable = false;
    bool writableByLet = false;
    bool writableBySet = false;
    bool emitsChanged = false;
    bool standIn = false;
};

struct BusInterface {
    QString name; // org.tallis.<Class>
    std::vector<BusMethod> methods;
    std::vector<BusProperty> properties;

    const BusMethod* findMethod(const QString& member) const;
    const BusProperty* findProperty(const QString& property) const;
};

// The interfaces of the classes one bus service serves: each built on first use with
// the service's member notes, and kept.
class BusInterfaces {
public:
    explicit BusInterfaces(std::span<const ClassNotes> notes = {});
    ~BusInterfaces();
    BusInterfaces(const BusInterfaces&) = delete;
    BusInterfaces& operator=(const BusInterfaces&) = delete;

    const BusInterface& of(const vb::TypeInfo& type, std::string_view typeName);

private:
    std::span<const ClassNotes> notes_;
    std::map<std::pair<const vb::TypeInfo*, std::string>, std::unique_ptr<BusInterface>> built_;
};

// The introspection document of an object path: the class's interface (when it has a
// member table), org.tallis.Automation, the standard interfaces, and child nodes.
QString introspectionXml(const BusInterface* iface, bool isObject, const QStringList& children,
                         const QString& extraInterfaces = QString());

// True when `signature` is one of a fixed-result member's.
bool isStandIn(const vb::MemberSignature* signature);

} // namespace platform::bus
