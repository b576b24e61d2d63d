#pragma once
// Opens a web or mail address in the desktop's default handler.

#include "util/Result.h"

#include <chrono>
#include <string>

namespace platform::shell {

// Starts `xdg-open <url>` detached, with an argument vector (never through a shell).
// Only http, https and mailto addresses are opened; anything else, or text with control
// characters, is refused. Succeeds when the opener was started.
util::Status OpenUrl(const std::string& url);

// True for the addresses OpenUrl accepts.
bool IsOpenableUrl(const std::string& url);

// What the desktop's opener made of an address.
enum class OpenResult {
    Opened,          // exited with success, or still runs the handler it started
    Refused,         // not an address that is ever opened
    NoHandler,       // no opener, or it found nothing to open the address with
    NotFound,        // the opener or the program named does not exist as a file
    AccessDenied,    // no permission to run it or to open the address
    OutOfResources,  // the system could not start a process
};

// A handler that is not yet running is started in the opener's foreground, which then lasts
// as long as the handler does: an opener still running after this long has succeeded.
inline constexpr std::chrono::milliseconds kOpenerGrace{3000};

// Runs `xdg-open <url>` (or `program <url>` when a program is named) and waits for its
// verdict, at most `grace`. Blocks: call it from a worker thread. An opener still running
// afterwards is left to its work and reaped when it ends.
OpenResult OpenUrlAndWait(const std::string& url, const std::string& program = {},
                          std::chrono::milliseconds grace = kOpenerGrace);

}  // namespace platform::shell
