#include "ShellFixture.h"

#include "shell/Safeguards.h"

#include <list>

using shell_testing::ShellTest;

TEST_F(ShellTest, StartUpRunsItsStepsInOrder)
{
    ASSERT_TRUE(hubBound);
    ASSERT_TRUE(shell::Main(states.program, states.shellState));
    EXPECT_EQ(steps, (std::vector<std::string>{"clearX10CommandCodes", "initXap", "loadSetupForm", "saveRunAsXapNode",
                                               "restartPlugin", "prepareTray", "updateTrayIcon on normal"}));
    EXPECT_TRUE(readyAtSetup); // the node was ready before the host loaded
    shell::TallisForm& form = *states.shellState.mainForm;
    EXPECT_FALSE(form.DrainBusy());
    EXPECT_EQ(form.watchdogTimer().interval(), 60000);
    EXPECT_TRUE(form.watchdogTimer().enabled());
    EXPECT_FALSE(form.blinkTimer().enabled());
    EXPECT_TRUE(states.program.startupComplete);
    EXPECT_EQ(states.program.xapSource, "vyn.Audrey." + states.program.machineName);
    EXPECT_EQ(states.program.xapUID, "FF.0097:00");
    for (const char* folder : {"Config", "HTML", "Data"})
        EXPECT_TRUE(base.exists(folder)) << folder;

    // The first heartbeat, then the port report.
    const std::string beat = nextSent();
    EXPECT_EQ(beat.rfind("xap-hbeat\n", 0), 0u);
    EXPECT_NE(beat.find("\ninterval=600\nport=32768\n}\n"), std::string::npos);
    const std::string report = nextSent();
    EXPECT_NE(report.find("class=Homeseer.Event\n"), std::string::npos);
    EXPECT_NE(report.find("\nType=raruveViziva\nData=Using xAP port  32768\n}\n"), std::string::npos);
}

TEST_F(ShellTest, MessagesLoggedBeforeTheNodeIsReadyGoOutFirst)
{
    states.shellState.hooks.startup.initXap = [this] {
        shell::readFoldersAndSettings(states.program, base.path(), base / "tallis");
        xap::LogEvent(states.program, "raruveViziva", "early");
    };
    ASSERT_TRUE(shell::Main(states.program, states.shellState));
    EXPECT_EQ(nextSent().rfind("xap-hbeat", 0), 0u);
    EXPECT_NE(nextSent().find("Data=early\n"), std::string::npos);
    EXPECT_NE(nextSent().find("Data=Using xAP port  32768\n"), std::string::npos);
}

TEST_F(ShellTest, AFailingStepStopsStartUpButNotTheProgram)
{
    states.shellState.hooks.startup.saveRunAsXapNode = [] { vb::raiseError(vb::err::FileNotFound); };
    EXPECT_TRUE(shell::Main(states.program, states.shellState));
    EXPECT_EQ(steps, (std::vector<std::string>{"clearX10CommandCodes", "initXap", "loadSetupForm"}));
    EXPECT_FALSE(states.shellState.mainForm->watchdogTimer().enabled());
    EXPECT_FALSE(states.program.startupComplete);
    EXPECT_NE(log().find("raruveViziva Main Load "), std::string::npos);
    EXPECT_NE(log().find(" File not found\r\n"), std::string::npos);
    EXPECT_FALSE(shell::programEnded(states.shellState));
}

TEST_F(ShellTest, ANodeThatCannotBindEndsStartUp)
{
    std::list<platform::UdpSocket> held(200);
    int port = 32768;
    for (platform::UdpSocket& s : held)
        ASSERT_FALSE(s.bind(static_cast<std::uint16_t>(port++), "127.0.0.1"));
    EXPECT_FALSE(shell::Main(states.program, states.shellState));
    EXPECT_EQ(states.shellState.mainForm->initError(), "xAP Init Error -1 occurred");
    EXPECT_EQ(log(), "raruveViziva xAP Init Error -1 occurred 0 \r\n");
    EXPECT_EQ(steps, (std::vector<std::string>{"clearX10CommandCodes", "initXap"}));
    EXPECT_FALSE(states.program.xapReady);
    // Nothing was sent: no heartbeat, no report.
    EXPECT_EQ(nextSent(100), "");
}

