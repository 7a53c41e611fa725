// The frame memory: stack order, chunk boundaries and values released.
#include "vbscript/ValueStack.h"

#include "automation/Variant.h"

#include <gtest/gtest.h>

#include <memory>
#include <vector>

namespace {

TEST(ValueStack, FramesTakeAndReturnMemoryInStackOrder)
{
    vbscript::ValueStack stack;
    const auto empty = stack.mark();
    {
        vbscript::FrameMemory a(stack, 3, 2);
        a.values[0] = vb::Variant("a string that lives in the frame");
        a.pointers[1] = &a.values[2];
        {
            vbscript::FrameMemory b(stack, 2, 0);
            EXPECT_GE(reinterpret_cast<char*>(b.values), reinterpret_cast<char*>(a.pointers + 2));
            EXPECT_TRUE(b.values[0].isEmpty());
        }
        vbscript::FrameMemory c(stack, 1, 0);
        EXPECT_TRUE(c.values[0].isEmpty());
        EXPECT_EQ(a.values[0].stringValue(), "a string that lives in the frame");
    }
    EXPECT_EQ(stack.mark().chunk, empty.chunk);
    EXPECT_EQ(stack.mark().top, empty.top);
}

TEST(ValueStack, DeepChainsSpanSeveralChunksAndComeBack)
{
    vbscript::ValueStack stack;
    const auto empty = stack.mark();
    std::vector<std::unique_ptr<vbscript::FrameMemory>> frames;
    for (int i = 0; i < 20000; ++i) {
        frames.push_back(std::make_unique<vbscript::FrameMemory>(stack, 4, 2));
        frames.back()->values[0] = vb::Variant(static_cast<std::int32_t>(i));
        frames.back()->values[3] = vb::Variant("text");
    }
    EXPECT_GT(stack.mark().chunk, 0u);
    for (int i = 0; i < 20000; ++i)
        ASSERT_EQ(frames[static_cast<std::size_t>(i)]->values[0].longValue(), i);
    while (!frames.empty())
        frames.pop_back();
    EXPECT_EQ(stack.mark().chunk, 0u);
    EXPECT_EQ(stack.mark().top, empty.top);
    // The first chunk is used again from its start.
    vbscript::FrameMemory again(stack, 1, 0);
    EXPECT_EQ(reinterpret_cast<std::byte*>(again.values), empty.top);
}

TEST(ValueStack, ABlockLargerThanAChunkGetsItsOwn)
{
    vbscript::ValueStack stack;
    vbscript::FrameMemory small(stack, 10, 0);
    vbscript::FrameMemory huge(stack, 100000, 0);
    huge.values[99999] = vb::Variant("end");
    EXPECT_EQ(huge.values[99999].stringValue(), "end");
    EXPECT_TRUE(small.values[9].isEmpty());
}

} // namespace
