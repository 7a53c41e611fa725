// Reading, indexing and calling: array fields of classes, default members in the
// library's array functions, and what a name followed by an argument list may be.
#include "ScriptTest.h"

using vbtest::ScriptTest;

namespace {

class ArrayFields : public ScriptTest {
protected:
    ArrayFields() { control.AddCode("Class Bag : Public items(3) : Public dyn : Public name : End Class\nSet b = New Bag"); }
};

TEST_F(ArrayFields, AFixedArrayFieldReadsAsAWhole)
{
    EXPECT_EQ(out("c = b.items : Out.Echo UBound(c), UBound(b.items), IsArray(b.items)"), "3 3 True");
    EXPECT_EQ(out("b.items(2) = \"x\" : Out.Echo b.items(2), Join(b.items, \"-\")"), "x --x-");
}

TEST_F(ArrayFields, ADynamicFieldHoldingAnArray)
{
    EXPECT_EQ(out("b.dyn = Array(1, 2, 3) : Out.Echo UBound(b.dyn), b.dyn(1)"), "2 2");
    EXPECT_EQ(out("For Each v In b.dyn : s = s & v : Next : Out.Echo s"), "123");
}

TEST_F(ArrayFields, APlainFieldTakesNoArguments)
{
    EXPECT_EQ(errorOf("b.name = 1 : x = b.name(0)"), 438);
    EXPECT_EQ(errorOf("b.name = 1 : x = b.name()"), 5);
    EXPECT_EQ(out("b.name = 7 : Out.Echo b.name"), "7");
}

class DefaultMembersInTheLibrary : public ScriptTest {
protected:
    DefaultMembersInTheLibrary()
    {
        control.AddCode("Class Holder : Public Default Function Items() : Items = Array(\"a\", \"b\") : End Function : End Class\n"
                        "Class Plain : Public x : End Class\nSet h = New Holder : Set p = New Plain");
    }
};

TEST_F(DefaultMembersInTheLibrary, AnObjectStandsForItsDefaultArray)
{
    EXPECT_EQ(out("Out.Echo UBound(h), LBound(h), Join(h, \"+\")"), "1 0 a+b");
    EXPECT_EQ(out("f = Filter(h, \"b\") : Out.Echo f(0)"), "b");
}

TEST_F(DefaultMembersInTheLibrary, NothingAndObjectsWithoutADefault)
{
    EXPECT_EQ(errorOf("x = UBound(Nothing)"), 91);
    EXPECT_EQ(errorOf("x = UBound(p)"), 438);
    EXPECT_EQ(errorOf("x = Join(p)"), 438);
    EXPECT_EQ(errorOf("x = LBound(Nothing)"), 91);
}

class CallingNames : public ScriptTest { };

TEST_F(CallingNames, AScalarVariableCannotBeCalled)
{
    EXPECT_EQ(errorOf("n = 3 : t = n()"), 13);
    EXPECT_EQ(errorOf("n = 3\nn"), 13);
    EXPECT_EQ(errorOf("Dim m : m = 3 : t = m()"), 13);
    EXPECT_EQ(errorOf("Sub S : Dim k : k = 1 : k : End Sub : S"), 13);
}

TEST_F(CallingNames, AnObjectCalledWithoutArgumentsGivesItsDefault)
{
    const char* cls = "Class Temp : Public Default Property Get Value : Value = 21.5 : End Property : End Class\nSet o = New Temp\n";
    EXPECT_EQ(out(std::string(cls) + "Out.Echo TypeName(o()), o()"), "Double 21.5");
}

TEST_F(CallingNames, APropertyLetReceivesTheObject)
{
    const char* code = "Class Temp : Public Default Property Get Value : Value = 1 : End Property : End Class\n"
                       "Class Sink : Public got, plain\nPublic Property Let Item(v) : got = TypeName(v) : End Property\nEnd Class\n"
                       "Set t = New Temp : Set s = New Sink\ns.Item = t : s.plain = t\nOut.Echo s.got, TypeName(s.plain)";
    EXPECT_EQ(out(code), "Temp Integer");
}

TEST_F(CallingNames, AConversionIsNoStatement)
{
    EXPECT_EQ(errorOf("Call CInt(1)"), 458);
    EXPECT_EQ(errorOf("CStr 1"), 458);
    EXPECT_EQ(out("Call Out.Echo(CInt(\"4\"))"), "4");
}

} // namespace
