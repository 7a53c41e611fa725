#include "Log.h"

#include <cstdio>

namespace xapmqtt {

std::string Log::format(const std::string& text, Priority priority, bool journal)
{
    // Bounded: a line never carries more than 1000 bytes of anything a peer sent.
    std::string out = text.size() > 1000 ? text.substr(0, 1000) + "..." : text;
    if (journal)
        return platform::journalLine(priority, out);
    for (char& c : out)
        if (c == '\n' || c == '\r')
            c = ' ';
    return "xap-mqtt: " + out + "\n";
}

void Log::line(const std::string& text, Priority priority)
{
    const std::string out = format(text, priority, platform::stderrIsJournal());
    std::fwrite(out.data(), 1, out.size(), stderr);
    std::fflush(stderr);
}

void Log::collapsed(const std::string& kind, const std::string& text, Clock::time_point now)
{
    auto it = runs_.find(kind);
    if (it != runs_.end() && now - it->second.since < kWindow) {
        ++it->second.repeats;
        return;
    }
    if (it != runs_.end() && it->second.repeats > 0)
        line(text + " (and " + std::to_string(it->second.repeats) + " more like it in the last minute)", Priority::Warning);
    else
        line(text, Priority::Warning);
    if (runs_.size() > 100)
        runs_.clear();
    runs_[kind] = Run{now, 0};
}

void Log::flush()
{
    for (auto& [kind, run] : runs_)
        if (run.repeats > 0)
            line(kind + ": " + std::to_string(run.repeats) + " more not written", Priority::Warning);
    runs_.clear();
}

} // namespace xapmqtt
