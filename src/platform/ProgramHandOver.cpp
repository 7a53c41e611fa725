#include "ProgramHandOver.h"

#include <cerrno>
#include <cstdio>
#include <cstring>
#include <unistd.h>

namespace platform {

bool isExecutableFile(const std::string& path)
{
    return ::access(path.c_str(), X_OK) == 0;
}

std::string runInstead(const std::string& path, char* const argv[])
{
    std::fflush(nullptr);
    ::execv(path.c_str(), argv);
    return std::strerror(errno);
}

} // namespace platform
