#include "platform/ExecutablePath.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <string>
#include <unistd.h>

namespace {

// The test program's own folder and file name (the resolved path has no links).
struct Self {
    std::string folder;
    std::string name;
    std::string folderName;
};

Self self()
{
    const std::string exe = platform::resolvedExecutablePath();
    const std::size_t slash = exe.rfind('/');
    Self s{exe.substr(0, slash), exe.substr(slash + 1), {}};
    s.folderName = s.folder.substr(s.folder.rfind('/') + 1);
    return s;
}

class ExecutablePathTest : public ::testing::Test {
protected:
    void TearDown() override { platform::setInvocationPath(""); }
};

} // namespace

TEST_F(ExecutablePathTest, DotsAndDoubledSlashesAreResolvedInTheText)
{
    const Self s = self();
    ASSERT_FALSE(s.name.empty());
    platform::setInvocationPath(s.folder + "//./../" + s.folderName + "/./" + s.name);
    EXPECT_EQ(platform::executablePath(), s.folder + "/" + s.name);
    EXPECT_EQ(platform::executableFolder(), s.folder);

    // ".." above the root stays at the root.
    platform::setInvocationPath("/../../.." + s.folder + "/" + s.name);
    EXPECT_EQ(platform::executablePath(), s.folder + "/" + s.name);
}

TEST_F(ExecutablePathTest, RelativePathsStartAtTheCurrentFolder)
{
    const Self s = self();
    char before[4096];
    ASSERT_NE(::getcwd(before, sizeof before), nullptr);
    const char* pwd = std::getenv("PWD");
    const std::string oldPwd = pwd ? pwd : "";
    ASSERT_EQ(::chdir(s.folder.c_str()), 0);
    ::setenv("PWD", (s.folder + "/").c_str(), 1);

    platform::setInvocationPath("./" + s.name);
    EXPECT_EQ(platform::executablePath(), s.folder + "/" + s.name);
    platform::setInvocationPath("../" + s.folderName + "/" + s.name);
    EXPECT_EQ(platform::executablePath(), s.folder + "/" + s.name);

    ASSERT_EQ(::chdir(before), 0);
    ::setenv("PWD", oldPwd.c_str(), 1);
}

TEST_F(ExecutablePathTest, APathThatIsNotTheProgramFallsBackToTheResolvedOne)
{
    platform::setInvocationPath("/nonexistent/./folder/../tallis");
    EXPECT_EQ(platform::executablePath(), platform::resolvedExecutablePath());
    platform::setInvocationPath("/");
    EXPECT_EQ(platform::executablePath(), platform::resolvedExecutablePath());
}
