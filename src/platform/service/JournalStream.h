// Records for the journal. A service's standard error is connected to journald, which
// names the stream in JOURNAL_STREAM ("device:inode"); a line written there with a
// "<N>" syslog priority prefix is stored with that priority and its time, so
// `journalctl -u tallis -p warning` finds the warnings. Outside the journal (a shell, a
// test, the desktop) nothing is written: the program's own log file stays the record.
#pragma once

#include <string>
#include <string_view>

namespace platform {

enum class JournalPriority { Error = 3, Warning = 4, Notice = 5, Info = 6, Debug = 7 };

// True when standard error is the stream JOURNAL_STREAM names (checked once).
bool stderrIsJournal();

// The line as written: "<N>" + text on one line (CR and LF become blanks, the text is
// cut at kMaxJournalText bytes) + "\n".
constexpr std::size_t kMaxJournalText = 4096;
std::string journalLine(JournalPriority priority, std::string_view text);

// Writes `text` to standard error as one journal record when stderrIsJournal().
void writeJournal(JournalPriority priority, std::string_view text);

} // namespace platform
