#include "DeviceCode.h"

#include "automation/Conversions.h"
#include "automation/Error.h"

#include <algorithm>

namespace host {

namespace {

// Length of the UTF-8 sequence that starts `text`, or 1 when it is not a valid one.
std::size_t sequenceLength(std::string_view text)
{
    if (text.empty())
        return 0;
    const auto lead = static_cast<unsigned char>(text[0]);
    std::size_t length = lead < 0x80 ? 1 : (lead & 0xE0) == 0xC0 ? 2 : (lead & 0xF0) == 0xE0 ? 3 : (lead & 0xF8) == 0xF0 ? 4 : 1;
    if (length > text.size())
        return 1;
    for (std::size_t i = 1; i < length; ++i) {
        if ((static_cast<unsigned char>(text[i]) & 0xC0) != 0x80)
            return 1;
    }
    return length;
}

char32_t decode(std::string_view sequence)
{
    const auto lead = static_cast<unsigned char>(sequence[0]);
    if (sequence.size() == 1)
        return lead;
    char32_t cp = lead & (0x7F >> sequence.size());
    for (std::size_t i = 1; i < sequence.size(); ++i)
        cp = (cp << 6) | (static_cast<unsigned char>(sequence[i]) & 0x3F);
    return cp;
}

// The Windows-1252 codes 0x80..0x9F that stand for characters beyond Latin-1.
constexpr std::pair<char32_t, int> kCp1252Specials[] = {
    {0x20AC, 0x80}, {0x201A, 0x82}, {0x0192, 0x83}, {0x201E, 0x84}, {0x2026, 0x85}, {0x2020, 0x86},
    {0x2021, 0x87}, {0x02C6, 0x88}, {0x2030, 0x89}, {0x0160, 0x8A}, {0x2039, 0x8B}, {0x0152, 0x8C},
    {0x017D, 0x8E}, {0x2018, 0x91}, {0x2019, 0x92}, {0x201C, 0x93}, {0x201D, 0x94}, {0x2022, 0x95},
    {0x2013, 0x96}, {0x2014, 0x97}, {0x02DC, 0x98}, {0x2122, 0x99}, {0x0161, 0x9A}, {0x203A, 0x9B},
    {0x0153, 0x9C}, {0x017E, 0x9E}, {0x0178, 0x9F},
};

} // namespace

std::string_view firstCharacter(std::string_view text)
{
    return text.substr(0, sequenceLength(text));
}

std::string_view afterFirstCharacter(std::string_view text)
{
    return text.substr(sequenceLength(text));
}

std::size_t characterCount(std::string_view text)
{
    std::size_t count = 0;
    while (!text.empty()) {
        text.remove_prefix(sequenceLength(text));
        ++count;
    }
    return count;
}

HouseRowTable buildHouseRowTable()
{
    HouseRowTable rows{};
    for (int code = 0; code < 256; ++code) {
        int row = 0;
        if (code >= 33 && code <= 96)
            row = code - 32;
        else if (code >= 97 && code <= 122)
            row = code - 32 - 32; // the row of the capital letter
        else if (code >= 123 && code <= 126)
            row = code - 123 + 65;
        rows[static_cast<std::size_t>(code)] = static_cast<std::uint8_t>(row);
    }
    return rows;
}

int houseCharacterCode(std::string_view code)
{
    if (code.empty())
        vb::raiseError(vb::err::InvalidProcedureCall);
    const std::string_view first = firstCharacter(code);
    const char32_t cp = decode(first);
    if (first.size() == 1 || cp <= 0xFF)
        return static_cast<int>(cp);
    for (const auto& [unicode, ansi] : kCp1252Specials) {
        if (unicode == cp)
            return ansi;
    }
    vb::raiseError(vb::err::SubscriptOutOfRange);
}

DeviceCell resolveDeviceCode(std::string_view code, const HouseRowTable& rows)
{
    DeviceCell cell;
    cell.row = rows[static_cast<std::size_t>(houseCharacterCode(code))];
    const std::string_view unitText = afterFirstCharacter(code);
    int unit = 0;
    // Most codes carry one or two plain digits; read those without the general reader.
    if (!unitText.empty() && unitText.size() <= 2
        && std::all_of(unitText.begin(), unitText.end(), [](char c) { return c >= '0' && c <= '9'; })) {
        for (char c : unitText)
            unit = unit * 10 + (c - '0');
    } else {
        const double number = vb::roundHalfEven(vb::Val(unitText));
        if (!(number >= -32768.0 && number <= 32767.0))
            vb::raiseError(vb::err::Overflow);
        unit = static_cast<int>(number);
    }
    cell.unit = unit < 0 || unit >= kUnitCount ? 0 : unit;
    return cell;
}

} // namespace host
