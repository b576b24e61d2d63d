#pragma once
// The numbered commands the radio understands: from the skin's hot spots, the menu, the
// player and the catalogue.

#include "radio/core/Slot.h"

namespace radio::command {

inline constexpr int kWeb = 101;
inline constexpr int kSend = 103;
inline constexpr int kAbout = 104;
inline constexpr int kTopMost = 107;
inline constexpr int kAutostart = 108;
inline constexpr int kStop = 113;
inline constexpr int kPlay = 114;
inline constexpr int kMute = 115;
inline constexpr int kPower = 116;
inline constexpr int kPreviewFirst = 119;  // + slot: the pointer is over its sector
inline constexpr int kPreviewLast = kPreviewFirst + Slot::kCount - 1;
inline constexpr int kStationFirst = 152;  // + slot: its sector was clicked
inline constexpr int kStationLast = kStationFirst + Slot::kCount - 1;
inline constexpr int kNowPlaying = 184;  // the player has reached "playing"
inline constexpr int kVolumeDrag = 187;
inline constexpr int kFavorite1 = 188;  // + 0-2: the menu's favourites 1-3
inline constexpr int kFavorite3 = 190;
inline constexpr int kStationsChanged = 191;
inline constexpr int kAppExit = 57665;

constexpr int ForStation(Slot slot) {
    return kStationFirst + slot.Index();
}
constexpr int ForPreview(Slot slot) {
    return kPreviewFirst + slot.Index();
}

// The command a skin hot spot sends: sectors 1-32 choose slots 0-31, then the controls.
int ForHotspot(int hotspot);

}  // namespace radio::command
