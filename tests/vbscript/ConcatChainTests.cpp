// Chains of "&": the inner links' texts are extended in place, which must give what
// joining two values at a time gives: Null only when every piece is Null, objects by
// their default values at the moment the link joins them, variables never changed.
#include "ScriptTest.h"

using vbtest::ScriptTest;

namespace {

class ConcatChains : public ScriptTest { };

TEST_F(ConcatChains, PiecesOfEveryKindJoinAsPairsWould)
{
    EXPECT_EQ(out("Sub M(n)\nDim s : s = \"a\"\nOut.Echo s & n & \"-\" & (n Mod 3) & True & Empty & 1.5 & \"z\", s\nEnd Sub\nM 7"), "a7-1True1.5z a");
    EXPECT_EQ(out("Sub M(n)\nOut.Echo TypeName(n & n & n), TypeName(n & n & \"\"), n & n & \"x\" & n\nEnd Sub\nM Null"), "Null String x");
    EXPECT_EQ(out("x = Null\nOut.Echo \"a\" & x & x, TypeName(x & x & x & x)"), "a Null");
    EXPECT_EQ(errorOf("Sub M(n)\nDim a(1)\nx = \"p\" & n & a & \"q\"\nEnd Sub\nM 1"), 13);
    // Two odd-length byte strings joined in the middle of a chain still make one unit.
    EXPECT_EQ(out("b = ChrB(65) & ChrB(0) & ChrB(66)\nc = ChrB(0) & ChrB(67) & ChrB(0)\nt1 = \"x\" & b\nt2 = t1 & c\n"
                  "Out.Echo LenB(\"x\" & b & c), (\"x\" & b & c) = t2, AscB(MidB(\"x\" & b & c, 7, 1))"),
              "8 True 67");
}

TEST_F(ConcatChains, VariablesReadIntoAChainStayAsTheyWere)
{
    EXPECT_EQ(out("Sub M\nDim s, t, u\ns = \"ab\" : t = s & \"c\" & \"d\" : u = s & s & s\nOut.Echo s, t, u\nEnd Sub\nM"), "ab abcd ababab");
    EXPECT_EQ(out("s = \"ab\"\nt = s & \"c\" & s\nOut.Echo s, t"), "ab abcab");
    // A piece that changes a variable read earlier: the earlier value is kept.
    EXPECT_EQ(out("Function Bump() : s = s & \"!\" : Bump = \"+\" : End Function\ns = \"ab\"\nt = s & Bump() & s & Bump()\nOut.Echo t, s"), "ab+ab!+ ab!!");
    EXPECT_EQ(out("Sub M\nDim a(1) : a(0) = \"x\"\nt = a(0) & \"y\" & a(0)\nOut.Echo a(0), t\nEnd Sub\nM"), "x xyx");
}

TEST_F(ConcatChains, ObjectsGiveTheirDefaultValuesWhenTheirLinkJoins)
{
    const char* code = "Dim log\nClass Part\nPublic Name\nPublic Default Property Get Value : log = log & Name : Value = Name : End Property\nEnd Class\n"
                       "Function Make(n) : Set Make = New Part : Make.Name = n : End Function\n"
                       "Function Note(n) : log = log & \"(\" & n & \")\" : Note = n : End Function\n"
                       "log = \"\"\nr = Make(\"a\") & Note(\"b\") & Make(\"c\") & Note(\"d\")\nOut.Echo r, log";
    // The first link takes both defaults after both pieces ran; later links take each
    // piece's default as they join it.
    EXPECT_EQ(out(code), "abcd (b)ac(d)");
}

} // namespace
