#include "xap/ProgramState.h"
#include "xap/XapMessage.h"

#include "automation/Array.h"
#include "support/TempFolder.h"

#include <gtest/gtest.h>

using testing_support::TempFolder;
using xap::XapMessage;

namespace {

// Parsing failures are written to the log file, so every test gets its own base folder.
class MessageTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        std::filesystem::create_directories(dir / "Data");
        program.baseFolder = dir.path();
        program.headerPrefix = "xap-header\n{\nv=13\nhop=1\nuid=";
    }

    vb::Ref<XapMessage> parse(const std::string& text)
    {
        vb::Ref<XapMessage> m = vb::make<XapMessage>(program);
        m->Init("");
        m->Reset();
        m->FromXap(text);
        return m;
    }
    std::string log() const { return dir.read("Data/raruveViziva.txt"); }
    static std::vector<std::string> names(const vb::Variant& v)
    {
        std::vector<std::string> out;
        for (const vb::Variant& e : v.arrayValue().elements())
            out.push_back(vb::CStr(e));
        return out;
    }

    TempFolder dir;
    // The header prefix and base folder are this test's program's.
    xap::ProgramState program;
};

const std::string kCommand = "xap-header\n{\nv=13\nhop=1\nuid=FF.1234:00\nclass=Audrey.Cmd\nsource=acme.panel.hall\n"
                             "target=vyn.Audrey.KITCHEN\n}\nAudrey.Cmd\n{\ntext=Hello\nVolume = 50\nurl=http://x/?a=b\n}\n";

} // namespace

TEST_F(MessageTest, BuildsTheWireTextLineByLine)
{
    XapMessage m(program);
    m.letMsgClass("Homeseer.Event");
    m.letMsgSource("vyn.Audrey.PC1");
    m.letMsgTarget("");
    m.letMsgUID("FF.0097:00");
    m.AddHeader();
    m.AddSection("Event.Log");
    m.AddItem("ignored", "Type", "raruveViziva");
    m.AddItem("", "Data", "a=b {x}");
    EXPECT_EQ(m.ToXap(), "xap-header\n{\nv=13\nhop=1\nuid=FF.0097:00\nclass=Homeseer.Event\nsource=vyn.Audrey.PC1\n}\n"
                         "Event.Log\n{\nType=raruveViziva\nData=a=b {x}\n}\n");
    // ToXap leaves the builder as it was.
    EXPECT_EQ(m.ToXap(), m.ToXap());

    // A target never set is written as "Unknown"; a second section closes the first.
    XapMessage t(program);
    t.AddHeader();
    t.AddSection("a");
    t.AddSection("b");
    EXPECT_EQ(t.ToXap(), "xap-header\n{\nv=13\nhop=1\nuid=Unknown\nclass=Unknown\nsource=Unknown\ntarget=Unknown\n}\n"
                         "a\n{\n}\nb\n{\n}\n");
    t.Init("whatever");
    EXPECT_EQ(t.ToXap(), "}\n");
}

TEST_F(MessageTest, AHeaderWithoutBodyHasNoStrayClosingLine)
{
    XapMessage m(program);
    m.letMsgClass("c");
    m.letMsgSource("s");
    m.letMsgTarget("");
    m.letMsgUID("u");
    m.AddHeader();
    const std::string text = m.ToXap();
    EXPECT_EQ(text, "xap-header\n{\nv=13\nhop=1\nuid=u\nclass=c\nsource=s\n}\n");
    // Parsed back it has no body block and nothing is logged.
    vb::Ref<XapMessage> back = parse(text);
    EXPECT_EQ(back->MsgClass(), "c");
    EXPECT_TRUE(names(back->MsgSection()).empty());
    EXPECT_EQ(log(), "");
}

