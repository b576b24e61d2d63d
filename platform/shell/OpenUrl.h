#pragma once
// Opens a web or mail address in the desktop's default handler.

#include <string>

namespace platform::shell {

// Starts `xdg-open <url>` detached, with an argument vector (never through a shell).
// Only http, https and mailto addresses are opened; anything else, or text with control
// characters, is refused. Returns true when the opener was started.
bool OpenUrl(const std::string& url);

// True for the addresses OpenUrl accepts.
bool IsOpenableUrl(const std::string& url);

}  // namespace platform::shell
