// The value tests (IsArray ... VarType), the constants, the engine information, object
// creation and the message boxes.
#include "LibraryTestSupport.h"

#include "automation/Dictionary.h"

#include <optional>

using namespace library_test;
using vb::Variant;

namespace {

// An object whose default property returns a fixed value.
class Holder final : public vb::Dispatch<Holder> {
public:
    static const vb::MemberTable<Holder>& members()
    {
        static const vb::MemberTable<Holder> table("Holder", {vb::get<&Holder::Value>("Value", vb::kDefault)});
        return table;
    }
    Variant Value() const { return value; }
    Variant value;
};

Variant holding(Variant value)
{
    vb::Ref<Holder> h = vb::make<Holder>();
    h->value = std::move(value);
    return Variant(vb::Ref<vb::Object>(h));
}

class RecordingInterface final : public vbscript::UserInterface {
public:
    std::int32_t msgBox(const std::string& prompt, std::int32_t buttons, const std::string& title) override
    {
        lastPrompt = prompt;
        lastButtons = buttons;
        lastTitle = title;
        return 6; // vbYes
    }
    std::optional<std::string> inputBox(const std::string& prompt, const std::string&, const std::string& defaultText) override
    {
        lastPrompt = prompt;
        return answer ? std::optional<std::string>(*answer + defaultText) : std::nullopt;
    }
    std::string lastPrompt, lastTitle;
    std::int32_t lastButtons = -1;
    std::optional<std::string> answer;
};

} // namespace

TEST(ValueTests, TypeNameAndVarTypeOfEverySubtype)
{
    struct Case {
        Variant value;
        const char* name;
        int varType;
    } cases[] = {
        {Variant(), "Empty", 0},
        {Variant::null(), "Null", 1},
        {Variant(std::int16_t(1)), "Integer", 2},
        {Variant(std::int32_t(1)), "Long", 3},
        {Variant(1.0f), "Single", 4},
        {Variant(1.0), "Double", 5},
        {Variant(vb::Currency{10000}), "Currency", 6},
        {Variant(vb::Date{1.0}), "Date", 7},
        {Variant("s"), "String", 8},
        {Variant::nothing(), "Nothing", 9},
        {Variant::error(5), "Error", 10},
        {Variant(true), "Boolean", 11},
        {Variant(std::uint8_t(1)), "Byte", 17},
        {array({}), "Variant()", 8204},
        {Variant(vb::Ref<vb::Object>(vb::make<vb::Dictionary>())), "Dictionary", 9},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(c.name, str(call("TypeName", c.value)));
        EXPECT_EQ(c.varType, call("VarType", c.value).integerValue()) << c.name;
    }
    // An object with a default property reports that property's type.
    EXPECT_EQ(8, call("VarType", holding("text")).integerValue());
    EXPECT_EQ("Holder", str(call("TypeName", holding("text"))));
}

TEST(ValueTests, IsFunctions)
{
    EXPECT_TRUE(call("IsArray", array({})).booleanValue());
    EXPECT_FALSE(call("IsArray", "a").booleanValue());
    EXPECT_TRUE(call("IsEmpty", Variant()).booleanValue());
    EXPECT_FALSE(call("IsEmpty", "").booleanValue());
    EXPECT_TRUE(call("IsNull", Variant::null()).booleanValue());
    EXPECT_FALSE(call("IsNull", Variant()).booleanValue());
    EXPECT_TRUE(call("IsNumeric", "12.5").booleanValue());
    EXPECT_TRUE(call("IsNumeric", Variant()).booleanValue());
    EXPECT_FALSE(call("IsNumeric", "12a").booleanValue());
    EXPECT_FALSE(call("IsNumeric", Variant::null()).booleanValue());
    EXPECT_TRUE(call("IsNumeric", holding(std::int16_t(3))).booleanValue());
    EXPECT_TRUE(call("IsDate", "12/7/2026").booleanValue());
    EXPECT_FALSE(call("IsDate", "nonsense").booleanValue());
    EXPECT_TRUE(call("IsObject", Variant::nothing()).booleanValue());
    EXPECT_FALSE(call("IsObject", "x").booleanValue());
    EXPECT_EQ(vb::vbBoolean, call("IsEmpty", Variant()).type());
}

TEST(ValueTests, ObjectsStandForTheirDefaultValue)
{
    EXPECT_EQ(4, call("Len", holding("abcd")).longValue());
    EXPECT_EQ("AB", str(call("UCase", holding("ab"))));
    EXPECT_TRUE(call("Len", holding(Variant::null())).isNull());
    EXPECT_VB_ERROR(91, call("Len", Variant::nothing()));
}

