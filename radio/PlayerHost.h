#pragma once
// The radio's media player: opens station addresses, plays, stops, mutes and sets the
// volume, and keeps the four flags the window's push buttons show.

#include "platform/media/MediaPlayer.h"
#include "radio/PlayerEventSink.h"

#include <chrono>
#include <functional>
#include <memory>
#include <string>

namespace radio {

class PlayerWindow;

class PlayerHost {
  public:
    // Makes the player; null with a reason when the media library is unusable.
    using PlayerFactory =
        std::function<std::unique_ptr<platform::media::MediaPlayer>(std::string* error)>;

    // The default factory makes the GStreamer player.
    explicit PlayerHost(PlayerFactory factory = {});
    ~PlayerHost();
    PlayerHost(const PlayerHost&) = delete;
    PlayerHost& operator=(const PlayerHost&) = delete;

    // Creates the player and records `window` as the player window. On false the window
    // shows ShowPlayerMissingMessage() and closes.
    bool Create(PlayerWindow* window);
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

    // The power button (command 116): on clears stopped, off sets it.
    void TogglePower();

    bool IsCreated() const { return created_; }
    bool AutoStart() const { return autoStart_; }
    // Not while the last start failed for want of a sound output: nothing can be heard.
    bool IsPlaying() const { return playing_ && !sink_.NoSoundOutput(); }
    bool IsStopped() const { return stopped_; }
    bool IsMuted() const { return muted_; }
    bool IsPowerOn() const { return power_; }
    int Volume() const { return volume_; }
    // Milliseconds on a steady clock when the host was made.
    long long ConstructionTimeMs() const { return constructionTimeMs_; }

    // The message shown when Create() failed: asks whether to get GStreamer. On Yes the
    // download page is opened through `openUrl` and the caller waits `wait` before it ends.
    static void ShowPlayerMissingMessage(
        const std::function<bool(const std::string&)>& openUrl = {},
        std::chrono::milliseconds wait = std::chrono::milliseconds(5000));
    static const char* DownloadPage();

  private:
    void ToggleMuteIfMuted();

    PlayerFactory factory_;
    std::unique_ptr<platform::media::MediaPlayer> player_;
    std::string opened_;
    PlayerEventSink sink_;
    bool created_ = false;
    bool autoStart_ = false;
    bool playing_ = false;
    bool stopped_ = false;
    bool muted_ = false;
    bool power_ = false;
    int volume_ = 0;
    bool volumeSet_ = false;
    long long constructionTimeMs_ = 0;
};

}  // namespace radio
