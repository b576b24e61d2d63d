#pragma once
// When a dropped stream is reopened and when the player gives up on it. The player tells it
// each drop and how long the connection had played; it answers with the wait before the
// next attempt, or with "give up".

#include <chrono>
#include <optional>

namespace platform::media {

struct ReconnectRules {
    // A dropped stream is reopened this many times, waiting firstDelay, then twice as long
    // each time; a stream that played for stableAfter counts as recovered.
    int maxReconnects = 4;
    std::chrono::milliseconds firstDelay{500};
    std::chrono::milliseconds stableAfter{10000};
};

class ReconnectPolicy {
  public:
    explicit ReconnectPolicy(ReconnectRules rules = {}) : rules_(rules) {}

    // A new station: all attempts are available again.
    void Reset() { reconnects_ = 0; }

    // The connection dropped, or reopening it failed. `uptime` is how long it had played,
    // none when it never reached playing. The wait before reopening, or none: give up.
    [[nodiscard]] std::optional<std::chrono::milliseconds> OnDrop(
        std::optional<std::chrono::milliseconds> uptime);

  private:
    ReconnectRules rules_;
    int reconnects_ = 0;
};

}  // namespace platform::media