TEST_F(MessageTest, ParsesHeaderAndItems)
{
    vb::Ref<XapMessage> m = parse(kCommand);
    EXPECT_EQ(m->MsgClass(), "Audrey.Cmd");
    EXPECT_EQ(m->msgSource(), "acme.panel.hall");
    EXPECT_EQ(m->MsgTarget(), "vyn.Audrey.KITCHEN");
    EXPECT_EQ(m->MsgUID(), "FF.1234:00");
    EXPECT_EQ(m->GetItem("audrey.cmd", "TEXT"), "Hello");
    EXPECT_EQ(m->GetItem("Audrey.Cmd", "volume"), " 50"); // value after "=", untrimmed
    EXPECT_EQ(m->GetItem("Audrey.Cmd", "url"), "http://x/?a=b");
    EXPECT_EQ(m->GetItem("Audrey.Cmd", "missing"), "Unknown");
    EXPECT_EQ(m->GetItem("Other", "text"), "Unknown");
    EXPECT_EQ(names(m->MsgSection()), (std::vector<std::string>{"audrey.cmd"}));

    // Header keys and values are trimmed and the key's case is ignored.
    vb::Ref<XapMessage> spaced = parse("XAP-HEADER\n{\n Class = Audrey.Cmd \n}\nA\n{\n}\n");
    EXPECT_EQ(spaced->MsgClass(), "Audrey.Cmd");
    EXPECT_EQ(spaced->msgSource(), "Unknown");
    EXPECT_EQ(names(spaced->MsgSection()), (std::vector<std::string>{"a"}));
    EXPECT_TRUE(log().empty());
}

TEST_F(MessageTest, TextsThatAreNotMessagesChangeNothing)
{
    for (const std::string& text : {std::string(), std::string("xap-hbeat\n{\nclass=xap-hbeat.alive\n}\n"),
                                   std::string("\x01\xff\x00garbage=1\n}\nx\n", 17), std::string("hello world")}) {
        vb::Ref<XapMessage> m = parse(text);
        EXPECT_EQ(m->MsgClass(), "Unknown");
        EXPECT_EQ(m->MsgTarget(), "Unknown");
        EXPECT_EQ(m->sectionCount(), 0u);
        EXPECT_EQ(names(m->MsgSection()), (std::vector<std::string>{""}));
    }
    EXPECT_TRUE(log().empty());
}

TEST_F(MessageTest, BinaryJunkAfterAHeaderLineIsReadWithoutHarm)
{
    std::string junk = "xap-header\n{\n";
    for (int i = 0; i < 4096; ++i)
        junk += static_cast<char>((i * 7919) % 256);
    vb::Ref<XapMessage> m = parse(junk);
    // Whatever was read, nothing crashed and the header fields keep a value.
    EXPECT_FALSE(m->MsgClass().empty());
    (void)m->GetItem("x", "y");
}

TEST_F(MessageTest, CrLfTextsFindNoSectionsAndKeepTheCarriageReturn)
{
    std::string text = kCommand;
    std::string crlf;
    for (char c : text)
        crlf += c == '\n' ? std::string("\r\n") : std::string(1, c);
    vb::Ref<XapMessage> m = parse(crlf);
    EXPECT_EQ(m->MsgClass(), "Audrey.Cmd\r");
    EXPECT_EQ(m->sectionCount(), 0u);
    EXPECT_EQ(m->GetItem("audrey.cmd", "text"), "Unknown");
}

TEST_F(MessageTest, DuplicateKeyEndsTheParseAndIsLogged)
{
    vb::Ref<XapMessage> m = parse("xap-header\n{\nclass=c\n}\nb\n{\nk=first\nK = second\nz=after\n}\n");
    EXPECT_EQ(m->GetItem("b", "k"), "first");
    EXPECT_EQ(m->GetItem("b", "z"), "Unknown"); // the rest is not read
    EXPECT_EQ(log().rfind("From XAP  ", 0), 0u);
    EXPECT_NE(log().find("This key is already associated"), std::string::npos);
}

TEST_F(MessageTest, DuplicateKeyInALargeSectionIsFoundToo)
{
    std::string text = "xap-header\n{\n}\nbig\n{\n";
    for (int i = 0; i < 40; ++i)
        text += "key" + std::to_string(i) + "=" + std::to_string(i) + "\n";
    text += "KEY7=again\nlast=1\n}\n";
    vb::Ref<XapMessage> m = parse(text);
    EXPECT_EQ(m->GetItem("big", "key39"), "39");
    EXPECT_EQ(m->GetItem("big", "key7"), "7");
    EXPECT_EQ(m->GetItem("big", "last"), "Unknown");
    EXPECT_NE(log().find("From XAP"), std::string::npos);
}

