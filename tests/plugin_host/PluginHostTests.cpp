#include "shell/NodeSettingsFile.h"
#include "shell/InboundDispatch.h"
#include "shell/PluginHost.h"
#include "shell/ShellHooks.h"
#include "shell/TallisForm.h"
#include "shell/Wiring.h"

#include "shell/ShellState.h"

#include "automation/Collection.h"
#include "host/Application.h"
#include "host/HostRegistry.h"
#include "host/HostState.h"
#include "platform/FileSystem.h"
#include "host/PluginRegistry.h"
#include "services/ServicesState.h"
#include "services/Setup.h"
#include "services/script/HostScripts.h"
#include "xap/ProgramState.h"
#include "xap/LogFileWriter.h"
#include "xap/Logging.h"
#include "xap/Outgoing.h"

#include "support/TempFolder.h"
#include "support/OwnProgramStates.h"

#include <QCoreApplication>

#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>

using testing_support::TempFolder;

namespace {

// Where the test libraries were built (set by CMake).
std::string built(const char* name)
{
    return std::string(TEST_PLUGIN_DIR) + "/" + name;
}

class PluginHostTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        std::filesystem::create_directories(dir / "Config");
        std::filesystem::create_directories(dir / "Data");
        states.program.baseFolder = dir.path();
        states.program.xapReady = false;
        shell::wireSubsystems(states.program, states.shellState, scripts);
        services::loadSetupForm(states.servicesState);
    }
    void TearDown() override
    {
        services::unloadSetupForm(states.servicesState);
        unsetenv("RECORDER_FAIL_INITIO");
        unsetenv("RECORDER_LISTENS");
        unsetenv("RECORDER_NAME_FAILS");
    }

    void install(const char* builtName, const char* as = "hspi_Audrey.so")
    {
        std::filesystem::copy_file(built(builtName), dir / as, std::filesystem::copy_options::overwrite_existing);
    }
    std::string log() { return dir.read("Data/raruveViziva.txt"); }
    std::string calls() { return vb::CStr(vb::getProperty(*host::HostedPlugin(states.hostRegistry), "Calls")); }
    int restartReports()
    {
        const std::string text = log();
        int n = 0;
        for (std::size_t at = text.find("Restart Plugin"); at != std::string::npos; at = text.find("Restart Plugin", at + 1))
            ++n;
        return n;
    }

    TempFolder dir;
    // Each test runs a program of its own: its plug-in, host, messages and steps go with it.
    testing_support::OwnProgramStates states;
    // After the states: it leaves the host registry it was installed in before they go.
    services::HostScripts scripts{states.program};
};

} // namespace

TEST_F(PluginHostTest, CreatesRegistersAndStartsThePlugIn)
{
    install("hspi_Recorder.so", "HSPI_audrey.so"); // the library name is matched without case
    shell::RestartPlugin(states.program, states.shellState);
    ASSERT_TRUE(host::HostedPlugin(states.hostRegistry));
    EXPECT_EQ(calls(), "name;RegisterCallback(Setup);InitIO(Integer 1);");
    ASSERT_TRUE(host::PluginCollection(states.hostRegistry));
    EXPECT_EQ(host::PluginCollection(states.hostRegistry)->size(), 1u);
    // Keyed by its name (keys ignore case).
    EXPECT_EQ(host::PluginCollection(states.hostRegistry)->Item(vb::Variant("recorder")).objectValue(), host::HostedPlugin(states.hostRegistry).get());
    EXPECT_EQ(restartReports(), 0);

    // A restart replaces the object and the collection.
    shell::RestartPlugin(states.program, states.shellState);
    EXPECT_EQ(host::PluginCollection(states.hostRegistry)->size(), 1u);
    EXPECT_EQ(vb::CLng(vb::getProperty(*host::HostedPlugin(states.hostRegistry), "Serial")), 2);
}

