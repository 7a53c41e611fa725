// The bridge's log: lines on standard error (the journal under systemd). Lines of one
// kind that repeat (a malformed command, a flood) are collapsed: the first is written,
// the repeats counted and reported at most once a minute. Under systemd each line
// carries its syslog priority, so `journalctl -u xap-mqtt -p warning` finds the trouble.
#pragma once

#include "platform/service/JournalStream.h"

#include <chrono>
#include <cstdint>
#include <map>
#include <string>

namespace xapmqtt {

class Log {
public:
    using Clock = std::chrono::steady_clock;
    static constexpr std::chrono::seconds kWindow{60};

    using Priority = platform::JournalPriority;

    static void line(const std::string& text, Priority priority = Priority::Info);
    // The line as written: "<N>text" for the journal, "xap-mqtt: text" elsewhere;
    // one line, at most 1000 bytes of the text.
    static std::string format(const std::string& text, Priority priority, bool journal);
    // A warning of `kind`; repeats within the window are counted instead of written.
    void collapsed(const std::string& kind, const std::string& text, Clock::time_point now = Clock::now());
    // Writes the counts not yet reported.
    void flush();

private:
    struct Run {
        Clock::time_point since;
        std::uint64_t repeats = 0;
    };
    std::map<std::string, Run> runs_;
};

} // namespace xapmqtt
