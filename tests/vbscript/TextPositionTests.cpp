// Character positions in long and short texts: a String remembers when it is all ASCII
// so that InStr, Mid, Len and the rest take byte positions as character positions. The
// answers must be those of the character walk, for ASCII text, for text with characters
// beyond ASCII (and beyond 16 bits, counted as two), and for text that stops being ASCII
// after it was measured.
#include "ScriptTest.h"

#include "vbscript/builtins/Builtins.h"

#include "automation/Error.h"
#include "automation/Variant.h"

#include <string>
#include <utility>

using vbtest::ScriptTest;

namespace {

using vb::Variant;

TEST(TextKind, IsFoundOnceAndForgottenByEveryWrite)
{
    Variant v(std::string("plain text"));
    EXPECT_FALSE(v.stringKnownAscii());
    EXPECT_TRUE(v.stringIsAscii());
    EXPECT_TRUE(v.stringKnownAscii());
    v.stringValue() += "\xC3\xA9"; // é through the writing accessor
    EXPECT_FALSE(v.stringKnownAscii());
    EXPECT_FALSE(v.stringIsAscii());

    // Copies, moves, assignments and swaps carry what is known with the text.
    Variant a(std::string("abc"));
    EXPECT_TRUE(a.stringIsAscii());
    Variant copy(a);
    EXPECT_TRUE(copy.stringKnownAscii());
    Variant moved(std::move(copy));
    EXPECT_TRUE(moved.stringKnownAscii());
    Variant assigned(std::string("\xC3\xA9"));
    EXPECT_FALSE(assigned.stringIsAscii());
    assigned = a;
    EXPECT_TRUE(assigned.stringKnownAscii());
    Variant number(std::int32_t(5));
    number.swap(v); // v held non-ASCII text
    EXPECT_FALSE(number.stringIsAscii());
    EXPECT_EQ(v.longValue(), 5);
    v = Variant(std::string("x\xC3\xA9"));
    EXPECT_FALSE(v.stringIsAscii());
    v = a;
    EXPECT_TRUE(v.stringIsAscii());
    v = std::int32_t(7);
    v = Variant(std::string("\xC3\xA9"));
    EXPECT_FALSE(v.stringIsAscii());
}

// The library's Mid assignment (changes a String where it is): writing a character
// beyond ASCII into measured ASCII text, ASCII into text beyond ASCII, and the targets
// that are not Strings.
TEST(TextKind, MidAssignmentKeepsCharacterPositions)
{
    const std::string e = "\xC3\xA9";
    const Variant missing = Variant::missing();
    Variant s(std::string("abcdefgh"));
    EXPECT_TRUE(s.stringIsAscii());
    vbscript::assignMid(s, std::int16_t(2), std::int16_t(1), Variant(e));
    EXPECT_EQ(s.stringValue(), "a" + e + "cdefgh");
    EXPECT_FALSE(s.stringIsAscii());
    vbscript::assignMid(s, std::int16_t(3), missing, Variant("XY"));
    EXPECT_EQ(s.stringValue(), "a" + e + "XYefgh");
    vbscript::assignMid(s, std::int16_t(1), std::int16_t(3), Variant("123456"));
    EXPECT_EQ(s.stringValue(), "123Yefgh");
    EXPECT_TRUE(s.stringIsAscii());
    vbscript::assignMid(s, std::int16_t(8), missing, Variant(e + e));
    EXPECT_EQ(s.stringValue(), "123Yefg" + e);
    EXPECT_THROW(vbscript::assignMid(s, std::int16_t(9), missing, Variant("x")), vb::Error);

    Variant number(std::int32_t(12345));
    vbscript::assignMid(number, std::int16_t(2), std::int16_t(2), Variant(e + "Z"));
    EXPECT_EQ(number.stringValue(), "1" + e + "Z45");
    Variant null = Variant::null();
    EXPECT_THROW(vbscript::assignMid(null, std::int16_t(1), missing, Variant("x")), vb::Error);
}

class TextPositions : public ScriptTest { };

// Each position function on an ASCII text and on the same text behind one or two
// characters beyond ASCII: the answers, taken relative to that shift, must not change.
// Each text is asked twice so that the second answers come from what the first found.
TEST_F(TextPositions, AsciiAndNonAsciiTextGiveTheSameCharacterPositions)
{
    const std::string code = R"(
Function Probe(s, shift)
    Dim r, i
    For i = 1 To 2
        r = Len(s) - shift
        r = r & " " & (InStr(s, ";") - shift) & " " & (InStr(5 + shift, s, ";") - shift)
        r = r & " " & (InStr(1 + shift, s, "C;", 1) - shift) & " " & InStr(Len(s) + 1, s, ";")
        r = r & " " & (InStrRev(s, ";") - shift) & " " & (InStrRev(s, ";", 6 + shift) - shift)
        r = r & " " & Mid(s, 3 + shift, 4) & " " & Mid(s, Len(s) - 1) & " " & Right(s, 3)
        r = r & " " & Mid(Left(s, 5 + shift), 1 + shift) & " " & Replace(s, ";", "/", 2 + shift, 2)
    Next
    Probe = r
End Function
Dim base : base = "abc;def;ghi;jkl;"
Out.Echo Probe(base, 0)
Out.Echo Probe("e" & base, 1)
Out.Echo Probe(ChrW(233) & base, 1)
Out.Echo Probe(ChrW(&H20AC) & base, 1)
Out.Echo Probe(ChrW(&HD834) & base, 1)
Out.Echo Probe(ChrW(&HD834) & ChrW(&HDD1E) & base, 2)
Out.Echo Probe(ChrB(65) & base, 1)
)";
    const auto lines = run(code);
    ASSERT_EQ(lines.size(), 7u);
    EXPECT_EQ(lines[0], "16 4 8 3 0 16 4 c;de l; kl; abc;d bc/def/ghi;jkl;");
    for (std::size_t i = 1; i < lines.size(); ++i)
        EXPECT_EQ(lines[i], lines[0]) << "text " << i;
}

