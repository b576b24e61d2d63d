#include "platform/media/ReconnectPolicy.h"

#include <algorithm>

namespace platform::media {

std::optional<std::chrono::milliseconds> ReconnectPolicy::OnDrop(
    std::optional<std::chrono::milliseconds> uptime) {
    if (uptime && *uptime >= rules_.stableAfter)
        reconnects_ = 0;
    if (reconnects_ >= rules_.maxReconnects)
        return std::nullopt;
    // The doubling stops at 2^10, where the wait is already far beyond any deadline.
    const auto delay = rules_.firstDelay * (1 << std::min(reconnects_, 10));
    ++reconnects_;
    return delay;
}

}  // namespace platform::media