TEST_F(PluginHostTest, TwoProgramsInOneProcessHostTheirOwnPlugIns)
{
    install("hspi_Recorder.so");
    shell::RestartPlugin(states.program, states.shellState);
    const vb::Ref<vb::Object> first = host::HostedPlugin(states.hostRegistry);
    ASSERT_TRUE(first);
    const std::string firstCalls = calls();
    {
        // A second program in a base folder of its own, with its own host loaded.
        TempFolder otherDir;
        std::filesystem::create_directories(otherDir / "Config");
        std::filesystem::create_directories(otherDir / "Data");
        std::filesystem::copy_file(built("hspi_Recorder.so"), otherDir / "hspi_Audrey.so");
        testing_support::OwnProgramStates other;
        other.program.baseFolder = otherDir.path();
        services::loadSetupForm(other.servicesState);
        shell::RestartPlugin(other.program, other.shellState);

        const vb::Ref<vb::Object> second = host::HostedPlugin(other.hostRegistry);
        ASSERT_TRUE(second);
        EXPECT_NE(second.get(), first.get());
        EXPECT_EQ(host::HostedPlugin(states.hostRegistry).get(), first.get());
        ASSERT_TRUE(host::PluginCollection(other.hostRegistry));
        EXPECT_EQ(host::PluginCollection(other.hostRegistry)->size(), 1u);
        EXPECT_EQ(host::PluginCollection(other.hostRegistry)->at(1).objectValue(), second.get());
        EXPECT_EQ(host::PluginCollection(states.hostRegistry)->at(1).objectValue(), first.get());
        // The second program's start reached only its own plug-in.
        EXPECT_EQ(vb::CStr(vb::getProperty(*second, "Calls")), "name;RegisterCallback(Setup);InitIO(Integer 1);");
        EXPECT_EQ(calls(), firstCalls);
        EXPECT_FALSE(shell::pluginStartIncomplete(other.shellState));

        // Its host's shutdown lets go of its plug-in alone.
        services::unloadSetupForm(other.servicesState);
        EXPECT_FALSE(host::HostedPlugin(other.hostRegistry));
    }
    EXPECT_EQ(host::HostedPlugin(states.hostRegistry).get(), first.get());
    EXPECT_EQ(host::PluginCollection(states.hostRegistry)->size(), 1u);
}

TEST_F(PluginHostTest, LibrariesThatCannotServeAreReportedOncePerAttempt)
{
    struct Case {
        const char* library; // copied in as hspi_Audrey.so; null for none
        const char* content; // or this text as the file
        const char* reason;
    };
    const Case cases[] = {
        {nullptr, nullptr, "hspi_Audrey.so is not in"},
        {"hspi_NoEntry.so", nullptr, "does not export tallis_object_model_version"},
        {"hspi_OtherVersion.so", nullptr, "was built for object model version 99; this program has version 1"},
        {"hspi_Thrower.so", nullptr, "the plug-in cannot start"},
        {nullptr, "not an ELF file", "hspi_Audrey.so"}, // the loader's own message names the file
    };
    int n = 0;
    for (const Case& c : cases) {
        // Each case in a base folder of its own: a loaded library stays loaded.
        const std::string base = dir / ("case" + std::to_string(n++));
        std::filesystem::create_directories(base + "/Data");
        states.program.baseFolder = base;
        if (c.library)
            std::filesystem::copy_file(built(c.library), base + "/hspi_Audrey.so");
        if (c.content)
            dir.write("case" + std::to_string(n - 1) + "/hspi_Audrey.so", c.content);
        shell::RestartPlugin(states.program, states.shellState);
        const std::string text = dir.read("case" + std::to_string(n - 1) + "/Data/raruveViziva.txt");
        EXPECT_EQ(text.find("Restart Plugin"), text.rfind("Restart Plugin")) << "reported more than once: " << text;
        EXPECT_NE(text.find("raruveViziva Restart Plugin "), std::string::npos) << text;
        EXPECT_NE(text.find(c.reason), std::string::npos) << text;
        EXPECT_FALSE(host::HostedPlugin(states.hostRegistry));
    }
}

