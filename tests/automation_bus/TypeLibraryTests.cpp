// The type library on D-Bus: the declared types the member tables' adapters record, and
// the interfaces, signatures and values the bus bridge derives from them.
#include "platform/bus/BusInterface.h"
#include "platform/bus/BusValues.h"
#include "platform/bus/SignalInterest.h"

#include "host/Application.h"
#include "shell/FRH.h"
#include "shell/objcb.h"
#include "xap/XapNode.h"

#include "automation/Error.h"

#include <QDBusArgument>
#include <QDBusObjectPath>
#include <QDBusVariant>

#include <gtest/gtest.h>

#include <limits>

namespace {

using platform::bus::BusInterface;
using platform::bus::BusMethod;
using platform::bus::BusProperty;
using vb::VbType;

// Interfaces built without member notes: every member takes the defaults.
platform::bus::BusInterfaces& plain()
{
    static platform::bus::BusInterfaces interfaces;
    return interfaces;
}

template <class T>
const BusInterface& interfaceOf()
{
    return plain().of(T::members().typeInfo(), T::members().className());
}

const vb::MemberInfo& entry(const vb::TypeInfo& type, std::string_view name, vb::CallKind kind)
{
    for (const vb::MemberInfo& e : type.entries)
        if (e.name == name && e.kind == kind)
            return e;
    throw std::runtime_error("no entry " + std::string(name));
}

class ByRefHolder final : public vb::Dispatch<ByRefHolder> {
public:
    static const vb::MemberTable<ByRefHolder>& members()
    {
        static const vb::MemberTable<ByRefHolder> table("ByRefHolder", {
            vb::method<&ByRefHolder::Twice>("Twice"),
            vb::method<&ByRefHolder::Join>("Join"),
        });
        return table;
    }
    void Twice(vb::Variant& n) { n = vb::Variant(vb::CLng(n) * 2); }
    std::string Join(const std::string& first, vb::Args rest) { return first + std::to_string(rest.size()); }
};

TEST(MemberSignatures, AdaptersRecordTheDeclaredTypes)
{
    const vb::TypeInfo& app = host::Application::members().typeInfo();
    const vb::MemberSignature* set = entry(app, "SetDeviceStatus", vb::Method).signature;
    ASSERT_NE(set, nullptr);
    ASSERT_EQ(set->params.size(), 2u);
    EXPECT_EQ(set->params[0].type, VbType::String);
    EXPECT_EQ(set->params[1].type, VbType::Integer);
    EXPECT_EQ(set->result, VbType::None);

    const vb::MemberSignature* exec = entry(app, "ExecX10", vb::Method).signature;
    ASSERT_EQ(exec->params.size(), 5u);
    EXPECT_FALSE(exec->params[1].optional);
    EXPECT_TRUE(exec->params[2].optional);
    EXPECT_EQ(exec->params[2].type, VbType::Integer);
    EXPECT_EQ(exec->result, VbType::Integer);

    // Members with fixed results take any arguments as optional Variants.
    const vb::MemberSignature* validate = entry(app, "WEBValidateUser", vb::Method).signature;
    ASSERT_EQ(validate->params.size(), 2u);
    EXPECT_EQ(validate->params[0].type, VbType::Variant);
    EXPECT_TRUE(validate->params[0].optional);
    EXPECT_EQ(validate->result, VbType::Boolean);
    EXPECT_EQ(entry(app, "EncryptString", vb::Method).signature->result, VbType::Variant);
    EXPECT_EQ(entry(app, "GetHSPRef", vb::Method).signature->result, VbType::Object);
    EXPECT_EQ(entry(app, "SunriseDt", vb::Get).signature->result, VbType::Date);

    const vb::TypeInfo& holder = ByRefHolder::members().typeInfo();
    EXPECT_TRUE(entry(holder, "Twice", vb::Method).signature->params[0].byRef);
    EXPECT_TRUE(entry(holder, "Join", vb::Method).signature->rest);
    EXPECT_EQ(entry(holder, "Join", vb::Method).signature->params.size(), 1u);
}

TEST(BusInterfaces, MethodsAndPropertiesComeFromTheMemberTable)
{
    const BusInterface& app = interfaceOf<host::Application>();
    EXPECT_EQ(app.name, "org.tallis.Application");
    const BusMethod* set = app.findMethod("SetDeviceStatus");
    ASSERT_NE(set, nullptr);
    EXPECT_EQ(set->inSignature, "sn");
    EXPECT_EQ(set->outSignature, "");
    EXPECT_EQ(app.findMethod("GetDevice")->outSignature, "o");
    EXPECT_EQ(app.findMethod("SetDeviceLastChange")->inSignature, "ss"); // a Date is its text
    EXPECT_EQ(app.findMethod("DeviceLastChange")->outSignature, "s");
    EXPECT_EQ(app.findMethod("SetDeviceValue")->inSignature, "si");
    EXPECT_EQ(app.findMethod("Version")->outSignature, "s");
    // Names resolve without regard to case, as the object model's do.
    EXPECT_EQ(app.findMethod("setdevicestatus"), set);
    // A Get with parameters is a method called as a Get.
    const BusMethod* plugin = app.findMethod("plugin");
    ASSERT_NE(plugin, nullptr);
    EXPECT_EQ(plugin->kind, vb::Get);
    EXPECT_EQ(plugin->inSignature, "s");

    const BusProperty* count = app.findProperty("DeviceCount");
    ASSERT_NE(count, nullptr);
    EXPECT_EQ(count->type, VbType::Integer);
    EXPECT_TRUE(count->readable);
    // Its Let drops the value: read-only on the bus. A Let that keeps it stays writable.
    EXPECT_FALSE(count->writableByLet);
    EXPECT_TRUE(app.findProperty("DebugMode")->writableByLet);
    EXPECT_FALSE(app.findProperty("Sunrise")->writableByLet);
    EXPECT_TRUE(app.findProperty("Sunrise")->standIn);
    EXPECT_FALSE(count->standIn);
    EXPECT_EQ(app.findProperty("SetDeviceStatus"), nullptr);
    // Methods keep the slot order of the table.
    EXPECT_EQ(app.methods.front().name, "InitScriptControl");

    const BusInterface& frh = interfaceOf<shell::FRH>();
    ASSERT_NE(frh.findProperty("interface"), nullptr);
    EXPECT_EQ(frh.findProperty("interface")->type, VbType::String);
    EXPECT_TRUE(frh.findProperty("interface")->writableByLet);
    ASSERT_EQ(frh.methods.size(), 1u);
    EXPECT_EQ(frh.methods[0].name, "Menu");

    const BusInterface& cb = interfaceOf<shell::objcb>();
    EXPECT_TRUE(cb.methods.empty());
    ASSERT_EQ(cb.properties.size(), 3u);
    EXPECT_EQ(cb.properties[0].name, "evtype");
    EXPECT_EQ(cb.properties[0].type, VbType::Long);
    EXPECT_EQ(cb.properties[1].type, VbType::Integer);
    EXPECT_EQ(cb.properties[2].type, VbType::Object);
    EXPECT_TRUE(cb.properties[2].readable && cb.properties[2].writableByLet);
}

TEST(BusInterfaces, UntypedMembersTakeAListAndReturnAVariant)
{
    const BusInterface& node = interfaceOf<xap::XapNode>();
    const BusMethod* hibyte = node.findMethod("hibyte");
    ASSERT_NE(hibyte, nullptr);
    EXPECT_EQ(hibyte->inSignature, "av");
    EXPECT_EQ(hibyte->outSignature, "v");
    EXPECT_EQ(interfaceOf<ByRefHolder>().findMethod("Join")->inSignature, "sav");
}

TEST(BusInterfaces, IntrospectionListsTheClassAndTheAutomationInterface)
{
    const QString xml = platform::bus::introspectionXml(&interfaceOf<host::Application>(), true, {});
    EXPECT_TRUE(xml.contains("<interface name=\"org.tallis.Application\">"));
    // Without notes for the class, arguments are numbered.
    EXPECT_TRUE(xml.contains("<method name=\"SetDeviceStatus\">\n"
                             "      <arg name=\"arg0\" type=\"s\" direction=\"in\"/>\n"
                             "      <arg name=\"arg1\" type=\"n\" direction=\"in\"/>\n"
                             "    </method>"));
    // Each property says whether it announces its changes; nothing is said for the whole interface.
    EXPECT_TRUE(xml.contains("<property name=\"DeviceCount\" type=\"n\" access=\"read\">\n"
                             "      <annotation name=\"org.freedesktop.DBus.Property.EmitsChangedSignal\" value=\"false\"/>\n"
                             "    </property>"));
    EXPECT_EQ(xml.count("EmitsChangedSignal"), qsizetype(interfaceOf<host::Application>().properties.size()));
    // Fixed-result members are marked as stand-ins, working ones are not.
    const qsizetype validate = xml.indexOf("<method name=\"WEBValidateUser\">");
    ASSERT_GE(validate, 0);
    EXPECT_LT(xml.indexOf("org.tallis.Automation.StandIn", validate), xml.indexOf("</method>", validate));
    const qsizetype set = xml.indexOf("<method name=\"SetDeviceStatus\">");
    EXPECT_GT(xml.indexOf("org.tallis.Automation.StandIn", set), xml.indexOf("</method>", set));
    EXPECT_TRUE(xml.contains("<interface name=\"org.tallis.Automation\">"));
    EXPECT_TRUE(xml.contains("<method name=\"Invoke\">"));
    const QString folder = platform::bus::introspectionXml(nullptr, false, {"1", "2"});
    EXPECT_FALSE(folder.contains("<interface"));
    EXPECT_TRUE(folder.contains("<node name=\"2\"/>"));
}

// Paths of a test: one object at /t/1.
class OnePath final : public platform::bus::ObjectPathMap {
public:
    vb::Ref<vb::Object> object = vb::make<ByRefHolder>();
    QString pathOf(vb::Object& o) override { return &o == object.get() ? QStringLiteral("/t/1") : QStringLiteral("/t/other"); }
    vb::Ref<vb::Object> objectAt(const QString& path) override
    {
        if (path == "/t/1")
            return object;
        vb::raiseError(vb::err::ObjectRequired);
    }
};

TEST(BusValues, ValuesArriveWithTheirVbTypes)
{
    OnePath paths;
    using platform::bus::fromBus;
    EXPECT_EQ(fromBus(QVariant::fromValue(short(7)), paths).type(), vb::vbInteger);
    EXPECT_EQ(fromBus(QVariant::fromValue(7), paths).type(), vb::vbLong);
    EXPECT_EQ(fromBus(QVariant::fromValue(uchar(7)), paths).type(), vb::vbByte);
    // Wider integers are Long when they fit, else Double.
    EXPECT_EQ(fromBus(QVariant::fromValue(qlonglong(5)), paths).type(), vb::vbLong);
    const vb::Variant big = fromBus(QVariant::fromValue(uint(4000000000u)), paths);
    EXPECT_EQ(big.type(), vb::vbDouble);
    EXPECT_EQ(big.doubleValue(), 4000000000.0);
    EXPECT_EQ(fromBus(QVariant::fromValue(QStringLiteral("käse")), paths).stringValue(), "käse");
    EXPECT_EQ(fromBus(QVariant::fromValue(QDBusVariant(true)), paths).type(), vb::vbBoolean);
    EXPECT_TRUE(fromBus(QVariant::fromValue(QDBusObjectPath("/")), paths).isNothing());
    EXPECT_EQ(fromBus(QVariant::fromValue(QDBusObjectPath("/t/1")), paths).objectValue(), paths.object.get());
    try {
        fromBus(QVariant::fromValue(QDBusObjectPath("/t/9")), paths);
        ADD_FAILURE() << "an unknown path was accepted";
    } catch (const vb::Error& e) {
        EXPECT_EQ(e.number(), vb::err::ObjectRequired);
    }
}

TEST(BusValues, WideIntegersArriveExactlyOrAreRefused)
{
    OnePath paths;
    using platform::bus::fromBus;
    const qlonglong exact = (qlonglong(1) << 53);
    for (qlonglong n : {exact, -exact, qlonglong(1) << 40, qlonglong(-3000000000)}) {
        const vb::Variant v = fromBus(QVariant::fromValue(n), paths);
        EXPECT_EQ(v.type(), vb::vbDouble) << n;
        EXPECT_EQ(v.doubleValue(), double(n)) << n;
    }
    EXPECT_EQ(fromBus(QVariant::fromValue(qlonglong(-2147483648LL)), paths).longValue(), -2147483647 - 1);
    EXPECT_EQ(fromBus(QVariant::fromValue(qulonglong(2147483647)), paths).type(), vb::vbLong);
    EXPECT_EQ(fromBus(QVariant::fromValue(qulonglong(exact)), paths).doubleValue(), double(exact));
    // A Double would round these: the caller hears Overflow instead of a different number.
    for (const QVariant& wide : {QVariant::fromValue(exact + 1), QVariant::fromValue(-exact - 1),
                                 QVariant::fromValue(std::numeric_limits<qlonglong>::min()),
                                 QVariant::fromValue(qulonglong(exact) + 1), QVariant::fromValue(~qulonglong(0))}) {
        try {
            fromBus(wide, paths);
            ADD_FAILURE() << "a rounded " << wide.toString().toStdString() << " was accepted";
        } catch (const vb::Error& e) {
            EXPECT_EQ(e.number(), vb::err::Overflow);
        }
    }
    // Inside a list too.
    QDBusArgument list;
    list.beginArray(QMetaType::fromType<QDBusVariant>());
    list << QDBusVariant(QVariant::fromValue(exact + 3));
    list.endArray();
    EXPECT_THROW(fromBus(QVariant::fromValue(list), paths), vb::Error);
}

TEST(BusValues, ResultsAreConvertedToTheirDeclaredType)
{
    OnePath paths;
    using platform::bus::toBusAs;
    const QVariant n = toBusAs(vb::Variant(std::int32_t(12)), VbType::Integer, paths);
    EXPECT_EQ(n.metaType().id(), QMetaType::Short);
    EXPECT_EQ(n.toInt(), 12);
    EXPECT_EQ(toBusAs(vb::Variant("5"), VbType::Long, paths).metaType().id(), QMetaType::Int);
    // Dates travel as ISO 8601 with the local offset, and such a text comes back as the same date.
    const QString noon = toBusAs(vb::Variant(vb::Date{2.5}), VbType::Date, paths).toString();
    EXPECT_TRUE(noon.startsWith("1900-01-01T12:00:00")) << noon.toStdString();
    EXPECT_EQ(noon.size(), 25);
    const vb::Variant back = platform::bus::dateFromIso(vb::Variant(noon.toStdString()));
    ASSERT_EQ(back.type(), vb::vbDate);
    EXPECT_DOUBLE_EQ(back.dateValue().serial, 2.5);
    // The general date text and non-dates are left for the member's own conversion.
    EXPECT_TRUE(platform::bus::dateFromIso(vb::Variant("1/1/1900 12:00:00 PM")).isString());
    EXPECT_TRUE(platform::bus::dateFromIso(vb::Variant("2026-13-45Tnonsense")).isString());
    EXPECT_EQ(toBusAs(vb::Variant::nothing(), VbType::Object, paths).value<QDBusObjectPath>().path(), "/");
    EXPECT_EQ(toBusAs(vb::Variant(paths.object), VbType::Object, paths).value<QDBusObjectPath>().path(), "/t/1");
    EXPECT_FALSE(toBusAs(vb::Variant(), VbType::None, paths).isValid());
    // A value that does not convert is the VB error of the conversion.
    try {
        toBusAs(vb::Variant::null(), VbType::String, paths);
        ADD_FAILURE() << "Null became a text";
    } catch (const vb::Error& e) {
        EXPECT_EQ(e.number(), vb::err::InvalidUseOfNull);
    }
    // Variants keep their own type inside the D-Bus variant.
    const QVariant v = toBusAs(vb::Variant(std::int16_t(3)), VbType::Variant, paths);
    EXPECT_EQ(v.value<QDBusVariant>().variant().metaType().id(), QMetaType::Short);
}

TEST(BusValues, FileNamesOfBusCallersStayInsideTheirFolder)
{
    using platform::bus::staysInsideFolder;
    for (const char* inside : {"", "Settings.ini", "sub/x.ini", "sub\\x.ini", "sub/../x.ini", "./x.ini", "a/b/../../x.ini",
                               "..x.ini", "x..ini", "sub//x.ini"})
        EXPECT_TRUE(staysInsideFolder(inside)) << inside;
    for (const char* outside : {"/etc/passwd", "\\server\\share\\x.ini", "C:\\x.ini", "c:x.ini", "..", "../x.ini",
                                "..\\x.ini", "sub/../../x.ini", "sub\\..\\..\\x.ini", "./../x.ini", "a/../b/../../x"})
        EXPECT_FALSE(staysInsideFolder(outside)) << outside;
}

TEST(BusValues, NulSeparatedTextsBecomeLists)
{
    using platform::bus::nulSeparatedList;
    EXPECT_EQ(nulSeparatedList(std::string("A=1\0B=2\0", 8)), QStringList({"A=1", "B=2"}));
    EXPECT_EQ(nulSeparatedList(std::string("A=1\0B=2", 7)), QStringList({"A=1", "B=2"}));
    EXPECT_EQ(nulSeparatedList(std::string("\0x", 2)), QStringList({"", "x"}));
    EXPECT_TRUE(nulSeparatedList("").isEmpty());
    EXPECT_EQ(nulSeparatedList("one"), QStringList({"one"}));
}

TEST(SignalInterest, MatchRulesThatMayMeetTheSignal)
{
    using platform::bus::ruleMayMatch;
    const platform::bus::SignalAddress xap{{"org.tallis.Tallis", ":1.7"}, "/org/tallis/Application", "org.tallis.Events",
                                           "XapReceived"};
    for (const char* rule : {"type='signal'", "", "sender='org.tallis.Tallis'", "sender=':1.7',member='XapReceived'",
                             "type='signal',sender='org.tallis.Tallis',path='/org/tallis/Application'",
                             "interface='org.tallis.Events'", "path_namespace='/org/tallis'", "path_namespace='/'",
                             "type='signal',interface='org.tallis.Events',arg0='vyn.xap.host'", "eavesdrop='true'"})
        EXPECT_TRUE(ruleMayMatch(rule, xap)) << rule;
    for (const char* rule : {"type='method_call'", "sender='org.freedesktop.DBus'", "member='DeviceChanged'",
                             "interface='org.tallis.Events',member='Log'", "path='/org/tallis/FRH'",
                             "path_namespace='/org/tallis/App'", "sender=':1.8'", "destination=':1.9'",
                             "type='signal',sender='org.freedesktop.DBus',interface='org.freedesktop.DBus',"
                             "member='NameOwnerChanged',path='/org/freedesktop/DBus'"})
        EXPECT_FALSE(ruleMayMatch(rule, xap)) << rule;
    // Quotes may be escaped outside a quoted value.
    EXPECT_FALSE(ruleMayMatch("member='Xap'\\''Received'", xap));
}

} // namespace
