#pragma once
// The desktop's autostart entries: `$XDG_CONFIG_HOME/autostart/<name>.desktop` files, which
// the session starts at log-in. "Start with the desktop" is the existence of that file.

#include "util/Result.h"

#include <string>

namespace platform::shell {

// `$XDG_CONFIG_HOME/autostart`, or `$HOME/.config/autostart` when XDG_CONFIG_HOME is unset or
// not absolute; empty when neither can be found.
std::string AutostartFolder();

// `<folder>/<appName>.desktop`; empty when the folder is empty or the name is not a plain
// file name.
std::string AutostartEntryPath(const std::string& folder, const std::string& appName);

// One argument of an Exec line: quoted when it holds a reserved character, with `"`, `` ` ``,
// `$` and `\` escaped inside the quotes, `%` doubled, and backslashes doubled once more for the
// string-value escaping that desktop files apply before the quoting.
std::string QuoteExecArgument(const std::string& argument);

// The text of an entry that starts the program. `name` is shown in the session's list of
// start-up programs; `comment` describes it.
std::string DesktopEntryText(const std::string& programPath, const std::string& name,
                             const std::string& comment);

// Writes the entry (creating the folder when missing); fails when the program path cannot be
// written in an Exec line (control characters) or the file cannot be written.
util::Status CreateAutostartEntry(const std::string& entryPath, const std::string& programPath,
                                  const std::string& name, const std::string& comment);

// Deletes the entry; succeeds when it is gone afterwards.
util::Status RemoveAutostartEntry(const std::string& entryPath);

bool AutostartEntryExists(const std::string& entryPath);

}  // namespace platform::shell
