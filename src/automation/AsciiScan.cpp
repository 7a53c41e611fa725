#include "AsciiScan.h"

#include <cstdint>
#include <cstring>

namespace vb {

std::size_t asciiPrefix(std::string_view s, std::size_t limit) noexcept
{
    if (limit > s.size())
        limit = s.size();
    std::size_t i = 0;
    while (i + 32 <= limit) {
        std::uint64_t words[4];
        std::memcpy(words, s.data() + i, 32);
        if ((words[0] | words[1] | words[2] | words[3]) & 0x8080808080808080ull)
            break;
        i += 32;
    }
    while (i + 8 <= limit) {
        std::uint64_t word;
        std::memcpy(&word, s.data() + i, 8);
        if (word & 0x8080808080808080ull)
            break;
        i += 8;
    }
    while (i < limit && static_cast<unsigned char>(s[i]) < 0x80)
        ++i;
    return i;
}

} // namespace vb
