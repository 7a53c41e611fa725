#include "Backoff.h"

#include <algorithm>

namespace xapmqtt {

Backoff::Backoff(int minimumMs, int maximumMs, double jitter, std::uint32_t seed)
    : minimumMs_(minimumMs), maximumMs_(std::max(minimumMs, maximumMs)), jitter_(jitter), baseMs_(minimumMs), random_(seed)
{
}

int Backoff::next()
{
    const int base = baseMs_;
    baseMs_ = std::min(maximumMs_, baseMs_ * 2);
    std::uniform_real_distribution<double> spread(1.0 - jitter_, 1.0 + jitter_);
    const int wait = static_cast<int>(base * spread(random_));
    // The spread never takes a wait beyond the maximum nor below half the minimum.
    return std::clamp(wait, minimumMs_ / 2, maximumMs_);
}

} // namespace xapmqtt
