// "\" and Mod: the whole-number shortcut for Integer and Long operands must give what
// the general rules give, values, types and errors alike, and scripts see the
// language's rules whichever node evaluates the operator.
#include "ScriptTest.h"

#include "vbscript/ExprNodes.h"

#include "automation/Conversions.h"
#include "automation/Error.h"

#include <cstdint>
#include <string>
#include <vector>

using vbtest::ScriptTest;

namespace {

using vb::Variant;
using Fn = Variant (*)(const Variant&, const Variant&);

// What an operator gives: "TypeName value", or "error N".
std::string outcome(Fn fn, const Variant& a, const Variant& b)
{
    try {
        const Variant r = fn(a, b);
        return vb::typeName(r) + " " + (r.isNull() ? std::string("Null") : vb::CStr(r));
    } catch (const vb::Error& e) {
        return "error " + std::to_string(e.number());
    }
}

std::vector<Variant> operands()
{
    return {
        Variant(std::int16_t(0)), Variant(std::int16_t(1)), Variant(std::int16_t(-1)), Variant(std::int16_t(7)),
        Variant(std::int16_t(-7)), Variant(std::int16_t(32767)), Variant(std::int16_t(-32768)),
        Variant(std::int32_t(0)), Variant(std::int32_t(-1)), Variant(std::int32_t(3)), Variant(std::int32_t(-3)),
        Variant(std::int32_t(32768)), Variant(std::int32_t(-32769)), Variant(std::int32_t(1000003)),
        Variant(std::int32_t(INT32_MAX)), Variant(std::int32_t(INT32_MIN)),
        Variant(2.5), Variant(3.5), Variant(-2.5), Variant(0.4), Variant(2147483647.5), Variant(-2147483648.4),
        Variant(2147483648.0), Variant(1.5f),
        Variant(std::string("7")), Variant(std::string(" -2 ")), Variant(std::string("abc")),
        Variant(), Variant::null(), Variant(true), Variant(std::uint8_t(200)),
    };
}

TEST(WholeDivisionShortcut, AgreesWithTheGeneralRulesOnEveryPairOfOperands)
{
    const auto values = operands();
    for (const Variant& a : values)
        for (const Variant& b : values) {
            const std::string pair = vb::typeName(a) + " " + (a.isNull() ? "Null" : vb::CStr(a)) + " and " +
                                     vb::typeName(b) + " " + (b.isNull() ? "Null" : vb::CStr(b));
            EXPECT_EQ(outcome(vbscript::fast::modulo, a, b), outcome(vbscript::ops::modulo, a, b)) << "Mod of " << pair;
            EXPECT_EQ(outcome(vbscript::fast::intDivide, a, b), outcome(vbscript::ops::intDivide, a, b)) << "\\ of " << pair;
        }
}

TEST(WholeDivisionShortcut, KeepsTheNarrowestTypeAndTheLongLimits)
{
    using vbscript::fast::intDivide;
    using vbscript::fast::modulo;
    const Variant i7(std::int16_t(7)), i3(std::int16_t(3)), l3(std::int32_t(3)), minLong(std::int32_t(INT32_MIN));
    const Variant minusOne(std::int16_t(-1)), minInteger(std::int16_t(-32768));
    EXPECT_EQ(outcome(modulo, i7, i3), "Integer 1");
    EXPECT_EQ(outcome(modulo, i7, l3), "Long 1");
    EXPECT_EQ(outcome(intDivide, i7, l3), "Long 2");
    // The one Integer quotient outside Integer widens; the one Long quotient outside Long overflows.
    EXPECT_EQ(outcome(intDivide, minInteger, minusOne), "Long 32768");
    EXPECT_EQ(outcome(intDivide, minLong, minusOne), "error 6");
    EXPECT_EQ(outcome(modulo, minLong, minusOne), "Long 0");
    EXPECT_EQ(outcome(modulo, i7, Variant(std::int32_t(0))), "error 11");
    EXPECT_EQ(outcome(intDivide, Variant(std::int32_t(0)), Variant(std::int16_t(0))), "error 11");
}

class WholeDivision : public ScriptTest { };

TEST_F(WholeDivision, TruncatesTowardZeroAndTheRemainderTakesTheDividendsSign)
{
    EXPECT_EQ(out("a = 7 : b = -7 : Out.Echo a \\ 2, b \\ 2, a Mod 3, b Mod 3, a Mod -3, b Mod -3"), "3 -3 1 -1 1 -1");
    EXPECT_EQ(out("a = CLng(100000) : b = -3 : Out.Echo a \\ b, a Mod b, TypeName(a Mod b), TypeName(7 Mod b)"),
              "-33333 1 Long Integer");
    EXPECT_EQ(out("a = 2147483647 : Out.Echo a \\ 2, a Mod 1000003, -a \\ 1, TypeName(a \\ 2)"),
              "1073741823 477206 -2147483647 Long");
}

TEST_F(WholeDivision, LocalsArgumentsAndConstantsGiveTheSameAnswers)
{
    // Each operator in a procedure: a local or argument against a constant, and two variables.
    const std::string code =
        "Function F(a, d)\n Dim l : l = a\n"
        " F = (a Mod 7) & \" \" & (l Mod 7) & \" \" & (a \\ 7) & \" \" & (l \\ 7) & \" \" & (a Mod d) & \" \" & (l \\ d)\n"
        "End Function\n";
    EXPECT_EQ(out(code + "Out.Echo F(-100, 9)"), "-2 -2 -14 -14 -1 -11");
    EXPECT_EQ(out(code + "Out.Echo F(CLng(-2147483647), -1000)"),
              "-1 -1 -306783378 -306783378 -647 2147483");
    EXPECT_EQ(out(code + "Out.Echo F(\"45\", 2.5)"), "3 3 6 6 1 22");
    // Null propagates through each operator and "&" turns it into nothing.
    EXPECT_EQ(out(code + "Out.Echo \"[\" & F(Null, 0) & \"]\""), "[     ]");
    EXPECT_EQ(errorOf(code + "x = F(5, 0)"), 11);
    EXPECT_EQ(errorOf(code + "x = F(\"abc\", 2)"), 13);
}

TEST_F(WholeDivision, OverflowAndDivisionByZeroAreRaisedAsBefore)
{
    EXPECT_EQ(errorOf("a = CLng(-2147483647) - 1 : x = a \\ -1"), 6);
    EXPECT_EQ(errorOf("a = CLng(-2147483647) - 1 : b = -1 : x = a \\ b"), 6);
    EXPECT_EQ(out("a = CLng(-2147483647) - 1 : b = -1 : Out.Echo a Mod b, a Mod -1"), "0 0");
    EXPECT_EQ(out("a = CInt(-32768) : b = CInt(-1) : Out.Echo a \\ b, TypeName(a \\ b)"), "32768 Long");
    EXPECT_EQ(errorOf("a = 5 : x = a Mod 0"), 11);
    EXPECT_EQ(errorOf("a = 5 : b = 0 : x = a \\ b"), 11);
    EXPECT_EQ(errorOf("a = 0 : b = 0 : x = a \\ b"), 11);
    EXPECT_EQ(errorOf("a = 5 : x = a Mod Empty"), 11);
    // Doubles round half to even before dividing; beyond Long they overflow.
    EXPECT_EQ(out("a = 5.5 : b = 4.5 : Out.Echo a Mod 4, b \\ 1, a \\ 2.5, TypeName(a Mod 4)"), "2 4 3 Long");
    EXPECT_EQ(errorOf("a = 2147483647.5 : x = a Mod 2"), 6);
    EXPECT_EQ(errorOf("a = 3 : b = 0.4 : x = a Mod b"), 11);
}

TEST_F(WholeDivision, NullPropagatesAndEmptyIsZero)
{
    EXPECT_EQ(out("n = Null : a = 5 : Out.Echo IsNull(n Mod a), IsNull(a \\ n), IsNull(n Mod 0), IsNull(a \\ Null)"),
              "True True True True");
    EXPECT_EQ(out("a = 5 : Out.Echo e Mod a, e \\ a, TypeName(e Mod a), True Mod a, TypeName(CByte(200) Mod a)"),
              "0 0 Integer -1 Integer");
}

} // namespace
