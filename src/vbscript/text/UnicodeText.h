// Text as the script sees it: characters, not bytes.
//
// Strings are held as UTF-8. A script counts characters (Len("é") is 1), so the
// string functions walk the text through these helpers. A byte that does not start a
// valid UTF-8 sequence counts as one character whose code is the byte itself, so text
// read from 8-bit files still works character by character.
#pragma once

#include "automation/TextCompare.h"

#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>

namespace vbscript::text {

struct Decoded {
    char32_t code;     // the character (or the lone byte's value)
    std::uint8_t size; // bytes it occupies, at least 1
};

Decoded decodeMultiByte(std::string_view s, std::size_t pos);

// The character that starts at byte `pos` (pos < s.size()).
inline Decoded decodeAt(std::string_view s, std::size_t pos)
{
    const auto b0 = static_cast<unsigned char>(s[pos]);
    if (b0 < 0x80)
        return {b0, 1};
    return decodeMultiByte(s, pos);
}

// UTF-16 units as text, each unit on its own (a surrogate pair stays two units, the
// form strings hold; see automation/Utf16Text.h).
std::string fromUtf16(std::u16string_view units);

// A byte string of odd length ends in half a unit: that byte is held as a character
// beyond Unicode, kHalfUnit + the byte (the four bytes F4 90 8x xx, which valid UTF-8
// never holds), so LenB(ChrB(65)) is 1. The byte functions give it its meaning; to the
// rest it is one character.
inline constexpr char32_t kHalfUnit = 0x110000;
// Two half units meeting at byte `seam` of `text` (ChrB(65) & ChrB(66)) become the one
// unit they make together.
void joinHalfUnits(std::string& text, std::size_t seam);

// Appends the UTF-8 form of `code` (lone surrogates are kept as three bytes).
void appendCharacter(std::string& out, char32_t code);
std::string characterText(char32_t code);

// Number of characters.
std::size_t length(std::string_view s);
// Byte offset of character number `index` (0-based); s.size() when beyond the end.
std::size_t byteOffset(std::string_view s, std::size_t index);
// Byte offset of character number `index` counted from byte `from`.
std::size_t advance(std::string_view s, std::size_t from, std::size_t count);
// Number of characters before byte offset `offset`.
std::size_t charIndex(std::string_view s, std::size_t offset);

// Characters [first, first + count) by character position (clamped to the text).
std::string_view slice(std::string_view s, std::size_t first, std::size_t count);

// The same positions in a text that may be known to be all ASCII (one byte per
// character): then each answer takes constant time instead of a walk from the start.
class Positions {
public:
    Positions(std::string_view s, bool ascii) : s_(s), ascii_(ascii) { }
    std::string_view text() const { return s_; }
    bool ascii() const { return ascii_; }
    std::size_t length() const { return ascii_ ? s_.size() : text::length(s_); }
    std::size_t byteOffset(std::size_t index) const { return ascii_ ? clamp(index) : text::byteOffset(s_, index); }
    std::size_t advance(std::size_t from, std::size_t count) const
    {
        if (!ascii_)
            return text::advance(s_, from, count);
        return from >= s_.size() || count >= s_.size() - from ? s_.size() : from + count;
    }
    std::size_t charIndex(std::size_t offset) const { return ascii_ ? clamp(offset) : text::charIndex(s_, offset); }
    std::string_view slice(std::size_t first, std::size_t count) const
    {
        if (!ascii_)
            return text::slice(s_, first, count);
        const std::size_t begin = clamp(first);
        return s_.substr(begin, std::min(count, s_.size() - begin));
    }

private:
    std::size_t clamp(std::size_t n) const { return n < s_.size() ? n : s_.size(); }
    std::string_view s_;
    bool ascii_;
};

// Letter case by the program's one rule (automation/TextCompare.h): Unicode simple case
// mappings, bytes outside valid UTF-8 as Windows-1252. A letter and its other case may
// differ in size, so a search in text mode reports the length it matched (vb::findMatch).
char32_t toUpper(char32_t c);
char32_t toLower(char32_t c);
std::string upper(std::string_view s);
std::string lower(std::string_view s);

// Comparison and search with vbBinaryCompare (code order) or vbTextCompare (case ignored).
int compare(std::string_view a, std::string_view b, vb::CompareMode mode);
// Byte offset of the first occurrence of `needle` at or after byte `from`; npos when none.
std::size_t find(std::string_view hay, std::string_view needle, std::size_t from, vb::CompareMode mode);
// Byte offset of the last occurrence of `needle` that ends at or before byte `end`.
std::size_t findLast(std::string_view hay, std::string_view needle, std::size_t end, vb::CompareMode mode);

// The characters in reverse order.
std::string reversed(std::string_view s);

// The Windows-1252 ("ANSI") code page that Chr and Asc use.
char32_t fromAnsi(std::uint8_t code);
// The ANSI code of a character, or -1 when the code page lacks it.
int toAnsi(char32_t code);

} // namespace vbscript::text
