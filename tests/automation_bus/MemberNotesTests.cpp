// The bus notes of the host object's members and the system bus policy generated from
// them: every note names a real member with its real arity, the interface takes the
// notes (names, NUL lists, confined files), and the policy gives group tallis only the
// Control members.
#include "platform/bus/BusInterface.h"
#include "shell/AutomationServiceMembers.h"

#include "shell/FRH.h"
#include "shell/objcb.h"

#include "automation/Collection.h"
#include "host/Application.h"
#include "host/CustomStatus.h"
#include "host/DeviceClass.h"
#include "services/Setup.h"
#include "events/Condition.h"
#include "events/DevFunc.h"
#include "events/EventClass.h"
#include "xap/FastString.h"
#include "xap/XapMessage.h"

#include <QRegularExpression>

#include <gtest/gtest.h>

#include <stdexcept>
#include <string>

namespace {

using platform::bus::Access;
using platform::bus::BusInterface;
using platform::bus::Folder;

// The interfaces as the service builds them, with its notes.
platform::bus::BusInterfaces& served()
{
    static platform::bus::BusInterfaces interfaces(shell::automationMemberNotes());
    return interfaces;
}

template <class T>
const BusInterface& interfaceOf()
{
    return served().of(T::members().typeInfo(), T::members().className());
}

const BusInterface& application()
{
    return interfaceOf<host::Application>();
}

// Every class whose objects the service hands out: the host object, its callback
// object, the classes callers create by name, the records and the lists.
const std::vector<const BusInterface*>& exportedInterfaces()
{
    static const std::vector<const BusInterface*> all = {
        &interfaceOf<host::Application>(),   &interfaceOf<services::Setup>(),    &interfaceOf<xap::XapMessage>(),
        &interfaceOf<xap::XapItemCollection>(), &interfaceOf<host::DeviceClass>(), &interfaceOf<xap::clsString>(),
        &interfaceOf<services::EventClass>(), &interfaceOf<services::condition>(), &interfaceOf<services::devFunc>(),
        &interfaceOf<host::CustomStatus>(),  &interfaceOf<shell::objcb>(),       &interfaceOf<shell::FRH>(),
        &interfaceOf<vb::Collection>(),
        // The text builder under the name it is made by (its objects say "clsString").
        &served().of(xap::clsString::members().typeInfo(), vb::make<xap::clsString>()->typeName()),
    };
    return all;
}

// The interfaces of that class name (several classes may share one: the device and
// event lists and a message section's items are all "Collection").
std::vector<const BusInterface*> classNamed(std::string_view name)
{
    const QString wanted = QLatin1String(platform::bus::kInterfacePrefix) + QString::fromUtf8(name.data(), qsizetype(name.size()));
    std::vector<const BusInterface*> found;
    for (const BusInterface* iface : exportedInterfaces())
        if (iface->name == wanted)
            found.push_back(iface);
    if (found.empty())
        throw std::runtime_error("notes for an unknown class " + std::string(name));
    return found;
}

TEST(MemberNotes, EveryNoteNamesAMemberWithThatManyArguments)
{
    for (const platform::bus::ClassNotes& c : shell::automationMemberNotes()) {
        const std::vector<const BusInterface*> interfaces = classNamed(c.className);
        for (const platform::bus::MemberNote& note : c.members) {
            const QString name = QString::fromUtf8(note.member.data(), qsizetype(note.member.size()));
            bool found = false;
            for (const BusInterface* iface : interfaces) {
                const platform::bus::BusMethod* method = iface->findMethod(name);
                found = found || method || iface->findProperty(name);
                if (!method || note.argNames.empty())
                    continue;
                const auto names = QString::fromUtf8(note.argNames.data(), qsizetype(note.argNames.size())).split(',');
                EXPECT_EQ(std::size_t(names.size()), method->signature->params.size()) << std::string(note.member);
                if (note.fileArg >= 0) {
                    EXPECT_LT(std::size_t(note.fileArg), method->signature->params.size()) << std::string(note.member);
                }
            }
            EXPECT_TRUE(found) << "no member " << std::string(note.member) << " in " << std::string(c.className);
        }
    }
}

TEST(MemberNotes, TheInterfaceTakesNamesListsAndConfinedFiles)
{
    const BusInterface& app = application();
    EXPECT_EQ(app.findMethod("SetDeviceStatus")->argNames, QStringList({"dev", "Status"}));
    EXPECT_EQ(app.findMethod("GetDeviceRef")->argNames, QStringList({"sAddress"}));
    EXPECT_EQ(app.findMethod("GetINISection")->outSignature, "as");
    EXPECT_EQ(app.findMethod("GetINISetting")->outSignature, "s");
    EXPECT_EQ(app.findMethod("RunEx")->fileArg, 0);
    EXPECT_EQ(app.findMethod("RunEx")->folder, Folder::Scripts);
    EXPECT_EQ(app.findMethod("SaveINISetting")->fileArg, 3);
    EXPECT_EQ(app.findMethod("SaveINISetting")->folder, Folder::Config);
    EXPECT_TRUE(app.findProperty("DeviceCount")->emitsChanged);
    EXPECT_TRUE(app.findProperty("DebugMode")->emitsChanged);
    EXPECT_FALSE(app.findProperty("Sunrise")->emitsChanged);
    const QString xml = platform::bus::introspectionXml(&app, true, {});
    EXPECT_TRUE(xml.contains("<arg name=\"sAddress\" type=\"s\" direction=\"in\"/>"));
    EXPECT_EQ(interfaceOf<xap::XapMessage>().findMethod("GetItem")->argNames, QStringList({"sSection", "sItem"}));
    EXPECT_EQ(interfaceOf<vb::Collection>().findMethod("Add")->argNames, QStringList({"Item", "Key", "Before", "After"}));
    EXPECT_EQ(app.findMethod("NewIRKey")->argNames, QStringList({"dv", "label", "ircommand", "image", "row", "column"}));
    EXPECT_EQ(interfaceOf<services::Setup>().findMethod("IREvent")->access, Access::Admin);
}

// Each service's interfaces are built with its own notes, once per class.
TEST(MemberNotes, InterfacesAreBuiltWithTheNotesOfTheirOwnService)
{
    platform::bus::BusInterfaces withNotes(shell::automationMemberNotes());
    platform::bus::BusInterfaces without;
    const auto& message = xap::XapMessage::members();
    const BusInterface& noted = withNotes.of(message.typeInfo(), message.className());
    const BusInterface& plain = without.of(message.typeInfo(), message.className());
    EXPECT_EQ(noted.findMethod("GetItem")->argNames, QStringList({"sSection", "sItem"}));
    EXPECT_EQ(plain.findMethod("GetItem")->argNames, QStringList({"arg0", "arg1"}));
    EXPECT_EQ(&withNotes.of(message.typeInfo(), message.className()), &noted);
    EXPECT_EQ(&without.of(message.typeInfo(), message.className()), &plain);
}

TEST(MemberNotes, EveryExportedArgumentHasAName)
{
    const QRegularExpression numbered(QStringLiteral("^arg[0-9]+$"));
    for (const BusInterface* iface : exportedInterfaces()) {
        for (const platform::bus::BusMethod& m : iface->methods) {
            EXPECT_EQ(m.argNames.size(), m.signature ? qsizetype(m.signature->params.size() + (m.signature->rest ? 1 : 0)) : 1)
                << iface->name.toStdString() << "." << m.name.toStdString();
            for (const QString& name : m.argNames) {
                EXPECT_FALSE(numbered.match(name).hasMatch()) << iface->name.toStdString() << "." << m.name.toStdString()
                                                              << " still has " << name.toStdString();
                EXPECT_FALSE(name.isEmpty()) << iface->name.toStdString() << "." << m.name.toStdString();
            }
        }
    }
}

TEST(MemberNotes, ThePolicyGivesGroupTallisOnlyControlMembers)
{
    const std::string policy = shell::automationBusPolicy();
    const std::size_t group = policy.find("<policy group=\"tallis\">");
    const std::size_t end = policy.find("</policy>", group);
    ASSERT_NE(group, std::string::npos);
    const std::string tallis = policy.substr(group, end - group);
    auto allowed = [&](const std::string& member) {
        return tallis.find("send_interface=\"org.tallis.Application\" send_member=\"" + member + "\"") != std::string::npos;
    };
    for (const char* control : {"Version", "SetDeviceStatus", "DeviceStatus", "GetDeviceByRef", "ExecX10", "GetINISetting"})
        EXPECT_TRUE(allowed(control)) << control;
    for (const char* admin : {"Launch", "Keys", "RunEx", "Run", "SaveINISetting", "ClearIniSection", "RegisterStatusChangeCB",
                              "DebugMode", "RestartSystem", "shutdown", "NewDevice", "DeleteDevice", "WriteLog"})
        EXPECT_FALSE(allowed(admin)) << admin;
    // Beyond the host object: reading a list and building a text are Control, changing
    // the host's lists is not.
    auto allowedIn = [&](const std::string& iface, const std::string& member) {
        return tallis.find("send_interface=\"org.tallis." + iface + "\" send_member=\"" + member + "\"") != std::string::npos;
    };
    EXPECT_TRUE(allowedIn("Collection", "Item"));
    EXPECT_TRUE(allowedIn("FastString", "Add"));
    EXPECT_TRUE(allowedIn("clsString", "Add"));
    EXPECT_TRUE(allowedIn("XapMessage", "msgCollection"));
    EXPECT_FALSE(allowedIn("Collection", "Add"));
    EXPECT_FALSE(allowedIn("Collection", "Remove"));
    // Invoke reaches every member and Properties.Set every setter: administrators only.
    EXPECT_EQ(tallis.find("org.tallis.Automation\" send_member=\"Invoke"), std::string::npos);
    EXPECT_EQ(tallis.find("send_member=\"Set\""), std::string::npos);
    EXPECT_NE(policy.find("<policy group=\"tallis-admin\">\n    <allow send_destination=\"org.tallis.Tallis\"/>"),
              std::string::npos);
    // Nothing but root and the service user may own the name.
    EXPECT_NE(policy.find("<deny own=\"org.tallis.Tallis\"/>"), std::string::npos);
    EXPECT_EQ(policy.find("<allow own"), policy.find("<allow own=\"org.tallis.Tallis\"/>"));
}

} // namespace
