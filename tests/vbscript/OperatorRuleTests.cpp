// Operator rules scripts meet every day: how strings compare with numbers and
// Booleans, and the precedence of negation and Not.
#include "ScriptTest.h"

using vbtest::ScriptTest;

namespace {

class StringsAndNumbers : public ScriptTest { };

TEST_F(StringsAndNumbers, ANumericLiteralReadsTheStringAsANumber)
{
    EXPECT_EQ(out("s = \"0\" : Out.Echo s > 30, \"10\" < 100, \"42\" = 42, \" 5\" = 5, \"&hff\" = 255"),
              "False True True True True");
    // The literal may stand on either side, also against a string literal.
    EXPECT_EQ(out("s = \"9\" : Out.Echo 10 > s, 9 = s, s < 10"), "True True True");
    EXPECT_EQ(out("s = \"1.5\" : Out.Echo s > 1, s = 1.5"), "True True");
    EXPECT_EQ(out("Out.Echo 9 < \"10\", \"10\" > 9, 10 = \"10\""), "True True True");
    // A date literal reads the string as a date.
    EXPECT_EQ(out("s = \"1/2/2024\" : Out.Echo s = #1/2/2024#, s < #1/3/2024#"), "True True");
}

TEST_F(StringsAndNumbers, ANamedConstantOrAnExpressionIsNoLiteral)
{
    // The number is the lesser, whatever the text; folding a constant expression
    // does not make it a literal.
    EXPECT_EQ(out("Const Limit = 100\ns = \"20\" : Out.Echo s < Limit, s > Limit"), "False True");
    EXPECT_EQ(out("Out.Echo \"abc\" = (5+0), \"abc\" = -5, \"010\" = (5+5), \"5\" = (5)"), "False False False False");
    EXPECT_EQ(out("Const K = 5\nOut.Echo \"abc\" = K, \"abc\" > K"), "False True");
    EXPECT_EQ(errorOf("x = \"abc\" = 5"), 13);
}

TEST_F(StringsAndNumbers, ArgumentsAndLocalsAgainstAConstantFollowTheSameRules)
{
    // Arguments and locals are read straight from the frame; the rules do not change.
    const std::string code =
        "Function Check(a)\n Dim l : l = a\n"
        " Check = (a > 30) & \" \" & (l > 30) & \" \" & (a = 42) & \" \" & (l <> 42) & \" \" & (a & \"!\") & \" \" & (l - 1)\n"
        "End Function\n";
    EXPECT_EQ(out(code + "Out.Echo Check(\"100\")"), "True True False True 100! 99");
    EXPECT_EQ(out(code + "Out.Echo Check(42)"), "True True True False 42! 41");
    EXPECT_EQ(out("Function F(a)\n Dim l : l = a\n F = IsNull(a < 3) And IsNull(l + 1)\nEnd Function\nOut.Echo F(Null)"), "True");
    EXPECT_EQ(errorOf("Function F(a)\n F = a < 3\nEnd Function\nx = F(\"abc\")"), 13);
    EXPECT_EQ(errorOf("Function F(a)\n Dim l : l = a\n F = l < 3\nEnd Function\nx = F(\"abc\")"), 13);
    // A by-reference argument seen through the caller's variable.
    EXPECT_EQ(out("Sub Bump(n)\n n = n + 1\nEnd Sub\nx = 1 : Bump x : Bump x : Out.Echo x"), "3");
}

TEST_F(StringsAndNumbers, TextThatIsNoNumberAgainstALiteralIsAMismatch)
{
    EXPECT_EQ(errorOf("x = (\"abc\" = 5)"), 13);
    EXPECT_EQ(errorOf("s = \"abc\" : x = s < 3"), 13);
    EXPECT_EQ(errorOf("s = \"abc\" : x = 3 < s"), 13);
}

TEST_F(StringsAndNumbers, AVariableNumberIsLessThanAnyString)
{
    EXPECT_EQ(out("Out.Echo \"5\" = CInt(5), Len(\"ab\") > \"\", Len(\"ab\") < \"\""), "False False True");
    EXPECT_EQ(out("s = \"5\" : n = 5 : Out.Echo s = n, s > n, n < s, s <> n"), "False True True True");
    EXPECT_EQ(out("n = 10 : s = \"9\" : Out.Echo s > n, s = n"), "True False");
    EXPECT_EQ(out("n = 5 : Out.Echo \"abc\" > n, n = \"5\""), "True False");
    // Dates and Booleans are numbers too; Empty stays the empty string.
    EXPECT_EQ(out("d = #1/2/2024# : s = \"1/2/2024\" : Out.Echo d = s, d < s"), "False True");
    EXPECT_EQ(out("b = True : s = \"True\" : Out.Echo s = b, \"True\" = True, \"\" = Empty"), "False False True");
}

TEST_F(StringsAndNumbers, ValuesReadAsTextKeepWorking)
{
    // Settings come in as strings; a literal bound makes the test numeric.
    EXPECT_EQ(out("level = \"75\" : If level > 50 Then Out.Echo \"bright\""), "bright");
    EXPECT_EQ(out("level = \"075\" : If level = 75 Then Out.Echo \"same\""), "same");
}

class Precedence : public ScriptTest { };

TEST_F(Precedence, NegationBindsTighterThanPower)
{
    EXPECT_EQ(evalText("-2 ^ 2"), "4");
    EXPECT_EQ(evalText("2 ^ -1"), "0.5");
    EXPECT_EQ(evalText("-2 ^ 3"), "-8");
    EXPECT_EQ(evalText("3 - -2 ^ 2"), "-1");
    EXPECT_EQ(out("x = 3 : Out.Echo -x ^ 2"), "9");
}

TEST_F(Precedence, NotTakesAWholeComparison)
{
    EXPECT_EQ(evalText("1 <> Not 0 = 0"), "True");
    EXPECT_EQ(evalText("Not 1 = 2"), "True");
    EXPECT_EQ(evalText("Not 1 And 0"), "0");
    EXPECT_EQ(evalText("Not True Or True"), "True");
}

TEST_F(Precedence, LevelsStillNest)
{
    EXPECT_EQ(evalText("1 + 2 * 3 - 4 / 2"), "5");
    EXPECT_EQ(evalText("2 ^ 3 ^ 2"), "64");
    EXPECT_EQ(evalText("7 Mod 4 * 2"), "7");
    EXPECT_EQ(evalText("10 \\ 3 * 2"), "1");
    EXPECT_EQ(evalText("\"a\" & 1 + 2 & \"b\""), "a3b");
    EXPECT_EQ(evalText("1 < 2 = True"), "True");
    EXPECT_EQ(evalText("1 Or 2 And 4"), "1");
}

} // namespace

