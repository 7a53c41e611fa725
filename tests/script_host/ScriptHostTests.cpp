#include "services/script/HostScripts.h"
#include "services/script/ScriptFile.h"

#include "host/Application.h"
#include "host/HostRegistry.h"
#include "platform/StallWatchdog.h"
#include "services/ServicesState.h"
#include "services/Setup.h"
#include "vbscript/ScriptControl.h"
#include "xap/ProgramState.h"
#include "xap/Outgoing.h"

#include "support/TempFolder.h"
#include "support/OwnHostStates.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <atomic>
#include <chrono>
#include <filesystem>
#include <thread>

using testing_support::TempFolder;

namespace {

class ScriptHostTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        for (const char* f : {"Config", "Data", "Scripts"})
            std::filesystem::create_directories(dir / f);
        states.program.baseFolder = dir.path();
        states.program.xapReady = false;
        states.program.pending.clear();
        scripts.install(states.hostRegistry);
        setup = services::loadSetupForm(states.servicesState); // creates the host object, which prepares the engine
        hs = setup->GetHSIface();
    }
    void TearDown() override
    {
        hs.reset();
        setup.reset();
        services::unloadSetupForm(states.servicesState);
    }

    void script(const std::string& name, const std::string& code) { dir.write("Scripts/" + name, code); }

    // The texts of the "Data" items of the log events sent so far.
    std::vector<std::string> reports()
    {
        std::vector<std::string> out;
        for (const xap::xapQueuedMessage& m : states.program.pending) {
            const std::size_t at = m.MsgData.find("Data\1");
            if (m.MsgClass == "Homeseer.Event" && at != std::string::npos)
                out.push_back(m.MsgData.substr(at + 5));
        }
        return out;
    }
    bool reported(const std::string& start)
    {
        for (const std::string& r : reports()) {
            if (r.rfind(start, 0) == 0)
                return true;
        }
        return false;
    }

    vb::Variant runEx(const std::string& file, const std::string& function, const std::string& param = "")
    {
        return vb::call(*hs, "RunEx", file, function, param);
    }

    TempFolder dir;
    // Each test runs a host of its own: its messages, engine and devices go with it.
    testing_support::OwnHostStates states;
    // After the states: it leaves the host registry it was installed in before they go.
    services::HostScripts scripts{states.program};
    vb::Ref<services::Setup> setup;
    vb::Ref<vb::Object> hs;
};

} // namespace

TEST_F(ScriptHostTest, IncludedCodeEntersFirst)
{
    script("lib.vbs", "Function Twice(x)\r\n  Twice = x * 2\r\nEnd Function\r\n");
    script("main.vbs", "#include \"lib.vbs\"\r\nFunction main(p)\r\n  main = Twice(21)\r\nEnd Function\r\n");
    EXPECT_EQ(vb::CLng(runEx("main.vbs", "main")), 42);
    script("upper.vbs", "#INCLUDE \"  lib.vbs  \" ' trailing comment stays\r\nFunction main(p)\r\n  main = Twice(5)\r\nEnd Function\r\n");
    EXPECT_EQ(vb::CLng(runEx("\\upper.vbs", "main")), 10); // "\x.vbs" is the Scripts folder's x.vbs
    EXPECT_TRUE(reports().empty());
}

TEST_F(ScriptHostTest, IncludeCyclesEndAndUnfinishedDirectivesStay)
{
    script("a.vbs", "#include \"b.vbs\"\r\nFunction A()\r\n A = 1\r\nEnd Function\r\n");
    script("b.vbs", "#include \"a.vbs\"\r\nFunction B()\r\n B = 2\r\nEnd Function\r\n");
    script("main.vbs", "#include \"a.vbs\"\r\nFunction main(p)\r\n main = A() + B()\r\nEnd Function\r\n");
    EXPECT_EQ(vb::CLng(runEx("main.vbs", "main")), 3);
    // A directive without a closing quote is left alone (it is a comment to the engine).
    script("open.vbs", "Function main(p)\r\n main = 7 ' #include \"never\r\nEnd Function\r\n");
    EXPECT_EQ(vb::CLng(runEx("open.vbs", "main")), 7);
}