TEST_F(ShellTest, ALockThatCannotBeTakenStopsStartUpBeforeTheNodeBinds)
{
    // A folder where the lock file should be: the lock cannot be opened, so nothing
    // would keep a second program out of this base folder.
    base.write("Data/tallis.lock/x", "");
    shell::Safeguards safeguards(states.program, states.servicesState);
    states.shellState.hooks.startup.claimBaseFolder = [&] { return safeguards.claimBaseFolder(); };
    EXPECT_FALSE(shell::Main(states.program, states.shellState));
    const std::string expected = "cannot take the lock of " + base.path() + " (" + (base / "Data/tallis.lock") +
                                 ": Is a directory): not starting";
    EXPECT_EQ(states.shellState.mainForm->initError(), expected);
    EXPECT_NE(log().find(expected), std::string::npos);
    EXPECT_EQ(steps, (std::vector<std::string>{"clearX10CommandCodes", "initXap"}));
    EXPECT_EQ(nextSent(100), "");
}

TEST_F(ShellTest, ExitShutsThePlugInDownThenSavesThroughTheStartObject)
{
    ASSERT_TRUE(shell::Main(states.program, states.shellState));
    steps.clear();
    states.shellState.mainForm->Exit();
    EXPECT_EQ(steps, (std::vector<std::string>{"shutdownPlugin", "releasePlugin", "unloadTray", "unloadSetupForm",
                                               "unloadPluginMenuDialog", "endEventLoop 0"}));
    EXPECT_EQ(states.shellState.mainForm->node(), nullptr);
    EXPECT_EQ(states.program.sender, nullptr);
    // Without its node nothing is sent: later reports wait instead of failing.
    EXPECT_FALSE(states.program.xapReady);
    EXPECT_TRUE(shell::programEnded(states.shellState));
    EXPECT_EQ(shell::exitStatus(states.shellState), 0);
}

TEST_F(ShellTest, ExitGoesOnWhenAStepFails)
{
    states.shellState.hooks.exit.shutdownPlugin = [] { vb::raiseError(vb::err::NoSuchMember); };
    ASSERT_TRUE(shell::Main(states.program, states.shellState));
    steps.clear();
    states.shellState.mainForm->Exit();
    EXPECT_EQ(steps.front(), "releasePlugin");
    EXPECT_EQ(steps.back(), "endEventLoop 0");
}

TEST_F(ShellTest, ExitWhileTheStartObjectIsHeldElsewhereUnloadsTheMainForm)
{
    ASSERT_TRUE(shell::Main(states.program, states.shellState));
    vb::Ref<shell::FRH> client = shell::startObject(states.shellState);
    steps.clear();
    states.shellState.mainForm->Exit();
    EXPECT_EQ(steps, (std::vector<std::string>{"shutdownPlugin", "releasePlugin", "unloadTray", "updateTrayIcon off none",
                                               "releaseHostObject", "endEventLoop 0"}));
    // Once the program has ended, letting go of the start object runs nothing more.
    steps.clear();
    client.reset();
    EXPECT_TRUE(steps.empty());
}

TEST_F(ShellTest, MainFormUnloadLeavesThePlugInAndHostCoreAlone)
{
    ASSERT_TRUE(shell::Main(states.program, states.shellState));
    steps.clear();
    states.shellState.mainForm->unload();
    EXPECT_EQ(steps, (std::vector<std::string>{"updateTrayIcon off none", "releaseHostObject", "endEventLoop 0"}));
    EXPECT_EQ(states.shellState.mainForm->node(), nullptr);
}

TEST_F(ShellTest, WatchdogRestartsAMissingPlugIn)
{
    ASSERT_TRUE(shell::Main(states.program, states.shellState));
    nextSent();
    nextSent();
    steps.clear();
    states.shellState.mainForm->checkPlugin();
    EXPECT_EQ(steps, (std::vector<std::string>{"restartPlugin"}));
    EXPECT_NE(nextSent().find("Data=Restarting vynAudrey\n"), std::string::npos);
}

TEST_F(ShellTest, SwapIconsShowsTheActivityIconForOneBlink)
{
    ASSERT_TRUE(shell::Main(states.program, states.shellState));
    steps.clear();
    shell::TallisForm& form = *states.shellState.mainForm;
    vb::call(form, "SwapIcons");
    EXPECT_EQ(steps, (std::vector<std::string>{"updateTrayIcon on activity"}));
    EXPECT_TRUE(form.blinkTimer().running());
    ASSERT_TRUE(testing_support::processEventsUntil([&] { return !form.blinkTimer().enabled(); }, 2000));
    EXPECT_EQ(steps.back(), "updateTrayIcon on normal");
}
