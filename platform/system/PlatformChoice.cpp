#include "platform/system/PlatformChoice.h"

#include <xcb/xcb.h>

#include <sys/socket.h>
#include <sys/un.h>
#include <unistd.h>

#include <cstdlib>
#include <cstring>
#include <sstream>

namespace platform {

namespace {

// Platforms that need no display server (offscreen, minimal, vnc, eglfs, ...) always work;
// xcb needs an X display, wayland a compositor.
bool PlatformUsable(const std::string& name, bool x11, bool wayland) {
    if (name.rfind("xcb", 0) == 0)
        return x11;
    if (name.rfind("wayland", 0) == 0)
        return wayland;
    return true;
}

// QT_QPA_PLATFORM may list fallbacks ("wayland;xcb"); each entry may carry options after
// a colon.
bool AnyPlatformUsable(const std::string& list, bool x11, bool wayland) {
    std::istringstream entries(list);
    std::string entry;
    while (std::getline(entries, entry, ';')) {
        if (PlatformUsable(entry.substr(0, entry.find(':')), x11, wayland))
            return true;
    }
    return false;
}

std::string Environment(const char* name) {
    const char* value = std::getenv(name);
    return value ? value : "";
}

}  // namespace

PlatformChoice ChoosePlatform(const std::string& qpaPlatform, const std::string& display,
                              const std::string& waylandDisplay) {
    PlatformChoice choice;
    if (!qpaPlatform.empty()) {
        // The user decided; only a choice that cannot work at all is refused.
        choice.noDisplay =
            !AnyPlatformUsable(qpaPlatform, !display.empty(), !waylandDisplay.empty());
        return choice;
    }
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

bool X11DisplayAnswers(const std::string& display) {
    if (display.empty())
        return false;
    xcb_connection_t* connection = xcb_connect(display.c_str(), nullptr);
    const bool answers = connection && xcb_connection_has_error(connection) == 0;
    if (connection)
        xcb_disconnect(connection);
    return answers;
}

bool WaylandDisplayAnswers(const std::string& display, const std::string& runtimeDir) {
    if (display.empty())
        return false;
    const std::string path = display.front() == '/' ? display : runtimeDir + "/" + display;
    if (display.front() != '/' && runtimeDir.empty())
        return false;
    sockaddr_un address{};
    address.sun_family = AF_UNIX;
    if (path.size() >= sizeof address.sun_path)
        return false;
    std::memcpy(address.sun_path, path.c_str(), path.size() + 1);
    const int fd = socket(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC, 0);
    if (fd < 0)
        return false;
    const bool answers =
        connect(fd, reinterpret_cast<const sockaddr*>(&address), sizeof address) == 0;
    close(fd);
    return answers;
}

PlatformChoice ChoosePlatform() {
    const std::string qpa = Environment("QT_QPA_PLATFORM");
    // A platform without a display server needs no answer from one.
    const bool needsDisplay = qpa.empty() || !AnyPlatformUsable(qpa, false, false);
    std::string display = Environment("DISPLAY");
    std::string wayland = Environment("WAYLAND_DISPLAY");
    if (needsDisplay) {
        if (!X11DisplayAnswers(display))
            display.clear();
        if (!WaylandDisplayAnswers(wayland, Environment("XDG_RUNTIME_DIR")))
            wayland.clear();
    }
    return ChoosePlatform(qpa, display, wayland);
}

const char* NoDisplayText() {
    return "Tunelink needs a graphical desktop, and no display was found (DISPLAY and "
           "WAYLAND_DISPLAY are unset, or name a display that does not answer).\n"
           "Start it from your desktop session, or try it on a virtual display:\n"
           "  Xvfb :99 -screen 0 1280x1024x24 -noreset &  DISPLAY=:99 tunelink\n";
}

}  // namespace platform
