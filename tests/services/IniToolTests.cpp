#include "ini/IniState.h"
#include "ini/IniTool.h"

#include "../support/TempFolder.h"

#include <gtest/gtest.h>

using services::IniTool;
using testing_support::TempFolder;

TEST(IniToolLoad, NamesIgnoreCaseAndSaveUpperCased)
{
    services::IniState iniState; // the stores' reports and save failures
    TempFolder dir;
    dir.write("Settings.ini", "[General]\r\nDebugLog=1\r\n");
    IniTool ini(iniState);
    ini.Load(dir / "Settings.ini");
    EXPECT_EQ(ini.Read("GENERAL", "debuglog", "x"), "1");
    ini.Save();
    EXPECT_EQ(dir.read("Settings.ini"), "[GENERAL]\r\nDEBUGLOG=1\r\n");
}

TEST(IniToolLoad, KeysAndValuesAreNotTrimmedAroundTheEqualSign)
{
    services::IniState iniState; // the stores' reports and save failures
    TempFolder dir;
    dir.write("a.ini", "[S]\nname = value\na==b\nk=\n=x\n");
    IniTool ini(iniState);
    ini.Load(dir / "a.ini");
    EXPECT_EQ(ini.Read("S", "name", "default"), "default"); // the key is "name "
    EXPECT_EQ(ini.Read("S", "name ", "default"), " value");
    EXPECT_EQ(ini.Read("S", "a", ""), "=b");
    EXPECT_EQ(ini.Read("S", "k", "empty"), "empty"); // an empty value reads as the default
    ini.Save();
    EXPECT_EQ(dir.read("a.ini"), "[S]\r\n=x\r\nA==b\r\nK=\r\nNAME = value\r\n");
}

TEST(IniToolLoad, FirstOccurrenceWins)
{
    services::IniState iniState; // the stores' reports and save failures
    TempFolder dir;
    dir.write("a.ini", "[One]\nk=first\nK=second\n[ONE]\nk=third\n[one]\nnew=1\n");
    IniTool ini(iniState);
    ini.Load(dir / "a.ini");
    EXPECT_EQ(ini.Read("one", "k", ""), "first");
    EXPECT_EQ(ini.Read("one", "new", ""), "1");
    EXPECT_EQ(ini.Headers(), (std::vector<std::string>{"One"}));
}

TEST(IniToolLoad, KeysBeforeTheFirstSectionAndComments)
{
    services::IniState iniState; // the stores' reports and save failures
    TempFolder dir;
    dir.write("a.ini", "top=1\n; a comment\n\n   [ A ]  \n x=2\n");
    IniTool ini(iniState);
    ini.Load(dir / "a.ini");
    EXPECT_EQ(ini.Read("", "top", ""), "1");
    EXPECT_EQ(ini.Read(" A ", "x", ""), "2"); // inner blanks of the name kept
    ini.Save();
    EXPECT_EQ(dir.read("a.ini"), "TOP=1\r\n[ A ]\r\nX=2\r\n");
}

TEST(IniToolLoad, LinesWithoutEqualSignAreReportedAndSkipped)
{
    services::IniState iniState; // the stores' reports and save failures
    TempFolder dir;
    dir.write("a.ini", "[S]\n  garbage line  \nk=v\n");
    std::vector<std::string> reports;
    iniState.logger = [&](std::string_view type, std::string_view text) { reports.push_back(std::string(type) + "|" + std::string(text)); };
    IniTool ini(iniState);
    ini.Load(dir / "a.ini");
    iniState.logger = nullptr;
    EXPECT_EQ(ini.Read("S", "k", ""), "v");
    ASSERT_EQ(reports.size(), 1u);
    EXPECT_EQ(reports[0], "IniTool| Equal sign not found on line garbage line");
}

TEST(IniToolKeys, LiteralSectionMatch)
{
    services::IniState iniState; // the stores' reports and save failures
    IniTool ini(iniState);
    ini.WriteKey("a.b", "k1", "1");
    ini.WriteKey("aXb", "k2", "2");
    ini.WriteKey("Plugins(old)", "Audrey", "x");
    ini.WriteKey("Plugins", "Audrey", "True");
    EXPECT_EQ(ini.Keys("a.b"), (std::vector<std::string>{"K1"}));
    EXPECT_EQ(ini.Keys("Plugins(old)"), (std::vector<std::string>{"AUDREY"}));
    EXPECT_EQ(ini.Keys("plugins"), (std::vector<std::string>{"AUDREY"}));
    EXPECT_EQ(ini.Keys("none"), (std::vector<std::string>{""}));
}

TEST(IniToolSave, RemovedSectionsVanishAndBackupHoldsOldContent)
{
    services::IniState iniState; // the stores' reports and save failures
    TempFolder dir;
    dir.write("v.ini", "[Keep]\na=1\n[Drop]\nb=2\n");
    IniTool ini(iniState);
    ini.Load(dir / "v.ini");
    ini.RemoveSection("drop");
    EXPECT_EQ(ini.Headers().size(), 2u); // the section entry stays
    ini.Save();
    EXPECT_EQ(dir.read("v.ini"), "[KEEP]\r\nA=1\r\n");
    EXPECT_EQ(dir.read("v.ini_bck"), "[Keep]\na=1\n[Drop]\nb=2\n");
}

TEST(IniToolSave, NewFileHasNoBackupAndLongNamesAreKept)
{
    services::IniState iniState; // the stores' reports and save failures
    TempFolder dir;
    IniTool ini(iniState);
    ini.Load(dir / "new.ini");
    const std::string longSection(150, 's'), longKey(90, 'k');
    ini.WriteKey(longSection, longKey, "v");
    ini.Save();
    EXPECT_FALSE(dir.exists("new.ini_bck"));
    EXPECT_EQ(dir.read("new.ini"), "[" + std::string(150, 'S') + "]\r\n" + std::string(90, 'K') + "=v\r\n");
}

TEST(IniToolSave, FailureIsReportedNotRaised)
{
    services::IniState iniState; // the stores' reports and save failures
    TempFolder dir;
    std::vector<std::string> reports;
    iniState.logger = [&](std::string_view, std::string_view text) { reports.emplace_back(text); };
    IniTool ini(iniState);
    ini.Load(dir / "missing-folder/x.ini");
    ini.WriteKey("a", "b", "c");
    EXPECT_NO_THROW(ini.Save());
    iniState.logger = nullptr;
    ASSERT_EQ(reports.size(), 1u);
    EXPECT_EQ(reports[0], "IniTool Save " + (dir / "missing-folder/x.ini"));
}

TEST(IniToolFiles, CaseInsensitiveFileResolution)
{
    services::IniState iniState; // the stores' reports and save failures
    TempFolder dir;
    dir.write("Config/Settings.ini", "[a]\nb=1\n");
    IniTool ini(iniState);
    ini.Load(dir / "config/settings.ini");
    EXPECT_EQ(ini.Read("a", "b", ""), "1");
    ini.WriteKey("a", "c", "2");
    ini.Save();
    EXPECT_EQ(dir.read("Config/Settings.ini"), "[A]\r\nB=1\r\nC=2\r\n");
    EXPECT_FALSE(dir.exists("config"));
}
