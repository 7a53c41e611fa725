// vbsrun's runner: error lines, exit codes, the script file itself.
#include "support/TempFolder.h"

#include "Runner.h"

#include <gtest/gtest.h>

#include <fstream>
#include <sstream>

namespace {

class Runner : public ::testing::Test {
protected:
    std::string write(const std::string& name, const std::string& code)
    {
        const std::string path = folder.path() + "/" + name;
        std::ofstream(path, std::ios::binary) << code;
        return path;
    }
    int run(const std::string& path, std::string& errors)
    {
        vbsrun::RunOptions options;
        options.scriptPath = path;
        std::ostringstream err;
        const int code = vbsrun::runScript(options, err);
        errors = err.str();
        return code;
    }
    testing_support::TempFolder folder;
};

TEST_F(Runner, SuccessExitsWithZero)
{
    std::string errors;
    EXPECT_EQ(run(write("ok.vbs", "x = 1"), errors), 0);
    EXPECT_EQ(errors, "");
}

TEST_F(Runner, QuitGivesItsExitCode)
{
    std::string errors;
    EXPECT_EQ(run(write("quit.vbs", "WScript.Quit 7\nx = 1 / 0"), errors), 7);
    EXPECT_EQ(errors, "");
    EXPECT_EQ(run(write("quit0.vbs", "Sub S : WScript.Quit : End Sub\nS\nx = 1 / 0"), errors), 0);
}

TEST_F(Runner, RuntimeErrorsAreOneLineWithAOneBasedColumn)
{
    std::string errors;
    const std::string path = write("bad.vbs", "x = 1\n  y = CInt(\"abc\")");
    EXPECT_EQ(run(path, errors), 1);
    EXPECT_EQ(errors, path + "(2, 3) runtime error 13: Type mismatch\n");
}

TEST_F(Runner, CompileErrorsAreOneLine)
{
    std::string errors;
    const std::string path = write("syntax.vbs", "x = (1 +\n");
    EXPECT_EQ(run(path, errors), 1);
    EXPECT_EQ(errors, path + "(1, 9) compilation error 1023: Expected expression\n");
}

TEST_F(Runner, AMissingFileIsAnError)
{
    std::string errors;
    EXPECT_EQ(run(folder.path() + "/none.vbs", errors), 1);
    EXPECT_NE(errors.find("cannot read"), std::string::npos);
}

TEST_F(Runner, AByteOrderMarkIsSkipped)
{
    std::string errors;
    EXPECT_EQ(run(write("bom.vbs", "\xEF\xBB\xBFx = 1\ny = x / 0"), errors), 1);
    EXPECT_NE(errors.find("(2, 1) runtime error 11"), std::string::npos);
}

TEST_F(Runner, WindowsLineEndsAreLines)
{
    std::string errors;
    EXPECT_EQ(run(write("crlf.vbs", "x = 1\r\n\r\ny = x / 0\r\n"), errors), 1);
    EXPECT_NE(errors.find("(3, 1) runtime error 11"), std::string::npos);
}

} // namespace
