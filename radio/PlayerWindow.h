#pragma once
// What the player host and its event sink need from the radio window, and the process-wide
// "player window handle": the window that player events are forwarded to while it lives.

#include <string>

namespace radio {

// Command the window receives when the player has reached the playing state.
inline constexpr int kCommandNowPlaying = 184;

class PlayerWindow {
  public:
    // A window that dies while it is still the player window stops receiving events.
    virtual ~PlayerWindow();

    // The player's status changed; `text` is the shared status text buffer (the window shows
    // it, or keeps it while a preview is on the status line).
    virtual void OnPlayerStatus(const std::string& text) = 0;
    // A numbered command, as from the skin or the menu (here: kCommandNowPlaying).
    virtual void OnCommand(int id) = 0;
    // A new stream title (ICY StreamTitle or tag) for the station that plays.
    virtual void OnMediaTitle(const std::string& /*title*/) {}
};

// The player window handle. Set by PlayerHost::Create; the window clears it when it is
// destroyed (and before it shuts the player down), so late events are not forwarded.
void SetPlayerWindow(PlayerWindow* window);
void ClearPlayerWindow();
// The window events go to, or null when none is live.
PlayerWindow* LivePlayerWindow();

}  // namespace radio
