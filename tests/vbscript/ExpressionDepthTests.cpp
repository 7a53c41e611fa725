// No expression a script writes may crash the engine: long operator chains run (in
// a loop, not by recursion), and nesting beyond the limit ends in error 1001, also
// on a thread with a small stack, as the host program's threads may have.
#include "ScriptTest.h"

#include "platform/ThreadStack.h"

#include <pthread.h>

#include <functional>

using vbtest::ScriptTest;

namespace {

std::string repeated(const std::string& piece, int times)
{
    std::string s;
    s.reserve(piece.size() * static_cast<std::size_t>(times));
    for (int i = 0; i < times; ++i)
        s += piece;
    return s;
}

// Runs `work` on a thread whose stack is `bytes` large.
// Runs `work` on a thread with a stack of `bytes` (times the frame scale of this build,
// so that a sanitizer's larger frames meet the same limits).
void onSmallStack(std::size_t bytes, const std::function<void()>& work)
{
    pthread_attr_t attr;
    pthread_attr_init(&attr);
    pthread_attr_setstacksize(&attr, bytes * platform::kStackFrameScale);
    pthread_t thread;
    auto body = [](void* p) -> void* {
        (*static_cast<const std::function<void()>*>(p))();
        return nullptr;
    };
    ASSERT_EQ(pthread_create(&thread, &attr, body, const_cast<std::function<void()>*>(&work)), 0);
    pthread_join(thread, nullptr);
    pthread_attr_destroy(&attr);
}

class LongChains : public ScriptTest { };

TEST_F(LongChains, ThousandsOfTermsOfConstants)
{
    EXPECT_EQ(out("x = 1" + repeated(" + 1", 19500) + "\nOut.Echo x"), "19501");
    EXPECT_EQ(out("x = 2" + repeated(" ^ 1", 19500) + "\nOut.Echo x"), "2");
    EXPECT_EQ(out("x = \"\"" + repeated(" & _\n\"ab\"", 19500) + "\nOut.Echo Len(x)"), "39000");
}

TEST_F(LongChains, ThousandsOfTermsOfVariables)
{
    EXPECT_EQ(out("y = 1 : x = y" + repeated(" + y", 19500) + "\nOut.Echo x"), "19501");
    EXPECT_EQ(out("v = \"ab\" : x = \"\"" + repeated(" & _\nv", 19500) + "\nOut.Echo Len(x)"), "39000");
    EXPECT_EQ(out("t = True : x = t" + repeated(" And t", 5000) + "\nOut.Echo x"), "True");
    EXPECT_EQ(out("n = 3 : x = n" + repeated(" - n + n", 5000) + "\nOut.Echo x"), "3");
}

TEST_F(LongChains, BuiltFromInsideAScript)
{
    EXPECT_EQ(out("Execute \"x = 1\" & Replace(String(200000, \"a\"), \"a\", \" + 1\")\nOut.Echo x"), "200001");
    EXPECT_EQ(out("y = 1\nExecute \"x = y\" & Replace(String(50000, \"a\"), \"a\", \" + y\")\nOut.Echo x"), "50001");
}

TEST_F(LongChains, ErrorsInsideAChainStillReport)
{
    EXPECT_EQ(errorOf("y = 1 : z = 0 : x = y" + repeated(" + y", 100) + " + y / z"), 11);
    EXPECT_EQ(out("On Error Resume Next\ny = 1 : x = y" + repeated(" + y", 100) + " + \"q\"\nOut.Echo Err.Number"), "13");
}

class DeepNesting : public ScriptTest { };

TEST_F(DeepNesting, EndsInOutOfMemory)
{
    EXPECT_EQ(errorOf("x = " + repeated("(", 20000) + "1" + repeated(")", 20000)), 1001);
    EXPECT_EQ(errorOf("x = " + repeated("-", 20000) + "1"), 1001);
    EXPECT_EQ(errorOf("x = " + repeated("Not ", 20000) + "1"), 1001);
    EXPECT_EQ(errorOf("x = a" + repeated(".b", 20000)), 1001);
    EXPECT_EQ(errorOf("a" + repeated("(0)", 20000) + " = 1"), 1001);
    EXPECT_EQ(errorOf(repeated("If 1 Then\n", 5000)), 1001);
}

TEST_F(DeepNesting, WithinTheLimitItRuns)
{
    EXPECT_EQ(evalText(repeated("(", 60) + "1" + repeated(")", 60)), "1");
}

TEST(SmallStack, ChainsAndNestingDoNotCrash)
{
    onSmallStack(512 * 1024, [] {
        vbscript::ScriptControl control;
        EXPECT_EQ(vb::CStr(control.Eval("1" + repeated(" + 1", 19500))), "19501");
        control.AddCode("y = 1");
        EXPECT_EQ(vb::CStr(control.Eval("y" + repeated(" & y", 19500))).size(), 19501u);
        try {
            control.AddCode("x = " + repeated("(", 20000) + "1" + repeated(")", 20000));
            ADD_FAILURE() << "no error";
        } catch (const vb::Error& e) {
            EXPECT_EQ(e.number(), 1001);
        }
        EXPECT_EQ(vb::CStr(control.Eval(repeated("(", 90) + "2" + repeated(")", 90))), "2");
    });
}

TEST(SmallStack, DeepRecursionEndsInOutOfStackSpace)
{
    onSmallStack(512 * 1024, [] {
        vbscript::ScriptControl control;
        try {
            control.AddCode("Function Down(n)\nDown = Down(n + 1) + 1\nEnd Function\nx = Down(0)");
            ADD_FAILURE() << "no error";
        } catch (const vb::Error& e) {
            EXPECT_EQ(e.number(), 28);
        }
        EXPECT_EQ(vb::CStr(control.Eval("1 + 1")), "2");
    });
}

} // namespace
