#include "FileSystem.h"

#include "automation/Error.h"
#include "automation/TextCompare.h"

#include <algorithm>
#include <cctype>
#include <cerrno>
#include <climits>
#include <cstdio>
#include <cstring>
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

// The error of a failed file operation. The description says why in words a user can
// act on: a full disk (or quota), permission, a read-only file system; other causes
// add the system's own text to "Path/File access error".
[[noreturn]] void raiseIoError(int error, const std::string& path)
{
    const std::int32_t number = error == ENOSPC || error == EDQUOT ? vb::err::DiskFull
        : error == EACCES || error == EPERM                        ? vb::err::PermissionDenied
        : error == ENOENT                                          ? vb::err::PathNotFound
                                                                   : vb::err::PathFileAccessError;
    std::string description(vb::describe(number));
    if (error == EROFS)
        description += " (read-only file system)";
    else if (error == EDQUOT)
        description += " (disk quota exceeded)";
    else if (number == vb::err::PathFileAccessError)
        description += std::string(" (") + std::strerror(error) + ")";
    throw vb::Error(number, description + ": " + path);
}

// Length of `verbatimFolder` when `path` begins with it (followed by a separator or the
// end); 0 otherwise.
std::size_t verbatimPrefix(std::string_view path, std::string_view verbatimFolder)
{
    while (verbatimFolder.size() > 1 && verbatimFolder.back() == '/')
        verbatimFolder.remove_suffix(1);
    const std::size_t size = verbatimFolder.size();
    if (size == 0 || path.substr(0, size) != verbatimFolder)
        return 0;
    return path.size() == size || path[size] == '\\' || path[size] == '/' ? size : 0;
}

} // namespace

std::string toPosixPath(std::string_view path, std::string_view verbatimFolder)
{
    const std::size_t keep = verbatimPrefix(path, verbatimFolder);
    std::string out(path);
    for (std::size_t i = keep; i < out.size(); ++i) {
        if (out[i] == '\\')
            out[i] = '/';
    }
    // A drive letter names the root of the one file system.
    if (keep == 0 && out.size() >= 2 && out[1] == ':' && std::isalpha(static_cast<unsigned char>(out[0])))
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
    const std::string posix(path);
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

std::optional<std::string> readFileIfExists(const std::string& path)
{
    const std::string resolved = resolvePath(path);
    struct stat st{};
    if (::stat(resolved.c_str(), &st) != 0) {
        // Only a file that is not there is missing; one that cannot be reached is an error.
        if (errno == ENOENT || errno == ENOTDIR)
            return std::nullopt;
        raiseIoError(errno, resolved);
    }
    const int fd = ::open(resolved.c_str(), O_RDONLY | O_CLOEXEC);
    if (fd < 0)
        raiseIoError(errno, resolved);
    std::string content;
    char buf[65536];
    while (true) {
        const ssize_t n = ::read(fd, buf, sizeof buf);
        if (n < 0) {
            const int e = errno;
            ::close(fd);
            raiseIoError(e, resolved);
        }
        if (n == 0)
            break;
        content.append(buf, static_cast<std::size_t>(n));
    }
    ::close(fd);
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

namespace {

// The file a path finally names: symbolic links followed (relative ones from the
// folder of the link), even when the last one leads nowhere yet.
std::string followLinks(std::string path)
{
    for (int hops = 0; hops < 40; ++hops) {
        struct stat st{};
        if (::lstat(path.c_str(), &st) != 0 || !S_ISLNK(st.st_mode))
            return path;
        char buf[PATH_MAX];
        const ssize_t n = ::readlink(path.c_str(), buf, sizeof buf - 1);
        if (n <= 0)
            return path;
        std::string target(buf, static_cast<std::size_t>(n));
        if (target.front() != '/') {
            const std::size_t slash = path.rfind('/');
            target = slash == std::string::npos ? target : path.substr(0, slash + 1) + target;
        }
        path = std::move(target);
    }
    return path;
}

// Removes what an interrupted write of `target` left: target + ".tmp~" + six characters.
void removeStaleTemporaries(const std::string& target)
{
    const std::size_t slash = target.rfind('/');
    const std::string folder = slash == std::string::npos ? "." : (slash == 0 ? "/" : target.substr(0, slash));
    const std::string stem = (slash == std::string::npos ? target : target.substr(slash + 1)) + ".tmp~";
    DIR* dir = ::opendir(folder.c_str());
    if (!dir)
        return;
    std::vector<std::string> stale;
    while (dirent* e = ::readdir(dir)) {
        const std::string_view name = e->d_name;
        if (name.size() == stem.size() + 6 && name.substr(0, stem.size()) == stem)
            stale.emplace_back(name);
    }
    ::closedir(dir);
    for (const std::string& name : stale)
        ::unlink(joinPath(folder, name).c_str());
}

} // namespace

void writeFileAtomically(const std::string& path, std::string_view bytes, const std::string& identityOf)
{
    const std::string target = followLinks(resolvePath(path));
    removeStaleTemporaries(target);
    std::string temp = target + ".tmp~XXXXXX";
    const int fd = ::mkstemp(temp.data());
    if (fd < 0)
        raiseIoError(errno, target);
    auto fail = [&](int e) {
        ::close(fd);
        ::unlink(temp.c_str());
        raiseIoError(e, target);
    };
    std::size_t done = 0;
    while (done < bytes.size()) {
        const ssize_t w = ::write(fd, bytes.data() + done, bytes.size() - done);
        if (w <= 0)
            fail(w < 0 ? errno : ENOSPC);
        done += static_cast<std::size_t>(w);
    }
    // The old file's identity: mode always, owner and group where permitted.
    struct stat old{};
    const std::string model = identityOf.empty() ? target : followLinks(resolvePath(identityOf));
    if (::stat(model.c_str(), &old) == 0 && S_ISREG(old.st_mode)) {
        ::fchmod(fd, old.st_mode & 07777);
        if (::fchown(fd, old.st_uid, old.st_gid) != 0 && ::fchown(fd, static_cast<uid_t>(-1), old.st_gid) != 0) {
            // Not permitted: the file keeps the writer's owner and group.
        }
        ::fchmod(fd, old.st_mode & 07777); // a change of owner clears set-id bits
    } else {
        ::fchmod(fd, 0644);
    }
    if (::fsync(fd) != 0)
        fail(errno);
    if (::close(fd) != 0) {
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
