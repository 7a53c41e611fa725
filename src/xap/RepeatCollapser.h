// Collapses repeated log records the syslog way, over a window of the last few
// distinct records: the first of a record is written, its repeats are counted, and
// the count is reported at most every 60 s, when the record leaves the window, and
// before the next different record when it was the last one written ("last message
// repeated N times"). Two records are equal only when their keys (the whole written
// line) are, so different failures are never merged, and two records alternating
// collapse as well as one repeating.
//
// Header-only: the log file writer uses it, and so do plug-ins, which link nothing.
#pragma once

#include <array>
#include <chrono>
#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

namespace xap {

class RepeatCollapser {
public:
    using Clock = std::chrono::steady_clock;
    static constexpr std::chrono::seconds kWindow{60};
    static constexpr std::size_t kDistinct = 8;         // records remembered at once
    static constexpr std::size_t kShownInReport = 200;  // characters of a record a report repeats

    // A count of repeats to write before anything else.
    struct Report {
        std::uint64_t count = 0;
        std::string record;   // the repeated record
        bool last = false;    // it is the last record written
    };

    struct Outcome {
        std::vector<Report> reports; // write these first, in order
        bool writeRecord = false;    // then write the record itself
    };

    // Offers a record identified by `key` (what makes two records equal).
    Outcome offer(std::string_view key, Clock::time_point now)
    {
        Outcome outcome;
        Slot* slot = find(key);
        if (slot && now - slot->lastSeen <= kWindow) {
            ++slot->count;
            slot->lastSeen = now;
            if (now - slot->lastReport >= kWindow)
                takeReport(*slot, now, outcome.reports);
            return outcome;
        }
        // A different record (or one not seen for a while): the last record's repeats
        // are reported first, then the record is written.
        if (Slot* lastSlot = lastWritten())
            takeReport(*lastSlot, now, outcome.reports);
        if (slot) {
            takeReport(*slot, now, outcome.reports);
        } else {
            slot = freeSlot(now, outcome.reports);
            slot->key.assign(key);
            slot->used = true;
        }
        slot->count = 0;
        slot->lastSeen = now;
        slot->lastReport = now;
        slot->order = ++writes_;
        outcome.writeRecord = true;
        return outcome;
    }

    // The repeats not yet reported; they count as reported afterwards.
    std::vector<Report> takePending()
    {
        std::vector<Report> reports;
        for (Slot& s : slots_)
            if (s.used)
                takeReport(s, s.lastReport, reports);
        return reports;
    }

    void reset()
    {
        slots_ = {};
        writes_ = 0;
    }

    static std::string repeatLine(std::uint64_t repeats)
    {
        return "last message repeated " + std::to_string(repeats) + " times";
    }

    // The line that reports `report`: the syslog form for the last record written,
    // otherwise the count and the start of the record it counts.
    static std::string reportLine(const Report& report)
    {
        if (report.last)
            return repeatLine(report.count);
        std::string shown = report.record.substr(0, kShownInReport);
        while (!shown.empty() && (shown.back() == '\n' || shown.back() == '\r'))
            shown.pop_back();
        if (report.record.size() > kShownInReport)
            shown += "...";
        return "message repeated " + std::to_string(report.count) + " times: " + shown;
    }

private:
    struct Slot {
        std::string key;
        bool used = false;
        std::uint64_t count = 0;
        std::uint64_t order = 0; // when it was last written
        Clock::time_point lastSeen{};
        Clock::time_point lastReport{};
    };

    Slot* find(std::string_view key)
    {
        for (Slot& s : slots_)
            if (s.used && s.key == key)
                return &s;
        return nullptr;
    }

    Slot* lastWritten()
    {
        for (Slot& s : slots_)
            if (s.used && s.order == writes_)
                return &s;
        return nullptr;
    }

    // An unused slot, or the one seen longest ago (its repeats reported first).
    Slot* freeSlot(Clock::time_point now, std::vector<Report>& reports)
    {
        Slot* oldest = &slots_[0];
        for (Slot& s : slots_) {
            if (!s.used)
                return &s;
            if (s.lastSeen < oldest->lastSeen)
                oldest = &s;
        }
        takeReport(*oldest, now, reports);
        *oldest = Slot{};
        return oldest;
    }

    void takeReport(Slot& s, Clock::time_point now, std::vector<Report>& reports)
    {
        if (s.count == 0)
            return;
        reports.push_back(Report{s.count, s.key, s.order == writes_});
        s.count = 0;
        s.lastReport = now;
    }

    std::array<Slot, kDistinct> slots_{};
    std::uint64_t writes_ = 0;
};

} // namespace xap
