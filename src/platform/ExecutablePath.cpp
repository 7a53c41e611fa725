#include "ExecutablePath.h"

#include <climits>
#include <filesystem>
#include <cstdlib>
#include <string>
#include <sys/stat.h>
#include <unistd.h>

namespace platform {

namespace {

// How the process was started (argv[0], located once at the start of main): a fact of
// the process, not of one running program, so it stays process-wide.
std::string& invocationPath()
{
    static std::string path;
    return path;
}

// True when `path` names the same file as the running executable (so a made-up
// argv[0] is never taken for the program's location).
bool isRunningProgram(const std::string& path)
{
    struct stat candidate {}, self {};
    return ::stat(path.c_str(), &candidate) == 0 && ::stat("/proc/self/exe", &self) == 0 &&
           candidate.st_dev == self.st_dev && candidate.st_ino == self.st_ino;
}

// Removes "." components and empty ones, and applies ".." to the text (links are not
// looked at: the path stays the one the user gave). No trailing "/" is kept.
std::string normalise(const std::string& absolute)
{
    std::string result = std::filesystem::path(absolute).lexically_normal().string();
    while (result.size() > 1 && result.back() == '/')
        result.pop_back();
    return result.empty() ? "/" : result;
}

// The current folder as the shell names it ($PWD, links kept) when that still is the
// current folder, otherwise as the system resolves it.
std::string currentFolder()
{
    if (const char* pwd = std::getenv("PWD"); pwd && pwd[0] == '/') {
        struct stat named {}, current {};
        if (::stat(pwd, &named) == 0 && ::stat(".", &current) == 0 && named.st_dev == current.st_dev &&
            named.st_ino == current.st_ino)
            return pwd;
    }
    char buf[PATH_MAX];
    return ::getcwd(buf, sizeof buf) ? std::string(buf) : std::string();
}

// The path argv[0] stands for: relative to the current folder when it has a "/",
// otherwise found along PATH as the shell did.
std::string locate(const std::string& argv0)
{
    if (argv0.empty())
        return {};
    if (argv0.find('/') != std::string::npos) {
        if (argv0.front() == '/')
            return normalise(argv0);
        const std::string cwd = currentFolder();
        return cwd.empty() ? std::string() : normalise(cwd + "/" + argv0);
    }
    const char* path = std::getenv("PATH");
    if (!path)
        return {};
    const std::string folders(path);
    std::size_t start = 0;
    while (start <= folders.size()) {
        std::size_t colon = folders.find(':', start);
        if (colon == std::string::npos)
            colon = folders.size();
        // An empty entry of PATH is the current folder.
        std::string candidate = colon > start ? folders.substr(start, colon - start) : std::string(".");
        candidate.append("/").append(argv0);
        if (::access(candidate.c_str(), X_OK) == 0 && isRunningProgram(candidate))
            return candidate.front() == '/' ? normalise(candidate) : normalise(currentFolder() + "/" + candidate);
        start = colon + 1;
    }
    return {};
}

} // namespace

void setInvocationPath(std::string_view argv0)
{
    const std::string located = locate(std::string(argv0));
    invocationPath() = !located.empty() && isRunningProgram(located) ? located : std::string();
}

std::string resolvedExecutablePath()
{
    char buf[PATH_MAX];
    const ssize_t n = ::readlink("/proc/self/exe", buf, sizeof buf - 1);
    if (n <= 0)
        return {};
    return std::string(buf, static_cast<std::size_t>(n));
}

std::string executablePath()
{
    return invocationPath().empty() ? resolvedExecutablePath() : invocationPath();
}

std::string executableFolder()
{
    const std::string exe = executablePath();
    const std::size_t slash = exe.rfind('/');
    if (slash == std::string::npos)
        return ".";
    return slash == 0 ? "/" : exe.substr(0, slash);
}

} // namespace platform
