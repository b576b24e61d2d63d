#pragma once
// What the radio's rules ask of whatever shows them (the skinned window, or a test), and the
// timers they run on.

#include <chrono>
#include <string>

namespace radio {

// The push buttons and the lamp: what the player's flags say.
struct Controls {
    bool stopped = false;
    bool playing = false;
    bool muted = false;
    bool power = false;  // also where the flap goes: up while the power is on
};

class RadioView {
  public:
    virtual ~RadioView() = default;
    virtual void ShowStatusText(const std::string& text) = 0;
    virtual void ShowControls(const Controls& controls) = 0;
    // The knob follows the volume (0-100); shown with the next ShowDial().
    virtual void ShowVolume(int volume) = 0;
    // The needle and everything else on the face, as they are now.
    virtual void ShowDial() = 0;
    // The volume knob is being dragged: the pointer belongs to the radio until it ends.
    virtual void HoldPointer(bool hold) = 0;
    // User slot 0-3 has been chosen with no address: the favourite editor opens.
    virtual void EditFavorite(int userSlot) = 0;
    // A command the rules leave to the window: the menu's, the catalogue's.
    virtual void RunCommand(int id) = 0;
    // There is no usable player: the user is told and the radio ends.
    virtual void PlayerMissing() = 0;
    // Anything the desktop's media controls show may have changed.
    virtual void Changed() = 0;
};

enum class RadioTimer {
    NowPlaying,  // the station's name follows "playing" after a second
    Switch,      // a switch that never reaches "playing" frees the dial after 100 s
};

class RadioTimers {
  public:
    virtual ~RadioTimers() = default;
    // (Re)starts `timer`; when `after` has passed the radio's OnTimer(timer) runs.
    virtual void Start(RadioTimer timer, std::chrono::milliseconds after) = 0;
    virtual void Stop(RadioTimer timer) = 0;
    virtual bool IsActive(RadioTimer timer) const = 0;
};

}  // namespace radio
