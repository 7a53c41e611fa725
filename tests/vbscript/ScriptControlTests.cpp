// The script control as the host uses it: named objects with global members,
// modules, Run with arguments by reference, errors, reset.
#include "ScriptTest.h"

#include "automation/Dictionary.h"
#include "automation/MemberTable.h"
#include "vbscript/base/LibraryState.h"

namespace {

class HostObject final : public vb::Dispatch<HostObject> {
public:
    static const vb::MemberTable<HostObject>& members()
    {
        static const vb::MemberTable<HostObject> table("Application", {
            vb::method<&HostObject::Version>("Version"),
            vb::method<&HostObject::Add>("Add"),
            vb::method<&HostObject::SetText>("SetText"),
            vb::get<&HostObject::GetLevel>("Level"),
            vb::let<&HostObject::LetLevel>("Level"),
        });
        return table;
    }
    std::string Version() { return "1.6.174"; }
    std::int32_t Add(std::int32_t a, std::int32_t b) { return a + b; }
    void SetText(vb::Variant& target) { target = vb::Variant("set by host"); }
    std::int32_t GetLevel() { return level; }
    void LetLevel(std::int32_t v) { level = v; }
    std::int32_t level = 0;
};

class Control : public ::testing::Test {
protected:
    Control()
    {
        host = vb::make<HostObject>();
        control.Reset();
        control.setLanguage("VBScript");
        control.setAllowUI(true);
        control.AddObject("xap", host, true);
        control.setTimeout(90000);
    }
    vbscript::ScriptControl control;
    vb::Ref<HostObject> host;
};

TEST_F(Control, ConfigurationIsKept)
{
    EXPECT_EQ(control.language(), "VBScript");
    EXPECT_TRUE(control.allowUI());
    EXPECT_EQ(control.timeout(), 90000);
    EXPECT_THROW(control.setLanguage("JScript"), vb::Error);
}

TEST_F(Control, HostMembersAreGlobalNames)
{
    EXPECT_EQ(vb::CStr(control.Eval("xap.Version")), "1.6.174");
    EXPECT_EQ(vb::CStr(control.Eval("Version")), "1.6.174");
    EXPECT_EQ(vb::CStr(control.Eval("Add(2, 3)")), "5");
    control.AddCode("Level = 7");
    EXPECT_EQ(host->level, 7);
    control.AddCode("xap.Level = xap.Level + 1");
    EXPECT_EQ(host->level, 8);
}

TEST_F(Control, HostCallsReceiveVariablesByReference)
{
    control.AddCode("Dim t\nSetText t");
    EXPECT_EQ(vb::CStr(control.Eval("t")), "set by host");
}

TEST_F(Control, ScriptNamesWinOverHostMembers)
{
    control.AddCode("Function Version() : Version = \"script\" : End Function");
    EXPECT_EQ(vb::CStr(control.Eval("Version")), "script");
    EXPECT_EQ(vb::CStr(control.Eval("xap.Version")), "1.6.174");
}

TEST_F(Control, ModulesRunTheirCodeAndSeeTheGlobalModule)
{
    control.AddCode("Dim shared : shared = \"global\"");
    vbscript::ScriptModule& m1 = control.addModule("M1");
    m1.AddCode("Dim mine : mine = shared & \"+m1\"\nFunction main(p) : main = mine & \":\" & p : End Function");
    vb::Variant args[] = {vb::Variant("arg")};
    EXPECT_EQ(vb::CStr(m1.Run("main", args)), "global+m1:arg");
    EXPECT_TRUE(control.Eval("IsEmpty(mine)").booleanValue());
    EXPECT_EQ(control.module("m1"), &m1);
    EXPECT_EQ(control.module("M2"), nullptr);
    EXPECT_THROW(control.addModule("M1"), vb::Error);
}

TEST_F(Control, ModulesKeepTheirOwnVersionsOfAName)
{
    control.addModule("M1").AddCode("Function main(p) : main = \"one\" : End Function");
    control.addModule("M2").AddCode("Function main(p) : main = \"two\" : End Function");
    vb::Variant a[] = {vb::Variant("")};
    EXPECT_EQ(vb::CStr(control.module("M1")->Run("main", a)), "one");
    EXPECT_EQ(vb::CStr(control.module("M2")->Run("main", a)), "two");
}

TEST_F(Control, RunFallsBackToTheGlobalModuleAndPassesByReference)
{
    control.AddCode("Sub Fill(x) : x = x & \"!\" : End Sub");
    vbscript::ScriptModule& m = control.addModule("M1");
    vb::Variant args[] = {vb::Variant("hi")};
    m.Run("Fill", args);
    EXPECT_EQ(vb::CStr(args[0]), "hi!");
}

TEST_F(Control, RunOfAMissingProcedureFails)
{
    EXPECT_THROW(control.Run("Nope"), vb::Error);
    EXPECT_EQ(control.error().number, 35);
    vb::Variant args[] = {vb::Variant(std::int16_t(1))};
    control.AddCode("Sub NoArgs : End Sub");
    EXPECT_THROW(control.Run("NoArgs", args), vb::Error);
    EXPECT_EQ(control.error().number, 450);
}

TEST_F(Control, ErrorsAreRecordedAndCleared)
{
    EXPECT_THROW(control.AddCode("x = 1\ny = 1 / 0"), vb::Error);
    EXPECT_EQ(control.error().number, 11);
    EXPECT_EQ(control.error().line, 2);
    EXPECT_EQ(control.error().column, 0);
    control.clearError();
    EXPECT_EQ(control.error().number, 0);
    EXPECT_EQ(control.error().description, "");
    // The engine stays usable.
    EXPECT_EQ(vb::CStr(control.Eval("1 + 1")), "2");
}

TEST_F(Control, LineNumbersCountFromEachAddCode)
{
    control.AddCode("a = 1\nb = 2\nc = 3");
    EXPECT_THROW(control.AddCode("d = 4\ne = Undefined(1)"), vb::Error);
    EXPECT_EQ(control.error().line, 2);
}

TEST_F(Control, ErrorsInsideAModuleProcedureAreReportedWithTheirLine)
{
    vbscript::ScriptModule& m = control.addModule("M1");
    m.AddCode("Function main(p)\n  main = 1\n  main = p / 0\nEnd Function");
    vb::Variant args[] = {vb::Variant("5")};
    EXPECT_THROW(m.Run("main", args), vb::Error);
    EXPECT_EQ(control.error().number, 11);
    EXPECT_EQ(control.error().line, 3);
    EXPECT_EQ(control.error().column, 2);
}

TEST_F(Control, ExecuteStatementAndEval)
{
    control.ExecuteStatement("counter = 41");
    control.ExecuteStatement("counter = counter + 1");
    EXPECT_EQ(vb::CStr(control.Eval("counter")), "42");
    EXPECT_THROW(control.Eval("1 +"), vb::Error);
    EXPECT_EQ(control.error().number, 1002);
}

TEST_F(Control, ResetDropsCodeObjectsAndModules)
{
    control.AddCode("Dim g : g = 5\nFunction F : F = 1 : End Function");
    control.addModule("M1");
    control.Reset();
    EXPECT_TRUE(control.Eval("IsEmpty(g)").booleanValue());
    EXPECT_EQ(control.module("M1"), nullptr);
    EXPECT_THROW(control.Eval("xap.Version"), vb::Error);
    control.AddObject("xap", host, true);
    EXPECT_EQ(vb::CStr(control.Eval("Version")), "1.6.174");
}

TEST_F(Control, ResetRunsClassTerminate)
{
    control.AddCode("Class T\nPrivate Sub Class_Terminate : xap.Level = 99 : End Sub\nEnd Class\nSet keep = New T");
    control.Reset();
    EXPECT_EQ(host->level, 99);
}

TEST_F(Control, ModuleHandlesOutliveAReset)
{
    vbscript::ScriptModule& m = control.addModule("M1");
    control.Reset();
    EXPECT_THROW(m.AddCode("x = 1"), vb::Error);
}

TEST_F(Control, SyntaxErrorsInAddCodeAreRecordedWithTheirPlace)
{
    vbscript::ScriptModule& m = control.addModule("M1");
    EXPECT_THROW(m.AddCode("Sub main()\n  x = \nEnd Sub"), vb::Error);
    EXPECT_EQ(control.error().number, 1023);
    EXPECT_EQ(control.error().line, 2);
    EXPECT_EQ(control.error().column, 6);
}

} // namespace

