#pragma once
// The radio's media player: opens station addresses, plays, stops, mutes and sets the
// volume, and keeps the four flags the push buttons show.

#include "platform/media/MediaPlayer.h"
#include "radio/core/PlayerEventSink.h"
#include "util/Result.h"

#include <functional>
#include <memory>
#include <string>

namespace radio {

class PlayerHost {
  public:
    using MadePlayer = util::Result<std::unique_ptr<platform::media::MediaPlayer>>;
    // Makes the player, or says why the media library is unusable.
    using PlayerFactory = std::function<MadePlayer()>;

    // The default factory makes the GStreamer player.
    explicit PlayerHost(PlayerFactory factory = {});
    ~PlayerHost();
    PlayerHost(const PlayerHost&) = delete;
    PlayerHost& operator=(const PlayerHost&) = delete;

    // Creates the player; its events go to `listener` until Detach() or Shutdown(). False
    // when there is no usable player (the reason is logged).
    [[nodiscard]] bool Create(PlayerListener* listener);
    // Events from now on go nowhere.
    void Detach() { sink_.SetListener(nullptr); }
    // Remembers the address the next Play() plays, exactly as the station table holds it.
    void Open(const std::string& address);
    // The address last given to Open().
    const std::string& OpenedAddress() const { return opened_; }
    void Play();
    void Stop();
    void ToggleMute();
    void SetVolume(int volume);
    // Undoes Create(); harmless on a host that was never created.
    void Shutdown();

    // The power button: on clears stopped, off sets it.
    void TogglePower();

    bool IsCreated() const { return created_; }
    // Not while the last start failed for want of a sound output: nothing can be heard.
    bool IsPlaying() const { return playing_ && !sink_.NoSoundOutput(); }
    bool IsStopped() const { return stopped_; }
    bool IsMuted() const { return muted_; }
    bool IsPowerOn() const { return power_; }
    // The last play-state text, or the last stream title if one came after it.
    const std::string& StatusText() const { return sink_.StatusText(); }

  private:
    void ToggleMuteIfMuted();

    PlayerFactory factory_;
    std::unique_ptr<platform::media::MediaPlayer> player_;
    std::string opened_;
    PlayerEventSink sink_;
    bool created_ = false;
    bool playing_ = false;
    bool stopped_ = false;
    bool muted_ = false;
    bool power_ = false;
    int volume_ = 0;
    bool volumeSet_ = false;
};

}  // namespace radio
