// The INI store keeps files as the user made them: saving keeps a file's mode, owner
// and group and a symbolic link a link, the backup is written as safely as the file,
// a file that cannot be read is never taken for a missing one, and no name or value
// can add lines to the file.
#include "ini/IniState.h"
#include "ini/IniTool.h"
#include "ini/SaveEpisodes.h"
#include "ini/StateNotices.h"

#include "automation/Error.h"

#include "../support/TempFolder.h"
#include "../support/Unprivileged.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <sys/stat.h>
#include <unistd.h>

using services::IniTool;
using testing_support::TempFolder;

namespace {

struct stat statOf(const std::string& path)
{
    struct stat st{};
    EXPECT_EQ(::lstat(path.c_str(), &st), 0) << path;
    return st;
}

// Collects the store's reports for one test, in INI state of its own.
struct Reports {
    Reports()
    {
        state.logger = [this](std::string_view, std::string_view text) { texts.emplace_back(text); };
    }
    services::IniState state;
    std::vector<std::string> texts;
};

} // namespace

TEST(IniFileIdentity, SaveKeepsModeOwnerAndGroupOfTheFileAndItsBackup)
{
    services::IniState iniState; // the stores' reports and save failures
    TempFolder dir;
    dir.write("private.ini", "[A]\nk=1\n");
    const std::string path = dir / "private.ini";
    ASSERT_EQ(::chmod(path.c_str(), 0600), 0);
    const bool canChown = ::geteuid() == 0;
    if (canChown) {
        ASSERT_EQ(::chown(path.c_str(), 4321, 8765), 0);
    }

    IniTool ini(iniState);
    ini.Load(path);
    ini.WriteKey("A", "k", "2");
    ASSERT_TRUE(ini.Save());
    for (const std::string& file : {path, path + "_bck"}) {
        const struct stat st = statOf(file);
        EXPECT_EQ(st.st_mode & 07777, 0600u) << file;
        if (canChown) {
            EXPECT_EQ(st.st_uid, 4321u) << file;
            EXPECT_EQ(st.st_gid, 8765u) << file;
        }
    }
    EXPECT_EQ(dir.read("private.ini"), "[A]\r\nK=2\r\n");
    EXPECT_EQ(dir.read("private.ini_bck"), "[A]\nk=1\n");
}

TEST(IniFileIdentity, ASymbolicLinkStaysALinkAndItsTargetIsWritten)
{
    services::IniState iniState; // the stores' reports and save failures
    TempFolder dir;
    dir.write("real/settings.ini", "[A]\nk=1\n");
    std::filesystem::create_symlink("real/settings.ini", dir / "link.ini");

    IniTool ini(iniState);
    ini.Load(dir / "link.ini");
    ini.WriteKey("A", "k", "2");
    ASSERT_TRUE(ini.Save());
    EXPECT_TRUE(S_ISLNK(statOf(dir / "link.ini").st_mode));
    EXPECT_EQ(dir.read("real/settings.ini"), "[A]\r\nK=2\r\n");
    EXPECT_EQ(dir.read("link.ini_bck"), "[A]\nk=1\n");
    // Nothing was left beside the target.
    for (const auto& entry : std::filesystem::directory_iterator(dir / "real"))
        EXPECT_EQ(entry.path().filename(), "settings.ini");
}

TEST(IniFileIdentity, ANewFileIsReadableByAllAndStaleTemporariesGo)
{
    services::IniState iniState; // the stores' reports and save failures
    TempFolder dir;
    dir.write("x.ini.tmp~Ab12Cd", "left by a kill");
    dir.write("x.ini.tmp~keep", "not one of ours");
    IniTool ini(iniState);
    ini.Load(dir / "x.ini");
    ini.WriteKey("A", "k", "1");
    ASSERT_TRUE(ini.Save());
    EXPECT_EQ(statOf(dir / "x.ini").st_mode & 07777, 0644u);
    EXPECT_FALSE(dir.exists("x.ini.tmp~Ab12Cd"));
    EXPECT_TRUE(dir.exists("x.ini.tmp~keep"));
}

TEST(IniFileBackup, ABackupThatCannotBeWrittenFailsTheSaveAndLeavesTheFile)
{
    TempFolder dir;
    dir.write("v.ini", "[A]\nk=1\n");
    std::filesystem::create_directory(dir / "v.ini_bck"); // cannot be replaced by a file
    Reports reports;
    IniTool ini(reports.state);
    ini.Load(dir / "v.ini");
    ini.WriteKey("A", "k", "2");
    EXPECT_FALSE(ini.Save());
    EXPECT_FALSE(ini.lastSaveError().empty());
    EXPECT_EQ(reports.texts, (std::vector<std::string>{"IniTool Save " + (dir / "v.ini")}));
    EXPECT_EQ(dir.read("v.ini"), "[A]\nk=1\n");
}

