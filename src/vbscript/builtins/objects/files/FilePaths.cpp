#include "FilePaths.h"

#include "platform/FileSystem.h"
#include "vbscript/base/RunningContext.h"

#include "automation/Error.h"
#include "automation/TextCompare.h"

#include <cctype>

namespace vbscript::objects::files {

namespace fs = std::filesystem;

namespace {

std::string_view withoutTrailingSeparators(std::string_view path)
{
    while (path.size() > 1 && isSeparator(path.back()) && !(path.size() == 3 && path[1] == ':'))
        path.remove_suffix(1);
    return path;
}

std::size_t lastSeparator(std::string_view path)
{
    const std::size_t slash = path.find_last_of("/\\");
    const std::size_t colon = path.size() >= 2 && path[1] == ':' ? 1 : std::string_view::npos;
    if (slash == std::string_view::npos)
        return colon;
    return slash;
}

} // namespace

fs::path hostPath(std::string_view scriptPath)
{
    // The host's base folder keeps its spelling in paths the running script builds from it.
    BuiltinContext* context = runningContext();
    const std::string_view verbatim = context ? std::string_view(context->library().verbatimFolder()) : std::string_view();
    return fs::path(platform::resolvePath(platform::toPosixPath(scriptPath, verbatim)));
}

std::string absoluteHostPath(const fs::path& path)
{
    std::error_code ec;
    fs::path full = fs::absolute(path, ec);
    if (ec)
        full = path;
    std::string out = full.lexically_normal().string();
    while (out.size() > 1 && out.back() == '/')
        out.pop_back();
    return out;
}

std::string absolutePath(std::string_view scriptPath)
{
    return absoluteHostPath(hostPath(scriptPath));
}

bool isSeparator(char c)
{
    return c == '/' || c == '\\';
}

bool endsWithSeparator(std::string_view path)
{
    return !path.empty() && isSeparator(path.back());
}

std::string fileNamePart(std::string_view path)
{
    path = withoutTrailingSeparators(path);
    if (path.size() == 1 && isSeparator(path[0]))
        return {};
    const std::size_t sep = lastSeparator(path);
    return std::string(sep == std::string_view::npos ? path : path.substr(sep + 1));
}

std::string parentPart(std::string_view path)
{
    path = withoutTrailingSeparators(path);
    const std::size_t sep = lastSeparator(path);
    if (sep == std::string_view::npos || path.size() == 1)
        return {};
    // The root keeps its separator: "c:\a" -> "c:\", "/a" -> "/".
    if (sep == 0 || (sep == 2 && path[1] == ':'))
        return std::string(path.substr(0, sep + 1));
    if (sep == 1 && path[1] == ':')
        return std::string(path.substr(0, 2));
    std::string_view parent = path.substr(0, sep);
    while (parent.size() > 1 && isSeparator(parent.back()))
        parent.remove_suffix(1);
    return std::string(parent);
}

std::string baseNamePart(std::string_view path)
{
    const std::string name = fileNamePart(path);
    const std::size_t dot = name.rfind('.');
    return dot == std::string::npos ? name : name.substr(0, dot);
}

std::string extensionPart(std::string_view path)
{
    const std::string name = fileNamePart(path);
    const std::size_t dot = name.rfind('.');
    return dot == std::string::npos ? std::string() : name.substr(dot + 1);
}

std::string driveNamePart(std::string_view path)
{
    if (path.size() >= 2 && path[1] == ':' && std::isalpha(static_cast<unsigned char>(path[0])))
        return std::string(path.substr(0, 2));
    if (path.size() > 2 && isSeparator(path[0]) && isSeparator(path[1])) {
        // "\\server\share\..." -> "\\server\share"
        std::size_t end = path.find_first_of("/\\", 2);
        if (end != std::string_view::npos)
            end = path.find_first_of("/\\", end + 1);
        return std::string(path.substr(0, end));
    }
    return {};
}

std::string joinParts(std::string_view folder, std::string_view name)
{
    if (folder.empty())
        return std::string(name);
    while (!name.empty() && isSeparator(name.front()))
        name.remove_prefix(1);
    // Keep the separator style the folder already uses.
    const char sep = folder.find('\\') != std::string_view::npos && folder.find('/') == std::string_view::npos ? '\\' : '/';
    std::string out(folder);
    if (!isSeparator(out.back()) && !(out.size() == 2 && out[1] == ':'))
        out += sep;
    out += name;
    return out;
}

bool hasWildcards(std::string_view path)
{
    return fileNamePart(path).find_first_of("*?") != std::string::npos;
}

bool wildcardMatch(std::string_view pattern, std::string_view name)
{
    // Iterative matcher with one backtrack point for the last "*".
    std::size_t p = 0, n = 0, star = std::string_view::npos, mark = 0;
    while (n < name.size()) {
        if (p < pattern.size() && (pattern[p] == '?' || vb::asciiLower(pattern[p]) == vb::asciiLower(name[n]))) {
            ++p;
            ++n;
        } else if (p < pattern.size() && pattern[p] == '*') {
            star = p++;
            mark = n;
        } else if (star != std::string_view::npos) {
            p = star + 1;
            n = ++mark;
        } else {
            return false;
        }
    }
    while (p < pattern.size() && pattern[p] == '*')
        ++p;
    return p == pattern.size();
}

std::vector<fs::path> expandWildcards(std::string_view scriptPath, bool folders)
{
    const std::string pattern = fileNamePart(scriptPath);
    std::string parent = parentPart(scriptPath);
    const fs::path folder = parent.empty() ? fs::path(".") : hostPath(parent);
    std::vector<fs::path> found;
    std::error_code ec;
    for (fs::directory_iterator it(folder, ec), end; !ec && it != end; it.increment(ec)) {
        std::error_code typeError;
        const bool isFolder = it->is_directory(typeError);
        if (isFolder == folders && wildcardMatch(pattern, it->path().filename().string()))
            found.push_back(it->path());
    }
    return found;
}

void raiseFileError(const std::error_code& error, int missing)
{
    int number = vb::err::PathFileAccessError;
    if (error == std::errc::no_such_file_or_directory || error == std::errc::not_a_directory)
        number = missing;
    else if (error == std::errc::file_exists || error == std::errc::directory_not_empty)
        number = vb::err::FileAlreadyExists;
    else if (error == std::errc::permission_denied || error == std::errc::operation_not_permitted
             || error == std::errc::read_only_file_system || error == std::errc::is_a_directory)
        number = vb::err::PermissionDenied;
    else if (error == std::errc::no_space_on_device)
        number = vb::err::DiskFull;
    vb::raiseError(number);
}

} // namespace vbscript::objects::files
