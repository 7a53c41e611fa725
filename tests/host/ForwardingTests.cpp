// Speech, infrared, X10/IO, log lines and the desktop members: the exact messages the
// node is handed, and the plug-ins' input/output entry.
#include "HostFixture.h"

#include "host/SendKeys.h"

#include "automation/DateTime.h"

#include <chrono>
#include <filesystem>
#include <thread>

using namespace host_testing;
using Texts = std::vector<std::string>;

namespace {

class HostForwarding : public HostTest { };

} // namespace

TEST_F(HostForwarding, SpeechMessagesCarryTheirItemsInOrder)
{
    hs("SpeakToFile", "hello", "Mary", "c:\\a.wav");
    hs("SpeakEx", std::int16_t(3), "hi there", true);
    const auto voice = sender.ofClass("xap.voice");
    ASSERT_EQ(voice.size(), 2u);
    EXPECT_EQ(voice[0].section, "voice.speak");
    EXPECT_EQ(voice[0].target, "");
    EXPECT_EQ(voice[0].subAddress, "");
    EXPECT_EQ(voice[0].uid, "");
    EXPECT_EQ(voice[0].items(), (Items{{"Say", "hello"}, {"Device", "c:\\a.wav"}, {"Voice", "Mary"}}));
    EXPECT_EQ(voice[1].items(), (Items{{"Say", "hi there"}}));
}

TEST_F(HostForwarding, SpeakSendsOneMessagePerAudioListenerBetweenItsReports)
{
    hs("Speak", "nobody listens", false);
    EXPECT_TRUE(sender.ofClass("xap.voice").empty());

    std::vector<std::string> order;
    vb::Ref<Listener> first = listen(8);
    vb::Ref<Listener> second = listen(8);
    first->during = [&] { order.push_back("first " + std::to_string(sender.ofClass("xap.voice").size())); };
    second->during = [&] { order.push_back("second " + std::to_string(sender.ofClass("xap.voice").size())); };
    second->fail = true;
    hs("Speak", "dinner", false);
    const auto voice = sender.ofClass("xap.voice");
    ASSERT_EQ(voice.size(), 2u);
    EXPECT_EQ(voice[0].items(), (Items{{"Say", "dinner"}}));
    EXPECT_EQ(order, (Texts{"first 0", "first 1", "second 1", "second 2"}));
    EXPECT_EQ(first->calls, (std::vector<Texts>{{"8", "1", "0"}, {"8", "0", "0"}}));
    EXPECT_TRUE(sender.logData().empty());
}

TEST_F(HostForwarding, SpeakWhileTheHostLoadsSendsOneMessageToDeviceZero)
{
    vb::Ref<Listener> listener = listen(8);
    host::state(hostRegistry).hostLoading = true;
    hs("Speak", "starting");
    host::state(hostRegistry).hostLoading = false;
    const auto voice = sender.ofClass("xap.voice");
    ASSERT_EQ(voice.size(), 1u);
    EXPECT_EQ(voice[0].items(), (Items{{"Say", "starting"}, {"Device", "0"}}));
    EXPECT_TRUE(listener->calls.empty());
}

TEST_F(HostForwarding, SendIRSendsNumbersAndDictionaryEntries)
{
    auto& dictionary = host::state(hostRegistry).irDictionary;
    dictionary["TV POWER"] = "3,0";
    dictionary["TV MUTE"] = "4,2";
    dictionary["VCR PLAY"] = "1,2,3";
    dictionary["VCR STOP"] = "x,2";
    hs("SendIR", "12");
    hs("SendIR", "12x");
    hs("SendIR", "TV,Power"); // the comma stands for the key's blank
    hs("SendIR", "tv,mute");
    hs("SendIR", "VCR,Play");
    hs("SendIR", "VCR,Stop");
    hs("SendIR", "Radio,On");
    const auto ir = sender.ofClass("Homeseer.IR");
    ASSERT_EQ(ir.size(), 3u);
    EXPECT_EQ(ir[0].section, "IR.Transmit");
    EXPECT_EQ(ir[0].items(), (Items{{"Location", "12"}}));
    EXPECT_EQ(ir[1].items(), (Items{{"Location", "3"}}));
    EXPECT_EQ(ir[2].items(), (Items{{"Zone", "2"}, {"Location", "4"}}));
}

TEST_F(HostForwarding, ExecIOSendsTheCodeAndWordAsGiven)
{
    hs("ExecIO", "A1", "on", std::int16_t(50), std::int16_t(1));
    const auto sent = sender.ofClass("xap-x10.request");
    ASSERT_EQ(sent.size(), 1u);
    EXPECT_EQ(sent[0].items(), (Items{{"Device", "A1"}, {"Command", "on"}}));
}

