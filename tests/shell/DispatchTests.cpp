#include "ShellFixture.h"

#include "shell/InboundDispatch.h"
#include "xap/XapMessage.h"

using shell_testing::ShellTest;

namespace {

// A plug-in that records what reaches its AudreyOnXapMessage.
class FakePlugin final : public vb::Dispatch<FakePlugin> {
public:
    static const vb::MemberTable<FakePlugin>& members()
    {
        static const vb::MemberTable<FakePlugin> table("hspi", {
            vb::method<&FakePlugin::AudreyOnXapMessage>("AudreyOnXapMessage"),
        });
        return table;
    }
    void AudreyOnXapMessage(vb::Variant& message)
    {
        xap::XapMessage& m = dynamic_cast<xap::XapMessage&>(vb::requireObject(message));
        received.push_back(m.MsgClass() + " " + m.getItem("body", "n"));
        if (onCall)
            onCall(m);
    }
    std::vector<std::string> received;
    std::function<void(xap::XapMessage&)> onCall;
};

std::string message(const std::string& cls, const std::string& target, const std::string& body)
{
    std::string text = "xap-header\n{\nv=13\nhop=1\nuid=FF.1234:00\nclass=" + cls + "\nsource=acme.panel.hall\n";
    if (!target.empty())
        text += "target=" + target + "\n";
    return text + "}\n" + body;
}

class DispatchTest : public ShellTest {
protected:
    void SetUp() override
    {
        ShellTest::SetUp();
        if (IsSkipped())
            return;
        plugin = vb::make<FakePlugin>();
        states.shellState.hooks.hostedPlugin = [this] { return vb::Ref<vb::Object>(plugin); };
        ASSERT_TRUE(shell::Main(states.program, states.shellState));
        // The start-up's heartbeat and port report.
        nextSent();
        nextSent();
    }
    vb::Ref<FakePlugin> plugin;
};

} // namespace

TEST_F(DispatchTest, RoleQueriesForApplicationOrAnyAreAnswered)
{
    readMessage(message("Homeseer.Role", "", "Role.Query\n{\nRole=ANY\n}\n"));
    EXPECT_EQ(nextMessage(), "xap-header\n{\nv=13\nhop=1\nuid=FF.0097:00\nclass=Homeseer.Role\nsource=" + states.program.xapSource +
                                 "\n}\nRole.Notification\n{\nRole=Application\nPath=" + base / "tallis" + "\nForm=SetupForm\n}\n");
    readMessage(message("homeseer.role", states.program.xapSource, "role.query\n{\nrole=application\n}\n"));
    EXPECT_NE(nextMessage().find("Role.Notification"), std::string::npos);

    for (const std::string body : {"Role.Query\n{\nRole=Device\n}\n", "Other\n{\nRole=any\n}\n", "Role.Query\n{\nName=any\n}\n"})
        readMessage(message("Homeseer.Role", "", body));
    EXPECT_EQ(nextMessage(150), "");
    EXPECT_TRUE(plugin->received.empty()); // role queries never reach the plug-in
}

TEST_F(DispatchTest, EchoQueriesAreAnsweredToTheSender)
{
    readMessage(message("ZOR.Echo", states.program.xapSource, "Echo.Query\n{\nQuery=Ping\n}\n"));
    EXPECT_EQ(nextMessage(), "xap-header\n{\nv=13\nhop=1\nuid=FF.0097:00\nclass=ZOR.Echo\nsource=" + states.program.xapSource +
                                 "\ntarget=acme.panel.hall\n}\nEcho.Response\n{\nResponse=ping\n}\n");
    readMessage(message("ZOR.Echo", "", "Echo.Other\n{\nQuery=Ping\n}\n"));
    readMessage(message("ZOR.Echo", "", "Echo.Query\n{\nQ=Ping\n}\n"));
    EXPECT_EQ(nextMessage(150), "");
}

TEST_F(DispatchTest, EchoAnswersLowerCaseLettersOfEveryAlphabet)
{
    readMessage(message("ZOR.Echo", states.program.xapSource, "Echo.Query\n{\nQuery=ÉTÉ À ΣΟΦΊΑ\n}\n"));
    const std::string answer = nextMessage();
    EXPECT_NE(answer.find("\nResponse=été à σοφία\n"), std::string::npos) << answer;
}

