// Subs and Functions: arguments by reference and by value, results, recursion.
#include "ScriptTest.h"

using vbtest::ScriptTest;

namespace {

class Procedures : public ScriptTest { };

TEST_F(Procedures, ArgumentsPassByReferenceByDefault)
{
    const char* code = "Sub Inc(x) : x = x + 1 : End Sub\nSub IncV(ByVal x) : x = x + 1 : End Sub\nSub IncR(ByRef x) : x = x + 1 : End Sub\n"
                       "v = 1 : Inc v : Out.Echo v\nIncV v : Out.Echo v\nIncR v : Out.Echo v\nCall Inc(v) : Out.Echo v";
    EXPECT_EQ(out(code), "2|2|3|4");
}

TEST_F(Procedures, ParenthesesAndExpressionsPassValues)
{
    const char* code = "Sub Inc(x) : x = x + 1 : End Sub\nv = 1\nInc (v) : Out.Echo v\nInc v + 0 : Out.Echo v\nCall Inc((v)) : Out.Echo v";
    EXPECT_EQ(out(code), "1|1|1");
}

TEST_F(Procedures, ArrayElementsPassByReference)
{
    EXPECT_EQ(out("Sub Inc(x) : x = x + 1 : End Sub\nDim a(2) : a(1) = 5 : Inc a(1) : Out.Echo a(1)"), "6");
    EXPECT_EQ(out("Sub Inc(x) : x = x + 1 : End Sub\nb = Array(1, 2) : Inc b(0) : Out.Echo b(0)"), "2");
}

TEST_F(Procedures, AnArrayElementPassedByReferenceLocksItsArray)
{
    EXPECT_EQ(errorOf("Dim g()\nReDim g(3)\nSub Grow(x) : ReDim g(10) : End Sub\nGrow g(1)"), 10);
    EXPECT_EQ(out("Dim g2()\nReDim g2(3)\nSub NoOp(x) : End Sub\nNoOp g2(1)\nReDim g2(5)\nOut.Echo UBound(g2)"), "5");
}

TEST_F(Procedures, ConstantsAndPropertiesPassByValue)
{
    const char* code = "Class Holder : Public V : End Class\nSub Inc(x) : x = x + 1 : End Sub\nSet h = New Holder : h.V = 1\nInc h.V : Out.Echo h.V";
    EXPECT_EQ(out(code), "1");
}

TEST_F(Procedures, FunctionsReturnTheirNameVariable)
{
    EXPECT_EQ(out("Function Sq(n) : Sq = n * n : End Function\nOut.Echo Sq(7)"), "49");
    EXPECT_EQ(out("Function Nothing1() : End Function\nOut.Echo TypeName(Nothing1())"), "Empty");
    EXPECT_EQ(out("Function Obj() : Set Obj = CreateObject(\"Scripting.Dictionary\") : End Function\nOut.Echo TypeName(Obj())"), "Dictionary");
    EXPECT_EQ(out("Function Twice(n)\nTwice = n\nTwice = Twice * 2\nEnd Function\nOut.Echo Twice(4)"), "8");
}

TEST_F(Procedures, RecursionCallsTheFunctionNotItsResult)
{
    EXPECT_EQ(out("Function Fact(n)\nIf n <= 1 Then Fact = 1 Else Fact = n * Fact(n - 1)\nEnd Function\nOut.Echo Fact(10)"), "3628800");
}

TEST_F(Procedures, CallsMayComeBeforeTheDeclaration)
{
    EXPECT_EQ(out("Out.Echo Later(2)\nFunction Later(x) : Later = x + 1 : End Function"), "3");
}

TEST_F(Procedures, WrongArgumentCountFails)
{
    control.AddCode("Sub Two(a, b) : End Sub");
    EXPECT_EQ(errorOf("Two 1"), 450);
    EXPECT_EQ(errorOf("Two 1, 2, 3"), 450);
    EXPECT_EQ(out("Sub Kinds(a, b) : Out.Echo a : End Sub\nKinds 1, "), "1"); // the omitted one arrives as "missing"
}

TEST_F(Procedures, LocalsAreFreshOnEveryCall)
{
    EXPECT_EQ(out("Function F()\nDim x\nx = x + 1\nF = x\nEnd Function\nOut.Echo F(), F()"), "1 1");
    EXPECT_EQ(out("Function G()\ny = y + 1\nG = y\nEnd Function\nOut.Echo G(), G()"), "1 1");
}

TEST_F(Procedures, UndeclaredNamesInProceduresAreLocalUnlessGlobal)
{
    EXPECT_EQ(out("Sub S : temp = 5 : End Sub\nS\nOut.Echo IsEmpty(temp)"), "True");
    EXPECT_EQ(out("Dim shared\nSub S2 : shared = 5 : End Sub\nS2\nOut.Echo shared"), "5");
}

TEST_F(Procedures, SubsUsedInExpressionsGiveEmpty)
{
    EXPECT_EQ(out("Sub S : End Sub\nx = S()\nOut.Echo TypeName(x)"), "Empty");
}

TEST_F(Procedures, ParenthesesAroundSeveralSubArgumentsAreAnError)
{
    EXPECT_EQ(errorOf("Sub Two(a, b) : End Sub\nTwo(1, 2)"), 1044);
}

TEST_F(Procedures, ExitSubLeavesAndClearsErr)
{
    const char* code = "Sub S\nOn Error Resume Next\nx = 1 / 0\nExit Sub\nEnd Sub\nS\nOut.Echo Err.Number";
    EXPECT_EQ(out(code), "0");
}

} // namespace
