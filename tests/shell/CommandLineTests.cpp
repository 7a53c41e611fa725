// The program's command line: --base and TALLIS_BASE name the base folder (made
// absolute, the option winning over the variable); a folder that does not exist, a
// missing value or any other argument is refused with status 2 before anything runs.
#include "shell/CommandLine.h"

#include "support/TempFolder.h"

#include <gtest/gtest.h>

#include <unistd.h>

#include <filesystem>
#include <string>
#include <vector>

namespace {

shell::CommandLine parse(const std::vector<std::string>& arguments, const char* environment = nullptr)
{
    std::vector<std::string> storage{"tallis"};
    storage.insert(storage.end(), arguments.begin(), arguments.end());
    std::vector<char*> argv;
    for (std::string& argument : storage)
        argv.push_back(argument.data());
    argv.push_back(nullptr);
    return shell::parseCommandLine(static_cast<int>(storage.size()), argv.data(), environment);
}

} // namespace

TEST(CommandLine, BaseFolderFromTheOptionOrTheEnvironment)
{
    testing_support::TempFolder folder;
    std::filesystem::create_directories(folder / "instance");
    const std::string instance = folder / "instance";

    const shell::CommandLine none = parse({});
    EXPECT_FALSE(none.exitStatus);
    EXPECT_EQ(none.baseFolder, "");

    EXPECT_EQ(parse({"--base", instance}).baseFolder, instance);
    EXPECT_EQ(parse({"--base=" + instance + "/"}).baseFolder, instance);
    EXPECT_EQ(parse({}, instance.c_str()).baseFolder, instance);
    EXPECT_EQ(parse({}, "").baseFolder, ""); // an empty variable is no choice
    // The option wins over the variable, even when the variable names nothing.
    EXPECT_EQ(parse({"--base", instance}, "/no/such/folder").baseFolder, instance);

    // A relative folder is taken from the current one, and kept absolute.
    const std::string before = std::filesystem::current_path();
    std::filesystem::current_path(folder.path());
    const shell::CommandLine relative = parse({"--base", "instance"});
    std::filesystem::current_path(before);
    EXPECT_FALSE(relative.exitStatus);
    EXPECT_EQ(std::filesystem::path(relative.baseFolder), std::filesystem::canonical(instance));
}

TEST(CommandLine, RefusesWhatCannotServeBeforeAnythingRuns)
{
    testing_support::TempFolder folder;
    folder.write("file", "x");
    for (const std::vector<std::string>& arguments : std::vector<std::vector<std::string>>{
             {"--base", folder / "missing"}, {"--base", folder / "file"}, {"--base"}, {"--base="}, {"--verbose"},
             {"extra"}}) {
        const shell::CommandLine result = parse(arguments);
        ASSERT_TRUE(result.exitStatus);
        EXPECT_EQ(*result.exitStatus, 2);
    }
    EXPECT_EQ(parse({}, (folder / "missing").c_str()).exitStatus, 2);
    EXPECT_FALSE(std::filesystem::exists(folder / "missing"));
    EXPECT_EQ(parse({"--version"}).exitStatus, 0);
}
