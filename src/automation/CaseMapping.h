// Letter case of single characters.
//
// Code points follow the Unicode simple case mappings (one character to one character).
// A byte that is not part of valid UTF-8 is read as a character of Windows-1252, the
// 8-bit code page of the program's files, and keeps that code page when its case changes.
// `fold` is the form compared when case is ignored: the lower case of the upper case,
// so that for example "ſ", "s" and "S", or "ς", "σ" and "Σ", compare equal.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>

namespace vb::letters {

char32_t toUpper(char32_t c);
char32_t toLower(char32_t c);
char32_t fold(char32_t c);

// The same three mappings for a Windows-1252 byte (0 to 255).
unsigned char ansiUpper(unsigned char b);
unsigned char ansiLower(unsigned char b);
unsigned char ansiFold(unsigned char b);

// The character of a Windows-1252 byte, and the byte of a character (-1 when the code
// page lacks it).
char32_t fromAnsi(unsigned char b);
int toAnsi(char32_t c);

// One character of UTF-8 text. A byte that does not start a valid sequence is a
// character of one byte, `valid` false, whose code is the byte itself. The three-byte
// form of a surrogate (ED A0..BF xx) is valid here: it is how strings hold one UTF-16
// unit of a character beyond 16 bits (see Utf16Text.h); its case never changes.
struct Utf8Char {
    char32_t code;
    std::uint8_t size;
    bool valid;
};
Utf8Char decodeUtf8(std::string_view s, std::size_t pos);

// Appends the UTF-8 form of `c` (lone surrogates are kept as three bytes); the number of
// bytes written.
std::size_t appendUtf8(std::string& out, char32_t c);
// Writes the UTF-8 form of `c` into `out` (at least 4 bytes); the number of bytes.
std::size_t encodeUtf8(char* out, char32_t c);

} // namespace vb::letters
