// File-system services for the rest of the program.
//
// Scripts and plug-ins name files and folders the way their Windows origins did
// ("\config\", "settings.ini"); toPosixPath maps such names onto POSIX paths, and every
// access resolves each component case-insensitively inside its folder, so that "Config"
// and "config" reach the same folder and a missing file is created under the name the
// caller gave. Paths the program builds itself are POSIX paths and are never converted.
#pragma once

#include "ExecutablePath.h"

#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace platform {

// A path in the Windows form that scripts and plug-ins hand the host, as a POSIX path:
// "c:\a\b" -> "/a/b"; "\\server\share\x" -> "//server/share/x"; "a\b" -> "a/b".
// A path that begins with `verbatimFolder` (a folder of the program's own, its base
// folder, whose path the system gave us) keeps that folder's own spelling: a "\" in it
// is a character of a name, never a separator; only the rest is converted.
std::string toPosixPath(std::string_view path, std::string_view verbatimFolder = {});

// Joins a folder and a relative name with one "/".
std::string joinPath(std::string_view folder, std::string_view name);

// Resolves every component of the POSIX `path` that does not exist as spelled to an
// existing entry whose name differs only in letter case; components with no match keep
// the caller's spelling. A backslash is a character like any other (convert a Windows-
// form path with toPosixPath first).
std::string resolvePath(std::string_view path);

bool fileExists(const std::string& path);   // resolves case first
bool folderExists(const std::string& path); // resolves case first
// Creates one folder (not its parents); false when it cannot.
bool createFolder(const std::string& path);

// Whole file as bytes; nothing when it cannot be read.
std::optional<std::string> readFile(const std::string& path);
// Whole file as bytes; nothing when no file exists at `path`. A file that exists but
// cannot be read raises vb::Error (70 Permission denied, or 75 with the reason).
std::optional<std::string> readFileIfExists(const std::string& path);
// Appends bytes, creating the file when missing; false on failure.
bool appendToFile(const std::string& path, std::string_view bytes);
// Writes the whole content to a temporary file in the same folder and renames it over
// `path`, so a crash or a full disk never leaves a truncated file. Throws vb::Error 75
// (or 61 for a full disk, 70 when permission is denied) on failure.
//
// The file keeps what it was: a symbolic link is followed and the file it leads to is
// replaced (the link stays a link); the new file gets the old file's mode, owner and
// group (owner and group where the system permits), or those of `identityOf` when
// given and existing (a backup copy looks like what it copies). A new file gets mode
// 0644. Temporary files that an earlier, interrupted write of the same file left behind
// are removed.
void writeFileAtomically(const std::string& path, std::string_view bytes, const std::string& identityOf = {});
// Copies a file over `to`; throws vb::Error on failure.
void copyFile(const std::string& from, const std::string& to);

// Names of the entries of a folder (files only when filesOnly), unsorted.
std::vector<std::string> listFolder(const std::string& folder, bool filesOnly = true);

// The machine's host name as the system reports it.
std::string hostName();

} // namespace platform