TEST_F(DispatchTest, OnlyMessagesForThisNodeOrNobodyReachThePlugIn)
{
    readMessage(message("Audrey.Cmd", "", "body\n{\nn=1\n}\n"));
    readMessage(message("Audrey.Cmd", states.program.xapSource + ":3", "body\n{\nn=2\n}\n"));
    readMessage(message("Audrey.Cmd", "vyn.>", "body\n{\nn=3\n}\n"));
    readMessage(message("Audrey.Cmd", "acme.other.node", "body\n{\nn=4\n}\n"));
    readMessage(message("ZOR.Echo", "acme.other.node", "Echo.Query\n{\nQuery=x\n}\n"));
    // Text the parser cannot read passes as untargeted and goes to the plug-in too.
    readMessage("xap-header\n{\nclass");
    EXPECT_EQ(plugin->received, (std::vector<std::string>{"Audrey.Cmd 1", "Audrey.Cmd 2", "Audrey.Cmd 3", "Unknown Unknown"}));
    EXPECT_EQ(nextMessage(150), "");
}

TEST_F(DispatchTest, WithoutAPlugInMessagesAreDropped)
{
    states.shellState.hooks.hostedPlugin = [] { return vb::Ref<vb::Object>(); };
    readMessage(message("Audrey.Cmd", "", "body\n{\nn=1\n}\n"));
    EXPECT_EQ(nextMessage(150), "");
    EXPECT_TRUE(plugin->received.empty());
}

TEST_F(DispatchTest, APlugInFailureIsReportedAndTheDrainGoesOn)
{
    plugin->onCall = [](xap::XapMessage& m) {
        if (m.getItem("body", "n") == "1")
            vb::raiseError(vb::err::DivisionByZero);
    };
    xap::XapNode& node = *states.shellState.mainForm->node();
    node.processReceivedMessage(message("Audrey.Cmd", "", "body\n{\nn=1\n}\n"));
    node.processReceivedMessage(message("Audrey.Cmd", "", "body\n{\nn=2\n}\n"));
    vb::call(*states.shellState.mainForm, "onMessage");
    EXPECT_EQ(plugin->received, (std::vector<std::string>{"Audrey.Cmd 1", "Audrey.Cmd 2"}));
    const std::string report = nextMessage();
    EXPECT_NE(report.find("\nType=raruveViziva\nData=Readmessage Line "), std::string::npos);
    EXPECT_NE(report.find(" Division by zero\n"), std::string::npos);
    EXPECT_FALSE(states.shellState.mainForm->DrainBusy());
}

TEST_F(DispatchTest, NestedOnMessageReturnsWithoutReadingTheQueue)
{
    xap::XapNode& node = *states.shellState.mainForm->node();
    std::size_t leftDuringNestedCall = 0;
    plugin->onCall = [&](xap::XapMessage& m) {
        if (m.getItem("body", "n") != "1")
            return;
        EXPECT_TRUE(states.shellState.mainForm->DrainBusy());
        states.shellState.mainForm->onMessage();
        leftDuringNestedCall = node.queuedCount();
    };
    node.processReceivedMessage(message("Audrey.Cmd", "", "body\n{\nn=1\n}\n"));
    node.processReceivedMessage(message("Audrey.Cmd", "", "body\n{\nn=2\n}\n"));
    states.shellState.mainForm->onMessage();
    EXPECT_EQ(leftDuringNestedCall, 1u);
    EXPECT_EQ(plugin->received, (std::vector<std::string>{"Audrey.Cmd 1", "Audrey.Cmd 2"}));
    EXPECT_EQ(node.queuedCount(), 0u);
}

TEST_F(DispatchTest, ReceivedDatagramsReachThePlugInThroughTheNode)
{
    platform::UdpSocket peer;
    ASSERT_FALSE(peer.sendTo("127.0.0.1", 32768, message("Audrey.Cmd", "", "body\n{\nn=7\n}\n")));
    ASSERT_TRUE(testing_support::processEventsUntil([&] { return !plugin->received.empty(); }));
    EXPECT_EQ(plugin->received, (std::vector<std::string>{"Audrey.Cmd 7"}));
}

TEST_F(DispatchTest, AFailingQueueIsReportedAndReleasesTheGuard)
{
    states.shellState.mainForm->unloadNode();
    states.shellState.mainForm->onMessage();
    EXPECT_NE(log().find("raruveViziva Main OnMessage "), std::string::npos);
    EXPECT_FALSE(states.shellState.mainForm->DrainBusy());
}
