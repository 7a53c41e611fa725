#include "FakeHost.h"

#include "audrey/AudreyPlugin.h"

#include <gtest/gtest.h>

using namespace std::string_literals;

namespace {

class AudreyPluginTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        callback = vb::make<fake::Callback>();
        callback->host->ini["vynAudreyUtilities.ini|Audrey Utilities|AudreyNames"] = "Kitchen, Den";
        callback->host->ini["vynAudreyUtilities.ini|Audrey Utilities|Address.Den"] = "vyn.Audrey.DenUnit";
        plugin = vb::make<audrey::AudreyPlugin>();
        vb::Variant cb(callback);
        vb::ArgPack<1> args{vb::Variant()};
        args.byRef(0, cb);
        plugin->invoke("RegisterCallback", vb::Method, args);
        vb::call(*plugin, "InitIO", std::int16_t(1));
    }

    // The plug-in holds the callback object and is one of its listeners: the host's
    // shutdown lets go of its listeners, and so does the test.
    void TearDown() override { callback->listeners.clear(); }

    fake::Host& host() { return *callback->host; }

    vb::Ref<fake::Callback> callback;
    vb::Ref<audrey::AudreyPlugin> plugin;
};

} // namespace

TEST_F(AudreyPluginTest, ContractMembers)
{
    EXPECT_EQ(vb::CStr(vb::getProperty(*plugin, "name")), "Audrey");
    EXPECT_EQ(vb::CLng(vb::getProperty(*plugin, "Capabilities")), 4);
    EXPECT_EQ(vb::CStr(vb::getProperty(*plugin, "AudreyNames")), "Kitchen, Den");
    for (const char* m : {"ShutDownX10", "ShutDownIR", "ConfigIO", "ConfigX10", "ConfigIR"})
        EXPECT_NO_THROW(vb::call(*plugin, m)) << m;
}

TEST_F(AudreyPluginTest, InitIoCreatesOneDevicePerAudreyAndRegisters)
{
    ASSERT_EQ(host().devices.size(), 2u);
    EXPECT_EQ(host().devices[0]->code, "^1");
    EXPECT_EQ(host().devices[0]->name, "Kitchen");
    EXPECT_EQ(host().devices[0]->location, "Audrey");
    EXPECT_EQ(host().devices[1]->code, "^2");
    EXPECT_EQ(callback->listenerTypes, (std::vector<std::int16_t>{4}));
    EXPECT_EQ(callback->listeners[0].get(), plugin.get());
    EXPECT_EQ(callback->menus.size(), 3u);
    // A second start reuses the devices.
    vb::call(*plugin, "InitIO", std::int16_t(1));
    EXPECT_EQ(host().devices.size(), 2u);
}

TEST_F(AudreyPluginTest, CommandGoesToEachSelectedAudrey)
{
    vb::call(*plugin, "AudreyTopLed", "Kitchen,Den", "Blink");
    ASSERT_EQ(callback->sent.size(), 2u);
    const fake::SentMessage& k = callback->sent[0];
    EXPECT_EQ(k.target, "vyn.AudreyUnit.Kitchen");
    EXPECT_EQ(k.cls, "Audrey.Cmd");
    EXPECT_EQ(k.section, "Audrey.Cmd");
    EXPECT_EQ(k.body, "Command\1TopLed\0Value\1blink"s);
    EXPECT_EQ(k.uid, "00");
    EXPECT_EQ(callback->sent[1].target, "vyn.Audrey.DenUnit"); // address from the INI
    EXPECT_EQ(host().deviceText["^1"], "TopLed blink");
    EXPECT_EQ(host().deviceText["^2"], "TopLed blink");
}

TEST_F(AudreyPluginTest, CommandsWithoutValueAndNumbers)
{
    vb::call(*plugin, "AudreyPowerCycle", "Den");
    EXPECT_EQ(callback->sent.back().body, "Command\1PowerCycle");
    vb::call(*plugin, "AudreyVolume", "Den", std::int16_t(50));
    EXPECT_EQ(callback->sent.back().body, "Command\1Volume\0Value\1" "50"s);
    vb::call(*plugin, "AudreyTest", "Den");
    EXPECT_EQ(callback->sent.back().body, "Command\1Test");
    vb::call(*plugin, "AudreyTest", "Den", "Hello");
    EXPECT_EQ(callback->sent.back().body, "Command\1Test\0Value\1Hello"s);
    vb::call(*plugin, "AudreyCyclePower", "");
    EXPECT_EQ(callback->sent.size(), 6u); // Kitchen and Den
}

