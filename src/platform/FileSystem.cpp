#include "FileSystem.h"

#include "automation/Error.h"
#include "automation/TextCompare.h"

#include <cctype>
#include <cerrno>
#include <climits>
#include <cstdio>
#include <dirent.h>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace platform {

namespace {

bool exists(const std::string& path, bool wantFolder)
{
    struct stat st{};
    if (::stat(path.c_str(), &st) != 0)
        return false;
    return wantFolder ? S_ISDIR(st.st_mode) : S_ISREG(st.st_mode);
}

bool anyEntry(const std::string& path)
{
    struct stat st{};
    return ::stat(path.c_str(), &st) == 0;
}

std::optional<std::string> matchInFolder(const std::string& folder, std::string_view name)
{
    DIR* dir = ::opendir(folder.empty() ? "." : folder.c_str());
    if (!dir)
        return std::nullopt;
    std::optional<std::string> found;
    while (dirent* e = ::readdir(dir)) {
        if (vb::equalsIgnoreCase(e->d_name, name)) {
            found = e->d_name;
            break;
        }
    }
    ::closedir(dir);
    return found;
}

[[noreturn]] void raiseIoError(int error, const std::string& path)
{
    const std::int32_t number = error == ENOSPC ? vb::err::DiskFull
        : error == EACCES || error == EPERM     ? vb::err::PermissionDenied
        : error == ENOENT                       ? vb::err::PathNotFound
                                                : vb::err::PathFileAccessError;
    throw vb::Error(number, std::string(vb::describe(number)) + ": " + path);
}

} // namespace

std::string toPosixPath(std::string_view path)
{
    std::string out(path);
    for (char& c : out) {
        if (c == '\\')
            c = '/';
    }
    // A drive letter names the root of the one file system.
    if (out.size() >= 2 && out[1] == ':' && std::isalpha(static_cast<unsigned char>(out[0])))
        out.erase(0, 2);
    return out;
}

std::string joinPath(std::string_view folder, std::string_view name)
{
    std::string out(folder);
    while (!out.empty() && out.back() == '/' && out.size() > 1)
        out.pop_back();
    std::string_view rest = name;
    while (!rest.empty() && rest.front() == '/')
        rest.remove_prefix(1);
    if (!out.empty() && out.back() != '/')
        out += '/';
    out += rest;
    return out;
}

std::string resolvePath(std::string_view path)
{
    const std::string posix = toPosixPath(path);
    if (anyEntry(posix))
        return posix;
    std::string resolved;
    std::size_t start = 0;
    if (!posix.empty() && posix[0] == '/') {
        resolved = "/";
        start = 1;
    }
    bool missing = false;
    while (start <= posix.size()) {
        std::size_t end = posix.find('/', start);
        if (end == std::string::npos)
            end = posix.size();
        const std::string part = posix.substr(start, end - start);
        if (!part.empty()) {
            std::string candidate = resolved.empty() || resolved.back() == '/' ? resolved + part : resolved + "/" + part;
            if (!missing && !anyEntry(candidate) && part != "." && part != "..") {
                if (auto match = matchInFolder(resolved.empty() ? "." : resolved, part))
                    candidate = resolved.empty() || resolved.back() == '/' ? resolved + *match : resolved + "/" + *match;
                else
                    missing = true;
            }
            resolved = candidate;
        }
        start = end + 1;
    }
    return resolved;
}

bool fileExists(const std::string& path)
{
    return exists(resolvePath(path), false);
}

bool folderExists(const std::string& path)
{
    return exists(resolvePath(path), true);
}

bool createFolder(const std::string& path)
{
    return ::mkdir(path.c_str(), 0777) == 0 || (errno == EEXIST && exists(path, true));
}

std::optional<std::string> readFile(const std::string& path)
{
    FILE* f = std::fopen(resolvePath(path).c_str(), "rb");
    if (!f)
        return std::nullopt;
    std::string content;
    char buf[65536];
    std::size_t n;
    while ((n = std::fread(buf, 1, sizeof buf, f)) > 0)
        content.append(buf, n);
    const bool failed = std::ferror(f);
    std::fclose(f);
    if (failed)
        return std::nullopt;
    return content;
}

bool appendToFile(const std::string& path, std::string_view bytes)
{
    const int fd = ::open(resolvePath(path).c_str(), O_WRONLY | O_CREAT | O_APPEND | O_CLOEXEC, 0666);
    if (fd < 0)
        return false;
    bool ok = true;
    std::size_t done = 0;
    while (done < bytes.size()) {
        const ssize_t w = ::write(fd, bytes.data() + done, bytes.size() - done);
        if (w <= 0) {
            ok = false;
            break;
        }
        done += static_cast<std::size_t>(w);
    }
    return ::close(fd) == 0 && ok;
}

void writeFileAtomically(const std::string& path, std::string_view bytes)
{
    const std::string target = resolvePath(path);
    std::string temp = target + ".tmp~XXXXXX";
    const int fd = ::mkstemp(temp.data());
    if (fd < 0)
        raiseIoError(errno, target);
    std::size_t done = 0;
    while (done < bytes.size()) {
        const ssize_t w = ::write(fd, bytes.data() + done, bytes.size() - done);
        if (w <= 0) {
            const int e = w < 0 ? errno : ENOSPC;
            ::close(fd);
            ::unlink(temp.c_str());
            raiseIoError(e, target);
        }
        done += static_cast<std::size_t>(w);
    }
    ::fchmod(fd, 0644);
    if (::fsync(fd) != 0 || ::close(fd) != 0) {
        const int e = errno;
        ::unlink(temp.c_str());
        raiseIoError(e, target);
    }
    if (::rename(temp.c_str(), target.c_str()) != 0) {
        const int e = errno;
        ::unlink(temp.c_str());
        raiseIoError(e, target);
    }
}

void copyFile(const std::string& from, const std::string& to)
{
    auto content = readFile(from);
    if (!content)
        raiseIoError(errno ? errno : ENOENT, from);
    const std::string target = resolvePath(to);
    FILE* f = std::fopen(target.c_str(), "wb");
    if (!f)
        raiseIoError(errno, target);
    const bool ok = std::fwrite(content->data(), 1, content->size(), f) == content->size();
    if (std::fclose(f) != 0 || !ok)
        raiseIoError(errno ? errno : ENOSPC, target);
}

std::vector<std::string> listFolder(const std::string& folder, bool filesOnly)
{
    std::vector<std::string> names;
    const std::string resolved = resolvePath(folder);
    DIR* dir = ::opendir(resolved.c_str());
    if (!dir)
        return names;
    while (dirent* e = ::readdir(dir)) {
        const std::string name = e->d_name;
        if (name == "." || name == "..")
            continue;
        if (filesOnly && !exists(joinPath(resolved, name), false))
            continue;
        names.push_back(name);
    }
    ::closedir(dir);
    return names;
}

std::string hostName()
{
    char buf[256] = {};
    if (::gethostname(buf, sizeof buf - 1) != 0)
        return {};
    return buf;
}

} // namespace platform
