#pragma once
// The window outline stored as region data: a 32-byte header (size 32, type 1 =
// rectangles, count, byte size of the rectangles, bounding box) followed by `count`
// rectangles of four little-endian 32-bit values (left, top, right, bottom).

#include <QRegion>

#include <cstdint>
#include <optional>
#include <span>

class QWidget;

namespace ui {

// The region the data describes; nothing when the data is short, inconsistent or unbounded.
std::optional<QRegion> RegionFromRegionData(std::span<const std::uint8_t> data);

// Loads the outline resource and gives it to the window. 1 on success, 0 after a message
// box that names the step that failed.
int SetWindowRegionFromResource(int resourceId, QWidget* window);

}  // namespace ui
