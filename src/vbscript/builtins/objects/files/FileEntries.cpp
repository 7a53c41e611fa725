#include "FileEntries.h"

#include "FilePaths.h"

#include "vbscript/base/LocalClock.h"

#include "automation/Error.h"
#include "automation/TextCompare.h"

#include <chrono>

namespace vbscript::objects::files {

namespace fs = std::filesystem;

std::int32_t attributesOf(const fs::path& path)
{
    std::error_code ec;
    const fs::file_status st = fs::status(path, ec);
    if (ec)
        raiseFileError(ec, vb::err::FileNotFound);
    std::int32_t attributes = fs::is_directory(st) ? Directory : Archive;
    if ((st.permissions() & fs::perms::owner_write) == fs::perms::none)
        attributes |= ReadOnly;
    const std::string name = path.filename().string();
    if (name.size() > 1 && name[0] == '.' && name != "..")
        attributes |= Hidden;
    if (fs::is_symlink(fs::symlink_status(path, ec)))
        attributes |= Alias;
    return attributes;
}

bool isReadOnly(const fs::path& path)
{
    return (attributesOf(path) & ReadOnly) != 0;
}

void setAttributes(const fs::path& path, std::int32_t attributes)
{
    std::error_code ec;
    const fs::perm_options how = (attributes & ReadOnly) ? fs::perm_options::remove : fs::perm_options::add;
    fs::permissions(path, fs::perms::owner_write, how, ec);
    if (ec)
        raiseFileError(ec, vb::err::FileNotFound);
}

vb::Date modifiedDate(const fs::path& path, int missing)
{
    std::error_code ec;
    const fs::file_time_type when = fs::last_write_time(path, ec);
    if (ec)
        raiseFileError(ec, missing);
    const auto system = std::chrono::time_point_cast<std::chrono::system_clock::duration>(std::chrono::file_clock::to_sys(when));
    return builtins::localDate(system);
}

vb::Variant sizeValue(std::uintmax_t bytes)
{
    if (bytes <= static_cast<std::uintmax_t>(INT32_MAX))
        return static_cast<std::int32_t>(bytes);
    return static_cast<double>(bytes);
}

std::uintmax_t folderSize(const fs::path& folder)
{
    std::uintmax_t total = 0;
    std::error_code ec;
    for (fs::recursive_directory_iterator it(folder, ec), end; !ec && it != end; it.increment(ec)) {
        std::error_code sizeError;
        if (it->is_regular_file(sizeError)) {
            const std::uintmax_t size = it->file_size(sizeError);
            if (!sizeError)
                total += size;
        }
    }
    if (ec)
        raiseFileError(ec, vb::err::PathNotFound);
    return total;
}

std::string typeText(const fs::path& path, bool folder)
{
    if (folder)
        return "File folder";
    std::string extension = path.extension().string();
    if (extension.size() <= 1)
        return "File";
    return vb::upperCase(extension.substr(1)) + " File";
}

void copyFile(const fs::path& from, const fs::path& to, bool overwrite)
{
    std::error_code ec;
    if (!fs::is_regular_file(from, ec))
        vb::raiseError(vb::err::FileNotFound);
    const fs::file_status target = fs::status(to, ec);
    if (fs::is_directory(target))
        vb::raiseError(vb::err::PermissionDenied);
    if (fs::exists(target)) {
        if (!overwrite)
            vb::raiseError(vb::err::FileAlreadyExists);
        if (isReadOnly(to))
            vb::raiseError(vb::err::PermissionDenied);
    }
    fs::copy_file(from, to, fs::copy_options::overwrite_existing, ec);
    if (ec)
        raiseFileError(ec, vb::err::PathNotFound);
}

void copyFolder(const fs::path& from, const fs::path& to, bool overwrite)
{
    std::error_code ec;
    if (!fs::is_directory(from, ec))
        vb::raiseError(vb::err::PathNotFound);
    const fs::file_status target = fs::status(to, ec);
    if (fs::exists(target) && !fs::is_directory(target))
        vb::raiseError(vb::err::FileAlreadyExists);
    if (!fs::exists(target)) {
        fs::create_directory(to, ec);
        if (ec)
            raiseFileError(ec, vb::err::PathNotFound);
    }
    for (fs::directory_iterator it(from, ec), end; !ec && it != end; it.increment(ec)) {
        const fs::path dest = to / it->path().filename();
        std::error_code typeError;
        if (it->is_directory(typeError))
            copyFolder(it->path(), dest, overwrite);
        else
            copyFile(it->path(), dest, overwrite);
    }
    if (ec)
        raiseFileError(ec, vb::err::PathNotFound);
}

void moveEntry(const fs::path& from, const fs::path& to, int missing)
{
    std::error_code ec;
    if (!fs::exists(fs::symlink_status(from, ec)))
        vb::raiseError(missing);
    if (fs::exists(fs::symlink_status(to, ec)))
        vb::raiseError(vb::err::FileAlreadyExists);
    fs::rename(from, to, ec);
    if (ec == std::errc::cross_device_link) {
        // Another file system: copy, then remove the original.
        if (fs::is_directory(from))
            copyFolder(from, to, false);
        else
            copyFile(from, to, false);
        ec.clear();
        fs::remove_all(from, ec);
    }
    if (ec)
        raiseFileError(ec, vb::err::PathNotFound);
}

void deleteFile(const fs::path& path, bool force)
{
    std::error_code ec;
    if (!fs::is_regular_file(path, ec) && !fs::is_symlink(fs::symlink_status(path, ec)))
        vb::raiseError(vb::err::FileNotFound);
    if (!force && isReadOnly(path))
        vb::raiseError(vb::err::PermissionDenied);
    fs::remove(path, ec);
    if (ec)
        raiseFileError(ec, vb::err::FileNotFound);
}

void deleteFolder(const fs::path& path, bool force)
{
    std::error_code ec;
    if (!fs::is_directory(path, ec))
        vb::raiseError(vb::err::PathNotFound);
    if (!force) {
        for (fs::recursive_directory_iterator it(path, ec), end; !ec && it != end; it.increment(ec)) {
            if (isReadOnly(it->path()))
                vb::raiseError(vb::err::PermissionDenied);
        }
    }
    fs::remove_all(path, ec);
    if (ec)
        raiseFileError(ec, vb::err::PathNotFound);
}

} // namespace vbscript::objects::files
