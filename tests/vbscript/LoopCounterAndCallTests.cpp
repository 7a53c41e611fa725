// For loops whose counter is a local or a parameter (stepped in place), calls whose
// frames start Empty, and operators nested in operators: the same values, types and
// errors as the general paths give (a counter at script level, a global).
#include "ScriptTest.h"

namespace {

class LoopCounters : public ::testing::Test { };
class CallFrames : public ::testing::Test { };

// Each case runs in a script control of its own: the cases reuse names.
std::string out(const std::string& code) { return vbtest::freshOut(code); }
int errorOf(const std::string& code) { return vbtest::freshErrorOf(code); }

// The loop `loop` (a For over the counter `i` that echoes `s` at the end) run with `i`
// as a local, as a ByRef parameter, as a ByVal parameter and at script level.
struct Places {
    std::string local, byRef, byVal, script;
};

Places runEverywhere(const std::string& loop)
{
    return Places{
        out("Sub M\nDim i, s\n" + loop + "End Sub\nM"),
        out("Sub M(i)\nDim s\n" + loop + "End Sub\nk = 0\nM k\nOut.Echo TypeName(k), k"),
        out("Sub M(ByVal i)\nDim s\n" + loop + "End Sub\nk = 0\nM k\nOut.Echo TypeName(k), k"),
        out(loop),
    };
}

// `last` is the counter's type and value after the loop, which a ByRef caller sees.
void expectEverywhere(const std::string& loop, const std::string& expected, const std::string& last)
{
    const Places p = runEverywhere(loop);
    EXPECT_EQ(p.local, expected) << loop;
    EXPECT_EQ(p.script, expected) << loop;
    EXPECT_EQ(p.byVal, expected + "|Integer 0") << loop;
    EXPECT_EQ(p.byRef, expected + "|" + last) << loop;
}

// Integer counters become Long past 32767 as "+" makes them; a Long counter that steps
// past the largest Long becomes a Double; a descending loop crosses -32768 the same way.
TEST_F(LoopCounters, StepsPromoteAtTheIntegerAndLongLimits)
{
    expectEverywhere("For i = 32765 To 32768\ns = s & TypeName(i) & i & \" \"\nNext\nOut.Echo s & TypeName(i), i\n",
                     "Integer32765 Integer32766 Integer32767 Long32768 Long 32769", "Long 32769");
    expectEverywhere("For i = -32766 To -32769 Step -1\ns = s & TypeName(i) & i & \" \"\nNext\nOut.Echo s & TypeName(i), i\n",
                     "Integer-32766 Integer-32767 Integer-32768 Long-32769 Long -32770", "Long -32770");
    expectEverywhere("For i = 2147483646 To 2147483647\ns = s & TypeName(i) & \" \"\nNext\nOut.Echo s & TypeName(i), i\n",
                     "Long Long Double 2147483648", "Double 2147483648");
    // A Double step makes the counter a Double from the first step on.
    expectEverywhere("For i = 1 To 2 Step 0.5\ns = s & TypeName(i) & i & \" \"\nNext\nOut.Echo s & TypeName(i), i\n",
                     "Integer1 Double1.5 Double2 Double 2.5", "Double 2.5");
}

// The body may change the counter: the next test and step start from the new value,
// whatever its type.
TEST_F(LoopCounters, TheBodyCanChangeTheCounter)
{
    expectEverywhere("For i = 1 To 10\ni = i + 2\ns = s & i & \",\"\nNext\nOut.Echo s & TypeName(i), i\n",
                     "3,6,9,12,Integer 13", "Integer 13");
    // A text counter is compared and stepped by the general rules ("7" + 1 = 8).
    expectEverywhere("For i = 1 To 9\nIf i = 2 Then i = \"7\"\ns = s & TypeName(i) & i & \",\"\nNext\nOut.Echo s & TypeName(i), i\n",
                     "Integer1,String7,Double8,Double9,Double 10", "Double 10");
    // A counter set past the end leaves the loop at the next test.
    expectEverywhere("For i = 1 To 5\ns = s & i\ni = 100\nNext\nOut.Echo s & TypeName(i), i\n", "1Integer 101", "Integer 101");
}

// Exit For and Exit Sub leave from the middle; an error in the body goes to the
// handler of the procedure, and Resume Next goes on with the loop.
TEST_F(LoopCounters, ExitsAndErrorsLeaveTheLoopAsBefore)
{
    expectEverywhere("For i = 1 To 10\nIf i = 4 Then Exit For\ns = s & i\nNext\nOut.Echo s & TypeName(i), i\n", "123Integer 4", "Integer 4");
    EXPECT_EQ(out("Function F\nDim i\nFor i = 1 To 10\nIf i = 3 Then Exit Function\nF = F & i\nNext\nF = \"no\"\nEnd Function\nOut.Echo F()"), "12");
    EXPECT_EQ(out("Sub M\nDim i, s\nOn Error Resume Next\nFor i = 1 To 4\ns = s & (10 \\ (i - 2)) & \",\"\nNext\n"
                  "Out.Echo s, Err.Number, i\nEnd Sub\nM"),
              "-10,10,5, 11 5");
    EXPECT_EQ(errorOf("Sub M\nDim i\nFor i = 1 To 3\nx = 1 / (i - 2)\nNext\nEnd Sub\nM"), 11);
    // Nested loops over locals of the same procedure each keep their own counter.
    EXPECT_EQ(out("Sub M\nDim i, j, s\nFor i = 1 To 3\nFor j = i To 3\ns = s & i & j & \" \"\nNext\nNext\nOut.Echo s & i & j\nEnd Sub\nM"),
              "11 12 13 22 23 33 44");
}

// A ByRef counter that is an array element or a class field is stepped where it lives.
TEST_F(LoopCounters, AByReferenceCounterIsTheCallersVariable)
{
    EXPECT_EQ(out("Sub M(i)\nFor i = 1 To 3 : Next\nEnd Sub\nDim a(2)\nM a(1)\nOut.Echo a(1), TypeName(a(0))"), "4 Empty");
    // The element's array stays locked while the loop runs over it.
    EXPECT_EQ(errorOf("Sub M(i)\nFor i = 1 To 3 : ReDim Preserve a(5) : Next\nEnd Sub\nReDim a(2)\nM a(1)"), 10);
    EXPECT_EQ(out("Class C\nPublic n\nEnd Class\nSub M(i)\nFor i = 5 To 1 Step -2 : s = s & i : Next\nOut.Echo s\nEnd Sub\n"
                  "Set o = New C\nM o.n\nOut.Echo TypeName(o.n)"),
              "531|Empty");
}

// Arguments are evaluated into a frame that starts Empty: an argument that raises
// leaves the procedure uncalled, releases what the earlier arguments made and the
// array locks they took, and the next call starts clean.
TEST_F(CallFrames, AnArgumentThatRaisesLeavesNothingBehind)
{
    const char* setup = "Function G(n)\nIf n > 0 Then Err.Raise 5\nG = n\nEnd Function\n"
                        "Sub P(a, b, c)\nOut.Echo \"ran\", TypeName(a), TypeName(b), TypeName(c)\nEnd Sub\n";
    EXPECT_EQ(out(std::string(setup) + "On Error Resume Next\nReDim arr(2)\nP String(300, \"x\") & \"\", G(1), arr\n"
                                       "Out.Echo Err.Number\nErr.Clear\nP Empty, G(0), Null"),
              "5|ran Empty Integer Null");
    // An array element passed by reference before the failing argument is locked only
    // for the call: ReDim works again afterwards.
    EXPECT_EQ(out(std::string(setup) + "On Error Resume Next\nReDim arr(2)\nP arr(0), G(1), 3\nErr.Clear\n"
                                       "ReDim Preserve arr(5)\nOut.Echo Err.Number, UBound(arr)"),
              "0 5");
    // Omitted arguments, by value and by reference, are refused when used.
    EXPECT_EQ(out("Sub Q(a, ByVal b, c)\nOut.Echo c\nEnd Sub\nQ , , 3"), "3");
    EXPECT_EQ(errorOf("Sub Q(a, ByVal b, c)\nOut.Echo TypeName(b)\nEnd Sub\nQ , , 3"), 449);
    EXPECT_EQ(errorOf("Sub Q(a, ByVal b, c)\nOut.Echo TypeName(a)\nEnd Sub\nQ , , 3"), 449);
    EXPECT_EQ(errorOf(std::string(setup) + "P 1, 2"), 450);
}

// The same for a method of an object: an array element passed by reference before an
// argument that raises is unlocked again (it stayed locked, and a later ReDim failed
// with error 10), and temporaries made for earlier arguments are released.
TEST_F(CallFrames, AnObjectCallWhoseArgumentRaisesUnlocksItsArrays)
{
    const char* setup = "Function G(n)\nIf n > 0 Then Err.Raise 5\nG = n\nEnd Function\n"
                        "Set d = CreateObject(\"Scripting.Dictionary\")\nReDim arr(2)\nOn Error Resume Next\n";
    EXPECT_EQ(out(std::string(setup) + "d.Add arr(0), G(1)\nOut.Echo Err.Number, d.Count\nErr.Clear\n"
                                       "ReDim Preserve arr(5)\nOut.Echo Err.Number, UBound(arr)"),
              "5 0|0 5");
    EXPECT_EQ(out(std::string(setup) + "d.Add \"k\" & String(300, \"x\"), G(1)\nd.Add \"a\", arr(1)\nd.Add \"b\" & 1, G(0)\n"
                                       "Err.Clear\nReDim arr(1)\nOut.Echo Err.Number, d.Count, Join(d.Keys, \",\")"),
              "0 2 a,b1");
    // More arguments than fit inline take the other storage, with the same rules.
    EXPECT_EQ(out("Class K\nFunction Sum(a, b, c, d, e, f, g)\nSum = a & b & c & d & e & f & g\nEnd Function\nEnd Class\n"
                  "Set o = New K\nReDim arr(1)\narr(0) = \"z\"\nOut.Echo o.Sum(1, \"x\" & 2, arr(0), 4, 5, 6, String(2, \"q\"))"),
              "1x2z456qq");
}

// Two parameters by reference to the same variable both change it, in order; by
// value each has its own copy.
TEST_F(CallFrames, ByReferenceArgumentsAliasTheSameVariable)
{
    const char* sub = "Sub S(a, b)\na = a + 1\nb = b * 10\nEnd Sub\nSub V(ByVal a, b)\na = a + 1\nb = b * 10\nOut.Echo a\nEnd Sub\n";
    EXPECT_EQ(out(std::string(sub) + "x = 1\nS x, x\nOut.Echo x"), "20");
    EXPECT_EQ(out(std::string(sub) + "Sub M\nDim y : y = 1\nS y, y\nV y, y\nOut.Echo y\nEnd Sub\nM"), "21|200");
    // Recursion through ByRef: every level changes the caller's counter.
    EXPECT_EQ(out("Sub R(d, n)\nn = n + 1\nIf d > 0 Then R d - 1, n\nEnd Sub\nc = 0\nR 50, c\nOut.Echo c"), "51");
    // Strings passed by value to deep recursion are released level by level.
    EXPECT_EQ(out("Function D(s, n)\nIf n = 0 Then D = Len(s) Else D = D(s & \"ab\", n - 1)\nEnd Function\nOut.Echo D(\"x\", 500)"), "1001");
}

// Operators nested in operators hand their value up without a second copy: types at
// the limits are what the rules give, and text chains stay intact.
TEST_F(CallFrames, NestedOperatorsKeepTheirTypes)
{
    const char* lines = "i = 32767 : l = 2147483647\n"
                        "Out.Echo TypeName((i + 1) * 1), TypeName((i - 1) * 1), TypeName((l + 1) - 1), (l + 1) - 1\n"
                        "Out.Echo TypeName((i * 2) \\ 2), (i * 2) \\ 2, TypeName(((i + 0) Mod 7) + 0), ((\"a\" & i) & \"b\") & (1 + 1)\n";
    const std::string expected = "Long Integer Double 2147483647|Long 32767 Integer a32767b2";
    EXPECT_EQ(out(lines), expected);
    EXPECT_EQ(out(std::string("Sub M\nDim i, l\n") + lines + "End Sub\nM"), expected);
    EXPECT_EQ(errorOf("Sub M\nDim i : i = 5\nx = (i + 1) \\ (i - 5)\nEnd Sub\nM"), 11);
}

class ScriptLevelNames : public ::testing::Test { };

// A subscript that is a module-level name is read by what the name is when the
// element is taken: a variable (converted as CLng converts), a constant, an object's
// default value, or a function that code executed later defined.
TEST_F(ScriptLevelNames, SubscriptsFollowWhatTheNameIsNow)
{
    EXPECT_EQ(out("a = Array(10, 20, 30)\nj = 1\nOut.Echo a(j), a(j + 1), a(j - 1)\nConst k = 2\nOut.Echo a(k), a(k - j)\n"
                  "j = \"2\" : Out.Echo a(j)\nj = 1.5 : Out.Echo a(j)\nj = True : Out.Echo a(j + 2)"),
              "20 30 10|30 20|30|30|20");
    EXPECT_EQ(errorOf("a = Array(1)\nj = Null\nx = a(j)"), 94);
    EXPECT_EQ(errorOf("a = Array(1)\nj = 5\nx = a(j)"), 9);
    EXPECT_EQ(out("Class D\nPublic Default Function V\nV = 1\nEnd Function\nEnd Class\na = Array(10, 20, 30)\n"
                  "Set o = New D\nOut.Echo a(o), a(o + 1)"),
              "20 30");
    // The name is unknown (Empty) in the first pass; then ExecuteGlobal makes it a
    // function, which the same subscript then calls.
    EXPECT_EQ(out("a = Array(10, 20, 30)\nFor i = 0 To 1\nIf i = 1 Then ExecuteGlobal \"Function p : p = 2 : End Function\"\n"
                  "s = s & a(p) & \",\"\nNext\nOut.Echo s"),
              "10,30,");
    // A name that Execute declares after the code was compiled, read as a subscript
    // inside a procedure's loop.
    EXPECT_EQ(out("a = Array(10, 20, 30)\nSub M\nDim i\nFor i = 0 To 1\nIf i = 1 Then ExecuteGlobal \"Dim q : q = 1\"\n"
                  "s = s & a(q) & \",\"\nNext\nOut.Echo s\nEnd Sub\nM"),
              "10,20,");
}

// "j + 1" and "j - 1" as subscripts take the whole-number sum directly; past a Long
// the sum is a Double that no subscript can be (overflow), and other operand types
// convert as before.
TEST_F(ScriptLevelNames, SubscriptSumsAtTheLimits)
{
    const char* procedure = "Sub M\nDim a, j\nReDim a(32768)\nj = 32767 : a(j + 1) = \"top\"\nOut.Echo a(32768), a(j + 1)\n"
                            "j = 1.5 : a(2) = \"two\" : Out.Echo a(j + 1), a(j - 0)\nj = \"1\" : Out.Echo a(j + 1)\n"
                            "j = True : a(0) = \"zero\" : Out.Echo a(j + 1)\nEnd Sub\nM";
    EXPECT_EQ(out(procedure), "top top|two two|two|zero");
    EXPECT_EQ(errorOf("Sub M\nDim a(3), j\nj = 2147483647\nx = a(j + 1)\nEnd Sub\nM"), 6);
    EXPECT_EQ(errorOf("Sub M\nDim a(3), j\nj = CLng(-2147483647) - 1\nx = a(j - 1)\nEnd Sub\nM"), 6);
    EXPECT_EQ(errorOf("Sub M\nDim a(3), j\nj = 3\nx = a(j + 1)\nEnd Sub\nM"), 9);
    EXPECT_EQ(errorOf("Sub M\nDim a(3), j\nj = Null\nx = a(j + 1)\nEnd Sub\nM"), 94);
}

// A module variable as the counter is stepped where it lives while its name stays a
// variable; when code in the body makes the name a procedure, the step fails as
// assigning to a procedure fails (501), and a constant added elsewhere changes nothing.
TEST_F(ScriptLevelNames, AModuleCounterFollowsItsNameAcrossExecuteGlobal)
{
    EXPECT_EQ(out("On Error Resume Next\nFor i = 1 To 5\ns = s & i\n"
                  "If i = 2 Then ExecuteGlobal \"Sub i : Out.Echo \"\"called\"\" : End Sub\"\nNext\nOut.Echo s, Err.Number"),
              "called|12 501");
    EXPECT_EQ(errorOf("For i = 1 To 5\nIf i = 2 Then ExecuteGlobal \"Sub i : End Sub\"\nNext"), 501);
    EXPECT_EQ(out("Dim k\nFor k = 1 To 3\ns = s & k\nIf k = 2 Then ExecuteGlobal \"Const zz = 1\"\nNext\nOut.Echo s, k\n"
                  "For k = 10 To 1 Step -4 : t = t & k & \",\" : Next\nOut.Echo t, k\n"
                  "Sub M\nFor k = 1 To 2 : u = u & k : Next\nOut.Echo u, k\nEnd Sub\nM\n"
                  "For q = 1 To 3 : k = k + 100 : Next\nOut.Echo q, k"),
              "123 4|10,6,2, -2|12 3|4 303");
    // A module constant cannot be a counter (refused when compiling).
    EXPECT_EQ(errorOf("Const c = 1\nFor c = 1 To 2 : Next"), 1040);
}

// Parentheses around an operator are the operator itself; around a variable they
// still pass a copy.
TEST_F(ScriptLevelNames, ParenthesesPassValuesNotVariables)
{
    const char* sub = "Sub S(x)\nx = x * 10\nEnd Sub\n";
    EXPECT_EQ(out(std::string(sub) + "a = 2\nS (a)\nS (a + 1)\nCall S((a))\nOut.Echo a\nS a\nOut.Echo a"), "2|20");
    EXPECT_EQ(out("x = ((2 + 3) * (4 - 1)) \\ (7 Mod 4)\nOut.Echo x, TypeName(x), (\"a\" & (1 + 1)) & (\"b\")"), "5 Integer a2b");
}

} // namespace