TEST_F(MessageTest, DuplicateSectionEndsTheParseAtItsName)
{
    vb::Ref<XapMessage> m = parse("xap-header\n{\n}\nA\n{\nx=1\n}\na\n{\ny=2\n}\n");
    EXPECT_EQ(m->GetItem("a", "x"), "1");
    EXPECT_EQ(m->GetItem("a", "y"), "Unknown");
    EXPECT_EQ(m->sectionCount(), 1u);
    EXPECT_NE(log().find("From XAP"), std::string::npos);
}

TEST_F(MessageTest, MissingFinalLineFeedKeepsEverySectionButDropsTheLastName)
{
    vb::Ref<XapMessage> m = parse("xap-header\n{\nclass=c\n}\na\n{\nx=1\n}\nb\n{\ny=2\n}");
    EXPECT_EQ(m->GetItem("a", "x"), "1");
    EXPECT_EQ(m->GetItem("b", "y"), "2");
    EXPECT_EQ(names(m->MsgSection()), (std::vector<std::string>{"a"}));
    EXPECT_NE(log().find("From XAP  "), std::string::npos);
    EXPECT_NE(log().find("Subscript out of range"), std::string::npos);

    // With the final LF the two names come back.
    vb::Ref<XapMessage> whole = parse("xap-header\n{\nclass=c\n}\na\n{\nx=1\n}\nb\n{\ny=2\n}\n");
    EXPECT_EQ(names(whole->MsgSection()), (std::vector<std::string>{"a", "b"}));
}

TEST_F(MessageTest, SixtyFourKilobyteTextParsesWhole)
{
    std::string text = "xap-header\n{\nclass=bulk\n}\nbulk.data\n{\n";
    int n = 0;
    while (text.size() < 65000)
        text += "item" + std::to_string(n++) + "=" + std::string(20, 'v') + "\n";
    text += "}\n";
    vb::Ref<XapMessage> m = parse(text);
    EXPECT_EQ(m->GetItem("bulk.data", "item0"), std::string(20, 'v'));
    EXPECT_EQ(m->GetItem("bulk.data", "item" + std::to_string(n - 1)), std::string(20, 'v'));
    EXPECT_EQ(m->sectionLines(0).size(), static_cast<std::size_t>(n));
}

TEST_F(MessageTest, TenThousandSectionsAreEachFoundAndADuplicateAtTheEndStillCaught)
{
    std::string text = "xap-header\n{\nclass=many\n}\n";
    for (int i = 0; i < 10000; ++i)
        text += "S" + std::to_string(i) + "\n{\nk=" + std::to_string(i) + "\n}\n";
    vb::Ref<XapMessage> m = parse(text);
    EXPECT_EQ(m->sectionCount(), 10001u); // and the empty name the final "}" opens
    EXPECT_EQ(m->GetItem("s0", "k"), "0");
    EXPECT_EQ(m->GetItem("S9999", "K"), "9999");
    EXPECT_EQ(log(), "");

    vb::Ref<XapMessage> dup = parse(text.substr(0, text.size() - 1) + "\ns5000\n{\nk=again\n}\n");
    EXPECT_EQ(dup->GetItem("s5000", "k"), "5000");
    EXPECT_EQ(dup->sectionCount(), 10000u);
    EXPECT_NE(log().find("This key is already associated"), std::string::npos);
}

