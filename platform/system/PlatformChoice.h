#pragma once
// Which windowing platform the radio asks Qt for. On a Wayland desktop the X11 platform
// (XWayland) is preferred when it is there: only X11 lets a window place itself and stay on
// top, which a screenmate needs.

#include <string>

namespace platform {

struct PlatformChoice {
    std::string platform;    // the Qt platform to request; empty: leave Qt's own choice
    bool noDisplay = false;  // neither X11 nor Wayland is reachable
    std::string note;        // what the log should say about the choice
};

// From the environment values (empty when unset).
PlatformChoice ChoosePlatform(const std::string& qpaPlatform, const std::string& display,
                              const std::string& waylandDisplay);
// The same, read from this process's environment.
PlatformChoice ChoosePlatform();

// The text shown when there is no display at all.
const char* NoDisplayText();

}  // namespace platform
