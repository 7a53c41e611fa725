// The script's case functions follow the program's one letter-case rule, so a script and
// the host agree on which names are equal.
#include "LibraryTestSupport.h"

#include "automation/TextCompare.h"

using library_test::call;
using library_test::str;

namespace {

TEST(ScriptLetterCase, UCaseLCaseAndStrCompAgreeWithTheHost)
{
    for (const char* name : {"Küche Lämpe", "ΣΟΦΊΑ", "ǅemal", "ⓐⓑ", "K\xFC" "che", "ſtraße"}) {
        EXPECT_EQ(str(call("UCase", name)), vb::upperCase(name)) << name;
        EXPECT_EQ(str(call("LCase", name)), vb::lowerCase(name)) << name;
    }
    EXPECT_EQ(str(call("UCase", "ⓐ ա")), "Ⓐ Ա");          // beyond Latin, Greek and Cyrillic
    EXPECT_EQ(str(call("UCase", "K\xFC" "che")), "K\xDC" "CHE"); // a lone byte as Windows-1252
    EXPECT_EQ(call("StrComp", "KÜCHE", "küche", 1).integerValue(), 0);
    EXPECT_EQ(call("StrComp", "KÜCHE", "küche", 0).integerValue(), -1);
    EXPECT_EQ(call("StrComp", "ſ", "S", 1).integerValue(), 0);
}

TEST(ScriptLetterCase, SearchesReplaceAndSplitWhatTheyMatchedInTextMode)
{
    EXPECT_EQ(call("InStr", 1, "Die KÜCHE", "küche", 1).longValue(), 5);
    EXPECT_EQ(call("InStrRev", "küche KÜCHE", "Küche", -1, 1).longValue(), 7);
    // A match that is longer or shorter in bytes than the text searched for.
    EXPECT_EQ(str(call("Replace", "Straſſe", "SS", "ss", 1, -1, 1)), "Strasse");
    EXPECT_EQ(str(call("Replace", "Strasse", "ſ", "z", 1, -1, 1)), "ztrazze"); // ſ, s and S are one letter
    EXPECT_EQ(str(call("Replace", "a-Ä-ä", "ä", "e", 1, -1, 1)), "a-e-e");
    const vb::Variant parts = call("Split", "einſzweiSdrei", "s", -1, 1);
    ASSERT_TRUE(parts.isArray());
    const auto& elements = parts.arrayValue().elements();
    ASSERT_EQ(elements.size(), 3u);
    EXPECT_EQ(elements[0].stringValue(), "ein");
    EXPECT_EQ(elements[1].stringValue(), "zwei");
    EXPECT_EQ(elements[2].stringValue(), "drei");
}

} // namespace