TEST_F(MessageTest, ItemCollectionsAreReadOnlyViewsOfTheRawLines)
{
    vb::Ref<XapMessage> m = parse(kCommand);
    vb::Variant first = vb::call(*m, "msgCollection", std::int16_t(0));
    vb::Object& items = vb::requireObject(first);
    EXPECT_EQ(vb::CLng(vb::getProperty(items, "Count")), 3);
    EXPECT_EQ(vb::CStr(vb::call(items, "Item", std::int32_t(2))), "Volume = 50");
    EXPECT_EQ(vb::CStr(vb::call(items, "Item", "VOLUME")), "Volume = 50");
    std::vector<std::string> seen;
    auto walk = items.enumerate();
    vb::Variant line;
    while (walk->next(line))
        seen.push_back(vb::CStr(line));
    EXPECT_EQ(seen, (std::vector<std::string>{"text=Hello", "Volume = 50", "url=http://x/?a=b"}));
    EXPECT_THROW(vb::call(items, "Add", "x"), vb::Error);
    EXPECT_THROW(vb::call(items, "Item", std::int32_t(4)), vb::Error);
    // The empty section the final "}" opens exists; past it there is nothing.
    EXPECT_EQ(vb::CLng(vb::getProperty(vb::requireObject(vb::call(*m, "msgCollection", std::int16_t(1))), "Count")), 0);
    EXPECT_TRUE(vb::call(*m, "msgCollection", std::int16_t(2)).isNothing());
    EXPECT_TRUE(vb::call(*m, "msgCollection", std::int16_t(-1)).isNothing());
}

TEST_F(MessageTest, PublishedMembersFollowTheSlotOrder)
{
    std::vector<std::string> slots;
    for (const auto& s : XapMessage::members().entries())
        slots.emplace_back(s.name);
    EXPECT_EQ(slots, (std::vector<std::string>{"AddHeader", "AddItem", "AddSection", "CompareAddress", "CompareClass",
                                               "CompareSource", "CompareTarget", "FromXap", "GetItem", "Init", "MsgClass",
                                               "MsgClass", "msgSource", "msgSource", "MsgTarget", "MsgTarget", "MsgUID",
                                               "MsgUID", "MsgSection", "msgCollection", "Reset", "ToXap"}));
    // Late-bound use as a script would make it.
    vb::Ref<XapMessage> m = vb::make<XapMessage>(program);
    vb::setProperty(*m, "msgclass", "A.B");
    EXPECT_EQ(vb::CInt(vb::call(*m, "FromXap", kCommand)), 0);
    EXPECT_EQ(vb::CStr(vb::getProperty(*m, "MsgClass")), "Audrey.Cmd");
    EXPECT_TRUE(vb::CBool(vb::call(*m, "CompareClass", "audrey.cmd")));
    EXPECT_FALSE(vb::CBool(vb::call(*m, "CompareClass", "audrey.*")));
}

TEST(CompareAddress, WildcardsCaseAndSubAddresses)
{
    struct Case {
        const char* a;
        const char* b;
        bool match;
    };
    const Case cases[] = {
        {"vyn.Audrey.PC1:a", "VYN.audrey.pc1:b", true},
        {"vyn.*.pc1", "vyn.audrey.pc1", true},
        {"vyn.audrey.pc1", "vyn.*.pc1", true},
        {"vyn.>", "vyn.audrey.pc1", true},
        {"vyn.audrey.pc1", ">", true},
        {"vyn.audrey", "vyn.audrey.pc1", false},
        {"vyn.audrey.pc1", "vyn.audrey", false},
        {"vyn.audrey.>", "vyn.audrey", false},
        {"vyn.*", "vyn.audrey.pc1", false},
        {"", "vyn.audrey", false},
        {"vyn.audrey", "", false},
        {"Unknown", "Unknown", true},
        {"*", "Unknown", true},
        {">.x", "Unknown", true},
        {"a.b", "a.c", false},
    };
    for (const Case& c : cases)
        EXPECT_EQ(XapMessage::compareAddress(c.a, c.b), c.match) << c.a << " vs " << c.b;

    xap::ProgramState program;
    vb::Ref<XapMessage> m = vb::make<XapMessage>(program);
    m->letMsgSource("acme.panel.hall:3");
    m->letMsgTarget("vyn.>");
    EXPECT_TRUE(m->CompareSource("ACME.panel.*"));
    EXPECT_TRUE(m->CompareTarget("vyn.Audrey.KITCHEN"));
    EXPECT_FALSE(m->CompareTarget("Unknown"));
}
