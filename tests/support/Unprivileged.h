// For the life of the object, file access from this thread is checked as the user
// "nobody" (setfsuid), so that a file of mode 0000 cannot be read even when the tests
// run as root. available() is false when the process cannot switch (not root).
#pragma once

#include <sys/fsuid.h>
#include <unistd.h>

namespace testing_support {

class Unprivileged {
public:
    static bool available() { return ::geteuid() == 0; }
    Unprivileged() : previous_(::setfsuid(kNobody)) { }
    ~Unprivileged() { ::setfsuid(previous_); }
    Unprivileged(const Unprivileged&) = delete;
    Unprivileged& operator=(const Unprivileged&) = delete;

private:
    static constexpr uid_t kNobody = 65534;
    int previous_;
};

} // namespace testing_support
