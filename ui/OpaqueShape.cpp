#include "ui/OpaqueShape.h"

#include <QRect>

#include <algorithm>

namespace ui {

void OpaqueShape::Reset() {
    size_ = QSize();
    rows_.clear();
    region_ = QRegion();
}

bool OpaqueShape::Update(const QImage& image, int top, int bottom) {
    if (image.depth() != 32)
        return false;
    const int scale = std::max(1, qRound(image.devicePixelRatio()));
    const QSize size = image.size() / scale;
    bool changed = false;
    if (size != size_) {
        size_ = size;
        rows_.assign(static_cast<std::size_t>(size_.height()), {});
        top = 0;
        bottom = size_.height();
        changed = true;
    }
    top = std::max(top, 0);
    bottom = std::min(bottom, size_.height());
    Runs runs;
    for (int y = top; y < bottom; ++y) {
        ReadRuns(image, y, scale, runs);
        Runs& row = rows_[static_cast<std::size_t>(y)];
        if (runs != row) {
            row.swap(runs);
            changed = true;
        }
    }
    if (changed)
        Rebuild();
    return changed;
}

// Runs for every flap step over hundreds of rows: a plain scan of the alpha bytes, into a
// vector that keeps its room from row to row.
void OpaqueShape::ReadRuns(const QImage& image, int y, int scale, Runs& runs) const {
    runs.clear();
    const auto* line = reinterpret_cast<const QRgb*>(image.constScanLine(y * scale));
    const int width = size_.width();
    const int threshold = threshold_;
    const auto opaque = [line, scale, threshold](int x) {
        return qAlpha(line[x * scale]) > threshold;
    };
    for (int x = 0; x < width;) {
        while (x < width && !opaque(x)) ++x;
        const int start = x;
        while (x < width && opaque(x)) ++x;
        if (x > start)
            runs.emplace_back(start, x);
    }
}

// Rows with the same runs one under the other become one band of taller rectangles: the
// outline of a cabinet has long straight sides, and the display server and the window
// manager then deal with a few hundred rectangles instead of thousands.
void OpaqueShape::Rebuild() {
    std::vector<QRect> rects;
    const int height = static_cast<int>(rows_.size());
    for (int y = 0; y < height;) {
        const Runs& runs = rows_[static_cast<std::size_t>(y)];
        int end = y + 1;
        while (end < height && rows_[static_cast<std::size_t>(end)] == runs) ++end;
        for (const auto& [start, stop] : runs) rects.emplace_back(start, y, stop - start, end - y);
        y = end;
    }
    region_ = QRegion();
    region_.setRects(rects.data(), static_cast<int>(rects.size()));
}

}  // namespace ui
