#pragma once
// What the radio hears from its player, on the thread that owns the player.

#include "platform/media/MediaPlayer.h"

#include <string>

namespace radio {

class PlayerListener {
  public:
    virtual ~PlayerListener() = default;
    // The play state changed; `statusText` is what the status line shows for it, in the
    // user's language (after a failure with its reason).
    virtual void OnPlayState(platform::media::PlayState state, const std::string& statusText) = 0;
    // A new stream title (ICY StreamTitle or tag) of the station that plays, one bounded line.
    virtual void OnMediaTitle(const std::string& title) = 0;
};

}  // namespace radio
