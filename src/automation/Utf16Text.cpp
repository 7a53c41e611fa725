#include "Utf16Text.h"

#include "CaseMapping.h"

namespace vb::utf16 {

namespace {

// The surrogate unit encoded at `pos` (0 when there is none).
char32_t surrogateAt(std::string_view s, std::size_t pos)
{
    if (pos + 3 > s.size())
        return 0;
    const auto b0 = static_cast<unsigned char>(s[pos]);
    const auto b1 = static_cast<unsigned char>(s[pos + 1]);
    const auto b2 = static_cast<unsigned char>(s[pos + 2]);
    if (b0 != 0xED || b1 < 0xA0 || b1 > 0xBF || (b2 & 0xC0) != 0x80)
        return 0;
    return 0xD000 | (static_cast<char32_t>(b1 & 0x3F) << 6) | (b2 & 0x3F);
}

} // namespace

bool hasNoFourByteSequences(std::string_view utf8)
{
    for (const char c : utf8) {
        if (static_cast<unsigned char>(c) >= 0xF0)
            return false;
    }
    return true;
}

bool hasNoSurrogates(std::string_view text)
{
    return text.find('\xED') == std::string_view::npos;
}

std::string toUnits(std::string_view utf8)
{
    if (hasNoFourByteSequences(utf8))
        return std::string(utf8);
    std::string out;
    out.reserve(utf8.size() + utf8.size() / 2);
    for (std::size_t i = 0; i < utf8.size();) {
        const letters::Utf8Char c = letters::decodeUtf8(utf8, i);
        if (c.valid && c.size == 4) {
            letters::appendUtf8(out, 0xD800 + ((c.code - 0x10000) >> 10));
            letters::appendUtf8(out, 0xDC00 + ((c.code - 0x10000) & 0x3FF));
        } else {
            out.append(utf8.substr(i, c.size));
        }
        i += c.size;
    }
    return out;
}

std::string toWellFormed(std::string_view text)
{
    if (hasNoSurrogates(text))
        return std::string(text);
    std::string out;
    out.reserve(text.size());
    for (std::size_t i = 0; i < text.size();) {
        const char32_t unit = surrogateAt(text, i);
        if (unit == 0) {
            out += text[i++];
            continue;
        }
        const char32_t next = unit <= 0xDBFF ? surrogateAt(text, i + 3) : 0;
        if (next >= 0xDC00) {
            letters::appendUtf8(out, 0x10000 + ((unit - 0xD800) << 10) + (next - 0xDC00));
            i += 6;
        } else {
            letters::appendUtf8(out, 0xFFFD);
            i += 3;
        }
    }
    return out;
}

} // namespace vb::utf16
