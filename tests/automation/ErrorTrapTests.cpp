#include "automation/Error.h"
#include "automation/Conversions.h"

#include <gtest/gtest.h>

using namespace vb;

namespace {

struct Report {
    std::string source, text;
    Failure failure;
};

} // namespace

TEST(ErrorTrap, ReportsOnceAndKeepsPartialResult)
{
    std::vector<Report> reports;
    Reporter reporter = [&](std::string_view source, std::string_view text) {
        reports.push_back({std::string(source), std::string(text), currentFailure()});
    };
    int result = 0;
    const bool ok = trap(reporter, "raruveViziva", "Compute", [&] {
        result = 7;
        CInt(Variant(100000)); // overflows
        result = 8;
    });
    EXPECT_FALSE(ok);
    EXPECT_EQ(result, 7);
    ASSERT_EQ(reports.size(), 1u);
    EXPECT_EQ(reports[0].source, "raruveViziva");
    EXPECT_EQ(reports[0].text, "Compute");
    EXPECT_EQ(reports[0].failure.number, err::Overflow);
    EXPECT_EQ(reports[0].failure.description, "Overflow");
    EXPECT_GT(reports[0].failure.line, 0);
    EXPECT_FALSE(currentFailure().active()); // cleared after the report
}

TEST(ErrorTrap, SuccessReportsNothingAndCppExceptionsAreCaught)
{
    int calls = 0;
    Reporter reporter = [&](std::string_view, std::string_view) { ++calls; };
    EXPECT_TRUE(trap(reporter, "s", "Fine", [] {}));
    EXPECT_EQ(calls, 0);
    Failure seen;
    Reporter capture = [&](std::string_view, std::string_view) { seen = currentFailure(); };
    trap(capture, "s", "Throws", [] { throw std::runtime_error("boom"); });
    EXPECT_EQ(seen.number, err::InternalError);
    EXPECT_EQ(seen.description, "boom");
}

TEST(ErrorTrap, IgnoreErrorsStepByStep)
{
    std::vector<int> ran;
    ignoreErrors([&] { ran.push_back(1); });
    ignoreErrors([&] { raiseError(err::TypeMismatch); ran.push_back(99); });
    ignoreErrors([&] { ran.push_back(3); });
    EXPECT_EQ(ran, (std::vector<int>{1, 3}));
}

TEST(ErrorTrap, SameThrowSiteGivesSameLine)
{
    auto failAt = [] {
        try {
            raiseError(err::TypeMismatch);
        } catch (const Error& e) {
            return e.line();
        }
        return 0;
    };
    EXPECT_EQ(failAt(), failAt());
}
