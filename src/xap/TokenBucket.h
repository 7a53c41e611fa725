// A token bucket: at most `burst` events at once and `ratePerSecond` on average.
// Refused events are counted so that the caller can say how many it held back.
#pragma once

#include <chrono>
#include <cstdint>

namespace xap {

class TokenBucket {
public:
    using Clock = std::chrono::steady_clock;

    TokenBucket(double ratePerSecond, double burst) : rate_(ratePerSecond), burst_(burst), tokens_(burst) { }

    // Takes one token; false (and one more refusal counted) when there is none.
    bool take(Clock::time_point now)
    {
        refill(now);
        if (tokens_ >= 1.0) {
            tokens_ -= 1.0;
            return true;
        }
        ++refused_;
        return false;
    }

    // True when a token is there to take.
    bool available(Clock::time_point now)
    {
        refill(now);
        return tokens_ >= 1.0;
    }

    // The refusals since the last call.
    std::uint64_t takeRefused()
    {
        const std::uint64_t n = refused_;
        refused_ = 0;
        return n;
    }
    std::uint64_t refused() const { return refused_; }

private:
    void refill(Clock::time_point now)
    {
        if (!started_) {
            started_ = true;
            last_ = now;
            return;
        }
        if (now <= last_)
            return;
        tokens_ += std::chrono::duration<double>(now - last_).count() * rate_;
        if (tokens_ > burst_)
            tokens_ = burst_;
        last_ = now;
    }

    double rate_;
    double burst_;
    double tokens_;
    bool started_ = false;
    Clock::time_point last_{};
    std::uint64_t refused_ = 0;
};

} // namespace xap
