// FileSystemObject ("Scripting.FileSystemObject"): files, folders and text streams.
#pragma once

#include "automation/MemberTable.h"

#include <memory>
#include <random>

namespace vbscript::objects::files {

class FileSystemObject final : public vb::Dispatch<FileSystemObject> {
public:
    static const vb::MemberTable<FileSystemObject>& members();

    // Names and paths as text.
    std::string BuildPath(const std::string& path, const std::string& name);
    std::string GetAbsolutePathName(const std::string& path);
    std::string GetBaseName(const std::string& path);
    std::string GetDriveName(const std::string& path);
    std::string GetExtensionName(const std::string& path);
    std::string GetFileName(const std::string& path);
    std::string GetParentFolderName(const std::string& path);
    std::string GetTempName();
    std::string GetFileVersion(const std::string& path);

    // Existence.
    bool DriveExists(const std::string& drive);
    bool FileExists(const std::string& path);
    bool FolderExists(const std::string& path);

    // Objects: 53 (file) or 76 (folder) when missing; GetDrive 68 for an unknown drive.
    vb::Variant Drives();
    vb::Variant GetDrive(const std::string& drive);
    vb::Variant GetFile(const std::string& path);
    vb::Variant GetFolder(const std::string& path);
    // 0 the system folder, 1 its library folder, 2 the temporary folder.
    vb::Variant GetSpecialFolder(std::int32_t which);

    // Changes. Source names may hold wildcards in their last part; a destination that
    // ends with a separator is a folder to put things in.
    vb::Variant CreateFolder(const std::string& path);
    void CopyFile(const std::string& source, const std::string& destination, vb::Optional<bool> overwrite);
    void CopyFolder(const std::string& source, const std::string& destination, vb::Optional<bool> overwrite);
    void DeleteFile(const std::string& fileSpec, vb::Optional<bool> force);
    void DeleteFolder(const std::string& fileSpec, vb::Optional<bool> force);
    void MoveFile(const std::string& source, const std::string& destination);
    void MoveFolder(const std::string& source, const std::string& destination);

    // Text streams: CreateTextFile(name[, overwrite = False[, unicode = False]]),
    // OpenTextFile(name[, iomode = ForReading (1) | ForWriting (2) | ForAppending (8)
    // [, create = False[, format = TristateFalse]]]).
    vb::Variant CreateTextFile(const std::string& path, vb::Optional<bool> overwrite, vb::Optional<bool> unicode);
    vb::Variant OpenTextFile(const std::string& path, vb::Optional<std::int32_t> mode, vb::Optional<bool> create,
                             vb::Optional<std::int32_t> format);

private:
    // The source of GetTempName's names, seeded on the first call.
    std::unique_ptr<std::mt19937> tempNames_;
};

} // namespace vbscript::objects::files
