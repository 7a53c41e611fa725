// The program's side of the service manager: notifications reach the socket named in
// NOTIFY_SOCKET and nothing is sent without one; watchdog keep-alives are spaced by
// the interval asked for; journal records carry their priority, stay on one line and
// are written only when standard error really is the journal stream. Cases that
// depend on the environment a process starts with run in a child process.
#include "platform/service/JournalStream.h"
#include "platform/service/ServiceManager.h"

#include "support/TempFolder.h"

#include <gtest/gtest.h>

#include <fcntl.h>
#include <sys/socket.h>
#include <sys/stat.h>
#include <sys/un.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cstdlib>
#include <functional>
#include <string>
#include <vector>

namespace {

// A datagram socket standing in for the service manager's.
class NotifySocket {
public:
    explicit NotifySocket(const std::string& path) : path_(path)
    {
        fd_ = ::socket(AF_UNIX, SOCK_DGRAM | SOCK_CLOEXEC, 0);
        sockaddr_un address{};
        address.sun_family = AF_UNIX;
        path.copy(address.sun_path, sizeof address.sun_path - 1);
        EXPECT_EQ(::bind(fd_, reinterpret_cast<sockaddr*>(&address), sizeof address), 0);
    }
    ~NotifySocket() { ::close(fd_); }

    // Every datagram waiting now.
    std::vector<std::string> received() const
    {
        std::vector<std::string> all;
        char buffer[4096];
        ssize_t n;
        while ((n = ::recv(fd_, buffer, sizeof buffer, MSG_DONTWAIT)) > 0)
            all.emplace_back(buffer, static_cast<std::size_t>(n));
        return all;
    }

private:
    std::string path_;
    int fd_ = -1;
};

// Runs `body` in a child process and returns its exit status.
int inChild(const std::function<int()>& body)
{
    const pid_t pid = ::fork();
    if (pid == 0)
        ::_exit(body());
    int status = 0;
    ::waitpid(pid, &status, 0);
    return WIFEXITED(status) ? WEXITSTATUS(status) : 128 + WTERMSIG(status);
}

std::string streamName(int fd)
{
    struct stat st {};
    ::fstat(fd, &st);
    return std::to_string(st.st_dev) + ":" + std::to_string(st.st_ino);
}

} // namespace

TEST(ServiceManager, NotificationsGoToTheNamedSocketAndNowhereWithoutOne)
{
    testing_support::TempFolder folder;
    NotifySocket manager(folder / "notify");

    ::unsetenv("NOTIFY_SOCKET");
    EXPECT_FALSE(platform::serviceManagerListens());
    platform::notifyReady("ignored");
    EXPECT_TRUE(manager.received().empty());

    ::setenv("NOTIFY_SOCKET", (folder / "notify").c_str(), 1);
    EXPECT_TRUE(platform::serviceManagerListens());
    platform::notifyReady();
    // A status is one line: a line break would start another assignment.
    platform::notifyReady("serving\nFOO=1");
    platform::notifyStopping();
    ::unsetenv("NOTIFY_SOCKET");
    EXPECT_EQ(manager.received(), (std::vector<std::string>{"READY=1", "READY=1\nSTATUS=serving FOO=1", "STOPPING=1"}));
}

TEST(ServiceManager, WatchdogKeepAlivesAreSpacedByAThirdOfTheInterval)
{
    testing_support::TempFolder folder;
    NotifySocket manager(folder / "notify");
    const int status = inChild([&] {
        ::setenv("NOTIFY_SOCKET", (folder / "notify").c_str(), 1);
        ::setenv("WATCHDOG_USEC", "600000", 1);
        if (platform::watchdogInterval() != std::chrono::microseconds(600000))
            return 1;
        platform::WatchdogKeepAlive keepAlive;
        for (int i = 0; i < 5; ++i)
            keepAlive.notify(); // one keep-alive: the others come too soon
        ::usleep(250000);       // past a third of the interval
        keepAlive.notify();
        return 0;
    });
    ASSERT_EQ(status, 0);
    EXPECT_EQ(manager.received(), (std::vector<std::string>{"WATCHDOG=1", "WATCHDOG=1"}));

    // Without an interval asked for, no keep-alive is sent.
    ASSERT_EQ(inChild([&] {
                  ::setenv("NOTIFY_SOCKET", (folder / "notify").c_str(), 1);
                  ::unsetenv("WATCHDOG_USEC");
                  platform::WatchdogKeepAlive().notify();
                  return platform::watchdogInterval().count() == 0 ? 0 : 1;
              }),
              0);
    EXPECT_TRUE(manager.received().empty());
}

TEST(JournalStream, ARecordIsOneLineWithItsPriority)
{
    using platform::JournalPriority;
    EXPECT_EQ(platform::journalLine(JournalPriority::Info, "raruveViziva Tallis started 0 \r\n"),
              "<6>raruveViziva Tallis started 0\n");
    EXPECT_EQ(platform::journalLine(JournalPriority::Error, "a\r\nb\nc"), "<3>a  b c\n");
    EXPECT_EQ(platform::journalLine(JournalPriority::Warning, ""), "<4>\n");
    const std::string longText(platform::kMaxJournalText + 100, 'x');
    EXPECT_EQ(platform::journalLine(JournalPriority::Info, longText).size(), platform::kMaxJournalText + 4);
}

TEST(JournalStream, RecordsAreWrittenOnlyWhenStandardErrorIsTheNamedStream)
{
    testing_support::TempFolder folder;
    // Standard error is the stream JOURNAL_STREAM names: the record is written.
    // Standard error elsewhere (a child that inherited the variable only): nothing.
    for (const bool named : {true, false}) {
        const std::string path = folder / (named ? "journal" : "elsewhere");
        const int status = inChild([&] {
            const int fd = ::open(path.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0600);
            const int other = ::open((folder / "other").c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0600);
            ::dup2(fd, STDERR_FILENO);
            ::setenv("JOURNAL_STREAM", streamName(named ? fd : other).c_str(), 1);
            if (platform::stderrIsJournal() != named)
                return 1;
            platform::writeJournal(platform::JournalPriority::Warning, "vynXap.ini holds no [Interface] key");
            return 0;
        });
        ASSERT_EQ(status, 0) << "named " << named;
        EXPECT_EQ(folder.read(named ? "journal" : "elsewhere"),
                  named ? "<4>vynXap.ini holds no [Interface] key\n" : "");
    }
}
