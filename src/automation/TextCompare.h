// Text comparison as VB does it: binary (byte by byte) and text (letter case ignored),
// and the case changes that go with it.
//
// One rule serves every comparison and case change made without regard to case: text
// that is valid UTF-8 changes case by the Unicode simple case mappings, and a byte that
// is not part of valid UTF-8 is read as Windows-1252 (see CaseMapping.h). Pure ASCII
// text takes a fast path that never decodes.
#pragma once

#include <cstddef>
#include <string>
#include <string_view>
#include <vector>

namespace vb {

inline char asciiLower(char c) { return (c >= 'A' && c <= 'Z') ? char(c + 32) : c; }
inline char asciiUpper(char c) { return (c >= 'a' && c <= 'z') ? char(c - 32) : c; }

std::string lowerCase(std::string_view s);
std::string upperCase(std::string_view s);
// The form compared when case is ignored; two texts compare equal without regard to
// case exactly when their folded forms are equal. Writes into `out` (reusing its room).
void foldCase(std::string_view s, std::string& out);
// The text without blanks and tabs at either end.
std::string_view trimBlanksAndTabs(std::string_view s);
// The pieces of `text` between each `separator` byte ("a;;b" gives "a", "", "b").
std::vector<std::string> splitAt(std::string_view text, char separator);

bool equalsIgnoreCase(std::string_view a, std::string_view b);
// Number of bytes at the start of `text` that equal `prefix` without regard to case, or
// npos when `text` does not start so. (A letter and its other case may differ in size.)
std::size_t matchPrefixIgnoreCase(std::string_view text, std::string_view prefix);

// -1, 0 or 1, as StrComp with vbBinaryCompare (0) or vbTextCompare (1).
int compareBinary(std::string_view a, std::string_view b);
int compareText(std::string_view a, std::string_view b);

enum class CompareMode { Binary = 0, Text = 1 };
inline int compare(std::string_view a, std::string_view b, CompareMode mode)
{
    return mode == CompareMode::Text ? compareText(a, b) : compareBinary(a, b);
}

// Where a search found its text: byte offset and byte length in the searched text (in
// text mode the length may differ from the needle's).
struct TextMatch {
    std::size_t pos = std::string_view::npos;
    std::size_t length = 0;
    bool found() const { return pos != std::string_view::npos; }
};

// The first occurrence of `needle` in `hay` at or after byte `start`.
TextMatch findMatch(std::string_view hay, std::string_view needle, std::size_t start, CompareMode mode);
// Position of `needle` in `hay` from `start` (0-based), or npos; text mode ignores case.
inline std::size_t find(std::string_view hay, std::string_view needle, std::size_t start, CompareMode mode)
{
    return findMatch(hay, needle, start, mode).pos;
}
// The last occurrence of `needle` that ends at or before byte `end`.
TextMatch findLastMatch(std::string_view hay, std::string_view needle, std::size_t end, CompareMode mode);

// FNV-1a over the folded bytes: texts equal without regard to case hash alike. ASCII is
// hashed inline; from the first other byte on, the rest is folded character by character.
namespace detail {
constexpr std::size_t kFnvOffset = 14695981039346656037ull;
constexpr std::size_t kFnvPrime = 1099511628211ull;
std::size_t hashFoldedRest(std::string_view rest, std::size_t h) noexcept;
} // namespace detail

inline std::size_t hashIgnoreCase(std::string_view s) noexcept
{
    std::size_t h = detail::kFnvOffset;
    for (std::size_t i = 0; i < s.size(); ++i) {
        if (static_cast<unsigned char>(s[i]) & 0x80)
            return detail::hashFoldedRest(s.substr(i), h);
        h ^= static_cast<unsigned char>(asciiLower(s[i]));
        h *= detail::kFnvPrime;
    }
    return h;
}

struct CaseInsensitiveHash {
    using is_transparent = void;
    std::size_t operator()(std::string_view s) const noexcept { return hashIgnoreCase(s); }
};

struct CaseInsensitiveEqual {
    using is_transparent = void;
    bool operator()(std::string_view a, std::string_view b) const noexcept { return equalsIgnoreCase(a, b); }
};

} // namespace vb
