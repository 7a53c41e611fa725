// BusValues: the object model's values on D-Bus and back.
//
// A value passed as a D-Bus variant keeps its VB type: Integer n, Long i, Byte y,
// Single/Double/Currency d, Boolean b, String s, Date s (the general date text), an
// object its object path ("/" for Nothing), an array av. The VB values D-Bus has no
// type for travel as a one-string structure: ("Empty"), ("Null"), and ("Missing") for
// an omitted optional argument. Coming in, every basic D-Bus type is taken (wider
// integers as Long when they fit, else as a Double up to 2^53, beyond that 6
// "Overflow" rather than a rounded value), arrays and structures of other forms become
// VB arrays; a dictionary is a type mismatch. The object model has no 64-bit integer
// type, so nothing goes out as x: Currency (a fixed-point number) goes out as d.
#pragma once

#include "automation/MemberSignature.h"
#include "automation/Variant.h"

#include <QString>
#include <QStringList>
#include <QVariant>

#include <span>
#include <vector>

class QDBusArgument;

namespace platform::bus {

// Turns objects into object paths and back; the bridge keeps the objects it hands out.
class ObjectPathMap {
public:
    virtual ~ObjectPathMap() = default;
    // The path of an object, handing it out to the current caller when needed.
    virtual QString pathOf(vb::Object& object) = 0;
    // The object at a path; raises 424 "Object required" for an unknown path.
    virtual vb::Ref<vb::Object> objectAt(const QString& path) = 0;
};

inline constexpr const char* kNothingPath = "/";

// A value that arrived from D-Bus (as Qt delivers message arguments).
vb::Variant fromBus(const QVariant& value, ObjectPathMap& paths);
// A value for a D-Bus variant (the caller wraps it in QDBusVariant).
QVariant toBus(const vb::Variant& value, ObjectPathMap& paths);
// A value converted to a declared type, for a typed result or property (None gives an
// invalid QVariant: no value).
QVariant toBusAs(const vb::Variant& value, vb::VbType type, ObjectPathMap& paths);
// A date as ISO 8601 text with the local offset ("2026-12-07T19:05:09+01:00").
QString isoDate(vb::Date date);
// A text in ISO 8601 form with a time ("2026-12-07T19:05:09+01:00") as a local date;
// any other value as it is (the general date text is converted where it is used).
vb::Variant dateFromIso(const vb::Variant& value);
// True when a file name given to a member stays inside the folder it is resolved in:
// no absolute path, no drive, no ".." (either slash) that climbs out.
bool staysInsideFolder(const std::string& name);
// A text holding a list separated by NUL characters, as a list (a trailing separator
// ends the list; an empty text is an empty list).
QStringList nulSeparatedList(const std::string& text);
// Values as an `av`.
QVariant toBusList(std::span<const vb::Variant> values, ObjectPathMap& paths);

} // namespace platform::bus