TEST_F(PluginHostTest, AStartThatDidNotCompleteIsRetriedWithAGrowingInterval)
{
    install("hspi_Recorder.so");
    setenv("RECORDER_FAIL_INITIO", "1", 1);
    shell::RestartPlugin(states.program, states.shellState);
    EXPECT_EQ(restartReports(), 1);
    ASSERT_TRUE(host::HostedPlugin(states.hostRegistry)); // it exists; it failed in InitIO
    EXPECT_NE(log().find("InitIO failed on purpose"), std::string::npos);
    EXPECT_TRUE(shell::pluginStartIncomplete(states.shellState));

    // It answers its name, yet is started again: after 1, 2, 4, 8, 10, 10 ticks of 60 s.
    vb::Ref<shell::TallisForm> form = vb::make<shell::TallisForm>(states.program, states.shellState);
    std::vector<int> attemptTicks;
    for (int tick = 1; tick <= 45; ++tick) {
        const int before = vb::CLng(vb::getProperty(*host::HostedPlugin(states.hostRegistry), "Serial"));
        form->checkPlugin();
        if (vb::CLng(vb::getProperty(*host::HostedPlugin(states.hostRegistry), "Serial")) != before)
            attemptTicks.push_back(tick);
    }
    EXPECT_EQ(attemptTicks, (std::vector<int>{1, 3, 7, 15, 25, 35, 45}));
    // Each attempt is logged once, with the wait that follows it.
    const std::string text = log();
    EXPECT_NE(text.find("Restarting vynAudrey: its last start did not complete (attempt 1; the next in 120 s"), std::string::npos);
    EXPECT_NE(text.find("(attempt 5; the next in 600 s"), std::string::npos);
    // The failure of each attempt is the same record: written once, then counted.
    EXPECT_EQ(restartReports(), 1) << text;
    states.program.log.flush();
    EXPECT_NE(log().find("message repeated 7 times: raruveViziva Restart Plugin 0 InitIO failed on purpose"),
              std::string::npos)
        << log();

    // Once a start completes the retries stop.
    unsetenv("RECORDER_FAIL_INITIO");
    for (int tick = 0; tick < 10; ++tick)
        form->checkPlugin();
    EXPECT_FALSE(shell::pluginStartIncomplete(states.shellState));
    const int serial = vb::CLng(vb::getProperty(*host::HostedPlugin(states.hostRegistry), "Serial"));
    for (int tick = 0; tick < 30; ++tick)
        form->checkPlugin();
    EXPECT_EQ(vb::CLng(vb::getProperty(*host::HostedPlugin(states.hostRegistry), "Serial")), serial);
    EXPECT_EQ(calls().rfind("name;RegisterCallback(Setup);InitIO(Integer 1);", 0), 0u) << calls();
}

TEST_F(PluginHostTest, ANameThatFailsDuringTheStartDoesNotLeaveThePlugInUnstarted)
{
    // The new instance cannot name itself once, then answers: it was never registered or started.
    install("hspi_Recorder.so");
    setenv("RECORDER_NAME_FAILS", "1", 1);
    shell::RestartPlugin(states.program, states.shellState);
    ASSERT_TRUE(host::HostedPlugin(states.hostRegistry));
    EXPECT_EQ(calls(), "");
    vb::Ref<shell::TallisForm> form = vb::make<shell::TallisForm>(states.program, states.shellState);
    form->checkPlugin();
    EXPECT_EQ(calls(), "name;RegisterCallback(Setup);InitIO(Integer 1);");
    EXPECT_FALSE(shell::pluginStartIncomplete(states.shellState));
    unsetenv("RECORDER_NAME_FAILS");
}

TEST_F(PluginHostTest, WatchdogRecreatesAPlugInThatStopsAnswering)
{
    install("hspi_Recorder.so");
    shell::RestartPlugin(states.program, states.shellState);
    const int first = vb::CLng(vb::getProperty(*host::HostedPlugin(states.hostRegistry), "Serial"));
    vb::call(*host::HostedPlugin(states.hostRegistry), "GoSilent");
    vb::Ref<shell::TallisForm> form = vb::make<shell::TallisForm>(states.program, states.shellState);
    form->checkPlugin();
    EXPECT_EQ(vb::CLng(vb::getProperty(*host::HostedPlugin(states.hostRegistry), "Serial")), first + 1);
    EXPECT_EQ(calls(), "name;RegisterCallback(Setup);InitIO(Integer 1);");
    // "Restarting vynAudrey" went out as a log event (waiting, as the node is not ready).
    bool reported = false;
    for (const xap::xapQueuedMessage& m : states.program.pending)
        reported |= m.MsgData.find("Restarting vynAudrey") != std::string::npos;
    EXPECT_TRUE(reported);
}

TEST_F(PluginHostTest, ExceptionsOfPlugInMembersStopAtTheBoundary)
{
    install("hspi_Recorder.so");
    shell::RestartPlugin(states.program, states.shellState);
    const std::string raw = "xap-header\n{\nv=13\nhop=1\nuid=FF.1:00\nclass=Any.Thing\nsource=a.b.c\n}\nbody\n{\nk=v\n}\n";
    EXPECT_NO_THROW(shell::ReadMessage(raw, states.program, states.shellState));
    EXPECT_NE(calls().find("AudreyOnXapMessage(XapMessage)"), std::string::npos);
    bool reported = false;
    for (const xap::xapQueuedMessage& m : states.program.pending)
        reported |= m.MsgData.find("Readmessage") != std::string::npos && m.MsgData.find("a plug-in bug") != std::string::npos;
    EXPECT_TRUE(reported);
}

