// How statements are read: calls with and without parentheses, With members as
// arguments, member chains, Call, and names that are keywords elsewhere.
#include "ScriptTest.h"

using vbtest::ScriptTest;

namespace {

class CallSyntax : public ScriptTest {
protected:
    CallSyntax() { control.AddCode("Sub Show(a, b) : Out.Echo \"a=\" & a & \" b=\" & b : End Sub\nSub One(a) : Out.Echo \"one \" & a : End Sub"); }
};

TEST_F(CallSyntax, AParenthesisMayOpenTheFirstArgument)
{
    EXPECT_EQ(out("Show (1), 2"), "a=1 b=2");
    EXPECT_EQ(out("Show (1) + 1, 2"), "a=2 b=2");
    EXPECT_EQ(out("Show (1 + 1) * 3, (4)"), "a=6 b=4");
}

TEST_F(CallSyntax, OneParenthesizedArgumentIsAllowed)
{
    EXPECT_EQ(out("One(5)"), "one 5");
    EXPECT_EQ(out("One (5)"), "one 5");
    EXPECT_EQ(out("Call One(5)"), "one 5");
    EXPECT_EQ(out("Call Show(1, 2)"), "a=1 b=2");
}

TEST_F(CallSyntax, NegativeAndEmptyArguments)
{
    EXPECT_EQ(out("One -3"), "one -3");
    EXPECT_EQ(out("Function F(a, b, c) : F = a + c : End Function\nOut.Echo F(1, , 3)"), "4");
}

TEST_F(CallSyntax, WithMembersAsArguments)
{
    const char* code = "Class Box : Public W, H : End Class\nSet b = New Box\nWith b\n.W = 2 : .H = 3\nShow .W, .H\nOne .W * .H\nEnd With";
    EXPECT_EQ(out(code), "a=2 b=3|one 6");
}

TEST_F(CallSyntax, MemberChainsAndResultsOfCalls)
{
    const char* code = "Class Node : Public NextNode, Value\nPublic Function Self : Set Self = Me : End Function\nEnd Class\n"
                       "Set n = New Node : Set n.NextNode = New Node : n.NextNode.Value = 9\n"
                       "Out.Echo n.Self.NextNode.Value, n.Self().NextNode.Self.Value";
    EXPECT_EQ(out(code), "9 9");
    EXPECT_EQ(out("Function Arr : Arr = Array(\"x\", \"y\") : End Function\nOut.Echo Arr()(1)"), "y");
}

TEST_F(CallSyntax, ContextualKeywordsNameVariables)
{
    EXPECT_EQ(out("Dim step, property, explicit, default\nstep = 1 : property = 2 : explicit = 3 : default = 4\nOut.Echo step + property + explicit + default"), "10");
    EXPECT_EQ(out("Set d = CreateObject(\"Scripting.Dictionary\")\nd.Add \"k\", 1\nOut.Echo d.Item(\"k\"), d.Count"), "1 1");
}

TEST_F(CallSyntax, MembersMayBeNamedLikeKeywords)
{
    const char* code = "Class Odd\nPublic Function [End]() : [End] = \"end\" : End Function\nEnd Class\nSet o = New Odd\nOut.Echo o.End";
    EXPECT_EQ(out(code), "end");
}

TEST_F(CallSyntax, PropertyWithoutArgumentsFollowedByAnIndex)
{
    const char* code = "Class Holder\nPublic Property Get Items : Items = Array(\"p\", \"q\") : End Property\nEnd Class\n"
                       "Set h = New Holder\nOut.Echo h.Items(1)";
    EXPECT_EQ(out(code), "q");
}

TEST_F(CallSyntax, OneCallSiteServesObjectsOfDifferentKinds)
{
    // The member found for one object must not be reused for another.
    const char* code = "Class A1 : Public Function Name : Name = \"a1\" : End Function : End Class\n"
                       "Class A2 : Public Pad1, Pad2 : Public Function Name : Name = \"a2\" : End Function : End Class\n"
                       "Class A3 : Public Name : Private Sub Class_Initialize : Name = \"a3\" : End Sub : End Class\n"
                       "For Each o In Array(New A1, New A2, New A3, New A1)\nr = r & o.Name & \" \"\nNext\nOut.Echo r";
    EXPECT_EQ(out(code), "a1 a2 a3 a1 ");
    const char* mixed = "Set d = CreateObject(\"Scripting.Dictionary\") : d.Add 1, 1\n"
                        "Class WithCount : Public Property Get Count : Count = 42 : End Property : End Class\n"
                        "For Each o In Array(d, New WithCount, d)\nr2 = r2 & o.Count & \" \"\nNext\nOut.Echo r2";
    EXPECT_EQ(out(mixed), "1 42 1 ");
}

TEST_F(CallSyntax, ArrayElementsPassedToHostMembersByReference)
{
    EXPECT_EQ(out("Dim a(1) : a(0) = \"x\"\nOut.Echo a(0), a(1)"), "x ");
}

} // namespace