TEST_F(AudreyPluginTest, BadValuesAreLoggedAndNotSent)
{
    vb::call(*plugin, "AudreyVolume", "Den", 101);
    vb::call(*plugin, "AudreyBacklight", "Den", "blink");
    vb::call(*plugin, "AudreyPlaySound", "Den", "abc");
    EXPECT_TRUE(callback->sent.empty());
    EXPECT_EQ(host().logs.size(), 3u);
    EXPECT_THROW(vb::call(*plugin, "AudreyText", "Den"), vb::Error); // its text is not optional
}

TEST_F(AudreyPluginTest, DisableHoldsCommandsEnableSendsThemResetDrops)
{
    vb::call(*plugin, "SelectMenu", "Disable Plugin");
    vb::call(*plugin, "AudreyText", "Den", "one");
    vb::call(*plugin, "AudreyText", "Den", "two");
    EXPECT_TRUE(callback->sent.empty());
    EXPECT_EQ(plugin->queuedCount(), 2u);
    vb::call(*plugin, "SelectMenu", "Enable Plugin");
    ASSERT_EQ(callback->sent.size(), 2u);
    EXPECT_EQ(callback->sent[1].body, "Command\1Text\0Value\1two"s);

    vb::call(*plugin, "SelectMenu", "Disable Plugin");
    vb::call(*plugin, "AudreyText", "Den", "three");
    vb::call(*plugin, "SelectMenu", "Reset Queue");
    vb::call(*plugin, "SelectMenu", "Enable Plugin");
    EXPECT_EQ(callback->sent.size(), 2u);
}

TEST_F(AudreyPluginTest, MenuTestSpeaksOtherCaptionsAreLogged)
{
    vb::call(*plugin, "SelectMenu", "Test");
    ASSERT_EQ(host().spoken.size(), 1u);
    vb::call(*plugin, "SelectMenu", "Browser");
    EXPECT_NE(host().logs.back().find("Browser"), std::string::npos);
}

TEST_F(AudreyPluginTest, InboundCommandAndEvent)
{
    vb::Ref<fake::Message> cmd = vb::make<fake::Message>();
    cmd->cls = "Audrey.Cmd";
    cmd->items = {{"audrey.cmd|audrey", "Den"}, {"audrey.cmd|command", "mailled"}, {"audrey.cmd|value", "on"}};
    vb::Variant m(cmd);
    vb::ArgPack<1> args{vb::Variant()};
    args.byRef(0, m);
    plugin->invoke("AudreyOnXapMessage", vb::Method, args);
    ASSERT_EQ(callback->sent.size(), 1u);
    EXPECT_EQ(callback->sent[0].body, "Command\1MailLED\0Value\1on"s);

    vb::Ref<fake::Message> ev = vb::make<fake::Message>();
    ev->cls = "Audrey.Event";
    ev->items = {{"audrey.event|audrey", "Kitchen"}, {"audrey.event|text", "Door opened"}};
    vb::call(*plugin, "AudreyOnXapMessage", vb::Variant(ev));
    EXPECT_EQ(host().deviceText["^1"], "Door opened");
}

TEST_F(AudreyPluginTest, InboundFaultsAreLoggedAndDropped)
{
    vb::Ref<fake::Message> unknown = vb::make<fake::Message>();
    unknown->cls = "Audrey.Cmd";
    unknown->items = {{"audrey.cmd|audrey", "Den"}, {"audrey.cmd|command", "Explode"}};
    vb::call(*plugin, "AudreyOnXapMessage", vb::Variant(unknown));
    vb::Ref<fake::Message> malformed = vb::make<fake::Message>();
    malformed->cls = "Audrey.Cmd";
    vb::call(*plugin, "AudreyOnXapMessage", vb::Variant(malformed));
    vb::Ref<fake::Message> other = vb::make<fake::Message>();
    other->cls = "xap-hbeat.alive";
    vb::call(*plugin, "AudreyOnXapMessage", vb::Variant(other));
    EXPECT_TRUE(callback->sent.empty());
    EXPECT_EQ(host().logs.size(), 2u); // the heartbeat-like message is not logged
}

