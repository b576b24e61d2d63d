#pragma once
// Where everything sits on the radio, in window pixels. Rectangles are given as left, top,
// right, bottom with the right and bottom edges outside, as the artwork was laid out.

#include <QLine>
#include <QPoint>
#include <QPolygon>
#include <QRect>

namespace radio::geometry {

constexpr QRect Ltrb(int left, int top, int right, int bottom) {
    return QRect(left, top, right - left, bottom - top);
}

inline constexpr int kWindowWidth = 606;
inline constexpr int kWindowHeight = 520;

inline constexpr QRect kStatusRect = Ltrb(88, 475, 414, 490);
inline constexpr int kStatusWidth = 326;
inline constexpr QRect kDialRect = Ltrb(231, 221, 435, 423);
inline constexpr QPoint kDialCentre{333, 322};
inline constexpr int kSectorRadius = 98;
inline constexpr int kNeedleInner = 16;
inline constexpr int kNeedleOuter = 75;

struct PushButton {
    QRect rect;
    int stripX;  // where its pressed picture starts in the pressed strip
};
inline constexpr PushButton kStopButton{Ltrb(82, 177, 145, 206), 0};
inline constexpr PushButton kPlayButton{Ltrb(146, 177, 195, 206), 64};
inline constexpr PushButton kMuteButton{Ltrb(195, 177, 247, 206), 113};
inline constexpr PushButton kPowerButton{Ltrb(344, 177, 399, 206), 262};

inline constexpr QRect kVolumeTrack = Ltrb(250, 182, 335, 210);
inline constexpr QPoint kKnobOrigin{252, 183};
inline constexpr QPoint kCoverOrigin{253, 179};
inline constexpr QRect kLampRect = Ltrb(427, 211, 442, 226);
inline constexpr int kFlapLeft = 254;
inline constexpr int kFlapFirstRow = 19;  // frame rows from here map to window rows from 0
inline constexpr int kFlapLastFrame = 34;
inline constexpr int kBodyMaskThreshold = 50;  // mask values above this are the radio body

// Hotspot ids: 1-32 the dial sectors, then the controls.
inline constexpr int kHotStop = 33, kHotPlay = 34, kHotMute = 35, kHotVolume = 36, kHotPower = 37,
                     kHotWeb = 38;
inline constexpr QRect kHotStopRect = Ltrb(93, 182, 142, 214);
inline constexpr QRect kHotPlayRect = Ltrb(143, 182, 191, 214);
inline constexpr QRect kHotMuteRect = Ltrb(192, 182, 240, 210);
inline constexpr QRect kHotPowerRect = Ltrb(342, 182, 392, 210);
inline constexpr QRect kHotWebRect = Ltrb(32, 354, 138, 471);

// Dial sector i (1-32): the triangle from the centre to radius 98 between the angles
// (i - 9.5)·π/16 and (i - 8.5)·π/16, screen orientation (y grows downwards).
QPolygon SectorTriangle(int sector);
// Near the dial's centre, over the needle's hub, nothing is hot.
QPolygon ExclusionPolygon();
// The needle for slot k (0-31) points at the middle of sector k + 1.
QLine NeedleLine(int slot);

// The volume a drag to window x gives (the knob stays on the track, so at most 81), and
// where the knob then sits.
int VolumeForDragX(int x);
int KnobOffsetForVolume(int volume);

}  // namespace radio::geometry
