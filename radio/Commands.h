#pragma once
// The numbered commands the radio window understands.

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
inline constexpr int kPreviewFirst = 119;
inline constexpr int kPreviewLast = 150;
inline constexpr int kStationFirst = 152;
inline constexpr int kStationLast = 183;
inline constexpr int kNowPlaying = 184;
inline constexpr int kVolumeDrag = 187;
inline constexpr int kFavorite1 = 188;
inline constexpr int kFavorite3 = 190;
inline constexpr int kStationsChanged = 191;
inline constexpr int kAppExit = 57665;

// The command a skin hot spot sends: sectors 1-32 choose slots 0-31, then the controls.
int ForHotspot(int hotspot);

}  // namespace radio::command
