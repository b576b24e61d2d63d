#pragma once
// The window outline stored as region data: a 32-byte header (size 32, type 1 =
// rectangles, count, byte size of the rectangles, bounding box) followed by `count`
// rectangles of four little-endian 32-bit values (left, top, right, bottom).

#include "util/Result.h"

#include <QRegion>

#include <cstdint>
#include <optional>
#include <span>

class QWidget;

namespace ui {

// The region the data describes; nothing when the data is short, inconsistent or unbounded.
std::optional<QRegion> RegionFromRegionData(std::span<const std::uint8_t> data);

// Loads the outline resource and gives it to the window; the result is the outline given,
// or names the step that failed.
util::Result<QRegion> SetWindowRegionFromResource(int resourceId, QWidget* window);

}  // namespace ui
