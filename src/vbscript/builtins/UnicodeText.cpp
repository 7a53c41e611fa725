#include "UnicodeText.h"

#include <array>
#include <cstring>

namespace vbscript::text {

namespace {

bool isContinuation(std::string_view s, std::size_t pos)
{
    return pos < s.size() && (static_cast<unsigned char>(s[pos]) & 0xC0) == 0x80;
}

// Number of leading bytes below 0x80 among the first `limit` bytes, checked 32 and
// then 8 bytes at a time.
std::size_t asciiPrefix(std::string_view s, std::size_t limit)
{
    if (limit > s.size())
        limit = s.size();
    std::size_t i = 0;
    while (i + 32 <= limit) {
        std::uint64_t words[4];
        std::memcpy(words, s.data() + i, 32);
        if ((words[0] | words[1] | words[2] | words[3]) & 0x8080808080808080ull)
            break;
        i += 32;
    }
    while (i + 8 <= limit) {
        std::uint64_t word;
        std::memcpy(&word, s.data() + i, 8);
        if (word & 0x8080808080808080ull)
            break;
        i += 8;
    }
    while (i < limit && static_cast<unsigned char>(s[i]) < 0x80)
        ++i;
    return i;
}

// Upper/lower pairs that alternate inside a block (Latin Extended-A).
struct AlternatingBlock {
    char32_t first, last;
    bool upperIsEven;
};
constexpr std::array<AlternatingBlock, 5> kAlternating = {{
    {0x0100, 0x012F, true},
    {0x0132, 0x0137, true},
    {0x0139, 0x0148, false},
    {0x014A, 0x0177, true},
    {0x0179, 0x017E, false},
}};

// Upper-case ranges with a constant distance to their lower case.
struct ShiftedBlock {
    char32_t first, last;
    char32_t shift; // lower = upper + shift
};
constexpr std::array<ShiftedBlock, 10> kShifted = {{
    {0x0041, 0x005A, 0x20},
    {0x00C0, 0x00D6, 0x20},
    {0x00D8, 0x00DE, 0x20},
    {0x0388, 0x038A, 0x25},
    {0x038E, 0x038F, 0x3F},
    {0x0391, 0x03A1, 0x20},
    {0x03A3, 0x03AB, 0x20},
    {0x0400, 0x040F, 0x50},
    {0x0410, 0x042F, 0x20},
    {0x0386, 0x0386, 0x26},
}};

constexpr std::array<char32_t, 32> kAnsiHigh = {
    0x20AC, 0x0081, 0x201A, 0x0192, 0x201E, 0x2026, 0x2020, 0x2021,
    0x02C6, 0x2030, 0x0160, 0x2039, 0x0152, 0x008D, 0x017D, 0x008F,
    0x0090, 0x2018, 0x2019, 0x201C, 0x201D, 0x2022, 0x2013, 0x2014,
    0x02DC, 0x2122, 0x0161, 0x203A, 0x0153, 0x009D, 0x017E, 0x0178,
};

template <class Map>
std::string mapCase(std::string_view s, Map map)
{
    std::string out;
    out.reserve(s.size());
    for (std::size_t i = 0; i < s.size();) {
        const Decoded d = decodeAt(s, i);
        if (d.code < 0x80) {
            out += static_cast<char>(map(d.code));
        } else if (d.size == 1 || d.size > 2) {
            out.append(s.substr(i, d.size)); // only two-byte letters have another case here
        } else {
            appendCharacter(out, map(d.code));
        }
        i += d.size;
    }
    return out;
}

} // namespace

Decoded decodeMultiByte(std::string_view s, std::size_t pos)
{
    const auto b0 = static_cast<unsigned char>(s[pos]);
    auto cont = [&](std::size_t k) { return static_cast<char32_t>(static_cast<unsigned char>(s[pos + k]) & 0x3F); };
    if (b0 >= 0xC2 && b0 <= 0xDF && isContinuation(s, pos + 1))
        return {((b0 & 0x1Fu) << 6) | cont(1), 2};
    if (b0 >= 0xE0 && b0 <= 0xEF && isContinuation(s, pos + 1) && isContinuation(s, pos + 2)) {
        const char32_t c = ((b0 & 0x0Fu) << 12) | (cont(1) << 6) | cont(2);
        if (c >= 0x800)
            return {c, 3};
    }
    if (b0 >= 0xF0 && b0 <= 0xF4 && isContinuation(s, pos + 1) && isContinuation(s, pos + 2) && isContinuation(s, pos + 3)) {
        const char32_t c = ((b0 & 0x07u) << 18) | (cont(1) << 12) | (cont(2) << 6) | cont(3);
        if (c >= 0x10000 && c <= 0x10FFFF)
            return {c, 4};
    }
    return {b0, 1};
}

void appendCharacter(std::string& out, char32_t c)
{
    if (c < 0x80) {
        out += static_cast<char>(c);
    } else if (c < 0x800) {
        out += static_cast<char>(0xC0 | (c >> 6));
        out += static_cast<char>(0x80 | (c & 0x3F));
    } else if (c < 0x10000) {
        out += static_cast<char>(0xE0 | (c >> 12));
        out += static_cast<char>(0x80 | ((c >> 6) & 0x3F));
        out += static_cast<char>(0x80 | (c & 0x3F));
    } else {
        out += static_cast<char>(0xF0 | (c >> 18));
        out += static_cast<char>(0x80 | ((c >> 12) & 0x3F));
        out += static_cast<char>(0x80 | ((c >> 6) & 0x3F));
        out += static_cast<char>(0x80 | (c & 0x3F));
    }
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
    if (c < 0x80)
        return (c >= 'A' && c <= 'Z') ? c + 0x20 : c;
    if (c == 0x0178)
        return 0x00FF;
    if (c == 0x038C)
        return 0x03CC;
    for (const ShiftedBlock& b : kShifted) {
        if (c >= b.first && c <= b.last)
            return c + b.shift;
    }
    for (const AlternatingBlock& b : kAlternating) {
        if (c >= b.first && c <= b.last)
            return ((c % 2 == 0) == b.upperIsEven) ? c + 1 : c;
    }
    return c;
}

char32_t toUpper(char32_t c)
{
    if (c < 0x80)
        return (c >= 'a' && c <= 'z') ? c - 0x20 : c;
    if (c == 0x00FF)
        return 0x0178;
    if (c == 0x03CC)
        return 0x038C;
    if (c == 0x03C2)
        return 0x03A3; // final sigma
    for (const ShiftedBlock& b : kShifted) {
        if (c >= b.first + b.shift && c <= b.last + b.shift)
            return c - b.shift;
    }
    for (const AlternatingBlock& b : kAlternating) {
        if (c >= b.first && c <= b.last)
            return ((c % 2 == 0) == b.upperIsEven) ? c : c - 1;
    }
    return c;
}

std::string upper(std::string_view s)
{
    return mapCase(s, [](char32_t c) { return toUpper(c); });
}

std::string lower(std::string_view s)
{
    return mapCase(s, [](char32_t c) { return toLower(c); });
}

int compare(std::string_view a, std::string_view b, vb::CompareMode mode)
{
    if (mode == vb::CompareMode::Text)
        return vb::compareBinary(lower(a), lower(b));
    return vb::compareBinary(a, b);
}

std::size_t find(std::string_view hay, std::string_view needle, std::size_t from, vb::CompareMode mode)
{
    if (from > hay.size())
        return std::string_view::npos;
    if (mode == vb::CompareMode::Text)
        return std::string_view(lower(hay)).find(lower(needle), from);
    return hay.find(needle, from);
}

std::size_t findLast(std::string_view hay, std::string_view needle, std::size_t end, vb::CompareMode mode)
{
    if (needle.size() > end)
        return std::string_view::npos;
    if (mode == vb::CompareMode::Text) {
        const std::string folded = lower(hay.substr(0, end));
        return std::string_view(folded).rfind(lower(needle));
    }
    return hay.substr(0, end).rfind(needle);
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
    if (code >= 0x80 && code < 0xA0)
        return kAnsiHigh[code - 0x80];
    return code;
}

int toAnsi(char32_t code)
{
    if (code < 0x80 || (code >= 0xA0 && code <= 0xFF))
        return static_cast<int>(code);
    for (std::size_t i = 0; i < kAnsiHigh.size(); ++i) {
        if (kAnsiHigh[i] == code)
            return static_cast<int>(0x80 + i);
    }
    return -1;
}

std::string fromUtf16(std::u16string_view units)
{
    std::string out;
    out.reserve(units.size());
    for (std::size_t i = 0; i < units.size(); ++i) {
        char32_t u = units[i];
        if (u >= 0xD800 && u < 0xDC00 && i + 1 < units.size() && units[i + 1] >= 0xDC00 && units[i + 1] < 0xE000) {
            u = 0x10000 + ((u - 0xD800) << 10) + (units[i + 1] - 0xDC00);
            ++i;
        }
        appendCharacter(out, u);
    }
    return out;
}

} // namespace vbscript::text
