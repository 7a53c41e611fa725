// Operators with VBScript's precedence and type rules.
#include "ScriptTest.h"

using vbtest::ScriptTest;

namespace {

class Operators : public ScriptTest { };

TEST_F(Operators, Precedence)
{
    EXPECT_EQ(evalText("2 + 3 * 4"), "14");
    EXPECT_EQ(evalText("-2 ^ 2"), "4"); // negation binds tighter than ^
    EXPECT_EQ(evalText("2 ^ -1"), "0.5");
    EXPECT_EQ(evalText("2 ^ 3 ^ 2"), "64");
    EXPECT_EQ(evalText("10 \\ 3 * 2"), "1"); // * binds tighter
    EXPECT_EQ(evalText("7 Mod 4 \\ 2"), "1"); // \ before Mod
    EXPECT_EQ(evalText("1 + 7 Mod 4"), "4");  // Mod before +
    EXPECT_EQ(evalText("\"a\" & 1 + 2"), "a3");
    EXPECT_EQ(evalText("1 = 1 And 2 = 2"), "True");
    EXPECT_EQ(evalText("Not 1 = 2"), "True");
    EXPECT_EQ(evalText("True Or False And False"), "True");
    EXPECT_EQ(evalText("True Xor True Or True"), "False"); // Or before Xor
}

TEST_F(Operators, IntegerArithmeticWidensOnOverflow)
{
    EXPECT_EQ(typeOf("1 + 2"), "Integer");
    EXPECT_EQ(typeOf("32767 + 1"), "Long");
    EXPECT_EQ(evalText("32767 + 1"), "32768");
    EXPECT_EQ(typeOf("200 * 200"), "Long");
    EXPECT_EQ(typeOf("2147483647 + 1"), "Double");
    EXPECT_EQ(evalText("2147483647 + 1"), "2147483648");
    EXPECT_EQ(typeOf("CByte(200) + CByte(100)"), "Integer");
    EXPECT_EQ(typeOf("CByte(2) + CByte(3)"), "Byte");
    EXPECT_EQ(typeOf("True + True"), "Integer");
    EXPECT_EQ(evalText("True + True"), "-2");
    EXPECT_EQ(typeOf("Empty + Empty"), "Integer");
    EXPECT_EQ(typeOf("CSng(1) + CLng(1)"), "Double");
    EXPECT_EQ(typeOf("CSng(1) + 1"), "Single");
    EXPECT_EQ(typeOf("CCur(1) + 1"), "Currency");
    EXPECT_EQ(typeOf("CCur(1) + 1.5"), "Double");
}

TEST_F(Operators, DivisionFamilies)
{
    EXPECT_EQ(typeOf("1 / 2"), "Double");
    EXPECT_EQ(evalText("1 / 4"), "0.25");
    EXPECT_EQ(typeOf("7 \\ 2"), "Integer");
    EXPECT_EQ(evalText("7.5 \\ 2"), "4"); // 7.5 rounds to 8 first
    EXPECT_EQ(evalText("-7 \\ 2"), "-3");
    EXPECT_EQ(evalText("-7 Mod 3"), "-1");
    EXPECT_EQ(evalText("7 Mod -3"), "1");
    EXPECT_EQ(evalText("5.5 Mod 2"), "0"); // 5.5 rounds to 6
    EXPECT_EQ(typeOf("100000 \\ 2"), "Long");
    EXPECT_EQ(evalError("1 / 0"), 11);
    EXPECT_EQ(evalError("0 / 0"), 6);
    EXPECT_EQ(evalError("1 \\ 0"), 11);
    EXPECT_EQ(evalError("1 Mod 0"), 11);
    EXPECT_EQ(typeOf("2 ^ 2"), "Double");
}

TEST_F(Operators, StringsAndNumbersMix)
{
    EXPECT_EQ(evalText("\"1\" + \"2\""), "12");
    EXPECT_EQ(evalText("\"1\" + 2"), "3");
    EXPECT_EQ(typeOf("\"1\" + 2"), "Double");
    EXPECT_EQ(evalText("\"3\" * \"4\""), "12");
    EXPECT_EQ(evalText("\"a\" + Empty"), "a");
    EXPECT_EQ(evalText("1 & 2"), "12");
    EXPECT_EQ(typeOf("1 & 2"), "String");
    EXPECT_EQ(evalText("True & \"\""), "True");
    EXPECT_EQ(evalError("\"a\" + 1"), 13);
    EXPECT_EQ(evalError("\"abc\" * 2"), 13);
}

TEST_F(Operators, NullPropagates)
{
    EXPECT_EQ(typeOf("Null + 1"), "Null");
    EXPECT_EQ(typeOf("1 - Null"), "Null");
    EXPECT_EQ(typeOf("Null * 0"), "Null");
    EXPECT_EQ(typeOf("-Null"), "Null");
    EXPECT_EQ(typeOf("Null = Null"), "Null");
    EXPECT_EQ(typeOf("Null < 1"), "Null");
    EXPECT_EQ(evalText("\"a\" & Null"), "a");
    EXPECT_EQ(typeOf("Null & Null"), "Null");
    EXPECT_EQ(typeOf("Not Null"), "Null");
}

TEST_F(Operators, LogicWithNullIsThreeValued)
{
    EXPECT_EQ(evalText("False And Null"), "False");
    EXPECT_EQ(typeOf("True And Null"), "Null");
    EXPECT_EQ(evalText("True Or Null"), "True");
    EXPECT_EQ(typeOf("False Or Null"), "Null");
    EXPECT_EQ(typeOf("True Xor Null"), "Null");
    EXPECT_EQ(evalText("False Imp Null"), "True");
    EXPECT_EQ(evalText("Null Imp True"), "True");
    EXPECT_EQ(typeOf("True Imp Null"), "Null");
    EXPECT_EQ(typeOf("Null Eqv False"), "Null");
}

TEST_F(Operators, LogicalOperatorsAreBitwiseOnNumbers)
{
    EXPECT_EQ(evalText("12 And 10"), "8");
    EXPECT_EQ(evalText("12 Or 3"), "15");
    EXPECT_EQ(evalText("12 Xor 10"), "6");
    EXPECT_EQ(evalText("Not 0"), "-1");
    EXPECT_EQ(typeOf("Not 0"), "Integer");
    EXPECT_EQ(evalText("Not True"), "False");
    EXPECT_EQ(evalText("True Eqv True"), "True");
    EXPECT_EQ(evalText("5 Eqv 3"), "-7");
    EXPECT_EQ(evalText("True Imp False"), "False");
    EXPECT_EQ(evalText("5 Imp 3"), "-5");
    EXPECT_EQ(typeOf("1 And 70000"), "Long");
    EXPECT_EQ(typeOf("True And 1"), "Integer");
    EXPECT_EQ(evalText("1.6 Or 0"), "2"); // rounds to a whole number first
}

TEST_F(Operators, ComparisonsFollowTheDocumentedTable)
{
    EXPECT_EQ(evalText("1 < 2"), "True");
    EXPECT_EQ(evalText("\"a\" < \"b\""), "True");
    EXPECT_EQ(evalText("\"B\" < \"a\""), "True"); // binary comparison
    EXPECT_EQ(evalText("\"10\" < \"9\""), "True");
    // Against a numeric literal a string is read as a number.
    EXPECT_EQ(evalText("5 = \"5\""), "True");
    EXPECT_EQ(evalText("99 < \"1\""), "False");
    EXPECT_EQ(evalText("\"1\" > 99"), "False");
    // Empty is 0 against numbers and "" against strings.
    EXPECT_EQ(evalText("Empty = 0"), "True");
    EXPECT_EQ(evalText("Empty = \"\""), "True");
    EXPECT_EQ(evalText("Empty < 1"), "True");
    EXPECT_EQ(evalText("True = -1"), "True");
    EXPECT_EQ(evalText("1 = 1.0"), "True");
    EXPECT_EQ(evalText("#1/1/2000# < #1/2/2000#"), "True");
    EXPECT_EQ(evalText("CCur(1.5) = 1.5"), "True");
    EXPECT_EQ(evalText("1 <> 2"), "True");
    EXPECT_EQ(evalText("2 >= 2"), "True");
    EXPECT_EQ(evalText("2 =< 3"), "True");
}

TEST_F(Operators, IsComparesObjectIdentity)
{
    control.AddCode("Class Thing : End Class\nSet a = New Thing : Set b = a : Set c = New Thing");
    EXPECT_EQ(evalText("a Is b"), "True");
    EXPECT_EQ(evalText("a Is c"), "False");
    EXPECT_EQ(evalText("Nothing Is Nothing"), "True");
    EXPECT_EQ(evalText("a Is Nothing"), "False");
    EXPECT_EQ(evalError("1 Is Nothing"), 424);
}

TEST_F(Operators, DateArithmetic)
{
    EXPECT_EQ(typeOf("#1/1/2000# + 1"), "Date");
    EXPECT_EQ(evalText("#1/1/2000# + 1"), "1/2/2000");
    EXPECT_EQ(typeOf("#1/3/2000# - #1/1/2000#"), "Double");
    EXPECT_EQ(evalText("#1/3/2000# - #1/1/2000#"), "2");
    EXPECT_EQ(typeOf("#1/3/2000# - 1"), "Date");
}

TEST_F(Operators, UnaryMinusWidens)
{
    EXPECT_EQ(typeOf("-CInt(-32768)"), "Long");
    EXPECT_EQ(evalText("-True"), "1");
    EXPECT_EQ(typeOf("-Empty"), "Integer");
    EXPECT_EQ(evalText("- \"2\""), "-2");
    EXPECT_EQ(evalText("--3"), "3");
}

TEST_F(Operators, ObjectsTakePartThroughTheirDefaultMember)
{
    control.AddCode("Class Forty\nPublic Default Property Get Value : Value = 40 : End Property\nEnd Class\nSet v = New Forty");
    EXPECT_EQ(evalText("v + 2"), "42");
    EXPECT_EQ(evalText("v & \"!\""), "40!");
    EXPECT_EQ(evalText("v = 40"), "True");
    control.AddCode("Class NoDefault : End Class\nSet n = New NoDefault");
    EXPECT_EQ(evalError("n + 1"), 438);
}

TEST_F(Operators, ArraysAreNotValues)
{
    control.AddCode("Dim a(2)");
    EXPECT_EQ(evalError("a + 1"), 13);
    EXPECT_EQ(evalError("a & \"x\""), 13);
    EXPECT_EQ(evalError("a = 1"), 13);
}

} // namespace
