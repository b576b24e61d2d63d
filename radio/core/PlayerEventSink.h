#pragma once
// Turns the media player's events into the radio's status texts and hands them to the
// radio's listener.

#include "platform/media/MediaPlayer.h"
#include "radio/core/PlayerListener.h"

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
    // Events go to `listener` from now on; null: nowhere.
    void SetListener(PlayerListener* listener) { listener_ = listener; }
    // The last play-state text, or the last stream title if one came after it.
    const std::string& StatusText() const { return statusText_; }

    void OnPlayStateChange(platform::media::PlayState state) override;
    void OnOpenStateChange(platform::media::OpenState state) override;
    void OnMediaChange(const platform::media::MediaItem& item) override;
    void OnError(long code, const std::string& description) override;
    void OnFailure(platform::media::FailureKind kind, const std::string& detail) override;

    // The last failure left nothing to hear because no sound output works; cleared when a
    // new start begins.
    bool NoSoundOutput() const { return noSoundOutput_; }

  private:
    PlayerListener* listener_ = nullptr;
    std::string statusText_;
    std::string failureReason_;  // appended to the "ready" text
    bool noSoundOutput_ = false;
};

}  // namespace radio