namespace {

class ResultTypes : public ScriptTest { };

TEST_F(ResultTypes, SmallNamedConstantsAreIntegers)
{
    EXPECT_EQ(typeOf("vbSunday"), "Integer");
    EXPECT_EQ(typeOf("vbString"), "Integer");
    EXPECT_EQ(typeOf("vbOKCancel"), "Integer");
    EXPECT_EQ(typeOf("vbTextCompare"), "Integer");
    EXPECT_EQ(typeOf("vbObjectError"), "Long");
    EXPECT_EQ(typeOf("vbMsgBoxSetForeground"), "Long");
    EXPECT_EQ(typeOf("vbRed"), "Long");
}

TEST_F(ResultTypes, LogicalOperatorsOnEmptyGiveLongs)
{
    EXPECT_EQ(out("Out.Echo TypeName(e And e), TypeName(e Or e), TypeName(e Xor e), TypeName(e Eqv e), TypeName(e Imp e), TypeName(Not e)"),
              "Long Long Long Long Long Long");
    EXPECT_EQ(out("Out.Echo Not e, e Imp e"), "-1 -1");
}

TEST_F(ResultTypes, ImpWithNullKeepsTheKnownBits)
{
    EXPECT_EQ(evalText("CByte(170) Imp Null"), "85");
    EXPECT_EQ(typeOf("CByte(170) Imp Null"), "Byte");
    EXPECT_EQ(typeOf("True Imp Null"), "Null");
    EXPECT_EQ(evalText("False Imp Null"), "True");
    EXPECT_EQ(typeOf("-1 Imp Null"), "Null");
}

TEST_F(ResultTypes, ConversionsAndRounding)
{
    EXPECT_EQ(typeOf("Round(True)"), "Boolean");
    EXPECT_EQ(evalText("Round(True)"), "True");
    EXPECT_EQ(typeOf("CByte(True)"), "Byte");
    EXPECT_EQ(evalText("CByte(True)"), "255");
    EXPECT_EQ(evalText("CByte(False)"), "0");
}

TEST_F(ResultTypes, SingleComparesAtItsOwnPrecision)
{
    EXPECT_EQ(evalText("CSng(0.1) = 0.1"), "True");
    EXPECT_EQ(evalText("0.1 = CSng(0.1)"), "True");
    EXPECT_EQ(evalText("CSng(0.1) = CDbl(0.1)"), "True");
    EXPECT_EQ(evalText("CSng(0.5) < 0.6"), "True");
}

} // namespace
