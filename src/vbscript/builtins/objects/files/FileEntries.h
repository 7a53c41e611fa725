// What File, Folder and the FileSystemObject share: reading an entry's attributes,
// dates and size, and copying, moving and deleting entries with VBScript's errors.
#pragma once

#include "automation/Variant.h"

#include <cstdint>
#include <filesystem>
#include <string>

namespace vbscript::objects::files {

// File attribute bits as scripts test them.
enum Attribute : std::int32_t {
    Normal = 0,
    ReadOnly = 1,
    Hidden = 2,
    Directory = 16,
    Archive = 32,
    Alias = 1024,
};

std::int32_t attributesOf(const std::filesystem::path& path);
// Only ReadOnly can be changed: it takes away or gives back the owner's write permission.
void setAttributes(const std::filesystem::path& path, std::int32_t attributes);
bool isReadOnly(const std::filesystem::path& path);

// The last modification as a local date. The file system keeps no creation or access
// time that this program reads, so DateCreated and DateLastAccessed report it as well.
vb::Date modifiedDate(const std::filesystem::path& path, int missing);

// A size as scripts get it: a Long when it fits, else a Double.
vb::Variant sizeValue(std::uintmax_t bytes);
// Bytes of every file in a folder and its subfolders.
std::uintmax_t folderSize(const std::filesystem::path& folder);

// The type text Explorer shows: "File folder", or the extension in capitals and " File".
std::string typeText(const std::filesystem::path& path, bool folder);

// Copies one file; an existing target is replaced only with `overwrite` (else 58), a
// folder in the way or a read-only target raises 70.
void copyFile(const std::filesystem::path& from, const std::filesystem::path& to, bool overwrite);
// Copies a folder with everything in it, merging into an existing folder; files already
// there are replaced only with `overwrite`.
void copyFolder(const std::filesystem::path& from, const std::filesystem::path& to, bool overwrite);
// Moves (renames) a file or folder; an existing target raises 58.
void moveEntry(const std::filesystem::path& from, const std::filesystem::path& to, int missing);
// Deletes a file or a folder with its contents; read-only entries need `force` (else 70).
void deleteFile(const std::filesystem::path& path, bool force);
void deleteFolder(const std::filesystem::path& path, bool force);

} // namespace vbscript::objects::files
