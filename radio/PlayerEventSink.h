#pragma once
// Turns the media player's events into the radio's status texts and forwards them to the
// player window.

#include "platform/media/MediaPlayer.h"

#include <string>

namespace radio {

// The translator's English key for a play state (0-11), or null for any other value.
const char* PlayStateKey(int state);
// The status text for a play state in the user's language; empty for any other value.
std::string PlayStateText(int state);
// The reason shown after a failed start ("server does not answer"), in the user's language;
// empty when the cause is unknown. `detail` fills the output description's place.
std::string FailureReasonText(platform::media::FailureKind kind, const std::string& detail);

class PlayerEventSink final : public platform::media::MediaPlayerEvents {
  public:
    // The status text buffer shared by all sinks: overwritten by every play-state change and
    // by media titles; the window reads it when told of a change.
    static const std::string& StatusText();
    static void ResetStatusText();

    void OnPlayStateChange(platform::media::PlayState state) override;
    void OnOpenStateChange(platform::media::OpenState state) override;
    void OnMediaChange(const platform::media::MediaItem& item) override;
    void OnError(long code, const std::string& description) override;
    void OnFailure(platform::media::FailureKind kind, const std::string& detail) override;

    // The last failure left nothing to hear because no sound output works; cleared when a
    // new start begins.
    bool NoSoundOutput() const { return noSoundOutput_; }

  private:
    std::string failureReason_;  // appended to the "ready" text
    bool noSoundOutput_ = false;
};

}  // namespace radio
