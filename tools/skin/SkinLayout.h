#pragma once
// Where the radio's pieces sit in its 606 x 520 window, and the sizes of the pictures the
// radio loads. The artwork is drawn to these places; the converter cuts the pictures here.

#include <QRect>

namespace skin {

inline constexpr int kWindowWidth = 606;
inline constexpr int kWindowHeight = 520;

// The opaque cabinet; everything outside is transparent in the background's mask.
inline constexpr QRect kBody{QPoint(7, 125), QPoint(472, 504)};  // (7,125)-(473,505)

// Mask values above this count as the radio body for the window outline.
inline constexpr int kOutlineThreshold = 127;

// The pressed-button strip covers the four buttons: source x 0 is window x 82.
inline constexpr QRect kPressedStrip{82, 177, 328, 29};
inline constexpr QRect kLamp{427, 211, 15, 15};
inline constexpr QRect kFlapCover{253, 179, 184, 28};
inline constexpr QRect kStatusLine{88, 475, 326, 15};
inline constexpr QRect kWebLink{32, 354, 106, 117};
inline constexpr QPoint kDialCentre{333, 322};
inline constexpr int kSectorRadius = 98;

inline constexpr int kKnobWidth = 16;
inline constexpr int kKnobHeight = 9;
inline constexpr int kKnobMaskHeight = 10;
inline constexpr QPoint kKnobAtZero{252, 183};

// Flap frames: 335 x 228, column 0 at window x 254, frame row 19 at window row 0.
inline constexpr int kFlapFrames = 35;
inline constexpr int kFlapWidth = 335;
inline constexpr int kFlapHeight = 228;
inline constexpr int kFlapLeft = 254;
inline constexpr int kFlapFirstRow = 19;
// The flap art is drawn open; closed it sits this many pixels lower, out of sight.
inline constexpr double kFlapTravel = 124.0;

inline constexpr int kAboutSize = 316;
inline constexpr QRect kAboutClose{289, 10, 18, 18};
inline constexpr int kSplashWidth = 218;
inline constexpr int kSplashHeight = 216;

inline constexpr int kMenuCells = 11;
inline constexpr int kMenuCellWidth = 16;
inline constexpr int kMenuCellHeight = 15;

// Resource numbers.
inline constexpr int kBackground = 130;
inline constexpr int kBackgroundMask = 230;
inline constexpr int kPressed = 131;
inline constexpr int kPressedMask = 231;
inline constexpr int kKnob = 132;
inline constexpr int kKnobMask = 232;
inline constexpr int kLampLit = 133;
inline constexpr int kCover = 192;
inline constexpr int kCoverMask = 193;
inline constexpr int kFlapFrame0 = 400;
inline constexpr int kFlapMask0 = 450;
inline constexpr int kAbout = 118;
inline constexpr int kSplash = 500;
inline constexpr int kCloseHover = 135;
inline constexpr int kCloseNormal = 136;
inline constexpr int kMenuStrip = 600;
inline constexpr int kIcon = 128;
inline constexpr int kOutline = 330;

}  // namespace skin
