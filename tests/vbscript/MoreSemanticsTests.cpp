// Finer points: numeric edge cases, classes, Err in nested calls, named objects.
#include "ScriptTest.h"

#include "vbscript/Engine.h"

using vbtest::ScriptTest;

namespace {

class Numbers : public ScriptTest { };

TEST_F(Numbers, CurrencyStaysExact)
{
    EXPECT_EQ(evalText("CCur(0.1) + CCur(0.2)"), "0.3");
    EXPECT_EQ(typeOf("CCur(1.5) * CCur(2)"), "Currency");
    EXPECT_EQ(evalText("CCur(1.5) * CCur(2)"), "3");
    EXPECT_EQ(evalText("CCur(10) - 0.0001"), "9.9999");
}

TEST_F(Numbers, SingleResults)
{
    EXPECT_EQ(typeOf("CSng(1.5) * 2"), "Single");
    EXPECT_EQ(typeOf("CSng(1) / CSng(4)"), "Single");
    EXPECT_EQ(evalText("CSng(1) / CSng(4)"), "0.25");
}

TEST_F(Numbers, OverflowBeyondDoubleIsAnError)
{
    EXPECT_EQ(evalError("1E308 * 10"), 6);
    EXPECT_EQ(evalError("CInt(40000)"), 6);
    EXPECT_EQ(evalError("2147483647 \\ 1 + CLng(2147483647) \\ 0"), 11);
}

TEST_F(Numbers, ByteArithmetic)
{
    EXPECT_EQ(typeOf("CByte(250) + CByte(5)"), "Byte");
    EXPECT_EQ(typeOf("CByte(250) + CByte(6)"), "Integer");
    EXPECT_EQ(typeOf("CByte(3) And CByte(1)"), "Byte");
    EXPECT_EQ(evalText("Not CByte(0)"), "255");
}

TEST_F(Numbers, TextThatIsANumberTakesPartInArithmetic)
{
    EXPECT_EQ(evalText("\" 12 \" - 2"), "10");
    EXPECT_EQ(evalText("\"1e2\" * 1"), "100");
    EXPECT_EQ(evalText("\"&H10\" + 0"), "16");
}

class MoreClasses : public ScriptTest { };

TEST_F(MoreClasses, PropertiesWithSeveralArguments)
{
    const char* code = "Class Grid\nPrivate cells(2, 2)\n"
                       "Public Property Get Cell(r, c) : Cell = cells(r, c) : End Property\n"
                       "Public Property Let Cell(r, c, v) : cells(r, c) = v : End Property\nEnd Class\n"
                       "Set g = New Grid\ng.Cell(1, 2) = \"x\"\nOut.Echo g.Cell(1, 2), TypeName(g.Cell(0, 0))";
    EXPECT_EQ(out(code), "x Empty");
}

TEST_F(MoreClasses, PrivateMembersAreReachableThroughMe)
{
    const char* code = "Class Secretive\nPrivate Function Hidden : Hidden = \"hidden\" : End Function\n"
                       "Public Function Reveal : Reveal = Me.Hidden : End Function\nEnd Class\nSet s = New Secretive\nOut.Echo s.Reveal";
    EXPECT_EQ(out(code), "hidden");
}

TEST_F(MoreClasses, AFailingInitializeFailsNew)
{
    const char* code = "Class Fragile\nPrivate Sub Class_Initialize : Err.Raise 1001, \"Fragile\", \"nope\" : End Sub\n"
                       "Private Sub Class_Terminate : Out.Echo \"terminate\" : End Sub\nEnd Class\nSet f = New Fragile";
    EXPECT_EQ(errorOf(code), 1001);
    EXPECT_TRUE(recorder->lines.empty());
}

TEST_F(MoreClasses, ErrorsInTerminateAreIgnored)
{
    const char* code = "Class Noisy\nPrivate Sub Class_Terminate : x = 1 / 0 : End Sub\nEnd Class\n"
                       "Set n = New Noisy\nSet n = Nothing\nOut.Echo \"fine\"";
    EXPECT_EQ(out(code), "fine");
}

TEST_F(MoreClasses, ClassesDefinedByExecuteGlobal)
{
    EXPECT_EQ(out("ExecuteGlobal \"Class Late : Public V : End Class\"\nSet l = New Late\nl.V = 3\nOut.Echo l.V"), "3");
}

TEST_F(MoreClasses, NewOfALibraryClass)
{
    EXPECT_EQ(out("Set r = New RegExp\nr.Pattern = \"b+\"\nOut.Echo r.Test(\"abbc\")"), "True");
}

class NestedErrors : public ScriptTest { };

TEST_F(NestedErrors, ACalleeWithResumeNextKeepsItsErrorLocal)
{
    const char* code = "Function Safe()\nOn Error Resume Next\nSafe = 1 / 0\nSafe = \"recovered\"\nEnd Function\n"
                       "Out.Echo Safe()";
    EXPECT_EQ(out(code), "recovered");
}

TEST_F(NestedErrors, TheInnermostStatementIsReported)
{
    const char* code = "Sub A\n  B\nEnd Sub\nSub B\n  x = 1\n    y = Nothing + 1\nEnd Sub\nA";
    EXPECT_EQ(errorOf(code), 91);
    EXPECT_EQ(control.error().line, 6);
    EXPECT_EQ(control.error().column, 4);
}

TEST_F(NestedErrors, ErrIsSharedAcrossProcedures)
{
    const char* code = "Sub Fail : Err.Raise 77 : End Sub\nOn Error Resume Next\nFail\nOut.Echo Err.Number\nErr.Clear\nOut.Echo Err.Number";
    EXPECT_EQ(out(code), "77|0");
}

TEST(NamedObjects, DuplicateNamesAndMissingObjectsAreRefused)
{
    vbscript::ScriptControl control;
    vb::Ref<vbtest::Recorder> r = vb::make<vbtest::Recorder>();
    control.AddObject("Log", r, false);
    EXPECT_THROW(control.AddObject("log", r, false), vb::Error);
    EXPECT_THROW(control.AddObject("Other", nullptr, false), vb::Error);
}

TEST(NamedObjects, MembersAreGlobalOnlyWhenAsked)
{
    vbscript::ScriptControl control;
    vb::Ref<vbtest::Recorder> r = vb::make<vbtest::Recorder>();
    control.AddObject("Log", r, false);
    EXPECT_THROW(control.AddCode("Echo \"x\""), vb::Error);
    control.AddCode("Log.Echo \"y\"");
    ASSERT_EQ(r->lines.size(), 1u);
    EXPECT_EQ(r->lines[0], "y");
}

TEST(EngineSettings, CallDepthCanBeLowered)
{
    vbscript::ScriptControl control;
    control.engine().setMaxCallDepth(50);
    control.AddCode("Function R(n) : If n = 0 Then R = 0 Else R = R(n - 1)\nEnd Function");
    EXPECT_EQ(vb::CStr(control.Eval("R(40)")), "0");
    EXPECT_THROW(control.Eval("R(60)"), vb::Error);
    EXPECT_EQ(control.error().number, 28);
}

TEST(EngineSettings, UserInterfaceFlagReachesTheLibrary)
{
    vbscript::ScriptControl control;
    control.setAllowUI(false);
    EXPECT_FALSE(control.engine().userInterfaceAllowed());
    control.setAllowUI(true);
    EXPECT_TRUE(control.engine().userInterfaceAllowed());
}

} // namespace
