// The writer behind WriteLogFile: appends records to the log file and keeps a
// flooding peer from filling the disk.
//
// - A record whose whole line repeats one of the last few distinct records is not
//   written again: the repeats are counted and reported ("last message repeated N
//   times", or "message repeated N times: <record>" for an earlier one) at most every
//   60 s, and before the next different record (see RepeatCollapser).
// - When the file would grow past its size cap (10 MB unless vynXap.ini says
//   otherwise), it is renamed to the same name with ".1" appended (replacing an older
//   one) and a new file is started.
//
// The file is opened and closed per line, so other programs can read it between records.
#pragma once

#include "RepeatCollapser.h"

#include "platform/service/JournalStream.h"

#include <chrono>
#include <cstdint>
#include <functional>
#include <string>
#include <string_view>
#include <vector>

namespace xap {

class LogFileWriter {
public:
    using Clock = std::chrono::steady_clock;
    static constexpr std::uint64_t kDefaultMaxBytes = 10u * 1024u * 1024u;
    static constexpr std::uint64_t kMinMaxBytes = 1024;

    // Writes `record` (a whole line with its CR LF) to `path` unless it repeats one of
    // the recent records (the whole line compared). Under a service manager the record
    // written (and a repeat count) also goes to the journal with `priority`.
    void write(const std::string& path, std::string_view source, std::string_view text, std::string_view record,
               platform::JournalPriority priority = platform::JournalPriority::Info);
    // Writes the count of repeats not yet reported, if any.
    void flush();

    void setMaxBytes(std::uint64_t bytes);
    std::uint64_t maxBytes() const { return maxBytes_; }
    // For tests: the time source.
    void setClock(std::function<Clock::time_point()> clock) { clock_ = std::move(clock); }
    // Forgets the previous record (a new file, or a new test).
    void reset();

private:
    void append(const std::string& path, std::string_view line);
    void writeReports(const std::vector<RepeatCollapser::Report>& reports);

    std::uint64_t maxBytes_ = kDefaultMaxBytes;
    std::function<Clock::time_point()> clock_ = [] { return Clock::now(); };
    std::string lastPath_;
    platform::JournalPriority lastPriority_ = platform::JournalPriority::Info;
    RepeatCollapser repeats_; // keyed by the whole record
};

// Reads a size cap as vynXap.ini gives it: a number of bytes; anything else, or a
// number below the smallest cap, gives nothing.
std::uint64_t parseLogSizeCap(std::string_view text);

} // namespace xap
