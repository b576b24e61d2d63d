#include "tools/skin/Outline.h"

#include <utility>

namespace skin {

namespace {

using Runs = std::vector<std::pair<int, int>>;  // [left, right) per run

Runs RunsOfRow(const QImage& grey, int y, int threshold) {
    Runs runs;
    const uchar* line = grey.constScanLine(y);
    int x = 0;
    while (x < grey.width()) {
        while (x < grey.width() && line[x] <= threshold) ++x;
        if (x == grey.width())
            break;
        const int start = x;
        while (x < grey.width() && line[x] > threshold) ++x;
        runs.emplace_back(start, x);
    }
    return runs;
}

}  // namespace

std::vector<QRect> OutlineRectangles(const QImage& grey, int threshold) {
    std::vector<QRect> out;
    int bandTop = 0;
    Runs band = grey.height() > 0 ? RunsOfRow(grey, 0, threshold) : Runs{};
    const auto closeBand = [&out](const Runs& runs, int top, int bottom) {
        for (const auto& [left, right] : runs)
            out.emplace_back(left, top, right - left, bottom - top);
    };
    for (int y = 1; y <= grey.height(); ++y) {
        Runs row = y < grey.height() ? RunsOfRow(grey, y, threshold) : Runs{};
        if (y < grey.height() && row == band)
            continue;
        closeBand(band, bandTop, y);
        band = std::move(row);
        bandTop = y;
    }
    return out;
}

}  // namespace skin
