// Variables, INI files through the host, and the small utilities.
#include "HostFixture.h"

#include "platform/FileSystem.h"

#include "support/Unprivileged.h"

#include <chrono>
#include <sys/stat.h>

using namespace host_testing;

namespace {

class HostSettings : public HostTest { };

} // namespace

TEST_F(HostSettings, VariablesIgnoreCaseAndKeepObjectsByReference)
{
    EXPECT_EQ(hs("CreateVar", "Counter").stringValue(), "");
    EXPECT_EQ(hs("CreateVar", "COUNTER").stringValue(), "Variable Already Exists");
    EXPECT_EQ(hs("GetVar", "counter").stringValue(), "");
    EXPECT_EQ(hs("SaveVar", "counter", 5).stringValue(), "");
    EXPECT_EQ(hs("GetVar", "Counter").longValue(), 5);

    vb::Ref<vb::Collection> shared = vb::make<vb::Collection>();
    hs("SaveVar", "List", vb::Variant(vb::Ref<vb::Object>(shared)));
    const vb::Variant back = hs("GetVar", "list");
    EXPECT_EQ(back.objectValue(), shared.get());
    shared->append(vb::Variant(1));
    EXPECT_EQ(vb::CLng(vb::getProperty(vb::requireObject(hs("GetVar", "LIST")), "Count")), 1);

    hs("DeleteVar", "list");
    hs("DeleteVar", "never there");
    EXPECT_EQ(hs("GetVar", "List").stringValue(), "Name Not Found");
}

TEST_F(HostSettings, IniSettingsLiveInTheConfigFolder)
{
    // A missing file answers with the default and is not created.
    EXPECT_EQ(hs("GetINISetting", "General", "Mode", "dflt", "other.ini").stringValue(), "dflt");
    EXPECT_FALSE(dir.exists("Config/other.ini"));
    hs("SaveINISetting", "General", "Mode", 3, "other.ini");
    EXPECT_EQ(dir.read("Config/other.ini"), "[GENERAL]\r\nMODE=3\r\n");
    EXPECT_EQ(hs("GetINISetting", "general", "mode", "dflt", "other.ini").stringValue(), "3");

    // No or an empty file name means settings.ini; an existing Settings.ini is found whatever its case.
    dir.write("Config/Settings.ini", "[Audrey]\r\nName=Kitchen\r\n");
    EXPECT_EQ(hs("GetINISetting", "Audrey", "Name", "").stringValue(), "Kitchen");
    EXPECT_EQ(hs("GetINISetting", "Audrey", "Name", "", "").stringValue(), "Kitchen");
    hs("SaveINISetting", "Audrey", "Room", "Hall");
    EXPECT_EQ(dir.read("Config/Settings.ini"), "[AUDREY]\r\nNAME=Kitchen\r\nROOM=Hall\r\n");
    EXPECT_FALSE(dir.exists("Config/settings.ini"));
    EXPECT_EQ(dir.read("Config/Settings.ini_bck"), "[Audrey]\r\nName=Kitchen\r\n");
    // The first save of other.ini had no previous file to keep: no (empty) backup.
    EXPECT_FALSE(dir.exists("Config/other.ini_bck"));
}

TEST_F(HostSettings, NamesWithLineBreaksReadBackWithTheArgumentsTheyWereWrittenWith)
{
    const std::string section = "S\r\nX";
    const std::string key = "K\nY";
    hs("SaveINISetting", section, key, "v", "breaks.ini");
    EXPECT_EQ(dir.read("Config/breaks.ini"), "[S  X]\r\nK Y=v\r\n");
    EXPECT_EQ(hs("GetINISetting", section, key, "dflt", "breaks.ini").stringValue(), "v");
    EXPECT_EQ(hs("GetINISection", section, "breaks.ini").stringValue(), "K Y=v");
    // Read again from the file, after another file was loaded in between.
    hs("GetINISetting", "A", "k", "", "other.ini");
    EXPECT_EQ(hs("GetINISetting", section, key, "dflt", "breaks.ini").stringValue(), "v");
    hs("ClearIniSection", section, "breaks.ini");
    EXPECT_EQ(dir.read("Config/breaks.ini"), "");
}

TEST_F(HostSettings, AFailedSaveLeavesWhatTheFileHoldsReadable)
{
    if (!testing_support::Unprivileged::available())
        GTEST_SKIP() << "needs root to write as another user";
    ASSERT_EQ(::chmod(dir.path().c_str(), 0755), 0);
    hs("SaveINISetting", "S", "K", "old", "kept.ini");
    hs("SaveINISetting", "S", "Gone", "x", "kept.ini");
    {
        // The Config folder belongs to root: nobody cannot write into it.
        testing_support::Unprivileged nobody;
        hs("SaveINISetting", "S", "K", "new", "kept.ini");
        EXPECT_EQ(hs("GetINISetting", "S", "K", "dflt", "kept.ini").stringValue(), "old");
        hs("ClearIniSection", "S", "kept.ini");
        EXPECT_EQ(hs("GetINISetting", "S", "Gone", "dflt", "kept.ini").stringValue(), "x");
        EXPECT_EQ(hs("GetINISection", "S", "kept.ini").stringValue(), std::string("GONE=x\0K=old", 12));
    }
    EXPECT_EQ(dir.read("Config/kept.ini"), "[S]\r\nGONE=x\r\nK=old\r\n");
    // Each failure sent its event.
    int failures = 0;
    for (const std::string& data : sender.logData())
        failures += data.rfind("IniTool Save " + (dir / "Config/kept.ini"), 0) == 0 && data.find("Permission denied") != std::string::npos;
    EXPECT_EQ(failures, 2);
}

