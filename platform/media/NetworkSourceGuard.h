#pragma once
// Keeps every GStreamer source in this process on the network. Station addresses are checked
// before they reach the player, but the player's own parts open further addresses on their
// own: an HLS index names its segments, keys and variant lists, a redirect names a new
// place. Whatever asks, a source element that would read a local file (or any other
// non-network source) is disarmed the moment it is made: it can never start, and trying
// posts an error the player reports as a failed connection.

#include <gst/gst.h>

namespace platform::media {

// Installs the guard once per process; GStreamer must be initialised. Idempotent.
void InstallNetworkSourceGuard();

// True for the errors the guard posts when a disarmed source was asked to start.
bool IsRefusedSourceError(const GError* error);

}  // namespace platform::media
