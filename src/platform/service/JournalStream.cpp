#include "JournalStream.h"

#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdio>
#include <cstdlib>

namespace platform {

namespace {

bool stderrMatches(const char* stream)
{
    if (!stream || !*stream)
        return false;
    unsigned long long device = 0, inode = 0;
    if (std::sscanf(stream, "%llu:%llu", &device, &inode) != 2)
        return false;
    struct stat st {};
    if (::fstat(STDERR_FILENO, &st) != 0)
        return false;
    return static_cast<unsigned long long>(st.st_dev) == device && static_cast<unsigned long long>(st.st_ino) == inode;
}

} // namespace

bool stderrIsJournal()
{
    // A child that inherited the variable but not the stream (its standard error sent
    // elsewhere) must not write prefixes into a file or a terminal.
    static const bool journal = stderrMatches(std::getenv("JOURNAL_STREAM"));
    return journal;
}

std::string journalLine(JournalPriority priority, std::string_view text)
{
    if (text.size() > kMaxJournalText)
        text = text.substr(0, kMaxJournalText);
    while (!text.empty() && (text.back() == '\n' || text.back() == '\r' || text.back() == ' '))
        text.remove_suffix(1);
    std::string line = "<" + std::to_string(static_cast<int>(priority)) + ">";
    line.reserve(line.size() + text.size() + 1);
    for (char c : text)
        line += c == '\n' || c == '\r' ? ' ' : c;
    line += '\n';
    return line;
}

void writeJournal(JournalPriority priority, std::string_view text)
{
    if (!stderrIsJournal())
        return;
    const std::string line = journalLine(priority, text);
    // One write per record, so records of two threads never interleave.
    std::size_t done = 0;
    while (done < line.size()) {
        const ssize_t n = ::write(STDERR_FILENO, line.data() + done, line.size() - done);
        if (n < 0 && errno == EINTR)
            continue;
        if (n <= 0)
            return;
        done += static_cast<std::size_t>(n);
    }
}

} // namespace platform
