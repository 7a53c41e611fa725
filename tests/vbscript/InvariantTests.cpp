// The engine's limits hold exactly where vbscript/base/Limits.h puts them, and the
// invariant checks are really compiled into Debug builds: breaking one aborts with
// "invariant broken" instead of corrupting memory quietly.
#include "vbscript/CompileError.h"
#include "vbscript/Parser.h"
#include "vbscript/ValueStack.h"
#include "vbscript/base/Limits.h"

#include "automation/Ref.h"

#include <gtest/gtest.h>

#include <string>

namespace {

// `levels` If blocks, each inside the one before, around one assignment.
std::string nestedIfs(int levels)
{
    std::string source;
    for (int i = 0; i < levels; ++i)
        source += "If True Then\n";
    source += "x = 1\n";
    for (int i = 0; i < levels; ++i)
        source += "End If\n";
    return source;
}

int parseError(const std::string& source)
{
    try {
        vbscript::Parser(source).parseProgram();
    } catch (const vbscript::CompileError& e) {
        return e.number();
    }
    return 0;
}

} // namespace

// Each If body is one level and the innermost assignment's expression one more, so
// this many If blocks reach the limit exactly.
TEST(ParseNesting, StopsExactlyAtTheLimit)
{
    const int deepest = vbscript::limits::kMaxParseNesting - 1;
    EXPECT_EQ(parseError(nestedIfs(deepest)), 0);
    EXPECT_EQ(parseError(nestedIfs(deepest + 1)), vbscript::cerr::OutOfMemory);
    // Exit finds the loop it leaves through the counters a body enters and leaves.
    EXPECT_EQ(parseError("Sub S\nFor i = 1 To 2\nDo\nWith Me\nExit Do\nEnd With\nExit For\nLoop\nNext\nEnd Sub"), 0);
    EXPECT_EQ(parseError("For i = 1 To 2\nNext\nExit For"), vbscript::cerr::InvalidExit);
    EXPECT_EQ(parseError("Do\nSub S\nExit Do\nEnd Sub\nLoop"), vbscript::cerr::InvalidExit);
}

#ifndef NDEBUG

TEST(InvariantDeathTest, ValueStackReleasedOutOfOrder)
{
    vbscript::ValueStack stack;
    const vbscript::ValueStack::Mark outer = stack.mark();
    stack.allocate(64);
    const vbscript::ValueStack::Mark inner = stack.mark();
    stack.allocate(64);
    stack.release(outer);
    EXPECT_DEATH(stack.release(inner), "invariant broken");
}

TEST(InvariantDeathTest, ReferenceReleasedTooOften)
{
    struct Counted : vb::RefCounted { };
    EXPECT_DEATH(
        {
            Counted* c = new Counted;
            c->release();
        },
        "invariant broken");
}

#else

TEST(InvariantDeathTest, NotCheckedInReleaseBuilds)
{
    GTEST_SKIP() << "invariant checks are compiled in Debug and fuzz builds";
}

#endif
