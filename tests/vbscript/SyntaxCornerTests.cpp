// Corners of the language's syntax that whole scripts depend on: "&" before names
// that look like radix prefixes, the spellings of not-equal, End keywords that share
// a line with statements, procedures defined twice, and parenthesised callees.
#include "ScriptTest.h"

using vbtest::ScriptTest;

namespace {

class Ampersand : public ScriptTest { };

TEST_F(Ampersand, BeforeNamesStartingWithHOrOItConcatenates)
{
    EXPECT_EQ(out("hour1 = \"7\" : s = \"at \"&hour1 : Out.Echo s"), "at 7");
    EXPECT_EQ(out("other = \"x\" : Out.Echo \"a\"&other"), "ax");
    EXPECT_EQ(out("h = 1 : Out.Echo \"n\"&h"), "n1");
    EXPECT_EQ(out("o = 2 : Out.Echo \"n\"&o"), "n2");
    EXPECT_EQ(out("hz = 3 : Out.Echo 5&hz"), "53");
}

TEST_F(Ampersand, RadixLiteralsStillRead)
{
    EXPECT_EQ(evalText("&hff"), "255");
    EXPECT_EQ(evalText("&o17"), "15");
    // An octal number cannot run on into 8 or 9.
    EXPECT_EQ(evalError("&19"), 1002);
    EXPECT_NE(evalError("&o8"), 0);
}

TEST(NotEqual, BothSpellings)
{
    vbscript::ScriptControl control;
    EXPECT_TRUE(control.Eval("3 >< 4").booleanValue());
    EXPECT_FALSE(control.Eval("4 >< 4").booleanValue());
    EXPECT_TRUE(control.Eval("3 <> 4").booleanValue());
}

class EndOnTheSameLine : public ScriptTest { };

TEST_F(EndOnTheSameLine, SingleLineIfMayCloseWithEndIf)
{
    EXPECT_EQ(out("x = 0\nIf x = 0 Then x = 1 Else x = 2 End If\nOut.Echo x"), "1");
    EXPECT_EQ(out("x = 5\nIf x = 0 Then x = 1 Else x = 2 End If\nOut.Echo x"), "2");
    EXPECT_EQ(out("x = 0\nIf x = 0 Then x = 7 End If\nOut.Echo x"), "7");
}

TEST_F(EndOnTheSameLine, StatementsBeforeEndKeywords)
{
    EXPECT_EQ(out("x = 1\nIf x = 0 Then\nx = 1\nElse x = 3 End If\nOut.Echo x"), "3");
    EXPECT_EQ(out("Sub SetIt() x = 4 End Sub\nSetIt\nOut.Echo x"), "4");
    EXPECT_EQ(out("Sub Bump() x = 10\nEnd Sub\nBump\nOut.Echo x"), "10");
    EXPECT_EQ(out("Sub Two()\nx = 2 End Sub\nTwo\nOut.Echo x"), "2");
    EXPECT_EQ(out("Function F(a) F = a * 3 End Function\nOut.Echo F(2)"), "6");
    EXPECT_EQ(out("Sub Nothing1() End Sub\nNothing1\nOut.Echo \"ok\""), "ok");
}

TEST_F(EndOnTheSameLine, ClassMembersBeforeEndClass)
{
    EXPECT_EQ(out("Class Holder\nPublic v End Class\nSet h = New Holder : h.v = 3 : Out.Echo h.v"), "3");
    EXPECT_EQ(out("Class Pair Public a, b End Class\nSet p = New Pair : p.b = 4 : Out.Echo p.b"), "4");
}

TEST_F(EndOnTheSameLine, AStrayEndIsStillAnError)
{
    EXPECT_NE(errorOf("x = 1 End"), 0);
    EXPECT_NE(errorOf("If 1 Then x = 1 End Sub"), 0);
}

class Redefinition : public ScriptTest { };

TEST_F(Redefinition, TheLastProcedureOfANameWins)
{
    EXPECT_EQ(out("Sub Report() : Out.Echo \"first\" : End Sub\nSub Report() : Out.Echo \"second\" : End Sub\nReport"), "second");
    EXPECT_EQ(out("Sub Both() : Out.Echo \"sub\" : End Sub\nFunction Both() : Both = \"fn\" : End Function\nOut.Echo Both()"), "fn");
}

TEST_F(Redefinition, VariablesAndConstantsStillClash)
{
    EXPECT_EQ(errorOf("Dim clash1\nSub clash1() : End Sub"), 1041);
    EXPECT_EQ(errorOf("Sub clash2() : End Sub\nDim clash2"), 1041);
    EXPECT_EQ(errorOf("Const clash3 = 1\nConst clash3 = 2"), 1041);
}

class ParenthesisedCallee : public ScriptTest {
protected:
    ParenthesisedCallee()
    {
        control.AddCode("Function Twice(n) : Twice = n * 2 : End Function\n"
                        "Class Greeter : Public Sub Hello() : Out.Echo \"hello\" : End Sub : End Class");
    }
};

TEST_F(ParenthesisedCallee, InCallStatements)
{
    EXPECT_EQ(out("Call (New Greeter).Hello()"), "hello");
    EXPECT_EQ(out("Call (Twice) (4)"), "");
    EXPECT_EQ(out("Set g = New Greeter : Call (g).Hello"), "hello");
}

TEST_F(ParenthesisedCallee, InExpressions)
{
    EXPECT_EQ(out("y = (Twice)(4) : Out.Echo y"), "8");
    EXPECT_EQ(evalText("((Twice))(5)"), "10");
    EXPECT_EQ(out("a = Array(1, 2) : x = (a)(1) : Out.Echo x"), "2");
}

} // namespace
