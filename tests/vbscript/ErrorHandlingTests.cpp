// On Error Resume Next, On Error GoTo 0 and the Err object.
#include "ScriptTest.h"

using vbtest::ScriptTest;

namespace {

class ErrorHandling : public ScriptTest { };

TEST_F(ErrorHandling, ResumeNextGoesOnWithTheNextStatement)
{
    EXPECT_EQ(out("On Error Resume Next\nx = 1 / 0\nOut.Echo \"next\", Err.Number, Err.Description, Err.Source"),
              "next 11 Division by zero Microsoft VBScript runtime error");
}

TEST_F(ErrorHandling, GoToZeroStopsResumingAndClearsErr)
{
    EXPECT_EQ(errorOf("On Error Resume Next\nx = 1 / 0\nOn Error GoTo 0\nOut.Echo Err.Number\ny = 1 / 0"), 11);
    EXPECT_EQ(recorder->lines.size(), 1u);
    EXPECT_EQ(recorder->lines[0], "0");
}

TEST_F(ErrorHandling, ErrRaiseWithDefaultsAndCustomTexts)
{
    EXPECT_EQ(out("On Error Resume Next\nErr.Raise 9\nOut.Echo Err.Number, Err.Description"), "9 Subscript out of range");
    EXPECT_EQ(out("On Error Resume Next\nErr.Raise vbObjectError + 1, \"App\", \"Custom\"\nOut.Echo Err.Number, Err.Source, Err.Description"),
              "-2147221503 App Custom");
    EXPECT_EQ(out("On Error Resume Next\nErr.Raise 31999\nOut.Echo Err.Description"), "Unknown runtime error");
    EXPECT_EQ(errorOf("Err.Raise 0"), 5);
}

TEST_F(ErrorHandling, ErrClearAndDefaultMember)
{
    EXPECT_EQ(out("On Error Resume Next\nx = 1 / 0\nOut.Echo Err\nErr.Clear\nOut.Echo Err.Number, \"[\" & Err.Description & \"]\""), "11|0 []");
    EXPECT_EQ(out("Err.Number = 5\nOut.Echo Err.Number"), "5");
}

TEST_F(ErrorHandling, ErrorsInCalleesAreCaughtAtTheCallingStatement)
{
    const char* code = "Sub Inner\nx = 1 / 0\nOut.Echo \"not reached\"\nEnd Sub\n"
                       "On Error Resume Next\nInner\nOut.Echo \"after\", Err.Number";
    EXPECT_EQ(out(code), "after 11");
}

TEST_F(ErrorHandling, ResumeNextIsPerProcedure)
{
    const char* code = "Sub Safe\nOn Error Resume Next\nx = 1 / 0\nOut.Echo \"safe\", Err.Number\nEnd Sub\n"
                       "Safe\nOut.Echo \"outer\", Err.Number\ny = 1 / 0";
    EXPECT_EQ(errorOf(code), 11);
    ASSERT_EQ(recorder->lines.size(), 2u);
    EXPECT_EQ(recorder->lines[0], "safe 11");
    EXPECT_EQ(recorder->lines[1], "outer 11");
}

TEST_F(ErrorHandling, AFailingIfConditionEntersTheBranch)
{
    EXPECT_EQ(out("On Error Resume Next\nIf 1 / 0 > 1 Then\nOut.Echo \"inside\"\nElse\nOut.Echo \"else\"\nEnd If"), "inside");
}

TEST_F(ErrorHandling, ErrorsInsideLoopBodiesResumeInTheBody)
{
    EXPECT_EQ(out("On Error Resume Next\nFor i = 1 To 3\nx = 1 / (i - 2)\nc = c + 1\nNext\nOut.Echo c"), "3");
}

TEST_F(ErrorHandling, ErrorsRaisedByHostObjectsAreCaught)
{
    EXPECT_EQ(out("On Error Resume Next\nOut.NoSuchMember\nOut.Echo Err.Number"), "438");
}

TEST_F(ErrorHandling, OptionExplicitReportsUndefinedVariablesWhenRun)
{
    EXPECT_EQ(errorOf("Option Explicit\nDim a\na = 1\nb = 2"), 500);
    EXPECT_EQ(control.error().line, 4);
    EXPECT_EQ(out("Option Explicit\nOn Error Resume Next\nzz = 1\nOut.Echo Err.Number, Err.Description"), "500 Variable is undefined");
}

TEST_F(ErrorHandling, CallingAnUndefinedNameIsATypeMismatch)
{
    EXPECT_EQ(errorOf("NoSuchSub 1, 2"), 13);
    EXPECT_EQ(errorOf("x = NoSuchFunction(1)"), 13);
    EXPECT_EQ(errorOf("Call NoSuchSub()"), 13);
}

TEST_F(ErrorHandling, AssigningToAConstantIsIllegal)
{
    EXPECT_EQ(errorOf("Const K = 1\nK = 2"), 501);
    EXPECT_EQ(errorOf("vbCrLf = 2"), 501);
}

TEST_F(ErrorHandling, RuntimeErrorsCarryLineAndColumn)
{
    EXPECT_EQ(errorOf("x = 1\n\n    y = x / 0"), 11);
    EXPECT_EQ(control.error().line, 3);
    EXPECT_EQ(control.error().column, 4);
    EXPECT_EQ(control.error().source, "Microsoft VBScript runtime error");
    EXPECT_EQ(control.error().description, "Division by zero");
}

TEST_F(ErrorHandling, TheFailingStatementInsideAProcedureIsReported)
{
    EXPECT_EQ(errorOf("Sub Deep\n  a = 1\n  b = a(1)\nEnd Sub\nDeep"), 13);
    EXPECT_EQ(control.error().line, 3);
    EXPECT_EQ(control.error().column, 2);
}

TEST_F(ErrorHandling, RaisedSourceIsReported)
{
    EXPECT_EQ(errorOf("Err.Raise 1000, \"MyApp\", \"Broken\""), 1000);
    EXPECT_EQ(control.error().source, "MyApp");
    EXPECT_EQ(control.error().description, "Broken");
}

} // namespace