TEST_F(TextPositions, TextThatStopsBeingAsciiIsCountedByCharactersAgain)
{
    const std::string e = "\xC3\xA9"; // é as the engine holds it
    // Grown inside a procedure, where appending ASCII keeps the text known as ASCII.
    EXPECT_EQ(out(R"(
Sub Grow
    Dim s, i, r
    s = ""
    For i = 1 To 20
        s = s & "ab;"
    Next
    r = Len(s) & " " & InStr(50, s, ";")
    s = s & ChrW(233) & ";"
    r = r & " " & Len(s) & " " & InStrRev(s, ";") & " " & AscW(Mid(s, 61, 1)) & " " & InStr(61, s, ";")
    s = s & "xy;"
    r = r & " " & Len(s) & " " & InStr(63, s, ";") & " " & Right(s, 5)
    Out.Echo r
End Sub
Grow
)"),
              "60 51 62 62 233 62 65 65 " + e + ";xy;");
    // The same at script level, through a copy that keeps the ASCII text.
    EXPECT_EQ(out("s = String(40, \"a\") : c = s : n = Len(s) & InStr(s, \"b\")\n"
                  "s = s & ChrW(&HD834) & ChrW(&HDD1E) & \"b\" : c = c & \"b\"\n"
                  "Out.Echo n, Len(s), InStr(s, \"b\"), InStr(42, s, \"b\"), Len(c), InStr(c, \"b\"), AscW(Mid(s, 42, 1))"),
              "400 43 43 43 41 41 -8930");
    // A Replace that brings a character beyond ASCII into ASCII text.
    EXPECT_EQ(out("s = \"a;b;c;\" : n = Len(s) : t = Replace(s, \"b\", ChrW(&H20AC))\n"
                  "Out.Echo n, Len(t), InStr(3, t, \";\"), InStrRev(t, \";\"), Mid(t, 4, 2)"),
              "6 6 4 6 ;c");
}

// A long text passed by value to a library function is read where it lives while no
// later argument runs code; when one does (a procedure, a name that became one, an
// object's default member), the function still sees the text as it was before.
TEST_F(TextPositions, LongTextArgumentsKeepTheirValueWhenALaterArgumentChangesThem)
{
    const std::string setup = "t = String(300, \"a\")\n"
                              "Function Change() : t = \"bbbb\" : Change = 2 : End Function\n"
                              "Class Changer\n Public Default Property Get Value : t = \"cccc\" : Value = 2 : End Property\nEnd Class\n";
    EXPECT_EQ(out(setup + "n = 2 : Out.Echo Mid(t, n, 3), Mid(t, Change(), 3), t"), "aaa aaa bbbb");
    EXPECT_EQ(out(setup + "Set o = New Changer : Out.Echo Mid(t, o, 3), t"), "aaa cccc");
    // A name unknown when the code was compiled that is a Function by the time it runs.
    EXPECT_EQ(out(setup + "Function Use() : Use = Mid(t, Later, 3) : End Function"), "");
    EXPECT_EQ(out("Function Later() : t = \"dddd\" : Later = 2 : End Function\nt = String(300, \"a\") : Out.Echo Use(), t"),
              "aaa dddd");
    // Names that are variables: the text as it is, without a copy.
    EXPECT_EQ(out("t = String(300, \"a\") & \"xyz\" : k = 301 : Out.Echo Mid(t, k, 3), InStr(k - 1, t, \"z\"), Len(t)"),
              "xyz 303 303");
}

} // namespace
