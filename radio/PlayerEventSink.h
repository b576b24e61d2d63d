#pragma once
// Turns the media player's events into the radio's status texts and forwards them to the
// player window.

#include "platform/media/MediaPlayer.h"

#include <string>

namespace radio {

// The German status text for a play state (0-11), or null for any other value.
const char* PlayStateText(int state);

class PlayerEventSink final : public platform::media::MediaPlayerEvents {
  public:
    // The status text buffer shared by all sinks: overwritten by every play-state change and
    // by media titles; the window reads it when told of a change.
    static const std::string& StatusText();
    static void ResetStatusText();

    void OnPlayStateChange(int state) override;
    void OnOpenStateChange(int state) override;
    void OnMediaChange(const platform::media::MediaItem& item) override;
    void OnError(long code, const std::string& description) override;
};

}  // namespace radio
