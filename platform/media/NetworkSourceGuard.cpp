#include "platform/media/NetworkSourceGuard.h"

#include <strings.h>
#include <algorithm>
#include <array>

namespace platform::media {

namespace {

constexpr std::array<std::string_view, 12> kNetworkProtocols = {
    "http",  "https", "icy",   "icyx",   "rtsp",   "rtspu",
    "rtspt", "rtsph", "rtsps", "rtspsu", "rtspst", "rtspsh"};

}  // namespace

bool IsNetworkProtocol(std::string_view protocol) {
    return std::any_of(kNetworkProtocols.begin(), kNetworkProtocols.end(),
                       [&](std::string_view allowed) {
                           return allowed.size() == protocol.size() &&
                                  strncasecmp(protocol.data(), allowed.data(), allowed.size()) == 0;
                       });
}

bool SpeaksOnlyNetworkProtocols(const std::vector<std::string_view>& protocols) {
    return !protocols.empty() && std::all_of(protocols.begin(), protocols.end(), IsNetworkProtocol);
}

}  // namespace platform::media
