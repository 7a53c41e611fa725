#include "Log.h"

#include <cstdio>

namespace xapmqtt {

void Log::line(const std::string& text)
{
    // Bounded: a line never carries more than 1000 bytes of anything a peer sent.
    std::string out = text.size() > 1000 ? text.substr(0, 1000) + "..." : text;
    for (char& c : out)
        if (c == '\n' || c == '\r')
            c = ' ';
    std::fprintf(stderr, "xap-mqtt: %s\n", out.c_str());
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
        line(text + " (and " + std::to_string(it->second.repeats) + " more like it in the last minute)");
    else
        line(text);
    if (runs_.size() > 100)
        runs_.clear();
    runs_[kind] = Run{now, 0};
}

void Log::flush()
{
    for (auto& [kind, run] : runs_)
        if (run.repeats > 0)
            line(kind + ": " + std::to_string(run.repeats) + " more not written");
    runs_.clear();
}

} // namespace xapmqtt
