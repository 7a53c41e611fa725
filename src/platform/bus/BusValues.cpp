#include "BusValues.h"

#include "automation/Array.h"
#include "automation/Conversions.h"
#include "automation/DateTime.h"
#include "automation/Error.h"

#include <QDBusArgument>
#include <QDBusMetaType>
#include <QDBusObjectPath>
#include <QDBusSignature>
#include <QDBusVariant>
#include <QDateTime>
#include <QStringList>

#include <array>
#include <cstdlib>
#include <limits>

namespace platform::bus {

namespace {

// The VB values without a D-Bus type, as one-string structures.
constexpr std::array kMarkers = {"Empty", "Null", "Missing"};

QVariant marker(const char* name)
{
    QDBusArgument arg;
    arg.beginStructure();
    arg << QString::fromLatin1(name);
    arg.endStructure();
    return QVariant::fromValue(arg);
}

vb::Variant fromMarker(const QString& name, bool* matched)
{
    *matched = true;
    if (name == QLatin1String(kMarkers[0]))
        return vb::Variant();
    if (name == QLatin1String(kMarkers[1]))
        return vb::Variant::null();
    if (name == QLatin1String(kMarkers[2]))
        return vb::Variant::missing();
    *matched = false;
    return vb::Variant();
}

// The largest integer a Double holds exactly (2^53): the object model has no 64-bit
// integer type, so wider integers travel in a Double, and one it would round is refused.
constexpr qint64 kExactInDouble = qint64(1) << 53;

vb::Variant fromInteger(qint64 n)
{
    if (n >= std::numeric_limits<std::int32_t>::min() && n <= std::numeric_limits<std::int32_t>::max())
        return vb::Variant(static_cast<std::int32_t>(n));
    if (n < -kExactInDouble || n > kExactInDouble)
        vb::raiseError(vb::err::Overflow);
    return vb::Variant(static_cast<double>(n));
}

vb::Variant arrayOf(std::vector<vb::Variant> values)
{
    return vb::Variant(vb::Array::fromValues(std::move(values)));
}

vb::Variant readArgument(const QDBusArgument& arg, ObjectPathMap& paths);

std::vector<vb::Variant> readElements(const QDBusArgument& arg, ObjectPathMap& paths)
{
    std::vector<vb::Variant> values;
    while (!arg.atEnd())
        values.push_back(readArgument(arg, paths));
    return values;
}

// One value of a D-Bus container, read from where the argument stands.
vb::Variant readArgument(const QDBusArgument& arg, ObjectPathMap& paths)
{
    switch (arg.currentType()) {
    case QDBusArgument::BasicType:
        return fromBus(arg.asVariant(), paths);
    case QDBusArgument::VariantType: {
        QDBusVariant inner;
        arg >> inner;
        return fromBus(inner.variant(), paths);
    }
    case QDBusArgument::ArrayType: {
        arg.beginArray();
        std::vector<vb::Variant> values = readElements(arg, paths);
        arg.endArray();
        return arrayOf(std::move(values));
    }
    case QDBusArgument::StructureType: {
        arg.beginStructure();
        std::vector<vb::Variant> fields = readElements(arg, paths);
        arg.endStructure();
        if (fields.size() == 1 && fields[0].isString()) {
            bool matched = false;
            vb::Variant special = fromMarker(QString::fromStdString(fields[0].stringValue()), &matched);
            if (matched)
                return special;
        }
        return arrayOf(std::move(fields));
    }
    default:
        break;
    }
    vb::raiseError(vb::err::TypeMismatch);
}

QString text(const std::string& s)
{
    return QString::fromUtf8(s.data(), qsizetype(s.size()));
}

} // namespace

bool staysInsideFolder(const std::string& name)
{
    if (name.empty())
        return true;
    if (name[0] == '/' || name[0] == '\\' || (name.size() >= 2 && name[1] == ':'))
        return false;
    int depth = 0;
    std::size_t start = 0;
    while (start <= name.size()) {
        std::size_t end = name.find_first_of("/\\", start);
        if (end == std::string::npos)
            end = name.size();
        const std::string_view part(name.data() + start, end - start);
        if (part == "..") {
            if (--depth < 0)
                return false;
        } else if (!part.empty() && part != ".") {
            ++depth;
        }
        start = end + 1;
    }
    return true;
}

QStringList nulSeparatedList(const std::string& text)
{
    QStringList items;
    std::size_t start = 0;
    while (start < text.size()) {
        std::size_t end = text.find('\0', start);
        if (end == std::string::npos)
            end = text.size();
        items << QString::fromUtf8(text.data() + start, qsizetype(end - start));
        start = end + 1;
    }
    return items;
}

QString isoDate(vb::Date date)
{
    const vb::DateParts p = vb::splitDate(date);
    const QDateTime local(QDate(p.year, p.month, p.day), QTime(p.hour, p.minute, p.second));
    // The offset always as +hh:mm (UTC too), so that clients read one form.
    const int offset = local.offsetFromUtc();
    const int minutes = std::abs(offset) / 60;
    return local.toString(QStringLiteral("yyyy-MM-ddTHH:mm:ss")) + QLatin1Char(offset < 0 ? '-' : '+')
           + QStringLiteral("%1:%2").arg(minutes / 60, 2, 10, QLatin1Char('0')).arg(minutes % 60, 2, 10, QLatin1Char('0'));
}

vb::Variant dateFromIso(const vb::Variant& value)
{
    if (!value.isString())
        return value;
    const QString given = QString::fromStdString(value.stringValue());
    if (given.size() < 11 || given[10] != QLatin1Char('T'))
        return value;
    const QDateTime when = QDateTime::fromString(given, Qt::ISODate);
    if (!when.isValid())
        return value;
    const QDateTime local = when.toLocalTime();
    const QDate d = local.date();
    const QTime t = local.time();
    return vb::Variant(vb::makeDate(vb::dayNumberOf(vb::dateSerial(d.year(), d.month(), d.day())),
                                    vb::timeSerial(t.hour(), t.minute(), t.second())));
}

vb::Variant fromBus(const QVariant& value, ObjectPathMap& paths)
{
    const int type = value.metaType().id();
    switch (type) {
    case QMetaType::Bool: return vb::Variant(value.toBool());
    case QMetaType::UChar: return vb::Variant(static_cast<std::uint8_t>(value.toUInt()));
    case QMetaType::Short: return vb::Variant(static_cast<std::int16_t>(value.toInt()));
    case QMetaType::UShort:
    case QMetaType::Int: return vb::Variant(static_cast<std::int32_t>(value.toInt()));
    case QMetaType::UInt: return fromInteger(static_cast<qint64>(value.toUInt()));
    case QMetaType::LongLong: return fromInteger(value.toLongLong());
    case QMetaType::ULongLong: {
        const qulonglong n = value.toULongLong();
        if (n > qulonglong(kExactInDouble))
            vb::raiseError(vb::err::Overflow);
        return fromInteger(qint64(n));
    }
    case QMetaType::Double: return vb::Variant(value.toDouble());
    case QMetaType::QString: return vb::Variant(value.toString().toStdString());
    case QMetaType::QStringList: {
        std::vector<vb::Variant> values;
        for (const QString& s : value.toStringList())
            values.emplace_back(s.toStdString());
        return arrayOf(std::move(values));
    }
    case QMetaType::QByteArray: {
        std::vector<vb::Variant> values;
        for (char c : value.toByteArray())
            values.emplace_back(static_cast<std::uint8_t>(c));
        return arrayOf(std::move(values));
    }
    default: break;
    }
    if (type == qMetaTypeId<QDBusObjectPath>()) {
        const QString path = value.value<QDBusObjectPath>().path();
        if (path == QLatin1String(kNothingPath))
            return vb::Variant::nothing();
        return vb::Variant(paths.objectAt(path));
    }
    if (type == qMetaTypeId<QDBusSignature>())
        return vb::Variant(value.value<QDBusSignature>().signature().toStdString());
    if (type == qMetaTypeId<QDBusVariant>())
        return fromBus(value.value<QDBusVariant>().variant(), paths);
    if (type == qMetaTypeId<QDBusArgument>())
        return readArgument(value.value<QDBusArgument>(), paths);
    vb::raiseError(vb::err::TypeMismatch);
}

QVariant toBus(const vb::Variant& value, ObjectPathMap& paths)
{
    switch (value.type()) {
    case vb::vbEmpty: return marker(kMarkers[0]);
    case vb::vbNull: return marker(kMarkers[1]);
    case vb::vbError:
        if (value.isMissing())
            return marker(kMarkers[2]);
        return QVariant::fromValue(static_cast<int>(value.errorValue()));
    case vb::vbInteger: return QVariant::fromValue(static_cast<short>(value.integerValue()));
    case vb::vbLong: return QVariant::fromValue(static_cast<int>(value.longValue()));
    case vb::vbByte: return QVariant::fromValue(static_cast<uchar>(value.byteValue()));
    case vb::vbSingle: return QVariant::fromValue(static_cast<double>(value.singleValue()));
    case vb::vbDouble: return QVariant::fromValue(value.doubleValue());
    case vb::vbCurrency:
        return QVariant::fromValue(static_cast<double>(value.currencyValue().scaled) / vb::Currency::scale);
    case vb::vbBoolean: return QVariant::fromValue(value.booleanValue());
    case vb::vbString: return QVariant::fromValue(text(value.stringValue()));
    case vb::vbDate: return QVariant::fromValue(isoDate(value.dateValue()));
    case vb::vbObject:
        if (!value.objectValue())
            return QVariant::fromValue(QDBusObjectPath(QLatin1String(kNothingPath)));
        return QVariant::fromValue(QDBusObjectPath(paths.pathOf(*value.objectValue())));
    case vb::vbArray: return toBusList(value.arrayValue().elements(), paths);
    default: break;
    }
    return QVariant::fromValue(text(vb::CStr(value)));
}

QVariant toBusAs(const vb::Variant& value, vb::VbType type, ObjectPathMap& paths)
{
    switch (type) {
    case vb::VbType::None: return QVariant();
    case vb::VbType::String: return QVariant::fromValue(text(vb::CStr(value)));
    case vb::VbType::Date: return QVariant::fromValue(isoDate(vb::CDate(value)));
    case vb::VbType::Integer: return QVariant::fromValue(static_cast<short>(vb::CInt(value)));
    case vb::VbType::Long: return QVariant::fromValue(static_cast<int>(vb::CLng(value)));
    case vb::VbType::Byte: return QVariant::fromValue(static_cast<uchar>(vb::CByte(value)));
    case vb::VbType::Single:
    case vb::VbType::Double:
    case vb::VbType::Currency: return QVariant::fromValue(vb::CDbl(value));
    case vb::VbType::Boolean: return QVariant::fromValue(vb::CBool(value));
    case vb::VbType::Object:
        if (value.isEmpty() || value.isNothing())
            return QVariant::fromValue(QDBusObjectPath(QLatin1String(kNothingPath)));
        if (!value.isObject())
            vb::raiseError(vb::err::ObjectRequired);
        return QVariant::fromValue(QDBusObjectPath(paths.pathOf(*value.objectValue())));
    case vb::VbType::Variant: return QVariant::fromValue(QDBusVariant(toBus(value, paths)));
    }
    return QVariant();
}

QVariant toBusList(std::span<const vb::Variant> values, ObjectPathMap& paths)
{
    QDBusArgument arg;
    arg.beginArray(QMetaType::fromType<QDBusVariant>());
    for (const vb::Variant& v : values)
        arg << QDBusVariant(toBus(v, paths));
    arg.endArray();
    return QVariant::fromValue(arg);
}

} // namespace platform::bus