TEST(IniFileUnreadable, LoadRaisesAndTheFileIsNeverSavedOver)
{
    TempFolder dir;
    std::filesystem::create_directories(dir / "odd.ini"); // exists, cannot be read as a file
    dir.write("odd.ini/inside", "x");
    Reports reports;
    IniTool ini(reports.state);
    EXPECT_THROW(ini.Load(dir / "odd.ini"), vb::Error);
    ini.WriteKey("A", "k", "1");
    EXPECT_FALSE(ini.Save());
    EXPECT_NE(ini.lastSaveError().find("could not be read"), std::string::npos) << ini.lastSaveError();
    EXPECT_EQ(reports.texts.size(), 1u);
    EXPECT_TRUE(dir.exists("odd.ini/inside"));
    EXPECT_FALSE(dir.exists("odd.ini_bck"));

    // A file of mode 0000 read by another user: the owner may still be able to write
    // it, but what the store holds is not the file, so it is not saved over.
    if (testing_support::Unprivileged::available()) {
        dir.write("secret.ini", "[A]\nk=1\n");
        ASSERT_EQ(::chmod(dir.path().c_str(), 0755), 0);
        ASSERT_EQ(::chmod((dir / "secret.ini").c_str(), 0), 0);
        {
            testing_support::Unprivileged nobody;
            EXPECT_THROW(ini.Load(dir / "secret.ini"), vb::Error);
        }
        ini.WriteKey("A", "k", "2");
        EXPECT_FALSE(ini.Save());
        EXPECT_EQ(dir.read("secret.ini"), "[A]\nk=1\n");
    }

    // A missing file is still no error, and loading it makes the store saveable again.
    EXPECT_NO_THROW(ini.Load(dir / "missing.ini"));
    ini.WriteKey("A", "k", "1");
    EXPECT_TRUE(ini.Save());
}

TEST(IniFileLines, LineBreaksInNamesAndValuesBecomeBlanks)
{
    services::IniState iniState; // the stores' reports and save failures
    TempFolder dir;
    IniTool ini(iniState);
    ini.Load(dir / "s.ini");
    ini.WriteKey("Audrey\r\n[Evil]", "Name\nInjected=1", "value\r\nOther=2");
    ASSERT_TRUE(ini.Save());
    EXPECT_EQ(dir.read("s.ini"), "[AUDREY  [EVIL]]\r\nNAME INJECTED=1=value  Other=2\r\n");
    IniTool again(iniState);
    again.Load(dir / "s.ini");
    EXPECT_EQ(again.Headers(), (std::vector<std::string>{"AUDREY  [EVIL]"}));
    EXPECT_EQ(again.Keys("AUDREY  [EVIL]"), (std::vector<std::string>{"NAME INJECTED"}));
}

TEST(IniFileLines, ATildeInASectionNameKeepsItsKeysApart)
{
    services::IniState iniState; // the stores' reports and save failures
    TempFolder dir;
    IniTool ini(iniState);
    ini.Load(dir / "t.ini");
    ini.WriteKey("a~b", "c", "1");
    ini.WriteKey("a", "b~c", "2");
    EXPECT_EQ(ini.Keys("a"), (std::vector<std::string>{"B~C"}));
    EXPECT_EQ(ini.Keys("a~b"), (std::vector<std::string>{"C"}));
    ASSERT_TRUE(ini.Save());
    EXPECT_EQ(dir.read("t.ini"), "[A]\r\nB~C=2\r\n[A~B]\r\nC=1\r\n");
    IniTool again(iniState);
    again.Load(dir / "t.ini");
    EXPECT_EQ(again.Read("A~B", "C", ""), "1");
    EXPECT_EQ(again.Read("A", "B~C", ""), "2");
    EXPECT_EQ(again.Headers(), (std::vector<std::string>{"A", "A~B"}));
}

TEST(IniFileLines, NamesWithStrayBytesAreFoundAfterASave)
{
    services::IniState iniState; // the stores' reports and save failures
    // Names are written upper-cased; "é" as a stray byte before another one must not
    // turn into a different UTF-8 character on the way ("\xC9\xA9" is "ɩ").
    TempFolder dir;
    IniTool ini(iniState);
    ini.Load(dir / "u.ini");
    ini.WriteKey("K\xFC" "che", "\xE9\xA9", "1");
    ini.WriteKey("a", std::string("b~\x01\x00\xFF\x94\xEF\xFF\xFF\x00\x01" "b[", 12), "4");
    ASSERT_TRUE(ini.Save());
    IniTool again(iniState);
    again.Load(dir / "u.ini");
    EXPECT_EQ(again.Read("K\xDC" "CHE", "\xE9\xA9", ""), "1");
    EXPECT_EQ(again.Read("a", std::string("b~\x01\x00\xFF\x94\xEF\xFF\xFF\x00\x01" "b[", 12), ""), "4");
}

