#pragma once
// "Start with the desktop": an autostart entry that starts the program file at log-in. It is
// on exactly when the entry exists. The installer's uninstall list "!sfxunst.ini" beside the
// program names every file the uninstaller deletes, so the entry is added to it when created
// and taken out when removed.

#include <optional>
#include <string>

namespace app {

struct StartupShortcutPlace {
    std::string programFolder;    // holds the uninstall list
    std::string programPath;      // the file the entry starts
    std::string appName;          // the entry's file name and description
    std::string autostartFolder;  // where the session looks for entries
    std::string displayName;      // shown in the session's list of start-up programs
};

// The running program and the desktop's autostart folder.
StartupShortcutPlace CurrentStartupShortcutPlace();

inline constexpr const char* kUninstallListName = "!sfxunst.ini";

// The entry's path; empty when there is no autostart folder.
std::string ShortcutPath(const StartupShortcutPlace& place);
// The line the uninstall list holds for the entry: the entry path, "=<new>" and a line feed.
std::string UninstallEntryLine(const std::string& shortcutPath);

bool ShortcutExists(const StartupShortcutPlace& place);
void ToggleStartupShortcut(const StartupShortcutPlace& place);
// 0 when the entry was written, -1 when not (the list entry stays).
int CreateStartupShortcut(const StartupShortcutPlace& place);
void RemoveStartupShortcut(const StartupShortcutPlace& place);

bool ShortcutExists();
void ToggleStartupShortcut();

// The uninstall list with the entry line added: right after "[Files]" and its line break, or
// at position 7 when there is no "[Files]" (appended to a shorter text). Nothing when the line
// is already there.
std::optional<std::string> WithUninstallEntry(const std::string& list, const std::string& line);
// The list without the first copy of the line; nothing when it holds none.
std::optional<std::string> WithoutUninstallEntry(const std::string& list, const std::string& line);

}  // namespace app
