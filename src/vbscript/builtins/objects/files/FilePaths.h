// Paths for the FileSystemObject family.
//
// Scripts name files the Windows way ("C:\Data\x.txt", "..\x") or the POSIX way; both
// reach the same file here: backslashes are separators, a drive letter names the root,
// and each component is matched without regard to case. Objects report absolute POSIX
// paths. The text helpers (GetFileName, GetParentFolderName, ...) work on the text as
// given and accept both separators.
#pragma once

#include <filesystem>
#include <string>
#include <string_view>
#include <system_error>
#include <vector>

namespace vbscript::objects::files {

// The file-system path a script path names (case resolved, still relative when given so).
std::filesystem::path hostPath(std::string_view scriptPath);
// The absolute, normalised form ("/a/b", no trailing separator except for the root).
std::string absolutePath(std::string_view scriptPath);
std::string absoluteHostPath(const std::filesystem::path& path);

bool isSeparator(char c);
// True when the text ends with a path separator ("dest\" names a folder).
bool endsWithSeparator(std::string_view path);

// Text helpers with the FileSystemObject's rules.
std::string fileNamePart(std::string_view path);   // "c:\a\b.txt" -> "b.txt"
std::string parentPart(std::string_view path);     // "c:\a\b.txt" -> "c:\a"
std::string baseNamePart(std::string_view path);   // "b"
std::string extensionPart(std::string_view path);  // "txt"
std::string driveNamePart(std::string_view path);  // "c:", "\\server\share" or ""
std::string joinParts(std::string_view folder, std::string_view name);

// "*" and "?" in the last component, matched without regard to case.
bool hasWildcards(std::string_view path);
bool wildcardMatch(std::string_view pattern, std::string_view name);
// Entries of the folder named by the path's parent whose names match its last
// component; only files or only folders.
std::vector<std::filesystem::path> expandWildcards(std::string_view scriptPath, bool folders);

// Raises the VBScript error for a failed file operation: `missing` (53 File not found
// or 76 Path not found) when the entry does not exist, 58 when it does already, 70
// "Permission denied", 61 "Disk full", otherwise 75 "Path/File access error".
[[noreturn]] void raiseFileError(const std::error_code& error, int missing);

} // namespace vbscript::objects::files