TEST_F(AudreyPluginTest, SetIoSwitchesTheBacklight)
{
    vb::call(*plugin, "SetIO", vb::Variant::nothing(), "^", "2", std::int16_t(2), 0, std::int16_t(0), std::int16_t(0));
    ASSERT_EQ(callback->sent.size(), 1u);
    EXPECT_EQ(callback->sent[0].target, "vyn.Audrey.DenUnit");
    EXPECT_EQ(callback->sent[0].body, "Command\1Backlight\0Value\1on"s);
    vb::call(*plugin, "SetIO", vb::Variant::nothing(), "^", "9", std::int16_t(2), 0, std::int16_t(0), std::int16_t(0));
    EXPECT_EQ(callback->sent.size(), 1u);
}

TEST_F(AudreyPluginTest, AcidGoesToEveryAudrey)
{
    vb::call(*plugin, "AudreyACID", "Ann", "555-0100");
    ASSERT_EQ(callback->sent.size(), 2u);
    EXPECT_EQ(callback->sent[0].body, "Command\1ACID\0Value\1" "Ann,555-0100"s);
}

TEST_F(AudreyPluginTest, InboundCommandActsOnlyForKnownAudreysEachOnce)
{
    // 10,000 names, the configured ones among them in other letter case and repeated.
    std::string names = "den";
    for (int i = 0; i < 10000; ++i)
        names += ",Unit" + std::to_string(i);
    names += ",KITCHEN,Den,kitchen";
    vb::Ref<fake::Message> cmd = vb::make<fake::Message>();
    cmd->cls = "Audrey.Cmd";
    cmd->items = {{"audrey.cmd|audrey", names}, {"audrey.cmd|command", "Execute"}, {"audrey.cmd|value", "rm -rf /"}};
    const std::size_t logsBefore = host().logs.size();
    for (int round = 0; round < 50; ++round)
        vb::call(*plugin, "AudreyOnXapMessage", vb::Variant(cmd));
    ASSERT_EQ(callback->sent.size(), 100u); // Den and Kitchen, once per message
    EXPECT_EQ(callback->sent[0].target, "vyn.Audrey.DenUnit");
    EXPECT_EQ(callback->sent[1].target, "vyn.AudreyUnit.Kitchen");
    // The unknown names: one line, and the 49 repeats are counted.
    ASSERT_EQ(host().logs.size(), logsBefore + 1);
    EXPECT_EQ(host().logs.back(), "Audrey: Ignored Audrey.Cmd for 10000 unknown Audreys, the first 'Unit0'");

    // Events name only known Audreys too; an unknown one within the minute is counted
    // with the rest (one kind of record, whatever the name), and summed up at shutdown.
    vb::Ref<fake::Message> ev = vb::make<fake::Message>();
    ev->cls = "Audrey.Event";
    ev->items = {{"audrey.event|audrey", "Attic,kitchen"}, {"audrey.event|text", "Door opened"}};
    vb::call(*plugin, "AudreyOnXapMessage", vb::Variant(ev));
    EXPECT_EQ(host().deviceText["^1"], "Door opened");
    ASSERT_EQ(host().logs.size(), logsBefore + 1);
    vb::call(*plugin, "ShutdownIO");
    ASSERT_EQ(host().logs.size(), logsBefore + 2);
    EXPECT_EQ(host().logs.back(),
              "Audrey: Ignored 50 further message(s) naming 490001 unknown Audrey(s), among them 'Unit0', 'Attic'");
}

TEST(UnknownAudreyRecords, OneLineAMinuteWhateverTheNames)
{
    audrey::UnknownAudreys unknown;
    const auto t0 = audrey::UnknownAudreys::Clock::time_point{} + std::chrono::hours(1);
    // A peer naming a new Audrey in each of 120,000 messages over a minute: one line.
    std::size_t lines = 0;
    for (int i = 0; i < 120000; ++i)
        lines += unknown.record("Audrey.Cmd", 1, "N" + std::to_string(i), t0 + std::chrono::microseconds(i * 400)).size();
    EXPECT_EQ(lines, 1u);
    // The next minute starts with the summary of the last and one new first report.
    const auto next = unknown.record("Audrey.Cmd", 1, std::string(500, 'x'), t0 + std::chrono::seconds(61));
    ASSERT_EQ(next.size(), 2u);
    EXPECT_EQ(next[0].rfind("Ignored 119999 further message(s) naming 119999 unknown Audrey(s), among them 'N1', 'N2',", 0), 0u)
        << next[0];
    EXPECT_LT(next[0].size(), 300u); // eight names shown at most
    EXPECT_EQ(next[1], "Ignored Audrey.Cmd for unknown Audrey '" + std::string(64, 'x') + "'"); // names clipped
    EXPECT_EQ(unknown.takeSummary(), "");
}
