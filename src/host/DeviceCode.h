// Device codes: a house character followed by a unit text ("A1", "^12"), and how a
// code names a cell of the device state tables.
//
// Texts are UTF-8; a "character" is one UTF-8 sequence (a byte that does not start a
// valid sequence counts as one character on its own).
#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <string_view>

namespace host {

// The first character of a text ("" for an empty text) and everything after it.
std::string_view firstCharacter(std::string_view text);
std::string_view afterFirstCharacter(std::string_view text);
// The number of characters of a text.
std::size_t characterCount(std::string_view text);

// Rows of the device state tables: 0 to the row of "~" (68); units 0 to 99.
inline constexpr int kRowCount = 69;
inline constexpr int kUnitCount = 100;

// Maps a character code (0..255) to its row: printable ASCII from "!" on gets a row of
// its own with lower-case letters sharing the row of their capital; every other code
// shares row 0.
using HouseRowTable = std::array<std::uint8_t, 256>;
HouseRowTable buildHouseRowTable();

struct DeviceCell {
    int row = 0;
    int unit = 0;
    std::size_t index() const { return static_cast<std::size_t>(row) * kUnitCount + static_cast<std::size_t>(unit); }
};

// The code of the house character in the 8-bit code page (Windows-1252). Raises 5 for
// an empty text and 9 for a character the code page cannot hold.
int houseCharacterCode(std::string_view code);

// Resolves a device code to its cell: the house character's row, and the unit text read
// leniently as a number (blanks skipped, reading stops at the first character that
// cannot continue it, &H and &O forms, no digits give 0), rounded half to even. A unit
// outside 0..99 names unit 0; one outside the 16-bit range raises 6 "Overflow".
DeviceCell resolveDeviceCode(std::string_view code, const HouseRowTable& rows);

} // namespace host
