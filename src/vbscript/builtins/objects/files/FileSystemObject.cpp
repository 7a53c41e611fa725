#include "FileSystemObject.h"

#include "Drive.h"
#include "DriveCollection.h"
#include "File.h"
#include "FileEntries.h"
#include "FilePaths.h"
#include "Folder.h"
#include "TextStream.h"

#include "vbscript/builtins/objects/ObjectSupport.h"

#include "automation/Error.h"

#include <random>

namespace vbscript::objects::files {

namespace fs = std::filesystem;

namespace {

// The sources a Copy/Move/Delete names: the wildcard matches, or the one path.
std::vector<fs::path> sourcesOf(std::string_view fileSpec, bool folders, int missing)
{
    if (hasWildcards(fileSpec)) {
        std::vector<fs::path> found = expandWildcards(fileSpec, folders);
        if (found.empty())
            vb::raiseError(missing);
        return found;
    }
    const fs::path one = hostPath(fileSpec);
    std::error_code ec;
    const bool exists = folders ? fs::is_directory(one, ec) : fs::is_regular_file(one, ec);
    if (!exists)
        vb::raiseError(missing);
    return {one};
}

// Where each source goes: into the destination folder when there are several sources
// (wildcards) or the destination ends with a separator, else the destination itself.
fs::path targetOf(const fs::path& source, std::string_view destination, bool intoFolder)
{
    const fs::path target = hostPath(destination);
    if (intoFolder || endsWithSeparator(destination)) {
        std::error_code ec;
        if (!fs::is_directory(target, ec))
            vb::raiseError(vb::err::PathNotFound);
        return target / source.filename();
    }
    return target;
}

vb::Variant openStream(const fs::path& path, std::int32_t mode, bool create, std::int32_t format)
{
    if (mode != 1 && mode != 2 && mode != 8)
        vb::raiseError(vb::err::InvalidProcedureCall);
    if (format != 0 && format != -1 && format != -2)
        vb::raiseError(vb::err::InvalidProcedureCall);
    return objectValue(TextStream::open(path, TextStream::Mode(mode), TextStream::Format(format), create));
}

} // namespace

const vb::MemberTable<FileSystemObject>& FileSystemObject::members()
{
    static const vb::MemberTable<FileSystemObject> table("FileSystemObject", {
        vb::method<&FileSystemObject::BuildPath>("BuildPath"),
        vb::method<&FileSystemObject::CopyFile>("CopyFile"),
        vb::method<&FileSystemObject::CopyFolder>("CopyFolder"),
        vb::method<&FileSystemObject::CreateFolder>("CreateFolder"),
        vb::method<&FileSystemObject::CreateTextFile>("CreateTextFile"),
        vb::method<&FileSystemObject::DeleteFile>("DeleteFile"),
        vb::method<&FileSystemObject::DeleteFolder>("DeleteFolder"),
        vb::method<&FileSystemObject::DriveExists>("DriveExists"),
        vb::get<&FileSystemObject::Drives>("Drives"),
        vb::method<&FileSystemObject::FileExists>("FileExists"),
        vb::method<&FileSystemObject::FolderExists>("FolderExists"),
        vb::method<&FileSystemObject::GetAbsolutePathName>("GetAbsolutePathName"),
        vb::method<&FileSystemObject::GetBaseName>("GetBaseName"),
        vb::method<&FileSystemObject::GetDrive>("GetDrive"),
        vb::method<&FileSystemObject::GetDriveName>("GetDriveName"),
        vb::method<&FileSystemObject::GetExtensionName>("GetExtensionName"),
        vb::method<&FileSystemObject::GetFile>("GetFile"),
        vb::method<&FileSystemObject::GetFileName>("GetFileName"),
        vb::method<&FileSystemObject::GetFileVersion>("GetFileVersion"),
        vb::method<&FileSystemObject::GetFolder>("GetFolder"),
        vb::method<&FileSystemObject::GetParentFolderName>("GetParentFolderName"),
        vb::method<&FileSystemObject::GetSpecialFolder>("GetSpecialFolder"),
        vb::method<&FileSystemObject::GetTempName>("GetTempName"),
        vb::method<&FileSystemObject::MoveFile>("MoveFile"),
        vb::method<&FileSystemObject::MoveFolder>("MoveFolder"),
        vb::method<&FileSystemObject::OpenTextFile>("OpenTextFile"),
    });
    return table;
}

std::string FileSystemObject::BuildPath(const std::string& path, const std::string& name)
{
    return joinParts(path, name);
}

std::string FileSystemObject::GetAbsolutePathName(const std::string& path)
{
    return absolutePath(path.empty() ? std::string_view(".") : std::string_view(path));
}

std::string FileSystemObject::GetBaseName(const std::string& path)
{
    return baseNamePart(path);
}

std::string FileSystemObject::GetDriveName(const std::string& path)
{
    return driveNamePart(path);
}

std::string FileSystemObject::GetExtensionName(const std::string& path)
{
    return extensionPart(path);
}

std::string FileSystemObject::GetFileName(const std::string& path)
{
    return fileNamePart(path);
}

std::string FileSystemObject::GetParentFolderName(const std::string& path)
{
    return parentPart(path);
}

std::string FileSystemObject::GetTempName()
{
    static constexpr char kDigits[] = "0123456789ABCDEF";
    if (!tempNames_)
        tempNames_ = std::make_unique<std::mt19937>(std::random_device{}());
    std::string name = "rad";
    for (int i = 0; i < 5; ++i)
        name += kDigits[(*tempNames_)() % 16];
    return name + ".tmp";
}

std::string FileSystemObject::GetFileVersion(const std::string&)
{
    return {}; // files here carry no version resource
}

bool FileSystemObject::DriveExists(const std::string& drive)
{
    return namesTheDrive(drive);
}

bool FileSystemObject::FileExists(const std::string& path)
{
    std::error_code ec;
    return !path.empty() && fs::is_regular_file(hostPath(path), ec);
}

bool FileSystemObject::FolderExists(const std::string& path)
{
    std::error_code ec;
    return !path.empty() && fs::is_directory(hostPath(path), ec);
}

vb::Variant FileSystemObject::Drives()
{
    return objectValue(vb::make<DriveCollection>());
}

vb::Variant FileSystemObject::GetDrive(const std::string& drive)
{
    return DriveCollection().Item(drive);
}

vb::Variant FileSystemObject::GetFile(const std::string& path)
{
    if (!FileExists(path))
        vb::raiseError(vb::err::FileNotFound);
    return fileObject(absolutePath(path));
}

vb::Variant FileSystemObject::GetFolder(const std::string& path)
{
    if (!FolderExists(path))
        vb::raiseError(vb::err::PathNotFound);
    return folderObject(absolutePath(path));
}

vb::Variant FileSystemObject::GetSpecialFolder(std::int32_t which)
{
    switch (which) {
    case 0: return folderObject("/usr");
    case 1: return folderObject("/usr/lib");
    case 2: {
        std::error_code ec;
        const fs::path temp = fs::temp_directory_path(ec);
        return folderObject(ec ? fs::path("/tmp") : fs::path(absoluteHostPath(temp)));
    }
    default: vb::raiseError(vb::err::InvalidProcedureCall);
    }
}

vb::Variant FileSystemObject::CreateFolder(const std::string& path)
{
    const fs::path target = hostPath(path);
    std::error_code ec;
    if (fs::exists(target, ec))
        vb::raiseError(vb::err::FileAlreadyExists);
    fs::create_directory(target, ec);
    if (ec)
        raiseFileError(ec, vb::err::PathNotFound);
    return folderObject(absoluteHostPath(target));
}

void FileSystemObject::CopyFile(const std::string& source, const std::string& destination, vb::Optional<bool> overwrite)
{
    const bool many = hasWildcards(source);
    for (const fs::path& from : sourcesOf(source, false, vb::err::FileNotFound))
        copyFile(from, targetOf(from, destination, many), overwrite.value_or(true));
}

void FileSystemObject::CopyFolder(const std::string& source, const std::string& destination, vb::Optional<bool> overwrite)
{
    const bool many = hasWildcards(source);
    for (const fs::path& from : sourcesOf(source, true, vb::err::PathNotFound))
        copyFolder(from, targetOf(from, destination, many), overwrite.value_or(true));
}

void FileSystemObject::DeleteFile(const std::string& fileSpec, vb::Optional<bool> force)
{
    for (const fs::path& path : sourcesOf(fileSpec, false, vb::err::FileNotFound))
        deleteFile(path, force.value_or(false));
}

void FileSystemObject::DeleteFolder(const std::string& fileSpec, vb::Optional<bool> force)
{
    for (const fs::path& path : sourcesOf(fileSpec, true, vb::err::PathNotFound))
        deleteFolder(path, force.value_or(false));
}

void FileSystemObject::MoveFile(const std::string& source, const std::string& destination)
{
    const bool many = hasWildcards(source);
    for (const fs::path& from : sourcesOf(source, false, vb::err::FileNotFound))
        moveEntry(from, targetOf(from, destination, many), vb::err::FileNotFound);
}

void FileSystemObject::MoveFolder(const std::string& source, const std::string& destination)
{
    const bool many = hasWildcards(source);
    for (const fs::path& from : sourcesOf(source, true, vb::err::PathNotFound))
        moveEntry(from, targetOf(from, destination, many), vb::err::PathNotFound);
}

vb::Variant FileSystemObject::CreateTextFile(const std::string& path, vb::Optional<bool> overwrite, vb::Optional<bool> unicode)
{
    const fs::path target = hostPath(path);
    std::error_code ec;
    if (fs::exists(target, ec) && !fs::is_directory(target, ec) && !overwrite.value_or(false))
        vb::raiseError(vb::err::FileAlreadyExists);
    return openStream(target, 2, true, unicode.value_or(false) ? -1 : 0);
}

vb::Variant FileSystemObject::OpenTextFile(const std::string& path, vb::Optional<std::int32_t> mode, vb::Optional<bool> create,
                                           vb::Optional<std::int32_t> format)
{
    return openStream(hostPath(path), mode.value_or(1), create.value_or(false), format.value_or(0));
}

} // namespace vbscript::objects::files
