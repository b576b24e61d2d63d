#pragma once
// What the user is told when the media library cannot play: it offers the download page.

#include <chrono>
#include <functional>
#include <string>

namespace radio {

// Asks whether to get GStreamer. On Yes the download page is opened through `openUrl` (by
// default the desktop's browser) and the caller waits `wait` before the program ends.
void ShowPlayerMissingMessage(const std::function<bool(const std::string&)>& openUrl = {},
                              std::chrono::milliseconds wait = std::chrono::milliseconds(5000));
const char* PlayerDownloadPage();

}  // namespace radio
