// The error numbers callers test with Err.Number: Null arguments, dynamic code,
// Err.Raise, and objects that are Nothing or no objects at all.
#include "ScriptTest.h"

using vbtest::ScriptTest;

namespace {

class NullArguments : public ScriptTest { };

TEST_F(NullArguments, RefusedWithInvalidUseOfNull)
{
    for (const char* call : {"InStrRev(\"abcd\", Null)", "Sgn(Null)", "Escape(Null)", "Unescape(Null)", "DateValue(Null)",
                             "TimeValue(Null)", "Filter(Null, \"a\")", "Join(Null)", "Mid(\"text\", 0, Null)", "MonthName(\"a\", Null)"}) {
        EXPECT_EQ(errorOf(std::string("x = ") + call), 94) << call;
    }
}

TEST_F(NullArguments, TypeMismatchesAndBadArguments)
{
    EXPECT_EQ(errorOf("x = FormatCurrency(Null)"), 13);
    EXPECT_EQ(errorOf("x = Join(Array(1, Null))"), 13);
    EXPECT_EQ(errorOf("x = Split(\"a-b\", \"-\", -1, 2)"), 5);
    EXPECT_EQ(errorOf("v = Randomize(1)"), 13);
    EXPECT_EQ(errorOf("Randomize 1"), 0);
    // What still passes Null on.
    EXPECT_EQ(out("Out.Echo IsNull(InStr(Null, \"a\")), IsNull(Mid(Null, 1))"), "True True");
}

class DynamicCodeErrors : public ScriptTest { };

TEST_F(DynamicCodeErrors, ArgumentsOfEvalExecuteAndGetRef)
{
    EXPECT_EQ(errorOf("x = Eval(\"1 +\")"), 1002);
    EXPECT_EQ(errorOf("Execute 42"), 13);
    EXPECT_EQ(errorOf("ExecuteGlobal True"), 13);
    EXPECT_EQ(errorOf("x = GetRef(123)"), 13);
    EXPECT_EQ(out("x = Eval(Null) : Out.Echo IsNull(x)"), "True");
    EXPECT_EQ(out("x = Eval(6 * 7) : Out.Echo x"), "42");
}

TEST_F(DynamicCodeErrors, OptionExplicitOfExecutedCodeStaysThere)
{
    EXPECT_EQ(errorOf("ExecuteGlobal \"Option Explicit\"\nExecuteGlobal \"brandNew = 1\""), 0);
    EXPECT_EQ(errorOf("ExecuteGlobal \"Option Explicit : notDeclared = 1\""), 500);
}

TEST_F(DynamicCodeErrors, AConstantCannotTakeAVariablesName)
{
    EXPECT_EQ(errorOf("Dim counter\nExecuteGlobal \"Const counter = 1\""), 1041);
    EXPECT_EQ(out("ExecuteGlobal \"Const limit = 3\" : Out.Echo limit"), "3");
}

TEST_F(DynamicCodeErrors, AFixedArrayCannotBeDeclaredAgain)
{
    EXPECT_EQ(out("On Error Resume Next\nExecuteGlobal \"Dim fixedList(2)\"\nOut.Echo Err.Number\n"
                  "ExecuteGlobal \"Dim fixedList(2)\"\nOut.Echo Err.Number, UBound(fixedList)"),
              "0|13 2");
}

TEST_F(DynamicCodeErrors, DimInsideExecuteInAProcedure)
{
    const char* code = "Option Explicit\nSub Tally\nExecute \"Dim total : total = 5\"\nOut.Echo total\nEnd Sub\nTally";
    EXPECT_EQ(out(code), "5");
    EXPECT_EQ(errorOf("Option Explicit\nSub Other\nOut.Echo missing\nEnd Sub\nOther"), 500);
}

class Raising : public ScriptTest { };

TEST_F(Raising, HelpFileAndContextAreKept)
{
    EXPECT_EQ(out("On Error Resume Next\nErr.Raise 1, \"src\", \"desc\", \"help.chm\", 7\n"
                  "Out.Echo Err.Number, Err.Source, Err.Description, Err.HelpFile, Err.HelpContext"),
              "1 src desc help.chm 7");
    // A later error of the engine has no help.
    EXPECT_EQ(out("On Error Resume Next\nErr.Raise 1, , , \"h.chm\", 2\nx = 1 / 0\nOut.Echo Err.Number, Err.HelpFile, Err.HelpContext"),
              "11  0");
}

TEST_F(Raising, NumbersAreCheckedAndMapped)
{
    EXPECT_EQ(errorOf("Err.Raise &h10000&"), 5);
    EXPECT_EQ(out("On Error Resume Next\nErr.Raise &h8007000E&\nOut.Echo Err.Number, Err.Description"), "7 Out of memory");
    EXPECT_EQ(errorOf("Err.Raise &h800A000D&"), 13);
    EXPECT_EQ(errorOf("Err.Raise"), 450);
    EXPECT_EQ(errorOf("Err.Raise vbObjectError + 5"), static_cast<int>(0x80040005u));
    EXPECT_EQ(errorOf("Err.Raise 65535"), 65535);
}

class ObjectsAndNothing : public ScriptTest { };

TEST_F(ObjectsAndNothing, AssigningThroughNothingOrNoObject)
{
    EXPECT_EQ(errorOf("Set o = Nothing : o.Size = 1"), 424);
    EXPECT_EQ(errorOf("Set o = Nothing : x = o.Size"), 91);
    EXPECT_EQ(errorOf("With 42\n.x = 1\nEnd With"), 424);
    EXPECT_EQ(errorOf("x = Array(Nothing) : x(0)(0) = 5"), 13);
}

TEST_F(ObjectsAndNothing, UnaryPlusKeepsTheObject)
{
    EXPECT_EQ(out("Set d = CreateObject(\"Scripting.Dictionary\") : Set y = +d : Out.Echo TypeName(y)"), "Dictionary");
}

TEST_F(ObjectsAndNothing, NewAndTheBuiltInClasses)
{
    EXPECT_EQ(errorOf("Set y = New NoSuchClass"), 500);
    EXPECT_EQ(out("Class RegExp : Public Pattern : End Class\nSet r = New RegExp : Out.Echo TypeName(r), TypeName(r.Execute(\"\"))"),
              "IRegExp2 IMatchCollection2");
}

TEST_F(ObjectsAndNothing, AnArrayExistsOnceItsDimLineRan)
{
    EXPECT_EQ(out("Out.Echo TypeName(early)\nDim early(3)\nOut.Echo TypeName(early), UBound(early)"), "Empty|Variant() 3");
    EXPECT_EQ(out("Sub Show : Out.Echo TypeName(later) : End Sub\nShow\nDim later(1)\nShow"), "Empty|Variant()");
}

TEST_F(ObjectsAndNothing, ReDimAndForFailures)
{
    EXPECT_EQ(errorOf("Dim fixedA(3)\nReDim fixedA(\"abc\")"), 10);
    EXPECT_EQ(out("On Error Resume Next\nz = 0\nFor i = 1 To 10 / z\nn = n + 1\nNext\nOut.Echo Err.Number, n"), "92 1");
}

TEST_F(ObjectsAndNothing, RegExpReplaceTakesBooleansAsNumbers)
{
    EXPECT_EQ(out("Set re = New RegExp : re.Pattern = \"x\" : Out.Echo re.Replace(\"axb\", True), re.Replace(\"axb\", False)"), "a-1b a0b");
    EXPECT_EQ(evalError("&19"), 1002);
}

} // namespace
