// Messages for Audreys this plug-in does not know are one kind of record: the first
// of a minute is logged at once, the rest are counted with their names, and one
// summary line reports them when the minute has passed (or at shutdown). A peer
// naming a new Audrey in every message therefore costs one log line a minute, not
// one per name.
#pragma once

#include <chrono>
#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

namespace audrey {

class UnknownAudreys {
public:
    using Clock = std::chrono::steady_clock;
    static constexpr std::chrono::seconds kWindow{60};
    static constexpr std::size_t kNamesShown = 8;     // distinct names a summary lists
    static constexpr std::size_t kNameLength = 64;    // characters of a name kept

    // Records one message of `messageClass` naming `count` unknown Audreys, the first
    // `firstName`. Returns the lines to log now (none, the first report, or a summary
    // of the last minute followed by nothing: the new message starts the next count).
    std::vector<std::string> record(const std::string& messageClass, std::size_t count, const std::string& firstName,
                                    Clock::time_point now)
    {
        std::vector<std::string> lines;
        if (!counting_ || now - windowStart_ >= kWindow) {
            if (std::string summary = takeSummary(); !summary.empty())
                lines.push_back(std::move(summary));
            counting_ = true;
            windowStart_ = now;
            lines.push_back(count == 1 ? "Ignored " + messageClass + " for unknown Audrey '" + clip(firstName) + "'"
                                       : "Ignored " + messageClass + " for " + std::to_string(count) +
                                             " unknown Audreys, the first '" + clip(firstName) + "'");
            return lines;
        }
        ++messages_;
        names_ += count;
        remember(clip(firstName));
        return lines;
    }

    // The summary of what was counted and not yet logged ("" when nothing was).
    std::string takeSummary()
    {
        if (messages_ == 0)
            return {};
        std::string line = "Ignored " + std::to_string(messages_) + " further message(s) naming " + std::to_string(names_) +
            " unknown Audrey(s), among them";
        for (std::size_t i = 0; i < shown_.size(); ++i)
            line += (i ? ", '" : " '") + shown_[i] + "'";
        messages_ = 0;
        names_ = 0;
        shown_.clear();
        return line;
    }

private:
    static std::string clip(const std::string& name) { return name.substr(0, kNameLength); }

    void remember(const std::string& name)
    {
        if (shown_.size() >= kNamesShown)
            return;
        for (const std::string& s : shown_)
            if (s == name)
                return;
        shown_.push_back(name);
    }

    bool counting_ = false;
    Clock::time_point windowStart_{};
    std::uint64_t messages_ = 0;
    std::uint64_t names_ = 0;
    std::vector<std::string> shown_;
};

} // namespace audrey
