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

// From the environment values (empty when unset, or when the display they name does not
// answer): the Qt platform list the user asked for, DISPLAY and WAYLAND_DISPLAY.
PlatformChoice ChoosePlatform(const std::string& qpaPlatform, const std::string& display,
                              const std::string& waylandDisplay);
// The same for this process's environment, each display asked whether it answers: the
// toolkit aborts the program on a display that does not.
PlatformChoice ChoosePlatform();

// Whether an X server answers at `display` (":0", "host:1.0").
bool X11DisplayAnswers(const std::string& display);
// Whether a Wayland compositor listens at `display` (a name in `runtimeDir`, or a path).
bool WaylandDisplayAnswers(const std::string& display, const std::string& runtimeDir);

// The text shown when there is no display at all.
const char* NoDisplayText();

}  // namespace platform