TEST_F(HostSettings, TheSharedStoreRereadsAFileOnlyAfterAnotherWasLoaded)
{
    dir.write("Config/settings.ini", "[A]\r\nk=1\r\n");
    dir.write("Config/b.ini", "[B]\r\nk=2\r\n");
    EXPECT_EQ(hs("GetINISetting", "A", "k", "").stringValue(), "1");
    dir.write("Config/settings.ini", "[A]\r\nk=changed\r\n");
    EXPECT_EQ(hs("GetINISetting", "A", "k", "").stringValue(), "1"); // the loaded copy
    EXPECT_EQ(hs("GetINISetting", "B", "k", "", "b.ini").stringValue(), "2");
    EXPECT_EQ(hs("GetINISetting", "A", "k", "").stringValue(), "changed");
}

TEST_F(HostSettings, SectionsAreListedAndCleared)
{
    dir.write("Config/plugins.ini", "[Plugins]\r\na=1\r\nb=2\r\n[Empty]\r\n[Other]\r\nc=3\r\n");
    EXPECT_EQ(hs("GetINISection", "plugins", "plugins.ini").stringValue(), std::string("A=1\0B=2", 7));
    EXPECT_EQ(hs("GetINISection", "Empty", "plugins.ini").stringValue(), "");
    EXPECT_EQ(hs("GetINISection", "Plugins", "missing.ini").stringValue(), "");
    hs("ClearIniSection", "Plugins", "plugins.ini");
    EXPECT_EQ(dir.read("Config/plugins.ini"), "[OTHER]\r\nC=3\r\n");
    hs("ClearIniSection", "Plugins", "missing.ini");
    EXPECT_FALSE(dir.exists("Config/missing.ini"));
}

TEST_F(HostSettings, AValueThatIsNotTextIsReportedAndNothingIsWritten)
{
    hs("SaveINISetting", "S", "k", vb::Variant::null(), "n.ini");
    EXPECT_EQ(reportsOf("SaveINISetting"), 1);
    EXPECT_FALSE(dir.exists("Config/n.ini"));
}

TEST_F(HostSettings, StringItemCountsPartsFromOne)
{
    EXPECT_EQ(hs("StringItem", "x,y,z", 2, ",").stringValue(), "y");
    EXPECT_EQ(hs("StringItem", "x,y,z", 3, ",").stringValue(), "z");
    EXPECT_EQ(hs("StringItem", "x,y,z", 0, ",").stringValue(), "");
    EXPECT_EQ(hs("StringItem", "x,y,z", 4, ",").stringValue(), "");
    EXPECT_EQ(hs("StringItem", "a::b::", 3, "::").stringValue(), "");
    EXPECT_EQ(hs("StringItem", "a::b::", 2, "::").stringValue(), "b");
    EXPECT_EQ(hs("StringItem", "", 1, ",").stringValue(), "");
    EXPECT_EQ(hs("StringItem", "abc", 1, "").stringValue(), "abc");
}

TEST_F(HostSettings, UtilitiesAnswerAsTheHostDoes)
{
    // The Scripts folder of the base folder the host runs in, where RunEx finds scripts.
    EXPECT_EQ(hs("GetScriptPath").stringValue(), dir.path() + "/Scripts");
    EXPECT_EQ(hs("GetAppPath").stringValue(), dir.path());
    const vb::Variant update = hsGet("NewUpdateAvailable");
    ASSERT_TRUE(update.isArray());
    EXPECT_EQ(update.arrayValue().lbound(), 0);
    EXPECT_EQ(update.arrayValue().ubound(), 0);
    EXPECT_EQ(update.arrayValue().elements()[0].varType(), vb::vbString);
}

TEST_F(HostSettings, WaitSecsAboveThirtyTwoOverflowsAndReturnsAtOnce)
{
    const auto start = std::chrono::steady_clock::now();
    hs("WaitSecs", std::int16_t(33));
    hs("WaitSecs", std::int16_t(-5));
    EXPECT_LT(std::chrono::steady_clock::now() - start, std::chrono::seconds(2));
    EXPECT_EQ(reportsOf("WaitSecs"), 1);
    const auto logs = sender.logData();
    EXPECT_NE(logs.back().find("Overflow"), std::string::npos) << logs.back();
}

TEST_F(HostSettings, WaitSecsWaitsTheSeconds)
{
    const auto start = std::chrono::steady_clock::now();
    hs("WaitSecs", std::int16_t(1));
    const auto waited = std::chrono::steady_clock::now() - start;
    EXPECT_GE(waited, std::chrono::milliseconds(990));
    EXPECT_LT(waited, std::chrono::seconds(10));
}
