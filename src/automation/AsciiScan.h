// Finding the ASCII part of a byte string quickly (8 and 32 bytes at a time).
//
// In ASCII text one byte is one character, so whoever knows a text is all ASCII can
// take character positions as byte positions.
#pragma once

#include <cstddef>
#include <string_view>

namespace vb {

// Number of leading bytes below 0x80 among the first `limit` bytes of `s`.
std::size_t asciiPrefix(std::string_view s, std::size_t limit) noexcept;

inline bool isAsciiText(std::string_view s) noexcept
{
    return asciiPrefix(s, s.size()) == s.size();
}

} // namespace vb
