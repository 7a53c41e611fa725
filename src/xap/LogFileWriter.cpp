#include "LogFileWriter.h"
#include "ProgramState.h"

#include "automation/Utf16Text.h"
#include "base/AsciiText.h"
#include "platform/FileSystem.h"

#include <charconv>
#include <cstdlib>
#include <filesystem>

namespace xap {

void LogFileWriter::reset()
{
    lastPath_.clear();
    repeats_.reset();
}

void LogFileWriter::setMaxBytes(std::uint64_t bytes)
{
    maxBytes_ = bytes < kMinMaxBytes ? kMinMaxBytes : bytes;
}

void LogFileWriter::append(const std::string& path, std::string_view line)
{
    // Characters beyond 16 bits from scripts are written as well-formed UTF-8.
    std::string wellFormed;
    if (!vb::utf16::hasNoSurrogates(line)) {
        wellFormed = vb::utf16::toWellFormed(line);
        line = wellFormed;
    }
    const std::string resolved = platform::resolvePath(path);
    std::error_code error;
    const std::uintmax_t size = std::filesystem::file_size(resolved, error);
    if (!error && size > 0 && size + line.size() > maxBytes_)
        std::filesystem::rename(resolved, resolved + ".1", error); // replaces an older one
    platform::appendToFile(resolved, line);
}

void LogFileWriter::writeReports(const std::vector<RepeatCollapser::Report>& reports)
{
    if (lastPath_.empty())
        return;
    for (const RepeatCollapser::Report& report : reports) {
        const std::string line = RepeatCollapser::reportLine(report);
        append(lastPath_, line + "\r\n");
        platform::writeJournal(lastPriority_, line);
    }
}

void LogFileWriter::flush()
{
    writeReports(repeats_.takePending());
}

void LogFileWriter::write(const std::string& path, std::string_view source, std::string_view text, std::string_view record,
                          platform::JournalPriority priority)
{
    (void)source;
    (void)text;
    // Another file starts another history.
    if (path != lastPath_) {
        flush();
        repeats_.reset();
    }
    const RepeatCollapser::Outcome outcome = repeats_.offer(record, clock_());
    writeReports(outcome.reports);
    if (outcome.writeRecord) {
        append(path, record);
        platform::writeJournal(priority, record);
        lastPath_ = path;
        lastPriority_ = priority;
    }
}

std::uint64_t parseLogSizeCap(std::string_view text)
{
    // Digits only (no sign) between the blanks, at most 18 of them.
    text = ascii::trim(text, ascii::kBlanks);
    std::uint64_t value = 0;
    if (text.empty() || text.size() > 18)
        return 0;
    const auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), value);
    if (error != std::errc() || end != text.data() + text.size())
        return 0;
    return value >= LogFileWriter::kMinMaxBytes ? value : 0;
}

} // namespace xap
