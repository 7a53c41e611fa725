// The numbers of Rnd and Randomize: a 24-bit linear congruential sequence, so that a
// negative argument or Randomize with a number replays the same numbers every time.
#pragma once

#include <cstdint>
#include <cstring>

namespace vbscript {

struct RandomSequence {
    std::uint32_t seed = 0x50000;

    float current() const { return static_cast<float>(seed) / 16777216.0f; }
    float next()
    {
        seed = (seed * 1140671485u + 12820163u) & 0xFFFFFFu;
        return current();
    }
    void reseedFrom(float value)
    {
        std::uint32_t bits;
        std::memcpy(&bits, &value, sizeof bits);
        seed = (bits + (bits >> 24)) & 0xFFFFFFu;
    }
    // Randomize keeps the low byte of the seed and takes the middle bytes from the number.
    void randomize(double value)
    {
        std::uint64_t bits;
        std::memcpy(&bits, &value, sizeof bits);
        const auto mixed = static_cast<std::uint32_t>(bits >> 32) ^ static_cast<std::uint32_t>(bits);
        seed = (seed & 0xFFu) | ((mixed & 0xFFFFu) << 8);
    }
};

} // namespace vbscript
