#include "ScriptText.h"

#include "vbscript/text/UnicodeText.h"

namespace vbscript {

namespace {

std::string fromUtf16(const std::string& bytes, bool bigEndian)
{
    std::u16string units;
    units.reserve(bytes.size() / 2);
    // Past the mark; an odd last byte is no character.
    for (std::size_t i = 2; i + 1 < bytes.size(); i += 2) {
        const auto a = static_cast<unsigned char>(bytes[i]);
        const auto b = static_cast<unsigned char>(bytes[i + 1]);
        units += static_cast<char16_t>(bigEndian ? (a << 8) | b : (b << 8) | a);
    }
    return text::fromUtf16(units);
}

} // namespace

std::string scriptTextFromFile(std::string bytes)
{
    if (bytes.size() >= 2 && bytes[0] == '\xFF' && bytes[1] == '\xFE')
        return fromUtf16(bytes, false);
    if (bytes.size() >= 2 && bytes[0] == '\xFE' && bytes[1] == '\xFF')
        return fromUtf16(bytes, true);
    if (bytes.size() >= 3 && bytes.compare(0, 3, "\xEF\xBB\xBF") == 0)
        bytes.erase(0, 3);
    return bytes;
}

} // namespace vbscript
