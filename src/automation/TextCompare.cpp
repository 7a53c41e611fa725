#include "TextCompare.h"

#include "CaseMapping.h"

#include <bit>
#include <cstdint>
#include <cstring>
#include <vector>

namespace vb {

namespace {

bool isHigh(char c) { return (static_cast<unsigned char>(c) & 0x80) != 0; }

// Eight bytes at a time: ASCII text is changed and compared a word at a time.
constexpr std::uint64_t kHighBits = 0x8080808080808080ull;
constexpr std::uint64_t bytesOf(unsigned char b) { return 0x0101010101010101ull * b; }

std::uint64_t loadWord(const char* p)
{
    std::uint64_t w;
    std::memcpy(&w, p, 8);
    if constexpr (std::endian::native == std::endian::big)
        w = __builtin_bswap64(w); // first byte lowest, as the byte-wise paths see it
    return w;
}

void storeWord(char* p, std::uint64_t w)
{
    if constexpr (std::endian::native == std::endian::big)
        w = __builtin_bswap64(w);
    std::memcpy(p, &w, 8);
}

// The bytes of an all-ASCII word that lie from `first` to `last`, marked by their high bit.
std::uint64_t inRange(std::uint64_t w, unsigned char first, unsigned char last)
{
    const std::uint64_t atLeastFirst = w + bytesOf(0x80 - first);
    const std::uint64_t aboveLast = w + bytesOf(0x80 - last - 1);
    return atLeastFirst & ~aboveLast & kHighBits;
}

// ASCII letters of an all-ASCII word in lower or upper case.
std::uint64_t wordLower(std::uint64_t w) { return w | (inRange(w, 'A', 'Z') >> 2); }
std::uint64_t wordUpper(std::uint64_t w) { return w & ~(inRange(w, 'a', 'z') >> 2); }

// Appends `s` with each character mapped: valid UTF-8 through `unicode`, other bytes
// through `ansi`.
// Returns true when a stray byte changed.
template <class Unicode, class Ansi>
[[gnu::noinline]] bool appendMapped(std::string& out, std::string_view s, Unicode unicode, Ansi ansi)
{
    bool strayChanged = false;
    for (std::size_t i = 0; i < s.size();) {
        const auto b = static_cast<unsigned char>(s[i]);
        if (b < 0x80) {
            out += static_cast<char>(unicode(b));
            ++i;
            continue;
        }
        const letters::Utf8Char c = letters::decodeUtf8(s, i);
        if (c.valid) {
            letters::appendUtf8(out, unicode(c.code));
        } else {
            const auto mapped = static_cast<char>(ansi(b));
            strayChanged = strayChanged || mapped != static_cast<char>(b);
            out += mapped;
        }
        i += c.size;
    }
    return strayChanged;
}

// Maps `out`, a copy of `s`, in place: ASCII letters a word and then a byte at a time,
// up to the first byte above 0x7F; from there on the rest is decoded and mapped
// character by character. Returns true when a stray byte changed.
template <class Word, class Ascii, class Unicode, class Ansi>
bool mapCopy(std::string& out, std::string_view s, Word word, Ascii ascii, Unicode unicode, Ansi ansi)
{
    std::size_t i = 0;
    for (; i + 8 <= out.size(); i += 8) {
        const std::uint64_t w = loadWord(out.data() + i);
        if (w & kHighBits)
            break;
        storeWord(out.data() + i, word(w));
    }
    for (; i < out.size(); ++i) {
        if (isHigh(out[i])) {
            out.resize(i);
            return appendMapped(out, s.substr(i), unicode, ansi);
        }
        out[i] = ascii(out[i]);
    }
    return false;
}

// `s` in the other case. A stray byte in its new case can join the bytes around it
// into valid UTF-8 of other characters ("\xE9\xA9" upper-cased would read as "ɩ"); such
// text keeps its stray bytes as they are, so that it still equals `s` without regard
// to case.
template <class Word, class Ascii, class Unicode, class Ansi>
std::string changedCase(std::string_view s, Word word, Ascii ascii, Unicode unicode, Ansi ansi)
{
    std::string out(s);
    if (mapCopy(out, s, word, ascii, unicode, ansi) && !equalsIgnoreCase(out, s)) {
        out.assign(s.data(), s.size());
        mapCopy(out, s, word, ascii, unicode, [](unsigned char b) { return b; });
    }
    return out;
}

// The folded bytes of a text, one at a time.
class FoldedBytes {
public:
    explicit FoldedBytes(std::string_view s) : s_(s) { }

