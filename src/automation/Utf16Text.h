// Text beyond 16 bits.
//
// Script strings are sequences of UTF-16 units held as UTF-8: a character outside the
// Basic Multilingual Plane is its two surrogate units, each written as the three bytes
// UTF-8 gives a code point of that value (ED A0..BF xx). So Len counts it as 2, Mid can
// split it, and ChrW(&HD834) & ChrW(&HDD1E) is the same text as the character itself.
// Text entering the engine (script source, files) takes that form; text leaving it
// (output, files) is written as well-formed UTF-8 again.
#pragma once

#include <string>
#include <string_view>

namespace vb::utf16 {

// Each valid four-byte UTF-8 sequence as its two surrogate units; everything else as is.
std::string toUnits(std::string_view utf8);

// Each pair of surrogate units as the four-byte UTF-8 sequence, and each lone surrogate
// as U+FFFD (a replacement character); everything else, bytes that are no UTF-8 too, as
// is.
std::string toWellFormed(std::string_view text);

// True when toUnits / toWellFormed would change nothing (cheap scans).
bool hasNoFourByteSequences(std::string_view utf8);
bool hasNoSurrogates(std::string_view text);

} // namespace vb::utf16