TEST_F(ScriptHostTest, AbsolutePathsAreUsedAsGiven)
{
    dir.write("elsewhere/x.vbs", "Function main(p)\r\n main = \"found \" & p\r\nEnd Function\r\n");
    EXPECT_EQ(vb::CStr(runEx(dir / "elsewhere/x.vbs", "main", "me")), "found me");
    const services::ScriptFile file(scripts.engine(), states.program);
    EXPECT_EQ(file.resolve("c:\\scripts\\x.vbs"), "/scripts/x.vbs");
    EXPECT_EQ(file.resolve("x.vbs"), dir / "Scripts/x.vbs");
}

TEST_F(ScriptHostTest, MissingFilesFailAtRunTime)
{
    script("main.vbs", "#include \"missing.vbs\"\r\nFunction main(p)\r\n main = Nowhere(1)\r\nEnd Function\r\n");
    EXPECT_TRUE(runEx("main.vbs", "main").isEmpty());
    EXPECT_TRUE(reported("Script Run Error ")) << (reports().empty() ? "" : reports()[0]);
    states.program.pending.clear();
    EXPECT_TRUE(runEx("absent.vbs", "main").isEmpty());
    ASSERT_EQ(reports().size(), 1u); // the missing file itself is not reported, the failed run is
    EXPECT_EQ(reports()[0].rfind("Script Run Error ", 0), 0u);
}

TEST_F(ScriptHostTest, SyntaxErrorsAreReportedWithFileLineAndColumn)
{
    script("bad.vbs", "Dim a\r\nIf a Then\r\nFunction main(p)\r\nEnd Function\r\n");
    runEx("bad.vbs", "main");
    ASSERT_TRUE(reported("Error in script syntax ")) << (reports().empty() ? "" : reports()[0]);
    const std::string report = reports()[0];
    EXPECT_NE(report.find(" / bad.vbs "), std::string::npos) << report;
    EXPECT_NE(report.find("@ Line "), std::string::npos) << report;
    EXPECT_NE(report.find(" col "), std::string::npos) << report;
}

TEST_F(ScriptHostTest, EveryRunHasAModuleOfItsOwn)
{
    // Module numbers count the runs of the engine.
    const std::int32_t before = scripts.runCount();
    script("count.vbs", "Dim n\r\nSub main(p)\r\n n = n + 1\r\n xap.SaveVar \"n\", n\r\nEnd Sub\r\n");
    vb::call(*hs, "Run", "count.vbs");
    vb::call(*hs, "Run", "count.vbs");
    EXPECT_EQ(vb::CLng(vb::call(*hs, "GetVar", "n")), 1); // module globals start afresh
    EXPECT_EQ(scripts.runCount(), before + 2);
    // A run's module is gone once the run has ended and nothing refers into it.
    vbscript::ScriptControl& engine = scripts.engine();
    EXPECT_EQ(engine.module("M" + std::to_string(before + 1)), nullptr);
    EXPECT_EQ(engine.module("M" + std::to_string(before + 2)), nullptr);
    services::ScriptFile file(engine, states.program);
    EXPECT_EQ(vb::formatGeneralDate(file.FileDate()), "1/1/1980");
}

TEST_F(ScriptHostTest, ScriptsReachTheHostByBothNames)
{
    script("v.vbs", "Function main(p)\r\n main = xap.Version & \"|\" & Version\r\nEnd Function\r\n");
    EXPECT_EQ(vb::CStr(runEx("v.vbs", "main")), "1.6.174|1.6.174");
}

TEST_F(ScriptHostTest, StatusChangeCallbacksGetTheFourValues)
{
    script("cb.vbs", "Sub OnChange(p)\r\n xap.SaveVar \"seen\", Join(p, \",\")\r\nEnd Sub\r\n");
    vb::call(*hs, "NewDevice", "Lamp", "A1");
    vb::call(*hs, "RegisterStatusChangeCB", "cb.vbs", "OnChange");
    vb::call(*hs, "SetDeviceStatus", "A1", std::int16_t(2));
    EXPECT_EQ(vb::CStr(vb::call(*hs, "GetVar", "seen")), "A,1,2,1");
}

