#pragma once
// File-system helpers for the program's own folder, the per-user temporary folder,
// existence tests and quiet deletion.

#include <string>

namespace util {

// Full path of the running program file.
std::string GetProgramPath();
// The program path cut before its last slash (empty when it has none).
std::string GetProgramFolder();
// The program file's name without its extension ("tunelink").
std::string GetAppName();
// The per-user temporary folder, `$XDG_CACHE_HOME/tunelink/` (created with mode 0700),
// with a trailing slash. Never a shared name under /tmp.
std::string GetTempFolder();
// True when something exists at exactly this path (no character is a wildcard).
bool FileExists(const std::string& path);
// True when the path exists as written, or anything matches it as a wildcard pattern
// ('*', '?', '[...]').
bool AnyFileMatches(const std::string& pattern);
// True when the folder is missing or this user cannot write to it.
bool IsFolderUnusable(const std::string& folder);
// True when the file was deleted; never raises.
bool DeleteFileQuietly(const std::string& path);

}  // namespace util
