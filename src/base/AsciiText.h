// ASCII text helpers for wire formats, configuration files and command lines: letter
// case and blanks at the ends, byte by byte, with no locale and no Unicode (bytes
// outside A-Z and a-z are left as they are). Text users write in scripts compares by
// the object model's rules instead (automation/TextCompare.h).
#pragma once

#include <cstddef>
#include <string>
#include <string_view>
#include <vector>

namespace ascii {

constexpr char toLower(char c) { return (c >= 'A' && c <= 'Z') ? static_cast<char>(c + ('a' - 'A')) : c; }
constexpr char toUpper(char c) { return (c >= 'a' && c <= 'z') ? static_cast<char>(c - ('a' - 'A')) : c; }

inline std::string lower(std::string_view s)
{
    std::string out(s);
    for (char& c : out)
        c = toLower(c);
    return out;
}

inline std::string upper(std::string_view s)
{
    std::string out(s);
    for (char& c : out)
        c = toUpper(c);
    return out;
}

constexpr bool equalsIgnoreCase(std::string_view a, std::string_view b)
{
    if (a.size() != b.size())
        return false;
    for (std::size_t i = 0; i < a.size(); ++i)
        if (toLower(a[i]) != toLower(b[i]))
            return false;
    return true;
}

constexpr bool startsWithIgnoreCase(std::string_view text, std::string_view prefix)
{
    return text.size() >= prefix.size() && equalsIgnoreCase(text.substr(0, prefix.size()), prefix);
}

// Whether `word` occurs anywhere in `text`, letter case ignored on both sides.
constexpr bool containsIgnoreCase(std::string_view text, std::string_view word)
{
    if (word.size() > text.size())
        return false;
    if (word.empty())
        return true;
    const char first = toLower(word.front());
    for (std::size_t i = 0; i + word.size() <= text.size(); ++i)
        if (toLower(text[i]) == first && equalsIgnoreCase(text.substr(i, word.size()), word))
            return true;
    return false;
}

// The sets of bytes the formats trim. Readers differ on purpose (the xAP wire trims
// spaces only, INI-style files also tabs and the CR of a CRLF line end), so each caller
// names its set.
inline constexpr std::string_view kSpaces = " ";
inline constexpr std::string_view kBlanks = " \t";
inline constexpr std::string_view kBlanksAndCr = " \t\r";
inline constexpr std::string_view kSpacesAndCr = " \r";

// Whether `c` is one of the bytes of `set` (a plain loop: the sets are a few bytes, and
// it inlines to compares where string_view::find would call memchr per byte).
constexpr bool isOneOf(char c, std::string_view set)
{
    for (const char b : set)
        if (b == c)
            return true;
    return false;
}

constexpr std::string_view trimFront(std::string_view s, std::string_view set = kBlanks)
{
    while (!s.empty() && isOneOf(s.front(), set))
        s.remove_prefix(1);
    return s;
}

constexpr std::string_view trimBack(std::string_view s, std::string_view set = kBlanks)
{
    while (!s.empty() && isOneOf(s.back(), set))
        s.remove_suffix(1);
    return s;
}

constexpr std::string_view trim(std::string_view s, std::string_view set = kBlanks)
{
    return trimBack(trimFront(s, set), set);
}

// A line's content: blanks and tabs at either end, and at the end also the CR left by
// a CRLF line end (a CR at the start is kept: it is not a line end).
constexpr std::string_view trimLine(std::string_view s)
{
    return trimBack(trimFront(s, kBlanks), kBlanksAndCr);
}

// The pieces of `text` between `separator`s, empty ones included ("a..b" gives "a", "",
// "b"; "" gives one empty piece). The views point into `text`.
inline std::vector<std::string_view> split(std::string_view text, char separator)
{
    std::vector<std::string_view> pieces;
    std::size_t start = 0;
    for (std::size_t at = text.find(separator); at != std::string_view::npos; at = text.find(separator, start)) {
        pieces.push_back(text.substr(start, at - start));
        start = at + 1;
    }
    pieces.push_back(text.substr(start));
    return pieces;
}

} // namespace ascii
