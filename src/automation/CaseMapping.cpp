#include "CaseMapping.h"

#include <array>

namespace vb::letters {

namespace {

struct CaseRun {
    char32_t first;
    std::uint16_t length;
    std::uint8_t step;
    std::int32_t delta;
};

#include "CaseTables.inc"

template <std::size_t N>
constexpr char32_t lookup(const CaseRun (&runs)[N], char32_t c)
{
    // The last run that starts at or before c.
    std::size_t lo = 0, hi = N;
    while (lo < hi) {
        const std::size_t mid = (lo + hi) / 2;
        if (runs[mid].first <= c)
            lo = mid + 1;
        else
            hi = mid;
    }
    if (lo == 0)
        return c;
    const CaseRun& r = runs[lo - 1];
    const char32_t offset = c - r.first;
    if (offset % r.step != 0 || offset / r.step >= r.length)
        return c;
    return static_cast<char32_t>(static_cast<std::int32_t>(c) + r.delta);
}

// Characters of the bytes 0x80 to 0x9F; the other bytes are their own code points.
constexpr std::array<char32_t, 32> kAnsiHigh = {
    0x20AC, 0x0081, 0x201A, 0x0192, 0x201E, 0x2026, 0x2020, 0x2021,
    0x02C6, 0x2030, 0x0160, 0x2039, 0x0152, 0x008D, 0x017D, 0x008F,
    0x0090, 0x2018, 0x2019, 0x201C, 0x201D, 0x2022, 0x2013, 0x2014,
    0x02DC, 0x2122, 0x0161, 0x203A, 0x0153, 0x009D, 0x017E, 0x0178,
};

constexpr char32_t ansiChar(unsigned char b)
{
    return b >= 0x80 && b < 0xA0 ? kAnsiHigh[b - 0x80] : b;
}

constexpr int ansiByte(char32_t c)
{
    if (c < 0x80 || (c >= 0xA0 && c <= 0xFF))
        return static_cast<int>(c);
    for (std::size_t i = 0; i < kAnsiHigh.size(); ++i) {
        if (kAnsiHigh[i] == c)
            return static_cast<int>(0x80 + i);
    }
    return -1;
}

// A byte's mapping within the code page: the byte of the mapped character, or the
// byte itself when the code page lacks that character.
template <std::size_t N>
constexpr std::array<unsigned char, 256> ansiTable(const CaseRun (&runs)[N])
{
    std::array<unsigned char, 256> table{};
    for (int b = 0; b < 256; ++b) {
        const int mapped = ansiByte(lookup(runs, ansiChar(static_cast<unsigned char>(b))));
        table[b] = static_cast<unsigned char>(mapped < 0 ? b : mapped);
    }
    return table;
}

constexpr auto kAnsiUpper = ansiTable(kUpperRuns);
constexpr auto kAnsiLower = ansiTable(kLowerRuns);
constexpr auto kAnsiFold = ansiTable(kFoldRuns);

bool isContinuation(std::string_view s, std::size_t pos)
{
    return pos < s.size() && (static_cast<unsigned char>(s[pos]) & 0xC0) == 0x80;
}

} // namespace

char32_t toUpper(char32_t c)
{
    if (c < 0x80)
        return c >= 'a' && c <= 'z' ? c - 0x20 : c;
    return lookup(kUpperRuns, c);
}

char32_t toLower(char32_t c)
{
    if (c < 0x80)
        return c >= 'A' && c <= 'Z' ? c + 0x20 : c;
    return lookup(kLowerRuns, c);
}

char32_t fold(char32_t c)
{
    if (c < 0x80)
        return c >= 'A' && c <= 'Z' ? c + 0x20 : c;
    return lookup(kFoldRuns, c);
}

unsigned char ansiUpper(unsigned char b) { return kAnsiUpper[b]; }
unsigned char ansiLower(unsigned char b) { return kAnsiLower[b]; }
unsigned char ansiFold(unsigned char b) { return kAnsiFold[b]; }

char32_t fromAnsi(unsigned char b) { return ansiChar(b); }
int toAnsi(char32_t c) { return ansiByte(c); }

Utf8Char decodeUtf8(std::string_view s, std::size_t pos)
{
    const auto b0 = static_cast<unsigned char>(s[pos]);
    if (b0 < 0x80)
        return {b0, 1, true};
    auto cont = [&](std::size_t k) { return static_cast<char32_t>(static_cast<unsigned char>(s[pos + k]) & 0x3F); };
    if (b0 >= 0xC2 && b0 <= 0xDF && isContinuation(s, pos + 1))
        return {((b0 & 0x1Fu) << 6) | cont(1), 2, true};
    if (b0 >= 0xE0 && b0 <= 0xEF && isContinuation(s, pos + 1) && isContinuation(s, pos + 2)) {
        const char32_t c = ((b0 & 0x0Fu) << 12) | (cont(1) << 6) | cont(2);
        if (c >= 0x800)
            return {c, 3, true};
    }
    if (b0 >= 0xF0 && b0 <= 0xF4 && isContinuation(s, pos + 1) && isContinuation(s, pos + 2) && isContinuation(s, pos + 3)) {
        const char32_t c = ((b0 & 0x07u) << 18) | (cont(1) << 12) | (cont(2) << 6) | cont(3);
        if (c >= 0x10000 && c <= 0x10FFFF)
            return {c, 4, true};
    }
    return {b0, 1, false};
}

std::size_t encodeUtf8(char* out, char32_t c)
{
    if (c < 0x80) {
        out[0] = static_cast<char>(c);
        return 1;
    }
    if (c < 0x800) {
        out[0] = static_cast<char>(0xC0 | (c >> 6));
        out[1] = static_cast<char>(0x80 | (c & 0x3F));
        return 2;
    }
    if (c < 0x10000) {
        out[0] = static_cast<char>(0xE0 | (c >> 12));
        out[1] = static_cast<char>(0x80 | ((c >> 6) & 0x3F));
        out[2] = static_cast<char>(0x80 | (c & 0x3F));
        return 3;
    }
    out[0] = static_cast<char>(0xF0 | (c >> 18));
    out[1] = static_cast<char>(0x80 | ((c >> 12) & 0x3F));
    out[2] = static_cast<char>(0x80 | ((c >> 6) & 0x3F));
    out[3] = static_cast<char>(0x80 | (c & 0x3F));
    return 4;
}

std::size_t appendUtf8(std::string& out, char32_t c)
{
    char buf[4];
    const std::size_t n = encodeUtf8(buf, c);
    out.append(buf, n);
    return n;
}

} // namespace vb::letters