TEST_F(PluginHostTest, ExitShutsThePlugInDownAndSavesItsDevices)
{
    install("hspi_Recorder.so");
    shell::RestartPlugin(states.program, states.shellState);
    vb::Ref<vb::Object> plugin = host::HostedPlugin(states.hostRegistry);
    vb::Object& hs = *services::setupForm(states.servicesState)->GetHSIface();
    vb::call(hs, "NewDevice", "Lamp", "A1");
    vb::call(hs, "SetDeviceString", "A1", "On", true);
    shell::runStep(states.shellState.hooks.exit.shutdownPlugin);
    // The devices were saved before ShutdownIO ran, in case it never returns.
    EXPECT_NE(dir.read("Config/vynTallis.ini").find("A1=;Lamp;"), std::string::npos);
    shell::runStep(states.shellState.hooks.exit.releasePlugin);
    EXPECT_FALSE(host::HostedPlugin(states.hostRegistry));
    EXPECT_NE(vb::CStr(vb::getProperty(*plugin, "Calls")).find("ShutdownIO"), std::string::npos);
}

TEST_F(PluginHostTest, ARestartLeavesOnlyTheNewPlugInListening)
{
    install("hspi_Recorder.so");
    setenv("RECORDER_LISTENS", "1", 1);
    shell::RestartPlugin(states.program, states.shellState);
    ASSERT_TRUE(host::HostedPlugin(states.hostRegistry));
    const int liveBefore = vb::CLng(vb::getProperty(*host::HostedPlugin(states.hostRegistry), "Live"));
    shell::RestartPlugin(states.program, states.shellState);
    shell::RestartPlugin(states.program, states.shellState);
    vb::Object& plugin = *host::HostedPlugin(states.hostRegistry);
    // The earlier instances are gone: the listener lists held the last references.
    EXPECT_EQ(vb::CLng(vb::getProperty(plugin, "Live")), liveBefore);

    vb::Object& hs = *services::setupForm(states.servicesState)->GetHSIface();
    vb::call(hs, "NewDevice", "Lamp", "A1");
    vb::call(hs, "SetDeviceString", "A1", "On", true);
    EXPECT_EQ(vb::CLng(vb::getProperty(plugin, "Events")), 1);
}

TEST_F(PluginHostTest, ABaseFolderWithABackslashInItsNameIsUsedAsItIs)
{
    // "\\" is an ordinary character of a Linux file name.
    const std::string base = dir / "Home\\Tallis";
    dir.write("Home\\Tallis/Config/vynXap.ini", "[Interface]\r\nBroadcastAddress=10.203.0.255\r\n");
    std::filesystem::copy_file(built("hspi_Recorder.so"), base + "/hspi_Audrey.so");
    shell::readFoldersAndSettings(states.program, base, base + "/tallis");
    EXPECT_EQ(states.program.settings.broadcastAddress, "10.203.0.255"); // its own vynXap.ini is read
    services::unloadSetupForm(states.servicesState);
    services::loadSetupForm(states.servicesState);

    shell::RestartPlugin(states.program, states.shellState); // the plug-in next to the program is found
    ASSERT_TRUE(host::HostedPlugin(states.hostRegistry));
    xap::WriteLogFile(states.program, "raruveViziva", "written");
    EXPECT_NE(dir.read("Home\\Tallis/Data/raruveViziva.txt").find("raruveViziva written"), std::string::npos);

    // INI files named by the plug-in land in the Config folder under that base folder.
    vb::call(*host::state(states.hostRegistry).hostObject, "SaveINISetting", "A", "k", "1", "x.ini");
    EXPECT_EQ(dir.read("Home\\Tallis/Config/x.ini"), "[A]\r\nK=1\r\n");
    // Nothing went into a tree that reads the backslash as a separator.
    EXPECT_FALSE(std::filesystem::exists(dir / "Home"));

    // A path a script builds from the base folder keeps the folder's own spelling; only the
    // Windows-form rest is converted.
    EXPECT_EQ(platform::toPosixPath(base + "\\Config\\x.ini", base), base + "/Config/x.ini");
    EXPECT_EQ(platform::toPosixPath("c:\\Program Files\\x.ini", base), "/Program Files/x.ini");
    EXPECT_TRUE(platform::fileExists(platform::toPosixPath(base + "\\config\\X.INI", base)));
    // So does one the host's scripts build: their engine knows the base folder.
    std::ofstream(base + "/Scripts/paths.vbs")
        << "Function Check(p)\r\n Set fso = CreateObject(\"Scripting.FileSystemObject\")\r\n"
           " Check = fso.FileExists(xap.GetAppPath() & \"\\config\\X.INI\")\r\nEnd Function\r\n";
    EXPECT_TRUE(vb::CBool(vb::call(*host::state(states.hostRegistry).hostObject, "RunEx", "paths.vbs", "Check", "")));
}
