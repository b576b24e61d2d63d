#include "radio/SkinGeometry.h"

#include <QLine>

#include <algorithm>
#include <cmath>
#include <numbers>

namespace radio::geometry {

namespace {
QPoint PointAt(double radius, double angle) {
    // Truncation, as the outline was measured.
    return {static_cast<int>(kDialCentre.x() + radius * std::cos(angle)),
            static_cast<int>(kDialCentre.y() + radius * std::sin(angle))};
}
}  // namespace

QPolygon SectorTriangle(int sector) {
    constexpr double step = std::numbers::pi / 16;
    return QPolygon({kDialCentre, PointAt(kSectorRadius, (sector - 9.5) * step),
                     PointAt(kSectorRadius, (sector - 8.5) * step)});
}

QPolygon ExclusionPolygon() {
    return QPolygon({QPoint(325, 254), QPoint(332, 321), QPoint(287, 268), QPoint(306, 257)});
}

QLine NeedleLine(int slot) {
    const double angle = (slot + 1) * std::numbers::pi / 16 - 9 * std::numbers::pi / 16;
    return {PointAt(kNeedleInner, angle), PointAt(kNeedleOuter, angle)};
}

int VolumeForDragX(int x) {
    x = std::clamp(x, 250, 319);
    return static_cast<int>((x - 250) / 85.0 * 100);
}

int KnobOffsetForVolume(int volume) {
    return static_cast<int>(85 * volume * 0.01);
}

}  // namespace radio::geometry
