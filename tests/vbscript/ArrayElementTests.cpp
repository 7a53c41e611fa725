// Elements of one-dimension arrays by one subscript ("a(i)", "a(j + 1) = v"): the
// same values, conversions and errors wherever the array lives, and the array looked
// at again when the subscript runs code.
#include "ScriptTest.h"

namespace {

class ArrayElements : public ::testing::Test { };

// Each case runs in a script control of its own: the cases reuse names.
std::string out(const std::string& code) { return vbtest::freshOut(code); }
int errorOf(const std::string& code) { return vbtest::freshErrorOf(code); }

// Reads, writes and the bounds through each kind of variable that can hold the array.
TEST_F(ArrayElements, EveryKindOfVariableReadsAndWritesBothEnds)
{
    const char* body = "a(0) = \"first\" : a(j + 4) = \"last\" : a(j + 1) = a(j) & \"+\"\n"
                       "Out.Echo a(0), a(4), a(1), a(4 - j), TypeName(a(2))\n";
    const std::string expected = "first last first+ last Empty";
    // A local of a procedure, with a local subscript.
    EXPECT_EQ(out(std::string("Sub M\nDim a(4), j : j = 1\nj = 0\n") + body + "End Sub\nM"), expected);
    // A parameter by reference and by value (its own copy), the subscript an argument.
    EXPECT_EQ(out(std::string("Sub M(a, ByVal j)\n") + body + "End Sub\nReDim g(4)\nM g, 0\nOut.Echo g(0)"), expected + "|first");
    EXPECT_EQ(out(std::string("Sub M(ByVal a, j)\n") + body + "End Sub\nReDim g(4)\nM g, 0\nOut.Echo TypeName(g(0))"), expected + "|Empty");
    // Script level: a declared array with an undeclared subscript, and an undeclared array.
    EXPECT_EQ(out(std::string("Dim a(4)\nj = 0\n") + body), expected);
    EXPECT_EQ(out(std::string("a = Array(Empty, Empty, Empty, Empty, Empty)\nj = 0\n") + body), expected);
    // A field of a class, and an array a library function made.
    EXPECT_EQ(out(std::string("Class K\nPrivate a\nSub Run(j)\nReDim a(4)\n") + body + "End Sub\nEnd Class\nSet obj = New K : obj.Run 0"), expected);
    EXPECT_EQ(out("a = Split(\"p,q,r\", \",\")\nFor i = 0 To 2 : a(i) = a(i) & i : Next\nOut.Echo Join(a, \" \"), a(UBound(a))"), "p0 q1 r2 r2");
    // Out of range on either side, reading and writing, in a procedure and at script level.
    EXPECT_EQ(errorOf("Sub M\nDim a(4), j : j = 5\nx = a(j)\nEnd Sub\nM"), 9);
    EXPECT_EQ(errorOf("Sub M\nDim a(4), j : j = 0\na(j - 1) = 1\nEnd Sub\nM"), 9);
    EXPECT_EQ(errorOf("ReDim a(4)\nj = 4\na(j + 1) = 1"), 9);
    EXPECT_EQ(errorOf("ReDim a(-1)\nx = a(0)"), 9);
}

// The one subscript is converted as any subscript is: rounded half to even, read from
// text, Empty as 0, Null refused, beyond a Long an overflow.
TEST_F(ArrayElements, TheSubscriptIsConvertedAsCLngConverts)
{
    const char* setup = "Sub M(s)\nDim a(5) : a(2) = \"two\" : a(4) = \"four\" : a(0) = \"zero\"\n";
    EXPECT_EQ(out(std::string(setup) + "Out.Echo a(2.5), a(3.5), a(\"2\"), a(Empty), a(s), a(s + 0.5)\nEnd Sub\nM 2"), "two four two zero two two");
    EXPECT_EQ(out(std::string(setup) + "a(s * 1.75) = \"x\"\nOut.Echo a(4)\nEnd Sub\nM 2"), "x");
    EXPECT_EQ(errorOf(std::string(setup) + "x = a(s)\nEnd Sub\nM Null"), 94);
    EXPECT_EQ(errorOf(std::string(setup) + "x = a(s)\nEnd Sub\nM \"two\""), 13);
    EXPECT_EQ(errorOf(std::string(setup) + "x = a(True + s)\nEnd Sub\nM 0"), 9);
    // Past the largest Long: the sum becomes a Double, which no subscript can be.
    EXPECT_EQ(errorOf(std::string(setup) + "x = a(s + 1)\nEnd Sub\nM 2147483647"), 6);
    EXPECT_EQ(errorOf(std::string(setup) + "a(s - 1) = 0\nEnd Sub\nM -2147483648"), 6);
}

// An array of more than one dimension with one subscript is out of range; an element
// that is an array or an object is reached through it.
TEST_F(ArrayElements, OtherShapesKeepTheGeneralRules)
{
    EXPECT_EQ(errorOf("Sub M\nReDim mm(2, 2)\nj = 1\nx = mm(j)\nEnd Sub\nM"), 9);
    EXPECT_EQ(errorOf("Sub M\nReDim mm(2, 2)\nj = 1\nmm(j) = 1\nEnd Sub\nM"), 9);
    EXPECT_EQ(out("Sub M\nReDim mm(2, 2)\nmm(1, 2) = 5\nOut.Echo mm(1, 2)\nEnd Sub\nM"), "5");
    EXPECT_EQ(out("Sub M\nDim a(1), i : i = 1\na(i) = Array(7, 8)\nOut.Echo a(i)(i), UBound(a(i))\nEnd Sub\nM"), "8 1");
    EXPECT_EQ(out("Sub M\nDim a(0), i : i = 0\nSet a(i) = CreateObject(\"Scripting.Dictionary\")\na(i).Add \"k\", \"v\"\nOut.Echo a(i)(\"k\"), a(i).Count\nEnd Sub\nM"),
              "v 1");
    EXPECT_EQ(errorOf("Sub M\nDim x, i : x = 5 : i = 0\ny = x(i)\nEnd Sub\nM"), 13);
    EXPECT_EQ(errorOf("Sub M\nDim x, i : x = 5 : i = 0\nx(i) = 1\nEnd Sub\nM"), 13);
}

// Elements read for a comparison or a library call are values of their own: the array
// may change (or go) while the reader still runs script code.
TEST_F(ArrayElements, ElementsReadAreValuesOfTheirOwn)
{
    EXPECT_EQ(out("Sub M\nDim a(2), j : a(0) = \"pear\" : a(1) = \"apple\" : j = 0\n"
                  "Out.Echo a(j) > a(j + 1), Len(a(j + 1)), Mid(a(j), 2, 2)\nEnd Sub\nM"),
              "True 5 ea");
    // The default member of the element ReDims its own array while it is compared.
    const char* code = "Class C\nPublic Default Property Get V : ReDim Preserve arr(0) : V = 5 : End Property\nEnd Class\n"
                       "ReDim arr(3)\narr(0) = 3 : Set arr(1) = New C : i = 0\n"
                       "Out.Echo arr(i) < arr(i + 1), UBound(arr)";
    EXPECT_EQ(out(code), "True 0");
    // Copies on assignment: changing the element afterwards leaves the copy alone.
    EXPECT_EQ(out("Sub M\nDim a(1), s, i : i = 1 : a(i) = \"ab\"\ns = a(i) : a(i) = a(i) & \"c\"\nOut.Echo s, a(i)\nEnd Sub\nM"), "ab abc");
}

// A subscript that runs code: a read takes the array as it was before the subscript
// ran; an assignment stores into the array the variable holds afterwards, and fails
// when the variable holds no array any more.
TEST_F(ArrayElements, ASubscriptThatChangesTheArray)
{
    EXPECT_EQ(out("ReDim a(5)\nFunction F() : ReDim a(0) : F = 2 : End Function\na(2) = \"old\"\nx = a(F())\nOut.Echo x, UBound(a)"), "old 0");
    // The same with a name that was unknown when the code was compiled and is a
    // Function by the time it runs (read for an assignment and for a comparison).
    EXPECT_EQ(out("ReDim a(5)\na(2) = \"old\"\nExecuteGlobal \"Function G() : ReDim a(0) : G = 2 : End Function\"\n"
                  "x = a(G)\nOut.Echo x, UBound(a)"),
              "old 0");
    EXPECT_EQ(out("ReDim a(5)\na(2) = \"old\"\nExecuteGlobal \"Function G() : ReDim a(0) : G = 2 : End Function\"\n"
                  "Out.Echo \"old\" = a(G), UBound(a)"),
              "True 0");
    // A name that is a variable by then runs nothing: the element is read in place.
    EXPECT_EQ(out("ReDim a(5)\na(2) = \"two\"\nExecuteGlobal \"k = 2\"\nOut.Echo a(k), a(k) = \"two\""), "two True");
    EXPECT_EQ(out("ReDim a(5)\nFunction F() : ReDim Preserve a(10) : F = 7 : End Function\na(F()) = 1\nOut.Echo a(7), UBound(a)"), "1 10");
    EXPECT_EQ(errorOf("ReDim a(5)\nFunction F() : a = 5 : F = 2 : End Function\na(F()) = 1"), 13);
    EXPECT_EQ(errorOf("ReDim a(5, 5)\nFunction F() : a = 5 : F = 2 : End Function\na(F(), 1) = 1"), 13);
    EXPECT_EQ(errorOf("ReDim a(5)\nFunction F() : ReDim a(1) : F = 4 : End Function\na(F()) = 1"), 9);
}

} // namespace