TEST_F(HostForwarding, HsSetIOClipsTheLevelAndReportsWithoutAName)
{
    vb::Ref<FakePlugin> plugin = hostPlugin();
    hs("hsSetIO", vb::Variant::nothing(), "Q", "1", std::int16_t(19), 40000, std::int16_t(1), std::int16_t(2));
    hs("hsSetIO", vb::Variant::nothing(), "Q", "1", std::int16_t(19), -40000, std::int16_t(1), std::int16_t(2));
    ASSERT_EQ(plugin->setIO.size(), 2u);
    EXPECT_EQ(plugin->setIO[0][4].type(), vb::vbInteger);
    EXPECT_EQ(plugin->setIO[0][4].integerValue(), 32767);
    EXPECT_EQ(plugin->setIO[1][4].integerValue(), -32768);
    EXPECT_TRUE(sender.ofClass("xap-x10.request").empty());
    // A plug-in without SetIO: the failure is reported with an empty member name.
    host::PluginCollection(hostRegistry)->append(vb::Variant(vb::Ref<vb::Object>(vb::make<vb::Collection>())));
    hs("hsSetIO", vb::Variant::nothing(), "Q", "1", std::int16_t(2), 0, std::int16_t(0), std::int16_t(0));
    const auto logs = sender.logData();
    ASSERT_EQ(logs.size(), 1u);
    EXPECT_EQ(logs[0].rfind(" Line ", 0), 0u) << logs[0];
}

TEST_F(HostForwarding, WriteLogNotifiesLogListenersAndAlwaysSends)
{
    vb::Ref<Listener> listener = listen(2);
    hs("WriteLog", "Audrey", "kitchen online");
    const auto sent = sender.ofClass("Homeseer.Event");
    ASSERT_EQ(sent.size(), 1u);
    EXPECT_EQ(sent[0].section, "Event.Log");
    const Items items = sent[0].items();
    ASSERT_EQ(items.size(), 3u);
    EXPECT_EQ(items[0].first, "Time");
    EXPECT_TRUE(vb::parseDate(items[0].second).has_value()) << items[0].second;
    EXPECT_EQ(items[1], (std::pair<std::string, std::string>{"Type", "Audrey"}));
    EXPECT_EQ(items[2], (std::pair<std::string, std::string>{"Data", "kitchen online"}));
    ASSERT_EQ(listener->calls.size(), 1u);
    EXPECT_EQ(listener->calls[0], (Texts{"2", items[0].second, "Audrey", "kitchen online"}));

    host::state(hostRegistry).hostLoading = true;
    hs("WriteLog", "Audrey", "while loading");
    host::state(hostRegistry).hostLoading = false;
    EXPECT_EQ(sender.ofClass("Homeseer.Event").size(), 2u);
    EXPECT_EQ(listener->calls.size(), 1u);
}

TEST_F(HostForwarding, LaunchStartsTheProgramDirectlyAndReturnsItsProcessId)
{
    // A program path with a blank, and parameters with a quoted argument.
    const std::string program = dir / "my tool.sh";
    // The arguments are written aside and then renamed: args.txt appears whole.
    dir.write("my tool.sh",
              "#!/bin/sh\ncd \"$(dirname \"$0\")\" && printf '%s|' \"$@\" > args.tmp && mv args.tmp args.txt\n");
    std::filesystem::permissions(program, std::filesystem::perms::owner_all);
    const vb::Variant pid = hs("Launch", program, "one \"two words\" three");
    EXPECT_EQ(pid.type(), vb::vbLong);
    EXPECT_GT(pid.longValue(), 0);
    for (int i = 0; i < 500 && !dir.exists("args.txt"); ++i)
        std::this_thread::sleep_for(std::chrono::milliseconds(10));
    EXPECT_EQ(dir.read("args.txt"), "one|two words|three|");

    EXPECT_EQ(hs("Launch", dir / "no such program").longValue(), 0);
    EXPECT_EQ(reportsOf("Launch"), 1);
}

TEST(SendKeysNotation, TextNamedKeysModifiersAndGroups)
{
    using host::KeyStep;
    auto type = [](std::string t) { return KeyStep{KeyStep::Type, std::move(t)}; };
    auto chord = [](std::string t) { return KeyStep{KeyStep::Chord, std::move(t)}; };
    EXPECT_EQ(host::parseSendKeys("abc"), (std::vector<KeyStep>{type("abc")}));
    EXPECT_EQ(host::parseSendKeys("ab~c{ENTER}"), (std::vector<KeyStep>{type("ab"), chord("Return"), type("c"), chord("Return")}));
    EXPECT_EQ(host::parseSendKeys("^c%{F4}+{TAB}"), (std::vector<KeyStep>{chord("ctrl+c"), chord("alt+F4"), chord("shift+Tab")}));
    EXPECT_EQ(host::parseSendKeys("+(ab)x"), (std::vector<KeyStep>{chord("shift+a"), chord("shift+b"), type("x")}));
    EXPECT_EQ(host::parseSendKeys("{LEFT 3}"), (std::vector<KeyStep>{chord("Left"), chord("Left"), chord("Left")}));
    EXPECT_EQ(host::parseSendKeys("{+}{{}{}}{~}"), (std::vector<KeyStep>{type("+{}~")}));
    EXPECT_EQ(host::parseSendKeys("^{.}"), (std::vector<KeyStep>{chord("ctrl+period")}));
    for (const char* bad : {"{NOSUCHKEY}", "{ENTER", "+(ab", "a)", "{}", "{F17}"})
        EXPECT_THROW(host::parseSendKeys(bad), vb::Error) << bad;
}

TEST_F(HostForwarding, KeysWithBadNotationIsReportedNotRaised)
{
    EXPECT_NO_THROW(hs("Keys", "{NOSUCHKEY}", "Notepad", true));
    EXPECT_EQ(reportsOf("Keys"), 1);
}
