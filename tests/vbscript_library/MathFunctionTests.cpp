#include "LibraryTestSupport.h"

#include <cmath>

using namespace library_test;
using vb::Variant;

TEST(MathFunctions, ResultsAndDomainErrors)
{
    EXPECT_EQ(3.0, call("Sqr", std::int16_t(9)).doubleValue());
    EXPECT_EQ(vb::vbDouble, call("Sqr", std::int16_t(4)).type());
    EXPECT_NEAR(1.0, call("Exp", std::int16_t(0)).doubleValue(), 1e-15);
    EXPECT_NEAR(1.0, call("Log", std::exp(1.0)).doubleValue(), 1e-15);
    EXPECT_NEAR(M_PI, 4 * call("Atn", std::int16_t(1)).doubleValue(), 1e-15);
    EXPECT_NEAR(0.0, call("Sin", std::int16_t(0)).doubleValue(), 1e-15);
    EXPECT_NEAR(1.0, call("Cos", std::int16_t(0)).doubleValue(), 1e-15);
    EXPECT_NEAR(1.0, call("Tan", M_PI / 4).doubleValue(), 1e-15);
    EXPECT_VB_ERROR(5, call("Sqr", std::int16_t(-1)));
    EXPECT_VB_ERROR(5, call("Log", std::int16_t(0)));
    EXPECT_VB_ERROR(5, call("Log", std::int16_t(-3)));
    EXPECT_VB_ERROR(6, call("Exp", std::int16_t(710)));
    EXPECT_VB_ERROR(94, call("Sqr", Variant::null()));
    EXPECT_VB_ERROR(94, call("Sin", Variant::null()));
    EXPECT_VB_ERROR(13, call("Cos", "abc"));
}

TEST(MathFunctions, RndSequencesAreRepeatable)
{
    const Variant first = call("Rnd", std::int16_t(-7));
    EXPECT_EQ(vb::vbSingle, first.type());
    const Variant second = call("Rnd");
    const Variant third = call("Rnd");
    EXPECT_EQ(third.singleValue(), call("Rnd", std::int16_t(0)).singleValue()); // 0 repeats the last number
    // The same negative argument starts the same sequence again.
    EXPECT_EQ(first.singleValue(), call("Rnd", std::int16_t(-7)).singleValue());
    EXPECT_EQ(second.singleValue(), call("Rnd").singleValue());
    EXPECT_NE(first.singleValue(), call("Rnd", std::int16_t(-8)).singleValue());
    // Randomize with a number after Rnd(-1) repeats a sequence too.
    call("Rnd", std::int16_t(-1));
    call("Randomize", std::int16_t(42));
    const float a = call("Rnd").singleValue();
    call("Rnd", std::int16_t(-1));
    call("Randomize", std::int16_t(42));
    EXPECT_EQ(a, call("Rnd").singleValue());
    for (int i = 0; i < 1000; ++i) {
        const float r = call("Rnd").singleValue();
        ASSERT_GE(r, 0.0f);
        ASSERT_LT(r, 1.0f);
    }
    EXPECT_TRUE(call("Randomize").isEmpty());
}

TEST(MathFunctions, RgbPacksRedFirst)
{
    EXPECT_EQ(0x0000FF, call("RGB", std::int16_t(255), std::int16_t(0), std::int16_t(0)).longValue());
    EXPECT_EQ(0x030201, call("RGB", std::int16_t(1), std::int16_t(2), std::int16_t(3)).longValue());
    EXPECT_EQ(0xFFFFFF, call("RGB", std::int16_t(300), std::int16_t(255), std::int16_t(999)).longValue());
    EXPECT_VB_ERROR(5, call("RGB", std::int16_t(-1), std::int16_t(0), std::int16_t(0)));
}
