// File-system services for the rest of the program.
//
// The program names files and folders the way its Windows origins did ("\config\",
// "settings.ini"); these helpers map such names onto POSIX paths and resolve each
// component case-insensitively inside its folder, so that "Config" and "config" reach
// the same folder and a missing file is created under the name the caller gave.
#pragma once

#include "ExecutablePath.h"

#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace platform {

// "c:\a\b" -> "/a/b"; "\\server\share\x" -> "//server/share/x"; "a\b" -> "a/b".
std::string toPosixPath(std::string_view path);

// Joins a folder and a relative name with one "/".
std::string joinPath(std::string_view folder, std::string_view name);

// Resolves every component of `path` that does not exist as spelled to an existing
// entry whose name differs only in letter case; components with no match keep the
// caller's spelling. Backslashes are read as separators.
std::string resolvePath(std::string_view path);

bool fileExists(const std::string& path);   // resolves case first
bool folderExists(const std::string& path); // resolves case first
// Creates one folder (not its parents); false when it cannot.
bool createFolder(const std::string& path);

// Whole file as bytes; nothing when it cannot be read.
std::optional<std::string> readFile(const std::string& path);
// Appends bytes, creating the file when missing; false on failure.
bool appendToFile(const std::string& path, std::string_view bytes);
// Writes the whole content to a temporary file in the same folder and renames it over
// `path`, so a crash or a full disk never leaves a truncated file. Throws vb::Error 75
// (or 61 for a full disk) on failure.
void writeFileAtomically(const std::string& path, std::string_view bytes);
// Copies a file over `to`; throws vb::Error on failure.
void copyFile(const std::string& from, const std::string& to);

// Names of the entries of a folder (files only when filesOnly), unsorted.
std::vector<std::string> listFolder(const std::string& folder, bool filesOnly = true);

// The machine's host name as the system reports it.
std::string hostName();

} // namespace platform
