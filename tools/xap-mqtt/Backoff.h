// Backoff: the waits between connection attempts. The first wait is the minimum, each
// failure doubles it up to the maximum, and every wait is spread by a random part so
// that many bridges restarted together do not knock on the broker in step.
#pragma once

#include <cstdint>
#include <random>

namespace xapmqtt {

class Backoff {
public:
    explicit Backoff(int minimumMs = 500, int maximumMs = 30000, double jitter = 0.2, std::uint32_t seed = std::random_device{}());

    // The wait before the next attempt, in milliseconds; each call doubles the base.
    int next();
    // After a refusal that waiting will not mend (credentials): the maximum from now on.
    void jumpToMaximum() { baseMs_ = maximumMs_; }
    // A successful connection starts the sequence again.
    void reset() { baseMs_ = minimumMs_; }
    int baseMs() const { return baseMs_; }
    int maximumMs() const { return maximumMs_; }

private:
    int minimumMs_;
    int maximumMs_;
    double jitter_;
    int baseMs_;
    std::mt19937 random_;
};

} // namespace xapmqtt
