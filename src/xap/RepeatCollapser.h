// Collapses repeated log records the syslog way: the first of a run of equal records
// is written, the repeats are counted, and one line "last message repeated N times"
// reports them at most every 60 s and before the next different record.
//
// Header-only: the log file writer uses it, and so do plug-ins, which link nothing.
#pragma once

#include <chrono>
#include <cstdint>
#include <string>
#include <string_view>

namespace xap {

class RepeatCollapser {
public:
    using Clock = std::chrono::steady_clock;
    static constexpr std::chrono::seconds kWindow{60};

    struct Outcome {
        std::uint64_t repeatsToReport = 0; // write the repeat line for this count first (when not 0)
        bool writeRecord = false;          // then write the record itself
    };

    // Offers a record identified by `key` (what makes two records equal).
    Outcome offer(std::string_view key, Clock::time_point now)
    {
        Outcome outcome;
        if (haveLast_ && key == last_) {
            ++repeats_;
            if (now - lastReport_ >= kWindow) {
                outcome.repeatsToReport = repeats_;
                repeats_ = 0;
                lastReport_ = now;
            }
            return outcome;
        }
        outcome.repeatsToReport = repeats_;
        outcome.writeRecord = true;
        repeats_ = 0;
        last_.assign(key);
        haveLast_ = true;
        lastReport_ = now;
        return outcome;
    }

    // The repeats not yet reported; they count as reported afterwards.
    std::uint64_t takePending()
    {
        const std::uint64_t n = repeats_;
        repeats_ = 0;
        return n;
    }

    void reset()
    {
        last_.clear();
        haveLast_ = false;
        repeats_ = 0;
    }

    static std::string repeatLine(std::uint64_t repeats)
    {
        return "last message repeated " + std::to_string(repeats) + " times";
    }

private:
    std::string last_;
    bool haveLast_ = false;
    std::uint64_t repeats_ = 0;
    Clock::time_point lastReport_{};
};

} // namespace xap
