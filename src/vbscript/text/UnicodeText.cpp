#include "UnicodeText.h"

#include "automation/AsciiScan.h"
#include "automation/CaseMapping.h"

#include <cstring>

namespace vbscript::text {

using vb::asciiPrefix;

Decoded decodeMultiByte(std::string_view s, std::size_t pos)
{
    // Half a unit: F4 90 followed by the byte's two top bits and its six low bits.
    if (static_cast<unsigned char>(s[pos]) == 0xF4 && pos + 4 <= s.size() && static_cast<unsigned char>(s[pos + 1]) == 0x90 &&
        (static_cast<unsigned char>(s[pos + 2]) & 0xFC) == 0x80 && (static_cast<unsigned char>(s[pos + 3]) & 0xC0) == 0x80)
        return {kHalfUnit + ((static_cast<char32_t>(s[pos + 2]) & 0x03) << 6) + (static_cast<char32_t>(s[pos + 3]) & 0x3F), 4};
    const vb::letters::Utf8Char c = vb::letters::decodeUtf8(s, pos);
    return {c.code, c.size};
}

void appendCharacter(std::string& out, char32_t c)
{
    vb::letters::appendUtf8(out, c);
}

std::string characterText(char32_t code)
{
    std::string out;
    appendCharacter(out, code);
    return out;
}

std::size_t length(std::string_view s)
{
    std::size_t i = asciiPrefix(s, s.size());
    std::size_t count = i;
    while (i < s.size()) {
        i += decodeAt(s, i).size;
        ++count;
    }
    return count;
}

std::size_t advance(std::string_view s, std::size_t from, std::size_t count)
{
    if (from >= s.size())
        return s.size();
    const std::string_view rest = s.substr(from);
    const std::size_t ascii = asciiPrefix(rest, count);
    if (ascii == count || ascii == rest.size())
        return from + ascii;
    std::size_t i = ascii;
    for (std::size_t n = ascii; n < count && i < rest.size(); ++n)
        i += decodeAt(rest, i).size;
    return from + i;
}

std::size_t byteOffset(std::string_view s, std::size_t index)
{
    return advance(s, 0, index);
}

std::size_t charIndex(std::string_view s, std::size_t offset)
{
    if (offset > s.size())
        offset = s.size();
    const std::size_t ascii = asciiPrefix(s, offset);
    std::size_t count = ascii;
    for (std::size_t i = ascii; i < offset; ++count)
        i += decodeAt(s, i).size;
    return count;
}

std::string_view slice(std::string_view s, std::size_t first, std::size_t count)
{
    const std::size_t begin = byteOffset(s, first);
    const std::size_t end = advance(s, begin, count);
    return s.substr(begin, end - begin);
}

char32_t toLower(char32_t c)
{
    return vb::letters::toLower(c);
}

char32_t toUpper(char32_t c)
{
    return vb::letters::toUpper(c);
}

std::string upper(std::string_view s)
{
    return vb::upperCase(s);
}

std::string lower(std::string_view s)
{
    return vb::lowerCase(s);
}

int compare(std::string_view a, std::string_view b, vb::CompareMode mode)
{
    return vb::compare(a, b, mode);
}

std::size_t find(std::string_view hay, std::string_view needle, std::size_t from, vb::CompareMode mode)
{
    return vb::find(hay, needle, from, mode);
}

std::size_t findLast(std::string_view hay, std::string_view needle, std::size_t end, vb::CompareMode mode)
{
    if (needle.size() > end && mode == vb::CompareMode::Binary)
        return std::string_view::npos;
    return vb::findLastMatch(hay, needle, end, mode).pos;
}

std::string reversed(std::string_view s)
{
    std::string out(s.size(), '\0');
    std::size_t write = s.size();
    for (std::size_t i = 0; i < s.size();) {
        const std::size_t n = decodeAt(s, i).size;
        write -= n;
        std::memcpy(out.data() + write, s.data() + i, n);
        i += n;
    }
    return out;
}

char32_t fromAnsi(std::uint8_t code)
{
    return vb::letters::fromAnsi(code);
}

int toAnsi(char32_t code)
{
    return vb::letters::toAnsi(code);
}

std::string fromUtf16(std::u16string_view units)
{
    std::string out;
    out.reserve(units.size());
    for (const char16_t u : units)
        appendCharacter(out, u);
    return out;
}

void joinHalfUnits(std::string& text, std::size_t seam)
{
    const auto isHalf = [&](std::size_t at) {
        return at + 4 <= text.size() && static_cast<unsigned char>(text[at]) == 0xF4 && static_cast<unsigned char>(text[at + 1]) == 0x90 &&
               (static_cast<unsigned char>(text[at + 2]) & 0xFC) == 0x80 && (static_cast<unsigned char>(text[at + 3]) & 0xC0) == 0x80;
    };
    if (seam < 4 || !isHalf(seam - 4) || !isHalf(seam))
        return;
    const char32_t low = decodeMultiByte(text, seam - 4).code - kHalfUnit;
    const char32_t high = decodeMultiByte(text, seam).code - kHalfUnit;
    std::string unit;
    appendCharacter(unit, low | (high << 8));
    text.replace(seam - 4, 8, unit);
}

} // namespace vbscript::text
