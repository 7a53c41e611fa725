// The bus notes of the host object's members and the system bus policy generated from
// them: every note names a real member with its real arity, the interface takes the
// notes (names, NUL lists, confined files), and the policy gives group tallis only the
// Control members.
#include "platform/bus/BusInterface.h"
#include "shell/AutomationServiceMembers.h"

#include "host/Application.h"
#include "services/Setup.h"
#include "xap/XapMessage.h"

#include <gtest/gtest.h>

#include <stdexcept>
#include <string>

namespace {

using platform::bus::Access;
using platform::bus::BusInterface;
using platform::bus::Folder;

void installNotes()
{
    // Installed before any interface is first built, as the service does.
    static const bool installed = [] {
        platform::bus::setMemberNotes(shell::automationMemberNotes());
        return true;
    }();
    (void)installed;
}

template <class T>
const BusInterface& interfaceOf()
{
    installNotes();
    return platform::bus::busInterface(T::members().typeInfo(), T::members().className());
}

const BusInterface& application()
{
    return interfaceOf<host::Application>();
}

const BusInterface& classNamed(std::string_view name)
{
    if (name == "Application")
        return interfaceOf<host::Application>();
    if (name == "Setup")
        return interfaceOf<services::Setup>();
    if (name == "XapMessage")
        return interfaceOf<xap::XapMessage>();
    throw std::runtime_error("notes for an unknown class " + std::string(name));
}

TEST(MemberNotes, EveryNoteNamesAMemberWithThatManyArguments)
{
    for (const platform::bus::ClassNotes& c : shell::automationMemberNotes()) {
        const BusInterface& iface = classNamed(c.className);
        for (const platform::bus::MemberNote& note : c.members) {
            const QString name = QString::fromUtf8(note.member.data(), qsizetype(note.member.size()));
            const platform::bus::BusMethod* method = iface.findMethod(name);
            const platform::bus::BusProperty* property = iface.findProperty(name);
            ASSERT_TRUE(method || property) << "no member " << std::string(note.member) << " in " << std::string(c.className);
            if (!method || note.argNames.empty())
                continue;
            const auto names = QString::fromUtf8(note.argNames.data(), qsizetype(note.argNames.size())).split(',');
            EXPECT_EQ(std::size_t(names.size()), method->signature->params.size()) << std::string(note.member);
            if (note.fileArg >= 0)
                EXPECT_LT(std::size_t(note.fileArg), method->signature->params.size()) << std::string(note.member);
        }
    }
}

TEST(MemberNotes, TheInterfaceTakesNamesListsAndConfinedFiles)
{
    const BusInterface& app = application();
    EXPECT_EQ(app.findMethod("SetDeviceStatus")->argNames, QStringList({"dev", "Status"}));
    EXPECT_EQ(app.findMethod("GetDeviceRef")->argNames, QStringList({"sAddress"}));
    // Unnoted members keep numbered names.
    EXPECT_EQ(app.findMethod("AddVoiceCommand")->argNames, QStringList({"arg0"}));
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
    EXPECT_EQ(interfaceOf<services::Setup>().findMethod("IREvent")->access, Access::Admin);
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
