#include "platform/dbus/SessionBus.h"

#include <sys/stat.h>
#include <unistd.h>

#include <cstdlib>

namespace platform::dbus {

namespace {
// Unknown to every D-Bus library: connecting fails at once, and nothing is launched.
constexpr const char* kNoBus = "disabled:";

std::string Environment(const char* name) {
    const char* value = std::getenv(name);
    return value ? value : "";
}

bool IsOwnSocket(const std::string& path) {
    struct stat info {};
    return !path.empty() && stat(path.c_str(), &info) == 0 && S_ISSOCK(info.st_mode) &&
           info.st_uid == getuid();
}
}  // namespace

std::string SessionBusAddress(const std::string& configured, const std::string& runtimeDir,
                              bool runtimeBusIsSocket) {
    if (!configured.empty())
        return configured.find("autolaunch:") == std::string::npos ? configured : "";
    if (!runtimeDir.empty() && runtimeBusIsSocket)
        return "unix:path=" + runtimeDir + "/bus";
    return "";
}

bool SettleSessionBus() {
    const std::string runtime = Environment("XDG_RUNTIME_DIR");
    const std::string address = SessionBusAddress(Environment("DBUS_SESSION_BUS_ADDRESS"), runtime,
                                                  IsOwnSocket(runtime + "/bus"));
    setenv("DBUS_SESSION_BUS_ADDRESS", address.empty() ? kNoBus : address.c_str(), 1);
    return !address.empty();
}

}  // namespace platform::dbus