namespace {

// A host object whose member resets the engine that runs the calling script.
class Resetter final : public vb::Dispatch<Resetter> {
public:
    static const vb::MemberTable<Resetter>& members()
    {
        static const vb::MemberTable<Resetter> table("Resetter", {
            vb::method<&Resetter::ResetNow>("ResetNow"),
        });
        return table;
    }
    void ResetNow() { control->Reset(); }
    vbscript::ScriptControl* control = nullptr;
};

TEST(ControlReentry, AResetRequestedByARunningScriptIsSafe)
{
    vbscript::ScriptControl control;
    vb::Ref<Resetter> r = vb::make<Resetter>();
    r->control = &control;
    control.AddObject("host", r, false);
    control.AddCode("Class T : Public V : End Class\nSet keep = New T\nFunction Go(n)\nDim local : local = n * 2\nhost.ResetNow\nGo = local + 1\nEnd Function");
    EXPECT_EQ(vb::CStr(control.Eval("Go(20)")), "41");
    // The engine is empty and usable afterwards.
    EXPECT_TRUE(control.Eval("IsEmpty(keep)").booleanValue());
    control.AddCode("x = 5");
    EXPECT_EQ(vb::CStr(control.Eval("x")), "5");
}

// What the run-time library keeps belongs to one engine: the classes its host
// registered, where its headless MsgBox writes, and the sequence of its Rnd.
TEST(EngineLibrary, EachEngineKeepsItsOwnClassesMessageSinkAndRandomNumbers)
{
    vbscript::ScriptControl a;
    vbscript::ScriptControl b;
    a.library().registerProgId("Tallis.Thing", [] { return vb::Ref<vb::Object>(vb::make<vb::Dictionary>()); });
    EXPECT_EQ(vb::CStr(a.Eval("TypeName(CreateObject(\"tallis.thing\"))")), "Dictionary");
    EXPECT_THROW(b.Eval("CreateObject(\"Tallis.Thing\")"), vb::Error);
    EXPECT_EQ(b.error().number, 429);
    // A reset drops the scripts, not what the host gave the engine.
    a.Reset();
    EXPECT_EQ(vb::CStr(a.Eval("TypeName(CreateObject(\"Tallis.Thing\"))")), "Dictionary");

    std::vector<std::string> toA, toB;
    a.library().setHeadlessTextSink([&](const std::string& text) { toA.push_back(text); });
    b.library().setHeadlessTextSink([&](const std::string& text) { toB.push_back(text); });
    a.ExecuteStatement("MsgBox \"for a\"");
    b.ExecuteStatement("MsgBox \"for b\"");
    EXPECT_EQ(toA, std::vector<std::string>{"for a"});
    EXPECT_EQ(toB, std::vector<std::string>{"for b"});

    // Fresh engines start the same sequence; numbers drawn or a Randomize in one do not
    // move the other's.
    vbscript::ScriptControl fresh;
    EXPECT_EQ(vb::CStr(fresh.Eval("Rnd")), vb::CStr(b.Eval("Rnd")));
    vbscript::ScriptControl reference;
    const std::string seeded = vb::CStr(reference.Eval("Rnd(-1)"));
    const std::string second = vb::CStr(reference.Eval("Rnd"));
    const std::string third = vb::CStr(reference.Eval("Rnd"));
    EXPECT_EQ(vb::CStr(a.Eval("Rnd(-1)")), seeded);
    EXPECT_EQ(vb::CStr(b.Eval("Rnd(-1)")), seeded);
    a.ExecuteStatement("Randomize 7");
    a.Eval("Rnd");
    a.Eval("Rnd");
    EXPECT_EQ(vb::CStr(b.Eval("Rnd")), second);
    EXPECT_EQ(vb::CStr(b.Eval("Rnd")), third);
}

} // namespace
