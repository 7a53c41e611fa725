// InstanceLock: an exclusive lock on a file, held for the life of the object, so that
// one program at a time runs in a base folder. The lock is an flock on an open file:
// the system releases it when the process ends however it ends, and programs started
// from this one do not inherit it.
#pragma once

#include <memory>
#include <string>

namespace platform {

class InstanceLock {
public:
    // Creates the file when missing and locks it without waiting. Null when another
    // process holds the lock (`busy` true) or the file cannot be opened (`error`).
    static std::unique_ptr<InstanceLock> acquire(const std::string& path, bool& busy, std::string& error);
    ~InstanceLock();
    InstanceLock(const InstanceLock&) = delete;
    InstanceLock& operator=(const InstanceLock&) = delete;

private:
    explicit InstanceLock(int fd) : fd_(fd) { }
    int fd_;
};

} // namespace platform