TEST(Constants, NamesAndValues)
{
    auto value = [](std::string_view name) {
        const vbscript::BuiltinConstant* c = vbscript::findBuiltinConstant(name);
        EXPECT_NE(nullptr, c) << name;
        return c ? c->value : Variant();
    };
    EXPECT_EQ("\r\n", value("vbCrLf").stringValue());
    EXPECT_EQ("\r\n", value("VBNEWLINE").stringValue()); // names ignore case
    EXPECT_EQ(std::string(1, '\0'), value("vbNullChar").stringValue());
    EXPECT_EQ("", value("vbNullString").stringValue());
    EXPECT_EQ("\t", value("vbTab").stringValue());
    EXPECT_EQ(-2147221504, vb::CLng(value("vbObjectError")));
    EXPECT_EQ(1, vb::CLng(value("vbTextCompare")));
    EXPECT_EQ(8204, vb::CLng(value("vbArray")) + vb::CLng(value("vbVariant")));
    EXPECT_EQ(4, vb::CLng(value("vbYesNo")));
    EXPECT_EQ(7, vb::CLng(value("vbNo")));
    EXPECT_EQ(1048576, vb::CLng(value("vbMsgBoxRtlReading")));
    EXPECT_EQ(7, vb::CLng(value("vbSaturday")));
    EXPECT_EQ(3, vb::CLng(value("vbFirstFullWeek")));
    EXPECT_EQ(4, vb::CLng(value("vbShortTime")));
    EXPECT_EQ(-2, vb::CLng(value("vbUseDefault")));
    EXPECT_EQ(0xFF0000, vb::CLng(value("vbBlue")));
    EXPECT_EQ(nullptr, vbscript::findBuiltinConstant("vbNoSuchThing"));
}

TEST(ScriptEngine, VersionAndLocale)
{
    EXPECT_EQ("VBScript", str(call("ScriptEngine")));
    EXPECT_EQ(5, call("ScriptEngineMajorVersion").longValue());
    EXPECT_EQ(8, call("ScriptEngineMinorVersion").longValue());
    EXPECT_GT(call("ScriptEngineBuildVersion").longValue(), 0);
    EXPECT_EQ(1033, call("GetLocale").longValue());
    EXPECT_EQ(1033, call("SetLocale", std::int16_t(1033)).longValue());
    EXPECT_EQ(1033, call("SetLocale", "en-us").longValue());
    EXPECT_NE(nullptr, vbscript::findBuiltinFunction("lcase")); // lookups ignore case
    EXPECT_EQ(nullptr, vbscript::findBuiltinFunction("NoSuchFunction"));
}

TEST(ObjectCreation, ProgIdsAndNew)
{
    const Variant dict = call("CreateObject", "scripting.dictionary");
    ASSERT_TRUE(dict.isObject());
    EXPECT_EQ("Dictionary", str(call("TypeName", dict)));
    EXPECT_EQ("FileSystemObject", str(call("TypeName", call("CreateObject", "Scripting.FileSystemObject"))));
    EXPECT_EQ("IRegExp2", str(call("TypeName", call("CreateObject", "VBScript.RegExp"))));
    ASSERT_TRUE(vbscript::createBuiltinClass("regexp"));
    EXPECT_EQ("IRegExp2", vbscript::createBuiltinClass("RegExp")->typeName());
    EXPECT_FALSE(vbscript::createBuiltinClass("Dictionary")); // New works for RegExp only
    EXPECT_VB_ERROR(429, call("CreateObject", "No.Such.Class"));
    EXPECT_VB_ERROR(462, call("CreateObject", "Scripting.Dictionary", "otherhost"));
    EXPECT_TRUE(call("CreateObject", "Scripting.Dictionary", "").isObject());
    EXPECT_VB_ERROR(429, call("GetObject", missing(), "Scripting.Dictionary"));
    EXPECT_VB_ERROR(429, call("GetObject", "c:\\some\\file.xls"));
    EXPECT_EQ("Dictionary", str(call("TypeName", call("GetObject", "", "Scripting.Dictionary"))));
}

TEST(ObjectCreation, HostClassesComeFirst)
{
    context().library().registerProgId("Tallis.Test", [] { return vb::Ref<vb::Object>(vb::make<vb::Dictionary>()); });
    EXPECT_EQ("Dictionary", str(call("TypeName", call("CreateObject", "TALLIS.TEST"))));
}

TEST(MessageBoxes, HeadlessLogsAndAnswersOk)
{
    std::vector<std::string> lines;
    context().library().setHeadlessTextSink([&](const std::string& line) { lines.push_back(line); });
    EXPECT_EQ(1, call("MsgBox", "Hello", std::int16_t(4), "Title").longValue());
    EXPECT_EQ(std::vector<std::string>{"Hello"}, lines);
    EXPECT_EQ("", str(call("InputBox", "Name?")));

    // An interface that is installed but not allowed by the host stays unused.
    RecordingInterface ui;
    context().library().setUserInterface(&ui);
    EXPECT_EQ(1, call("MsgBox", "Quiet").longValue());
    EXPECT_EQ("", ui.lastPrompt);

    context().allowUi = true;
    EXPECT_EQ(6, call("MsgBox", "Proceed?", std::int16_t(4), "Tallis").longValue());
    EXPECT_EQ("Proceed?", ui.lastPrompt);
    EXPECT_EQ(4, ui.lastButtons);
    EXPECT_EQ("Tallis", ui.lastTitle);
    ui.answer = "typed ";
    EXPECT_EQ("typed default", str(call("InputBox", "Name?", "T", "default")));
    ui.answer.reset();
    EXPECT_TRUE(call("InputBox", "Name?").isEmpty()); // cancelled
    context().allowUi = false;
    context().library().setUserInterface(nullptr);
    context().library().setHeadlessTextSink(nullptr);
    EXPECT_EQ((std::vector<std::string>{"Hello", "Quiet"}), lines);
}
