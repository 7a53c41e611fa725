// Time-out, recursion depth and runaway scripts end in reported errors.
#include "ScriptTest.h"

#include "vbscript/Engine.h"

#include <chrono>

namespace {

TEST(Limits, TimeoutStopsARunawayLoopAndTheEngineStaysUsable)
{
    vbscript::ScriptControl control;
    control.setTimeout(200);
    const auto start = std::chrono::steady_clock::now();
    EXPECT_THROW(control.AddCode("Do : x = x + 1 : Loop"), vb::Error);
    const auto elapsed = std::chrono::steady_clock::now() - start;
    EXPECT_LT(elapsed, std::chrono::seconds(5));
    EXPECT_EQ(control.error().number, vbscript::kTimeoutError);
    EXPECT_EQ(control.error().description, vbscript::kTimeoutDescription);
    EXPECT_EQ(control.error().line, 1);
    EXPECT_EQ(vb::CStr(control.Eval("2 * 21")), "42");
}

TEST(Limits, OnErrorResumeNextDoesNotSwallowTheTimeout)
{
    vbscript::ScriptControl control;
    control.setTimeout(100);
    EXPECT_THROW(control.AddCode("On Error Resume Next\nDo\nx = 1 / 0\nLoop"), vb::Error);
    EXPECT_EQ(control.error().number, vbscript::kTimeoutError);
}

TEST(Limits, TimeoutCoversRecursionWithoutLoops)
{
    vbscript::ScriptControl control;
    control.setTimeout(100);
    EXPECT_THROW(control.AddCode("Sub R(n)\nIf n > 0 Then R n - 1 : R n - 1\nEnd Sub\nR 60"), vb::Error);
    EXPECT_EQ(control.error().number, vbscript::kTimeoutError);
}

// One call of the library that would build a gigabyte: the limit stops it inside the
// call, not after it.
TEST(Limits, TimeoutReachesInsideLongLibraryCalls)
{
    vbscript::ScriptControl control;
    control.setTimeout(1);
    for (const char* code : {"x = String(2 ^ 30, \"x\")", "x = Space(2 ^ 30)", "x = String(2 ^ 28, \"\xC3\xA9\")",
                             "x = Replace(String(2 ^ 24, \"a\"), \"a\", \"bb\")"}) {
        EXPECT_THROW(control.AddCode(code), vb::Error) << code;
        EXPECT_EQ(control.error().number, vbscript::kTimeoutError) << code;
    }
    control.setTimeout(-1);
    control.AddCode("a = Split(String(2000, \",\"), \",\")");
    control.setTimeout(1);
    EXPECT_THROW(control.AddCode("For i = 1 To 20 : s = Join(a, String(50000, \"-\")) : Next"), vb::Error);
    EXPECT_EQ(control.error().number, vbscript::kTimeoutError);
}

TEST(Limits, NegativeTimeoutMeansNoLimit)
{
    vbscript::ScriptControl control;
    control.setTimeout(-1);
    control.AddCode("For i = 1 To 100000 : x = x + 1 : Next");
    EXPECT_EQ(vb::CStr(control.Eval("x")), "100000");
}

TEST(Limits, DeepRecursionEndsInOutOfStackSpace)
{
    vbscript::ScriptControl control;
    control.setTimeout(-1);
    EXPECT_THROW(control.AddCode("Function Down(n)\nDown = Down(n + 1)\nEnd Function\nx = Down(0)"), vb::Error);
    EXPECT_EQ(control.error().number, 28);
    EXPECT_EQ(control.error().description, "Out of stack space");
    EXPECT_EQ(vb::CStr(control.Eval("1 + 1")), "2");
}

TEST(Limits, RecursionToTheRequestedDepthFailsCleanly)
{
    vbscript::ScriptControl control;
    control.setTimeout(-1);
    EXPECT_THROW(control.AddCode("Function R(n)\nIf n = 0 Then R = 0 Else R = R(n - 1) + 1\nEnd Function\nx = R(100000)"), vb::Error);
    EXPECT_EQ(control.error().number, 28);
}

TEST(Limits, ModerateRecursionWorks)
{
    vbscript::ScriptControl control;
    control.AddCode("Function R(n)\nIf n = 0 Then R = 0 Else R = R(n - 1) + 1\nEnd Function");
    EXPECT_EQ(vb::CStr(control.Eval("R(1000)")), "1000");
}

TEST(Limits, OutOfStackSpaceCanBeCaught)
{
    vbscript::ScriptControl control;
    control.AddCode("Function Down(n)\nDown = Down(n + 1)\nEnd Function\nOn Error Resume Next\nx = Down(0)\ncaught = Err.Number");
    EXPECT_EQ(vb::CStr(control.Eval("caught")), "28");
}

} // namespace
