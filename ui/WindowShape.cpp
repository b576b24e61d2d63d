#include "ui/WindowShape.h"

#include "util/Resources.h"

#include <QWidget>

#include <vector>

namespace ui {

namespace {
constexpr std::size_t kHeaderSize = 32;
constexpr std::size_t kRectSize = 16;
// A window outline never needs more rectangles than a big window has rows times a few runs.
constexpr std::uint32_t kMaxRects = 1u << 20;

std::uint32_t U32(std::span<const std::uint8_t> d, std::size_t at) {
    return std::uint32_t(d[at]) | std::uint32_t(d[at + 1]) << 8 | std::uint32_t(d[at + 2]) << 16 |
           std::uint32_t(d[at + 3]) << 24;
}
std::int32_t I32(std::span<const std::uint8_t> d, std::size_t at) {
    return static_cast<std::int32_t>(U32(d, at));
}
}  // namespace

std::optional<QRegion> RegionFromRegionData(std::span<const std::uint8_t> data) {
    if (data.size() < kHeaderSize)
        return std::nullopt;
    const std::uint32_t headerSize = U32(data, 0);
    const std::uint32_t type = U32(data, 4);
    const std::uint32_t count = U32(data, 8);
    if (headerSize != kHeaderSize || type != 1 || count > kMaxRects)
        return std::nullopt;
    if (data.size() < kHeaderSize + std::size_t(count) * kRectSize)
        return std::nullopt;

    std::vector<QRect> rects;
    rects.reserve(count);
    for (std::uint32_t i = 0; i < count; ++i) {
        const std::size_t at = kHeaderSize + std::size_t(i) * kRectSize;
        const std::int32_t left = I32(data, at), top = I32(data, at + 4);
        const std::int32_t right = I32(data, at + 8), bottom = I32(data, at + 12);
        if (right <= left || bottom <= top)
            continue;  // empty rectangles add nothing
        if (right - static_cast<std::int64_t>(left) > 1 << 20 ||
            bottom - static_cast<std::int64_t>(top) > 1 << 20)
            return std::nullopt;
        rects.emplace_back(QPoint(left, top), QPoint(right - 1, bottom - 1));
    }
    QRegion region;
    for (const QRect& r : rects) region += r;  // no banding is assumed of outside data
    return region;
}

util::Result<QRegion> SetWindowRegionFromResource(int resourceId, QWidget* window) {
    const auto data = util::FindResourceData(resourceId, util::ResourceType::RcData);
    if (!data)
        return util::Error{"failed to find region"};
    if (data->empty())
        return util::Error{"region has an invalid size"};
    const auto region = RegionFromRegionData(*data);
    if (!region)
        return util::Error{"failed to create a region from that data"};
    if (!window)
        return util::Error{"failed to set the region for that window"};
    window->setMask(*region);
    return *region;
}

}  // namespace ui
