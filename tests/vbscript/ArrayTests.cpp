// Arrays: Dim with bounds, ReDim [Preserve], Erase, fixed size, copies.
#include "ScriptTest.h"

using vbtest::ScriptTest;

namespace {

class Arrays : public ScriptTest { };

TEST_F(Arrays, DimGivesZeroBasedArraysOfEmpty)
{
    EXPECT_EQ(out("Dim a(3)\nOut.Echo UBound(a), LBound(a), TypeName(a(3))"), "3 0 Empty");
    EXPECT_EQ(out("Dim m(2, 4)\nm(2, 4) = \"x\"\nOut.Echo UBound(m, 1), UBound(m, 2), m(2, 4)"), "2 4 x");
    EXPECT_EQ(errorOf("Dim b(2)\nb(3) = 1"), 9);
    EXPECT_EQ(errorOf("Dim c(2)\nx = c(-1)"), 9);
    EXPECT_EQ(errorOf("Dim d(2, 2)\nx = d(1)"), 9);
}

TEST_F(Arrays, SubscriptsRoundToWholeNumbers)
{
    EXPECT_EQ(out("Dim a(3)\na(2) = \"two\"\nOut.Echo a(1.6), a(\"2\")"), "two two");
    EXPECT_EQ(errorOf("Dim a(3)\nx = a(Null)"), 94);
}

TEST_F(Arrays, ReDimResizesAndPreserveKeepsElements)
{
    EXPECT_EQ(out("Dim a()\nReDim a(2)\na(0) = 1 : a(2) = 3\nReDim Preserve a(4)\nOut.Echo UBound(a), a(0), a(2), TypeName(a(4))"), "4 1 3 Empty");
    EXPECT_EQ(out("ReDim a(2)\na(0) = 1\nReDim a(2)\nOut.Echo TypeName(a(0))"), "Empty");
    EXPECT_EQ(out("ReDim a(2)\na(2) = 9\nReDim Preserve a(1)\nOut.Echo UBound(a)"), "1");
    EXPECT_EQ(out("ReDim m(1, 2)\nm(1, 2) = 7\nReDim Preserve m(1, 5)\nOut.Echo m(1, 2), UBound(m, 2)"), "7 5");
    EXPECT_EQ(errorOf("ReDim m(1, 2)\nReDim Preserve m(3, 2)"), 9);
    EXPECT_EQ(out("ReDim e(-1)\nOut.Echo UBound(e)"), "-1");
}

TEST_F(Arrays, FixedArraysRefuseReDim)
{
    EXPECT_EQ(errorOf("Dim f(3)\nReDim f(5)"), 10);
    EXPECT_EQ(errorOf("Dim f2(3)\nReDim Preserve f2(5)"), 10);
}

TEST_F(Arrays, CopiesAreIndependentAndLoseTheFixedSize)
{
    EXPECT_EQ(out("a = Array(1, 2)\nb = a\nb(0) = 99\nOut.Echo a(0), b(0)"), "1 99");
    EXPECT_EQ(out("Dim f(2)\nc = f\nReDim c(5)\nOut.Echo UBound(c), UBound(f)"), "5 2");
    EXPECT_EQ(out("Sub Change(ByVal x) : x(0) = \"changed\" : End Sub\na = Array(\"orig\")\nChange a\nOut.Echo a(0)"), "orig");
    EXPECT_EQ(out("Sub Change(x) : x(0) = \"changed\" : End Sub\na = Array(\"orig\")\nChange a\nOut.Echo a(0)"), "changed");
}

TEST_F(Arrays, EraseEmptiesFixedAndFreesDynamicArrays)
{
    EXPECT_EQ(out("Dim f(2)\nf(1) = 5\nErase f\nOut.Echo UBound(f), TypeName(f(1))"), "2 Empty");
    EXPECT_EQ(errorOf("ReDim d(2)\nErase d\nx = UBound(d)"), 9);
}

TEST_F(Arrays, ArraysOfArraysAndObjectsInElements)
{
    EXPECT_EQ(out("a = Array(Array(1, 2), Array(3, 4))\nOut.Echo a(1)(0)"), "3");
    EXPECT_EQ(out("Dim a(1)\nSet a(0) = CreateObject(\"Scripting.Dictionary\")\na(0).Add \"k\", \"v\"\nOut.Echo a(0)(\"k\")"), "v");
}

TEST_F(Arrays, IndexingANonArrayIsATypeMismatch)
{
    EXPECT_EQ(errorOf("x = 5\ny = x(1)"), 13);
    EXPECT_EQ(errorOf("x = 5\nx(1) = 2"), 13);
}

TEST_F(Arrays, ArraysInClassFields)
{
    const char* code = "Class Bag\nPrivate items()\nPrivate Sub Class_Initialize : ReDim items(-1) : End Sub\n"
                       "Public Sub Add(v) : ReDim Preserve items(UBound(items) + 1) : items(UBound(items)) = v : End Sub\n"
                       "Public Property Get Count : Count = UBound(items) + 1 : End Property\n"
                       "Public Property Get Item(i) : Item = items(i) : End Property\nEnd Class\n"
                       "Set b = New Bag : b.Add \"x\" : b.Add \"y\"\nOut.Echo b.Count, b.Item(1)";
    EXPECT_EQ(out(code), "2 y");
}

} // namespace
