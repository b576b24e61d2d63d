#pragma once
// Keeps every media source in this process on the network. Station addresses are checked
// before they reach the player, but the player's own parts open further addresses on their
// own: an HLS index names its segments, keys and variant lists, a redirect names a new
// place. Whatever asks, a source element that would read a local file (or any other
// non-network source) is disarmed the moment it is made: it can never start, and trying
// posts an error the player reports as a failed connection. The pipeline installs the
// guard; this is its rule.

#include <string_view>
#include <vector>

namespace platform::media {

// What the radio may open: the web (ICY is HTTP by another name) and RTSP. Any case.
bool IsNetworkProtocol(std::string_view protocol);

// A source passes only if every protocol it speaks is a network one: an element that can
// read "file" as well as "http" could be pointed at either. One that names none fails.
bool SpeaksOnlyNetworkProtocols(const std::vector<std::string_view>& protocols);

}  // namespace platform::media
