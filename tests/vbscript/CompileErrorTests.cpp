// Compilation errors: VBScript's numbers, texts, and the place of the error.
#include "ScriptTest.h"

namespace {

struct Case {
    const char* code;
    int number;
    int line;
    int column;
};

class CompileErrors : public ::testing::TestWithParam<Case> { };

TEST_P(CompileErrors, ReportNumberTextAndPlace)
{
    const Case& c = GetParam();
    vbscript::ScriptControl control;
    try {
        control.AddCode(c.code);
        FAIL() << "no error for: " << c.code;
    } catch (const vb::Error& e) {
        EXPECT_EQ(e.number(), c.number) << c.code;
        const vbscript::ScriptError& err = control.error();
        EXPECT_EQ(err.number, c.number) << c.code;
        EXPECT_EQ(err.source, "Microsoft VBScript compilation error");
        EXPECT_FALSE(err.description.empty());
        EXPECT_EQ(err.line, c.line) << c.code;
        if (c.column >= 0) {
            EXPECT_EQ(err.column, c.column) << c.code;
        }
    }
}

INSTANTIATE_TEST_SUITE_P(
    Syntax, CompileErrors,
    ::testing::Values(Case{"x = ", 1023, 1, 4},
                      Case{"x = (1 + 2", 1006, 1, 10},
                      Case{"If x Then\ny = 1\n", 1014, 3, -1},
                      Case{"If x\ny = 1\nEnd If", 1017, 1, 4},
                      Case{"For i = 1\nNext", 1013, 1, 9},
                      Case{"For i = 1 To 2\nx = 1\n", 1020, 3, -1},
                      Case{"Do\nx = 1\n", 1019, 3, -1},
                      Case{"While True\nx = 1\n", 1018, 3, -1},
                      Case{"Loop", 1038, 1, 0},
                      Case{"Next", 1055, 1, 0},
                      Case{"Exit For", 1039, 1, 5},
                      Case{"Sub S\nExit Function\nEnd Sub", 1039, 2, 5},
                      Case{"Sub S\nx = 1\nEnd Function", 1016, 3, 4},
                      Case{"Function F\nEnd Sub", 1015, 2, 4},
                      Case{"Select Case x\nx = 1\nEnd Select", 1021, 2, 0},
                      Case{"Dim a(n)", 1026, 1, 6},
                      Case{"Const c = x", 1045, 1, 10},
                      Case{"Dim x\nDim x", 1041, 2, 4},
                      Case{"Dim A\nSub A : End Sub", 1041, 2, 0},
                      Case{"x = 1 2", 1025, 1, 6},
                      Case{"Class C\nx = 1\nEnd Class", 1014, 2, 0},
                      Case{"Property Get P : End Property", 1048, 1, 0},
                      Case{"Class C\nProperty Get P(a)\nEnd Property\nProperty Let P(a)\nEnd Property\nEnd Class", 1051, 4, -1},
                      Case{"Class C\nPublic Property Let P()\nEnd Property\nEnd Class", 1054, 2, -1},
                      Case{"Class C\nPrivate Default Function F\nEnd Function\nEnd Class", 1057, 2, -1},
                      Case{"For Each x 5\nNext", 1046, 1, 11},
                      Case{"Do While\nLoop", 1023, 1, 8},
                      Case{"With\nEnd With", 1023, 1, 4},
                      Case{"With x\nEnd Sub", 1029, 2, 4},
                      Case{"Do\nLoop Forever", 1028, 2, 5},
                      Case{"x.", 1010, 1, 2},
                      Case{"Set x 1", 1011, 1, 6},
                      Case{"Select x", 1021, 1, 7},
                      Case{"Class C\nEnd Sub", 1047, 2, 4},
                      Case{"Sub S(a, a)\nEnd Sub", 1041, 1, 9},
                      Case{"Foo(1, 2)", 1044, 1, 3},
                      Case{"x = Me", 1037, 1, 4},
                      Case{"Class C\nSub Class_Terminate(a)\nEnd Sub\nEnd Class", 1053, 2, -1},
                      Case{"For x.y = 1 To 2\nNext", 1040, 1, 5},
                      Case{"Property Let P(v)\nEnd Property", 1048, 1, 0}));

TEST(CompileErrorText, TheSourceLineIsKept)
{
    vbscript::ScriptControl control;
    EXPECT_THROW(control.AddCode("x = 1\ny = (2 +\nz = 3"), vb::Error);
    EXPECT_EQ(control.error().line, 2);
    EXPECT_EQ(control.error().text, "y = (2 +");
    EXPECT_EQ(control.error().description, "Expected expression");
}

TEST(CompileErrorText, NothingRunsWhenTheUnitDoesNotCompile)
{
    vbscript::ScriptControl control;
    EXPECT_THROW(control.AddCode("ran = True\nx = (1"), vb::Error);
    EXPECT_TRUE(control.Eval("IsEmpty(ran)").booleanValue());
}

TEST(CompileErrorText, DeepNestingIsRefusedNotACrash)
{
    vbscript::ScriptControl control;
    std::string deep = "x = " + std::string(5000, '(') + "1" + std::string(5000, ')');
    EXPECT_THROW(control.AddCode(deep), vb::Error);
    EXPECT_EQ(control.error().source, "Microsoft VBScript compilation error");
}

} // namespace

namespace {

TEST(CompileErrorText, AUnitThatDoesNotCompileLeavesTheModuleAsItWas)
{
    vbscript::ScriptControl control;
    control.AddCode("Function Keep() : Keep = \"old\" : End Function\nDim existing : existing = 1");
    EXPECT_THROW(control.AddCode("Function Keep() : Keep = \"new\" : End Function\nFunction Fresh() : End Function\nDim existing\nx = Me"), vb::Error);
    EXPECT_EQ(vb::CStr(control.Eval("Keep()")), "old");
    EXPECT_EQ(vb::CStr(control.Eval("existing")), "1");
    EXPECT_THROW(control.Eval("Fresh()"), vb::Error);
    EXPECT_EQ(control.error().number, 13);
}

} // namespace
