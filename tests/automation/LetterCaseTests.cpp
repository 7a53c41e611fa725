// The one letter-case rule: Unicode simple case mappings for UTF-8 text, Windows-1252
// for bytes outside valid UTF-8, and the ASCII fast path agreeing with both.
#include "automation/CaseMapping.h"
#include "automation/Dictionary.h"
#include "automation/TextCompare.h"

#include <gtest/gtest.h>

#include <string>

namespace {

using vb::CompareMode;

TEST(LetterCase, UpperAndLowerFollowUnicodeSimpleMappings)
{
    EXPECT_EQ(vb::upperCase("küche lämpe"), "KÜCHE LÄMPE");
    EXPECT_EQ(vb::lowerCase("ÉTÉ"), "été");
    EXPECT_EQ(vb::upperCase("straße"), "STRAßE"); // ß has no one-letter capital
    EXPECT_EQ(vb::upperCase("σας"), "ΣΑΣ");
    EXPECT_EQ(vb::lowerCase("ПРИВЕТ Ǆ"), "привет ǆ");
    EXPECT_EQ(vb::upperCase("ǳ"), "Ǳ");
    // Beyond the Latin, Greek and Cyrillic alphabets; beyond the first plane.
    EXPECT_EQ(vb::upperCase("ⓐ ա ꙁ"), "Ⓐ Ա Ꙁ");
    EXPECT_EQ(vb::lowerCase("𐐀"), "𐐨");
    // Mappings that change the number of bytes.
    EXPECT_EQ(vb::upperCase("ſ"), "S");
    EXPECT_EQ(vb::lowerCase("Ⱥ"), "ⱥ");
    // Characters without case, digits and punctuation pass unchanged.
    EXPECT_EQ(vb::upperCase("a1-€✓漢"), "A1-€✓漢");
}

TEST(LetterCase, BytesOutsideUtf8AreWindows1252)
{
    // "KüCHE" and "Šœÿ" as an 8-bit file holds them.
    EXPECT_EQ(vb::upperCase("K\xFC" "CHE"), "K\xDC" "CHE");
    EXPECT_EQ(vb::lowerCase("K\xDC" "CHE"), "k\xFC" "che");
    EXPECT_EQ(vb::upperCase("\x9A\x9C\xFF"), "\x8A\x8C\x9F");
    EXPECT_EQ(vb::lowerCase("\x8A\x8C\x9F"), "\x9A\x9C\xFF");
    EXPECT_TRUE(vb::equalsIgnoreCase("K\xDC" "CHE", "k\xFC" "che"));
    // A lone byte keeps its code page: it is not turned into UTF-8.
    EXPECT_EQ(vb::upperCase("\xB5\xDF\xF7"), "\xB5\xDF\xF7");
    // Valid UTF-8 and stray bytes mixed in one text.
    EXPECT_EQ(vb::upperCase("\xE4-ä"), "\xC4-Ä");
    EXPECT_EQ(vb::letters::ansiUpper(0xE9), 0xC9);
    EXPECT_EQ(vb::letters::fromAnsi(0x80), U'€');
    EXPECT_EQ(vb::letters::toAnsi(U'Ÿ'), 0x9F);
    EXPECT_EQ(vb::letters::toAnsi(U'Ω'), -1);
}

TEST(LetterCase, StrayBytesNeverTurnIntoOtherCharacters)
{
    // Changed byte by byte, these would join into valid UTF-8 of other characters
    // ("\xE9\xA9" upper-cased is "\xC9\xA9", which reads as "ɩ"): the stray bytes keep
    // their case, and the result still equals the text without regard to case.
    for (const std::string& s : {std::string("\xE9\xA9"), std::string("\xEF\xFF\xFF"), std::string("\xC0\xA0\x80"),
                                std::string("b~\x01\x00\xFF\x94\xEF\xFF\xFF\x00\x01" "b[", 12)}) {
        EXPECT_TRUE(vb::equalsIgnoreCase(vb::upperCase(s), s));
        EXPECT_TRUE(vb::equalsIgnoreCase(vb::lowerCase(s), s));
    }
    EXPECT_EQ(vb::upperCase("\xE9\xA9"), "\xE9\xA9");
    // Stray bytes that cannot join their neighbours still change case.
    EXPECT_EQ(vb::upperCase("\xE9 x"), "\xC9 X");
}

TEST(LetterCase, ComparisonIgnoresCaseInEveryAlphabet)
{
    EXPECT_TRUE(vb::equalsIgnoreCase("Äpfel", "äPFEL"));
    EXPECT_TRUE(vb::equalsIgnoreCase("ΣΊΣΥΦΟΣ", "σίσυφος"));
    EXPECT_TRUE(vb::equalsIgnoreCase("ς", "Σ"));
    // Letters whose other case takes another number of bytes.
    EXPECT_TRUE(vb::equalsIgnoreCase("ſtraſſe", "STRASSE"));
    EXPECT_TRUE(vb::equalsIgnoreCase("\xE2\x84\xAA" "elvin", "kelvin")); // the Kelvin sign
    EXPECT_FALSE(vb::equalsIgnoreCase("Äpfel", "Apfel"));
    EXPECT_FALSE(vb::equalsIgnoreCase("abc", "abcd"));
    EXPECT_FALSE(vb::equalsIgnoreCase("straße", "strasse"));
    EXPECT_EQ(vb::compareText("äpfel", "ÄPFEL"), 0);
    EXPECT_EQ(vb::compareText("Äpfel", "Birne"), 1); // code order of the folded text
    EXPECT_EQ(vb::compareText("apfel", "ÄPFEL"), -1);
    EXPECT_EQ(vb::compareText("ABC", "abcd"), -1);
    EXPECT_EQ(vb::compareText("[", "a"), -1); // ASCII compares in lower case, as before
    EXPECT_EQ(vb::compareBinary("Ä", "ä"), -1);
}

TEST(LetterCase, EqualTextsHashAlike)
{
    const vb::CaseInsensitiveHash hash;
    EXPECT_EQ(hash("KÜCHE"), hash("küche"));
    EXPECT_EQ(hash("ſ"), hash("S"));
    EXPECT_EQ(hash("Kitchen"), hash("KITCHEN"));
    EXPECT_NE(hash("KÜCHE"), hash("KUCHE"));
    // Short names are hashed inline, longer ones word by word: both agree.
    EXPECT_EQ(hash("ſſſſſſſſſ"), hash("sssssssss"));
    EXPECT_EQ(hash("ſſ"), hash("SS"));
    EXPECT_EQ(hash("Küchenlampe"), hash("KÜCHENLAMPE"));
    EXPECT_EQ(hash("12345678ä"), hash("12345678Ä"));
    EXPECT_NE(hash("a"), hash(std::string_view("a\0", 2)));

    std::string folded;
    vb::foldCase("KÜCHE Lamp", folded);
    EXPECT_EQ(folded, "küche lamp");
}

TEST(LetterCase, PrefixMatchReportsTheBytesItCovered)
{
    EXPECT_EQ(vb::matchPrefixIgnoreCase("küche lampe", "KÜCHE"), 6u);
    EXPECT_EQ(vb::matchPrefixIgnoreCase("ſun", "S"), 2u);
    EXPECT_EQ(vb::matchPrefixIgnoreCase("Sun", "ſ"), 1u);
    EXPECT_EQ(vb::matchPrefixIgnoreCase("kitchen", "KIT"), 3u);
    EXPECT_EQ(vb::matchPrefixIgnoreCase("kit", "KITCHEN"), std::string::npos);
    EXPECT_EQ(vb::matchPrefixIgnoreCase("Äpfel", "A"), std::string::npos);
    EXPECT_EQ(vb::matchPrefixIgnoreCase("", ""), 0u);
}

TEST(LetterCase, SearchReportsWhereAndHowLongTheMatchIs)
{
    const vb::TextMatch ascii = vb::findMatch("Porch LIGHT on", "light", 0, CompareMode::Text);
    EXPECT_EQ(ascii.pos, 6u);
    EXPECT_EQ(ascii.length, 5u);
    EXPECT_EQ(vb::find("Porch LIGHT", "light", 0, CompareMode::Binary), std::string::npos);

    const vb::TextMatch umlaut = vb::findMatch("Die KÜCHE und die Küche", "küche", 5, CompareMode::Text);
    EXPECT_EQ(umlaut.pos, 19u);
    EXPECT_EQ(umlaut.length, 6u);

    // The match is longer or shorter in bytes than the needle.
    const vb::TextMatch longS = vb::findMatch("xſy", "S", 0, CompareMode::Text);
    EXPECT_EQ(longS.pos, 1u);
    EXPECT_EQ(longS.length, 2u);
    const vb::TextMatch shortS = vb::findMatch("xsy", "ſ", 0, CompareMode::Text);
    EXPECT_EQ(shortS.pos, 1u);
    EXPECT_EQ(shortS.length, 1u);

    // Only whole characters match: the "ü" of the needle is not half of another letter.
    EXPECT_FALSE(vb::findMatch("\xC3\xA4", "\xA4", 0, CompareMode::Text).found());

    const vb::TextMatch last = vb::findLastMatch("Küche, KÜCHE, küche.", "KÜCHE", 14, CompareMode::Text);
    EXPECT_EQ(last.pos, 8u);
    EXPECT_FALSE(vb::findLastMatch("Küche", "KÜCHE", 5, CompareMode::Text).found());
}

TEST(LetterCase, TextModeDictionaryFoldsEveryAlphabet)
{
    vb::Ref<vb::Dictionary> d = vb::make<vb::Dictionary>(CompareMode::Text);
    d->Add(vb::Variant("Äpfel"), vb::Variant(1));
    EXPECT_TRUE(d->Exists(vb::Variant("äpfel")));
    EXPECT_TRUE(d->Exists(vb::Variant("ÄPFEL")));
    EXPECT_FALSE(d->Exists(vb::Variant("Apfel")));
    EXPECT_ANY_THROW(d->Add(vb::Variant("äPFEL"), vb::Variant(2)));

    vb::Ref<vb::Dictionary> binary = vb::make<vb::Dictionary>(CompareMode::Binary);
    binary->Add(vb::Variant("Äpfel"), vb::Variant(1));
    EXPECT_FALSE(binary->Exists(vb::Variant("äpfel")));
}

TEST(LetterCase, HostileBytesNeitherCrashNorLoop)
{
    // Truncated sequences, overlong forms, surrogates and stray continuation bytes.
    const std::string junk = "\xC3\xE2\x82\xF0\x9F\x98\xED\xA0\x80\xC0\xAF\x80\xBF\xFF\xFE";
    EXPECT_EQ(vb::upperCase(junk).size(), junk.size());
    EXPECT_TRUE(vb::equalsIgnoreCase(junk, junk));
    const std::string upper = vb::upperCase(junk);
    EXPECT_EQ(vb::compareText(junk, upper), -vb::compareText(upper, junk));
    EXPECT_EQ(vb::equalsIgnoreCase(junk, upper), vb::compareText(junk, upper) == 0);
    EXPECT_EQ(vb::find(junk, "\xBF", 0, CompareMode::Text), 12u);
    EXPECT_FALSE(vb::findMatch(junk, "zz", 3, CompareMode::Text).found());
}

} // namespace
