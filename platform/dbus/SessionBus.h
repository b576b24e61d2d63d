#pragma once
// Whether this desktop session has a D-Bus session bus. Without one, the D-Bus library
// would start a bus of its own (dbus-launch), whose daemon outlives the program: the radio
// never does that, and lives without the bus's services (the media keys) instead.

#include <string>

namespace platform::dbus {

// The session bus address to use, from the values of DBUS_SESSION_BUS_ADDRESS and
// XDG_RUNTIME_DIR (empty when unset) and whether `<runtime>/bus` is a socket of this user;
// empty when there is no bus. An address that asks to start a bus ("autolaunch:") is none.
std::string SessionBusAddress(const std::string& configured, const std::string& runtimeDir,
                              bool runtimeBusIsSocket);

// Call before the toolkit starts: settles DBUS_SESSION_BUS_ADDRESS for this process and
// its children to the bus found, or to an address that no library will try to start a bus
// for. Returns whether a bus exists.
bool SettleSessionBus();

}  // namespace platform::dbus