TEST(IniFileFailures, AnEpisodeOfFailedSavesIsToldAtItsStartAndItsEnd)
{
    services::IniState state;
    std::vector<std::string> notices;
    state.noticeWriter = [&](std::string_view text) { notices.emplace_back(text); };
    TempFolder dir;
    const std::string path = dir / "later/x.ini";
    IniTool ini(state);
    ini.Load(path);
    ini.WriteKey("A", "k", "1");
    EXPECT_FALSE(ini.Save());
    EXPECT_FALSE(ini.Save());
    EXPECT_EQ(services::failedSavesOf(state, path), 2u);
    ASSERT_EQ(notices.size(), 1u);
    EXPECT_EQ(notices[0], "could not save " + path + ": Path not found (further failures are counted until it is saved again)");

    std::filesystem::create_directory(dir / "later");
    EXPECT_TRUE(ini.Save());
    ASSERT_EQ(notices.size(), 2u);
    EXPECT_EQ(notices[1], path + " saved again after 2 failed saves");
    EXPECT_FALSE(dir.exists("later/x.ini_bck")); // there was no previous file to keep
    EXPECT_TRUE(ini.Save()); // nothing more to tell
    EXPECT_EQ(notices.size(), 2u);
}

// Two programs in one process that fail to save the same file: each counts its own
// episode, tells it to its own writer, and is told its end only by its own save; a
// checkpoint's wording in one does not leak into the other.
TEST(IniFileFailures, EachProgramsStateKeepsItsOwnEpisodes)
{
    services::IniState first;
    services::IniState second;
    std::vector<std::string> toFirst;
    std::vector<std::string> toSecond;
    first.noticeWriter = [&](std::string_view text) { toFirst.emplace_back(text); };
    second.noticeWriter = [&](std::string_view text) { toSecond.emplace_back(text); };
    std::vector<std::string> reportsOfSecond;
    second.logger = [&](std::string_view, std::string_view text) { reportsOfSecond.emplace_back(text); };
    TempFolder dir;
    const std::string path = dir / "later/x.ini";
    IniTool a(first);
    IniTool b(second);
    a.Load(path);
    b.Load(path);
    a.WriteKey("A", "k", "1");
    b.WriteKey("A", "k", "2");
    EXPECT_FALSE(a.Save());
    {
        services::SaveKindScope checkpoints(second, "checkpoints");
        EXPECT_FALSE(b.Save());
        EXPECT_FALSE(b.Save());
        EXPECT_FALSE(b.Save());
    }
    EXPECT_EQ(services::failedSavesOf(first, path), 1u);
    EXPECT_EQ(services::failedSavesOf(second, path), 3u);
    EXPECT_EQ(toFirst.size(), 1u);
    EXPECT_EQ(toSecond.size(), 1u);
    EXPECT_EQ(reportsOfSecond.size(), 3u); // the first program's failure is not the second's report

    std::filesystem::create_directory(dir / "later");
    EXPECT_TRUE(a.Save());
    ASSERT_EQ(toFirst.size(), 2u);
    EXPECT_EQ(toFirst[1], path + " saved again after 1 failed save");
    EXPECT_EQ(toSecond.size(), 1u); // the second program's episode goes on
    EXPECT_EQ(services::failedSavesOf(second, path), 3u);
    EXPECT_TRUE(b.Save());
    ASSERT_EQ(toSecond.size(), 2u);
    EXPECT_EQ(toSecond[1], path + " saved again after 3 failed checkpoints");
    EXPECT_EQ(services::failedSavesOf(first, path), 0u);
    EXPECT_EQ(services::failedSavesOf(second, path), 0u);
}

TEST(IniFileFailures, ReasonsSayWhatAUserCanActOn)
{
    services::IniState iniState; // the stores' reports and save failures
    if (!testing_support::Unprivileged::available())
        GTEST_SKIP() << "needs root to write as another user";
    TempFolder dir;
    ASSERT_EQ(::chmod(dir.path().c_str(), 0755), 0);
    IniTool ini(iniState);
    ini.Load(dir / "x.ini");
    ini.WriteKey("A", "k", "1");
    {
        testing_support::Unprivileged nobody;
        EXPECT_FALSE(ini.Save());
    }
    EXPECT_EQ(ini.lastSaveError(), "Permission denied: " + (dir / "x.ini"));
    // A folder in the file's place: the system's own reason is kept.
    std::filesystem::create_directory(dir / "x.ini");
    std::filesystem::create_directory(dir / "x.ini/inner");
    EXPECT_FALSE(ini.Save());
    EXPECT_NE(ini.lastSaveError().find("Path/File access error ("), std::string::npos) << ini.lastSaveError();
}
