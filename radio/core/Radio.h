#pragma once
// The radio's rules, free of any display: which station plays, what the status line says
// (play states, previews, switches, the station's name and song), the power, the volume and
// the numbered commands. The window turns input into these calls and the view calls into
// pixels; tests drive it with a fake player, a fake view and fake timers.

#include "catalogue/StationData.h"
#include "radio/core/PlayerHost.h"
#include "radio/core/PlayerListener.h"
#include "radio/core/RadioView.h"
#include "radio/core/Slot.h"

#include <string>

namespace util {
class Profile;
}

namespace radio {

class Radio final : public PlayerListener {
  public:
    static constexpr const char* kSection = "CTunelinkDlg";
    static constexpr std::chrono::milliseconds kNowPlayingDelay{1000};
    static constexpr std::chrono::milliseconds kSwitchTimeout{100000};

    Radio(RadioView& view, RadioTimers& timers, PlayerHost::PlayerFactory factory = {});
    ~Radio() override;
    Radio(const Radio&) = delete;
    Radio& operator=(const Radio&) = delete;

    // The volume and the last station, checked: anything out of range falls back.
    void ReadSettings(util::Profile& profile);
    // Once, as the radio ends: the player stops and goes, the station is remembered.
    void Shutdown(util::Profile& profile);

    // Makes the player unless it exists; false when there is none to make.
    [[nodiscard]] bool MakePlayer();
    // The same, and without a player the view is told (PlayerMissing).
    bool EnsurePlayer();

    // A numbered command of the skin, the menu, the player or the catalogue.
    void OnCommand(int id);
    void OnTimer(RadioTimer timer);

    // The pointer moved: over dial sector 1-32, or 0 for elsewhere on the radio.
    void PointerOverSector(int sector);
    void PointerLeft();
    // The knob was dragged to give `volume`; false when no drag is going on.
    bool DragVolume(int volume);
    // True when a drag ended.
    bool EndVolumeDrag();
    // Volume 0-100 from outside the skin (the desktop's controls); the knob follows.
    void SetVolume(int volume);

    // A station heard from the station finder (`name` shows as the station); an empty
    // address ends the listening and the radio goes back to what it did before.
    void ListenFromFinder(const std::string& address, const std::string& name);

    void OnPlayState(platform::media::PlayState state, const std::string& statusText) override;
    void OnMediaTitle(const std::string& title) override;

    // Shows `text` on the status line; the same text again changes nothing (a running text
    // keeps running).
    void SetStatusText(const std::string& text);
    // The station's name, with the stream title after it when there is one.
    std::string NowPlayingText() const;
    Controls CurrentControls() const;

    const catalogue::CStationData& Stations() const { return stations_; }
    catalogue::CStationData& Stations() { return stations_; }
    PlayerHost& Player() { return player_; }
    const PlayerHost& Player() const { return player_; }
    const std::string& StatusText() const { return statusText_; }
    const std::string& SavedStatusText() const { return savedStatus_; }
    const std::string& StreamTitle() const { return streamTitle_; }
    bool Switching() const { return switching_; }
    bool PreviewActive() const { return previewActive_; }
    bool VolumeDragging() const { return volumeDrag_; }
    int Volume() const { return volume_; }

  private:
    void Play();
    void ChooseStation(Slot slot);
    bool SoundsNow(Slot slot) const;
    void ShowSoundingStation();
    void StartStation(const std::string& address);
    void Preview(Slot slot);
    void EndPreviewIfLeft();
    void ToggleMute();
    void StartVolumeDrag();
    void ApplyVolume(int volume);
    void OnNowPlaying();
    void ShowNowPlaying();
    void RefreshControls();
    const std::string& NameOf(Slot slot) const;
    const std::string& AddressOf(Slot slot) const;

    RadioView& view_;
    RadioTimers& timers_;
    catalogue::CStationData stations_;
    PlayerHost player_;
    std::string statusText_;
    std::string savedStatus_;
    std::string streamTitle_;
    bool switching_ = false;
    bool sounding_ = false;  // the player reached "playing" and has reported nothing since
    bool previewActive_ = false;
    bool hover_ = false;
    bool volumeDrag_ = false;
    // A station of the finder plays; when the finder closes the radio resumes its station.
    bool finderListening_ = false;
    bool resumeAfterFinder_ = false;
    std::string finderStation_;
    int volume_ = 50;
};

}  // namespace radio
