// Text comparison as VB does it: binary (byte by byte) and text (letter case ignored).
//
// Letter case is folded for ASCII letters only, so UTF-8 text passes through intact.
#pragma once

#include <cstddef>
#include <string>
#include <string_view>

namespace vb {

inline char asciiLower(char c) { return (c >= 'A' && c <= 'Z') ? char(c + 32) : c; }
inline char asciiUpper(char c) { return (c >= 'a' && c <= 'z') ? char(c - 32) : c; }

std::string lowerCase(std::string_view s);
// The text without blanks and tabs at either end.
std::string_view trimBlanksAndTabs(std::string_view s);
std::string upperCase(std::string_view s);

bool equalsIgnoreCase(std::string_view a, std::string_view b);

// -1, 0 or 1, as StrComp with vbBinaryCompare (0) or vbTextCompare (1).
int compareBinary(std::string_view a, std::string_view b);
int compareText(std::string_view a, std::string_view b);

enum class CompareMode { Binary = 0, Text = 1 };
inline int compare(std::string_view a, std::string_view b, CompareMode mode)
{
    return mode == CompareMode::Text ? compareText(a, b) : compareBinary(a, b);
}

// Position of `needle` in `hay` from `start` (0-based), or npos; text mode ignores case.
std::size_t find(std::string_view hay, std::string_view needle, std::size_t start, CompareMode mode);

struct CaseInsensitiveHash {
    using is_transparent = void;
    std::size_t operator()(std::string_view s) const noexcept
    {
        // FNV-1a over the lower-cased bytes.
        std::size_t h = 14695981039346656037ull;
        for (char c : s) {
            h ^= static_cast<unsigned char>(asciiLower(c));
            h *= 1099511628211ull;
        }
        return h;
    }
};

struct CaseInsensitiveEqual {
    using is_transparent = void;
    bool operator()(std::string_view a, std::string_view b) const noexcept { return equalsIgnoreCase(a, b); }
};

} // namespace vb