TEST_F(ScriptHostTest, AModuleSomethingStillRefersIntoStaysAndWorks)
{
    // An object of the script's class kept by the host, and a GetRef of its procedure.
    script("keep.vbs", "Dim prefix\r\nClass Greeter\r\n Function Hi(n)\r\n Hi = prefix & n\r\n End Function\r\nEnd Class\r\n"
                       "Function Twice(x)\r\n Twice = x * 2\r\nEnd Function\r\n"
                       "Sub main(p)\r\n prefix = \"hello \"\r\n xap.SaveVar \"g\", New Greeter\r\n xap.SaveVar \"f\", GetRef(\"Twice\")\r\nEnd Sub\r\n");
    script("use.vbs", "Function main(p)\r\n Set g = xap.GetVar(\"g\")\r\n Set f = xap.GetVar(\"f\")\r\n main = g.Hi(\"you\") & \"|\" & f(21)\r\nEnd Function\r\n");
    const std::int32_t before = scripts.runCount();
    vb::call(*hs, "Run", "keep.vbs");
    EXPECT_NE(scripts.engine().module("M" + std::to_string(before + 1)), nullptr);
    EXPECT_EQ(vb::CStr(runEx("use.vbs", "main")), "hello you|42");
    EXPECT_EQ(scripts.engine().module("M" + std::to_string(before + 2)), nullptr);
}

// A run marks itself as work its time-out bounds, in the allowance its owner gave, for
// as long as it runs, and no longer.
TEST_F(ScriptHostTest, ARunMarksItsAllowanceWhileItRuns)
{
    platform::BoundedWorkAllowance allowance;
    scripts.setWorkAllowance(&allowance);
    script("spin.vbs", "Function main(p)\r\n t = Timer\r\n Do While Timer - t < 0.3 And Timer >= t\r\n Loop\r\n main = 1\r\nEnd Function\r\n");
    std::atomic<bool> running{true};
    std::atomic<long long> seen{0};
    std::thread watcher([&] {
        while (running.load()) {
            seen = std::max(seen.load(), allowance.untilMs.load());
            std::this_thread::sleep_for(std::chrono::milliseconds(5));
        }
    });
    EXPECT_EQ(vb::CLng(runEx("spin.vbs", "main")), 1);
    running = false;
    watcher.join();
    EXPECT_GT(seen.load(), 0);
    EXPECT_EQ(allowance.untilMs.load(), 0);
    scripts.setWorkAllowance(nullptr);
}

// Files saved by Windows editors: UTF-16 with a byte-order mark, or UTF-8 with one.
TEST_F(ScriptHostTest, UnicodeFilesWithAByteOrderMarkRun)
{
    const std::string code = "#include \"lib8.vbs\"\r\nFunction main(p)\r\n main = Len(\"\xC3\xA9t\xC3\xA9\") + Twice(1)\r\nEnd Function\r\n";
    std::string utf16 = "\xFF\xFE";
    // "é" is U+00E9: one UTF-16 unit.
    for (std::size_t i = 0; i < code.size(); ++i) {
        const auto c = static_cast<unsigned char>(code[i]);
        if (c == 0xC3) {
            utf16 += static_cast<char>(0xC0 + (static_cast<unsigned char>(code[++i]) - 0x80));
            utf16 += '\0';
        } else {
            utf16 += static_cast<char>(c);
            utf16 += '\0';
        }
    }
    script("lib8.vbs", "\xEF\xBB\xBF" "Function Twice(x)\r\n Twice = x * 2\r\nEnd Function\r\n");
    script("wide.vbs", utf16);
    EXPECT_EQ(vb::CLng(runEx("wide.vbs", "main")), 5);
    EXPECT_TRUE(reports().empty());
}
