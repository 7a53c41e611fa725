// Control flow: If, Select Case, the loops, Exit and With.
#include "ScriptTest.h"

using vbtest::ScriptTest;

namespace {

class Statements : public ScriptTest { };

TEST_F(Statements, IfBlockAndElseIf)
{
    const char* code = "Sub T(n)\n"
                       "If n < 0 Then\n Out.Echo \"neg\"\nElseIf n = 0 Then\n Out.Echo \"zero\"\nElse\n Out.Echo \"pos\"\nEnd If\n"
                       "End Sub\nT -1 : T 0 : T 5";
    EXPECT_EQ(out(code), "neg|zero|pos");
}

TEST_F(Statements, SingleLineIf)
{
    EXPECT_EQ(out("If 1 > 2 Then Out.Echo \"a\" Else Out.Echo \"b\" : Out.Echo \"c\""), "b|c");
    EXPECT_EQ(out("If True Then Out.Echo \"x\" : Out.Echo \"y\""), "x|y");
    EXPECT_EQ(out("If False Then Out.Echo \"x\" : Out.Echo \"y\"\nOut.Echo \"z\""), "z");
    EXPECT_EQ(out("If True Then If False Then Out.Echo 1 Else Out.Echo 2"), "2");
}

TEST_F(Statements, ConditionsTreatNullAsFalseAndConvertText)
{
    EXPECT_EQ(out("If Null Then Out.Echo \"t\" Else Out.Echo \"f\""), "f");
    EXPECT_EQ(out("If \"True\" Then Out.Echo \"t\""), "t");
    EXPECT_EQ(out("If 2 Then Out.Echo \"t\""), "t");
    EXPECT_EQ(errorOf("If \"abc\" Then x = 1"), 13);
}

TEST_F(Statements, SelectCaseListsRangesAndIs)
{
    const char* code = "Function K(v)\nSelect Case v\n"
                       "Case 1, 2, 3 : K = \"small\"\n"
                       "Case 4 To 9 : K = \"range\"\n"
                       "Case \"x\" : K = \"text\"\n"
                       "Case Is >= 100 : K = \"big\"\n"
                       "Case Else : K = \"other\"\n"
                       "End Select\nEnd Function\n"
                       "Out.Echo K(2), K(7), K(150), K(\"x\"), K(50), K(Null)";
    EXPECT_EQ(out(code), "small range big text other other");
}

TEST_F(Statements, SelectCaseWithoutMatchAndElseDoesNothing)
{
    EXPECT_EQ(out("Select Case 5\nCase 1\nOut.Echo 1\nEnd Select\nOut.Echo \"after\""), "after");
}

TEST_F(Statements, ForNextCountsWithStep)
{
    EXPECT_EQ(out("For i = 1 To 3 : s = s & i : Next : Out.Echo s, i"), "123 4");
    EXPECT_EQ(out("For i = 10 To 1 Step -3 : s2 = s2 & i & \",\" : Next : Out.Echo s2"), "10,7,4,1,");
    EXPECT_EQ(out("For i = 0 To 1 Step 0.25 : n = n + 1 : Next : Out.Echo n"), "5");
    EXPECT_EQ(out("For i = 5 To 1 : Out.Echo \"never\" : Next : Out.Echo i"), "5");
    EXPECT_EQ(out("For i = \"1\" To \"3\" : c = c + 1 : Next : Out.Echo c"), "3");
}

TEST_F(Statements, ForBoundsAreEvaluatedOnce)
{
    EXPECT_EQ(out("n = 3\nFor i = 1 To n : n = 10 : c = c + 1 : Next\nOut.Echo c"), "3");
}

TEST_F(Statements, ForLoopVariableMayBeChangedInTheBody)
{
    EXPECT_EQ(out("For i = 1 To 10 : c = c + 1 : i = i + 1 : Next : Out.Echo c"), "5");
}

TEST_F(Statements, ForWithNullBoundFails)
{
    EXPECT_EQ(errorOf("For i = 1 To Null : Next"), 94);
}

TEST_F(Statements, ForEachOverArraysAndCollections)
{
    EXPECT_EQ(out("For Each x In Array(1, 2, 3) : s = s + x : Next : Out.Echo s"), "6");
    EXPECT_EQ(out("Dim m(1, 1)\nm(0,0)=1 : m(1,0)=2 : m(0,1)=3 : m(1,1)=4\nFor Each x In m : t = t & x : Next : Out.Echo t"), "1234");
    EXPECT_EQ(out("Set d = CreateObject(\"Scripting.Dictionary\")\nd.Add \"a\", 1 : d.Add \"b\", 2\nFor Each k In d : r = r & k & d(k) : Next : Out.Echo r"), "a1b2");
    EXPECT_EQ(out("Dim e()\nFor Each x In e : c = 1 : Next : Out.Echo \"empty\" & c"), "empty");
    EXPECT_EQ(errorOf("For Each x In 5 : Next"), 451);
}

TEST_F(Statements, ForEachWorksOnACopyOfTheArray)
{
    EXPECT_EQ(out("a = Array(1, 2, 3)\nFor Each x In a : a(2) = 99 : s = s & x : Next : Out.Echo s, a(2)"), "123 99");
}

TEST_F(Statements, DoLoopsTestAtEitherEnd)
{
    EXPECT_EQ(out("i = 0 : Do While i < 3 : i = i + 1 : Loop : Out.Echo i"), "3");
    EXPECT_EQ(out("i = 0 : Do Until i >= 3 : i = i + 1 : Loop : Out.Echo i"), "3");
    EXPECT_EQ(out("i = 10 : Do : i = i + 1 : Loop While i < 3 : Out.Echo i"), "11");
    EXPECT_EQ(out("i = 10 : Do : i = i + 1 : Loop Until True : Out.Echo i"), "11");
    EXPECT_EQ(out("i = 0 : Do : i = i + 1 : If i = 4 Then Exit Do\nLoop : Out.Echo i"), "4");
    EXPECT_EQ(out("i = 0 : While i < 5 : i = i + 2 : Wend : Out.Echo i"), "6");
}

TEST_F(Statements, ExitLeavesTheInnermostLoopOfItsKind)
{
    const char* code = "Do\n For i = 1 To 10\n  If i = 3 Then Exit Do\n Next\n Out.Echo \"not here\"\nLoop\nOut.Echo i";
    EXPECT_EQ(out(code), "3");
    EXPECT_EQ(out("For i = 1 To 3\nFor j = 1 To 3\nIf j = 2 Then Exit For\nc = c + 1\nNext\nNext\nOut.Echo c"), "3");
    EXPECT_EQ(out("Function F()\nFor i = 1 To 10\nIf i = 5 Then F = i : Exit Function\nNext\nF = -1\nEnd Function\nOut.Echo F()"), "5");
}

TEST_F(Statements, WithBlocksNest)
{
    const char* code = "Class Person : Public Name, Child : End Class\n"
                       "Set p = New Person : Set p.Child = New Person\n"
                       "With p\n .Name = \"outer\"\n With .Child\n  .Name = \"inner\"\n End With\n Out.Echo .Name, .Child.Name\nEnd With";
    EXPECT_EQ(out(code), "outer inner");
}

TEST_F(Statements, WithEvaluatesItsObjectOnce)
{
    const char* code = "Class Person : Public N : End Class\nDim c\nFunction Make() : c = c + 1 : Set Make = New Person : End Function\n"
                       "With Make()\n.N = 1\n.N = .N + 1\nOut.Echo .N\nEnd With\nOut.Echo c";
    EXPECT_EQ(out(code), "2|1");
}

TEST_F(Statements, AppendingToAStringInPlaceKeepsSemantics)
{
    EXPECT_EQ(out("s = \"a\" : For i = 1 To 3 : s = s & i & \"-\" : Next : Out.Echo s"), "a1-2-3-");
    EXPECT_EQ(out("s = 5 : s = s & \"x\" : Out.Echo s, TypeName(s)"), "5x String");
    EXPECT_EQ(out("s = Null : s = s & Null : Out.Echo TypeName(s)"), "Null");
    EXPECT_EQ(out("s = \"ab\" : s = s & s : Out.Echo s"), "abab");
}

TEST_F(Statements, ConstantsMayBeExpressionsOfConstants)
{
    EXPECT_EQ(out("Const A = 2, B = -3\nConst C = (A + 1) * 10, Greeting = \"Hi \" & \"there\", NL = vbLf\nOut.Echo A, B, C, Greeting, Len(NL)"), "2 -3 30 Hi there 1");
    EXPECT_EQ(out("Sub S\nConst Local = 4 * 4\nOut.Echo Local\nEnd Sub\nS"), "16");
    EXPECT_EQ(errorOf("Dim v : v = 1\nConst K = v + 1"), 1045);
}

TEST_F(Statements, StopAndOptionExplicitAreAccepted)
{
    EXPECT_EQ(out("Option Explicit\nDim x : x = 1\nStop\nOut.Echo x"), "1");
}

} // namespace
