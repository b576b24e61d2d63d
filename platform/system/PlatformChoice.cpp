#include "platform/system/PlatformChoice.h"

#include <cstdlib>

namespace platform {

PlatformChoice ChoosePlatform(const std::string& qpaPlatform, const std::string& display,
                              const std::string& waylandDisplay) {
    PlatformChoice choice;
    if (!qpaPlatform.empty())
        return choice;  // the user decided
    if (display.empty() && waylandDisplay.empty()) {
        choice.noDisplay = true;
        return choice;
    }
    if (!display.empty()) {
        choice.platform = "xcb";
        if (!waylandDisplay.empty())
            choice.note = "Wayland session: using X11 (XWayland) so the radio can place itself";
        return choice;
    }
    choice.platform = "wayland";
    choice.note =
        "Wayland without XWayland: the window cannot restore its place on the screen or stay on "
        "top; "
        "dragging still works";
    return choice;
}

PlatformChoice ChoosePlatform() {
    auto env = [](const char* name) {
        const char* value = std::getenv(name);
        return std::string(value ? value : "");
    };
    return ChoosePlatform(env("QT_QPA_PLATFORM"), env("DISPLAY"), env("WAYLAND_DISPLAY"));
}

const char* NoDisplayText() {
    return "Tunelink needs a graphical desktop, and no display was found (DISPLAY and "
           "WAYLAND_DISPLAY are unset).\n"
           "Start it from your desktop session, or try it on a virtual display:\n"
           "  Xvfb :99 -screen 0 1280x1024x24 -noreset &  DISPLAY=:99 tunelink\n";
}

}  // namespace platform