    // The next folded byte; false at the end.
    bool next(unsigned char& out)
    {
        if (at_ < count_) {
            out = static_cast<unsigned char>(buffer_[at_++]);
            return true;
        }
        if (pos_ >= s_.size())
            return false;
        const auto b = static_cast<unsigned char>(s_[pos_]);
        if (b < 0x80) {
            out = static_cast<unsigned char>(asciiLower(static_cast<char>(b)));
            ++pos_;
            return true;
        }
        const letters::Utf8Char c = letters::decodeUtf8(s_, pos_);
        pos_ += c.size;
        if (c.valid) {
            count_ = letters::encodeUtf8(buffer_, letters::fold(c.code));
        } else {
            buffer_[0] = static_cast<char>(letters::ansiFold(b));
            count_ = 1;
        }
        at_ = 0;
        out = static_cast<unsigned char>(buffer_[at_++]);
        return true;
    }

    // True when no folded byte of the current character is left over.
    bool atCharacterBoundary() const { return at_ == count_; }
    std::size_t position() const { return pos_; }

private:
    std::string_view s_;
    std::size_t pos_ = 0;
    char buffer_[4] = {};
    std::size_t count_ = 0;
    std::size_t at_ = 0;
};

[[gnu::noinline]] int compareFolded(std::string_view a, std::string_view b)
{
    FoldedBytes x(a), y(b);
    while (true) {
        unsigned char p = 0, q = 0;
        const bool more = x.next(p);
        const bool moreB = y.next(q);
        if (!more || !moreB)
            return more == moreB ? 0 : (more ? 1 : -1);
        if (p != q)
            return p < q ? -1 : 1;
    }
}

// A text folded, with the offset in the original text of every folded byte that starts
// a character (kNone for the others), and one more entry for the end.
struct FoldedText {
    static constexpr std::uint32_t kNone = 0xFFFFFFFFu;
    std::string text;
    std::vector<std::uint32_t> origin;
};

FoldedText foldWithOrigins(std::string_view s)
{
    FoldedText f;
    f.text.reserve(s.size());
    f.origin.reserve(s.size() + 1);
    FoldedBytes bytes(s);
    std::size_t before = 0;
    unsigned char b = 0;
    while (true) {
        const bool boundary = bytes.atCharacterBoundary();
        if (!bytes.next(b))
            break;
        f.text += static_cast<char>(b);
        f.origin.push_back(boundary ? static_cast<std::uint32_t>(before) : FoldedText::kNone);
        before = bytes.position();
    }
    f.origin.push_back(static_cast<std::uint32_t>(s.size()));
    return f;
}

bool isAscii(std::string_view s)
{
    for (char c : s) {
        if (isHigh(c))
            return false;
    }
    return true;
}

std::string foldedCopy(std::string_view s)
{
    std::string out;
    foldCase(s, out);
    return out;
}

// A match in folded text, mapped back to the original; not found when it does not begin
// and end on characters of the original.
TextMatch originalMatch(const FoldedText& hay, std::size_t at, std::size_t length)
{
    const std::uint32_t first = hay.origin[at];
    const std::uint32_t end = hay.origin[at + length];
    if (first == FoldedText::kNone || end == FoldedText::kNone)
        return {};
    return {first, end - first};
}

} // namespace

std::string lowerCase(std::string_view s)
{
    return changedCase(s, wordLower, [](char c) { return asciiLower(c); }, [](char32_t c) { return letters::toLower(c); }, letters::ansiLower);
}

std::string upperCase(std::string_view s)
{
    return changedCase(s, wordUpper, [](char c) { return asciiUpper(c); }, [](char32_t c) { return letters::toUpper(c); }, letters::ansiUpper);
}

void foldCase(std::string_view s, std::string& out)
{
    out.assign(s.data(), s.size());
    mapCopy(out, s, wordLower, [](char c) { return asciiLower(c); }, [](char32_t c) { return letters::fold(c); }, letters::ansiFold);
}

std::string_view trimBlanksAndTabs(std::string_view s)
{
    while (!s.empty() && (s.front() == ' ' || s.front() == '\t'))
        s.remove_prefix(1);
    while (!s.empty() && (s.back() == ' ' || s.back() == '\t'))
        s.remove_suffix(1);
    return s;
}

std::vector<std::string> splitAt(std::string_view text, char separator)
{
    std::vector<std::string> parts;
    std::size_t start = 0;
    while (true) {
        const std::size_t at = text.find(separator, start);
        parts.emplace_back(text.substr(start, at == std::string_view::npos ? std::string_view::npos : at - start));
        if (at == std::string_view::npos)
            return parts;
        start = at + 1;
    }
}

// Length of the leading stretch, in whole words, where both texts are ASCII and equal
// without regard to case.
std::size_t equalAsciiWords(std::string_view a, std::string_view b, std::size_t n)
{
    std::size_t i = 0;
    for (; i + 8 <= n; i += 8) {
        const std::uint64_t x = loadWord(a.data() + i);
        const std::uint64_t y = loadWord(b.data() + i);
        if (((x | y) & kHighBits) || wordLower(x) != wordLower(y))
            break;
    }
    return i;
}

bool equalsIgnoreCase(std::string_view a, std::string_view b)
{
    const std::size_t n = a.size() < b.size() ? a.size() : b.size();
    for (std::size_t i = n >= 8 ? equalAsciiWords(a, b, n) : 0; i < n; ++i) {
        const char x = a[i];
        const char y = b[i];
        if (isHigh(x) || isHigh(y))
            return compareFolded(a.substr(i), b.substr(i)) == 0;
        if (asciiLower(x) != asciiLower(y))
            return false;
    }
    // One text is used up with ASCII alone; the other's rest folds to at least one byte.
    return a.size() == b.size();
}

std::size_t matchPrefixIgnoreCase(std::string_view text, std::string_view prefix)
{
    std::size_t i = 0;
    for (; i < prefix.size(); ++i) {
        if (i >= text.size())
            return std::string_view::npos;
        if (isHigh(text[i]) || isHigh(prefix[i]))
            break;
        if (asciiLower(text[i]) != asciiLower(prefix[i]))
            return std::string_view::npos;
    }
    if (i == prefix.size())
        return i;
    FoldedBytes t(text.substr(i)), p(prefix.substr(i));
    unsigned char x = 0, y = 0;
    while (p.next(y)) {
        if (!t.next(x) || x != y)
            return std::string_view::npos;
    }
    return t.atCharacterBoundary() ? i + t.position() : std::string_view::npos;
}

int compareBinary(std::string_view a, std::string_view b)
{
    const std::size_t n = a.size() < b.size() ? a.size() : b.size();
    for (std::size_t i = 0; i < n; ++i) {
        const unsigned char x = static_cast<unsigned char>(a[i]);
        const unsigned char y = static_cast<unsigned char>(b[i]);
        if (x != y)
            return x < y ? -1 : 1;
    }
    if (a.size() == b.size())
        return 0;
    return a.size() < b.size() ? -1 : 1;
}

int compareText(std::string_view a, std::string_view b)
{
    const std::size_t n = a.size() < b.size() ? a.size() : b.size();
    for (std::size_t i = n >= 8 ? equalAsciiWords(a, b, n) : 0; i < n; ++i) {
        if (isHigh(a[i]) || isHigh(b[i]))
            return compareFolded(a.substr(i), b.substr(i));
        const unsigned char x = static_cast<unsigned char>(asciiLower(a[i]));
        const unsigned char y = static_cast<unsigned char>(asciiLower(b[i]));
        if (x != y)
            return x < y ? -1 : 1;
    }
    if (a.size() == b.size())
        return 0;
    return a.size() < b.size() ? -1 : 1;
}

TextMatch findMatch(std::string_view hay, std::string_view needle, std::size_t start, CompareMode mode)
{
    if (start > hay.size())
        return {};
    if (mode == CompareMode::Binary) {
        const std::size_t at = hay.find(needle, start);
        return at == std::string_view::npos ? TextMatch{} : TextMatch{at, needle.size()};
    }
    if (needle.empty())
        return {start, 0};
    const std::string_view rest = hay.substr(start);
    if (isAscii(rest) && isAscii(needle)) {
        const std::size_t at = std::string_view(foldedCopy(rest)).find(foldedCopy(needle));
        return at == std::string_view::npos ? TextMatch{} : TextMatch{start + at, needle.size()};
    }
    const FoldedText folded = foldWithOrigins(rest);
    const std::string wanted = foldedCopy(needle);
    for (std::size_t at = folded.text.find(wanted); at != std::string::npos; at = folded.text.find(wanted, at + 1)) {
        TextMatch m = originalMatch(folded, at, wanted.size());
        if (m.found()) {
            m.pos += start;
            return m;
        }
    }
    return {};
}

TextMatch findLastMatch(std::string_view hay, std::string_view needle, std::size_t end, CompareMode mode)
{
    if (end > hay.size())
        end = hay.size();
    const std::string_view region = hay.substr(0, end);
    if (mode == CompareMode::Binary) {
        const std::size_t at = region.rfind(needle);
        return at == std::string_view::npos ? TextMatch{} : TextMatch{at, needle.size()};
    }
    if (isAscii(region) && isAscii(needle)) {
        const std::size_t at = std::string_view(foldedCopy(region)).rfind(foldedCopy(needle));
        return at == std::string_view::npos ? TextMatch{} : TextMatch{at, needle.size()};
    }
    const FoldedText folded = foldWithOrigins(region);
    const std::string wanted = foldedCopy(needle);
    for (std::size_t at = folded.text.rfind(wanted); at != std::string::npos; at = folded.text.rfind(wanted, at - 1)) {
        const TextMatch m = originalMatch(folded, at, wanted.size());
        if (m.found())
            return m;
        if (at == 0)
            break;
    }
    return {};
}

namespace detail {

std::size_t hashFoldedRest(std::string_view rest, std::size_t h) noexcept
{
    FoldedBytes bytes(rest);
    unsigned char b = 0;
    while (bytes.next(b)) {
        h ^= b;
        h *= kFnvPrime;
    }
    return h;
}

} // namespace detail

} // namespace vb
