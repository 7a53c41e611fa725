// Execute, ExecuteGlobal, Eval and GetRef.
#include "ScriptTest.h"

using vbtest::ScriptTest;

namespace {

class DynamicCode : public ScriptTest { };

TEST_F(DynamicCode, EvalSeesGlobalsAndComparesWithEquals)
{
    EXPECT_EQ(out("x = 4\nOut.Echo Eval(\"x * 2\"), Eval(\"x = 4\")"), "8 True");
}

TEST_F(DynamicCode, EvalAndExecuteSeeTheLocalsOfTheProcedure)
{
    const char* code = "Sub S(p)\nDim loc : loc = 10\nOut.Echo Eval(\"loc + p\")\nExecute \"loc = loc + 1\"\nOut.Echo loc\nEnd Sub\nS 5";
    EXPECT_EQ(out(code), "15|11");
}

TEST_F(DynamicCode, ExecuteInAProcedureCreatesLocalVariables)
{
    const char* code = "Sub S\nExecute \"Dim fresh : fresh = 3\"\nExecute \"Out.Echo fresh\"\nEnd Sub\nS\nOut.Echo IsEmpty(fresh)";
    EXPECT_EQ(out(code), "3|True");
}

TEST_F(DynamicCode, ExecuteGlobalDefinesGlobalNames)
{
    const char* code = "Sub S\nExecuteGlobal \"Dim g : g = 7 : Function Triple(n) : Triple = 3 * n : End Function\"\nEnd Sub\n"
                       "S\nOut.Echo g, Triple(g)";
    EXPECT_EQ(out(code), "7 21");
}

TEST_F(DynamicCode, ExecuteSeesClassMembersInsideAMethod)
{
    const char* code = "Class C\nPrivate secret\nPublic Function Peek\nsecret = 41\nExecute \"secret = secret + 1\"\nPeek = Eval(\"secret\")\nEnd Function\nEnd Class\n"
                       "Set obj = New C\nOut.Echo obj.Peek()";
    EXPECT_EQ(out(code), "42");
}

TEST_F(DynamicCode, ErrorsInEvaluatedTextAreRaisedAtTheCaller)
{
    EXPECT_EQ(errorOf("x = 1\ny = Eval(\"1 +\")"), 1002);
    EXPECT_EQ(control.error().line, 2);
    EXPECT_EQ(out("On Error Resume Next\nExecute \"z = 1 / 0\"\nOut.Echo Err.Number"), "11");
    EXPECT_EQ(out("On Error Resume Next\ny = Eval(\"(\")\nOut.Echo Err.Number, Err.Source"), "1002 Microsoft VBScript compilation error");
}

TEST_F(DynamicCode, GetRefCallsTheProcedure)
{
    const char* code = "Function Add(a, b) : Add = a + b : End Function\nSub Hello : Out.Echo \"hello\" : End Sub\n"
                       "Set f = GetRef(\"Add\")\nOut.Echo f(2, 3)\nSet h = GetRef(\"hello\")\nh";
    EXPECT_EQ(out(code), "5|hello");
    EXPECT_EQ(errorOf("Set f = GetRef(\"Missing\")"), 5);
}

TEST_F(DynamicCode, GetRefObjectIsCallableFromCpp)
{
    control.AddCode("Function Twice(n) : Twice = n * 2 : End Function\nSet handler = GetRef(\"Twice\")");
    vb::Variant handler = control.Eval("handler");
    ASSERT_TRUE(handler.isObject());
    vb::Object& obj = *handler.objectValue();
    vb::Variant arg(std::int16_t(21));
    vb::Variant* args[] = {&arg};
    EXPECT_EQ(vb::CStr(obj.invoke(obj.memberId(""), vb::Method | vb::Get, vb::Args(args, 1))), "42");
}

TEST_F(DynamicCode, RedefiningAProcedureWithExecuteGlobalReplacesIt)
{
    EXPECT_EQ(out("Function V : V = 1 : End Function\nOut.Echo V\nExecuteGlobal \"Function V : V = 2 : End Function\"\nOut.Echo V"), "1|2");
}

TEST_F(DynamicCode, NamesDefinedLaterByOtherCodeAreFound)
{
    control.AddCode("Function UsesLater() : UsesLater = DefinedLater(1) : End Function");
    control.AddCode("Function DefinedLater(x) : DefinedLater = x + 100 : End Function");
    EXPECT_EQ(evalText("UsesLater()"), "101");
}

} // namespace
