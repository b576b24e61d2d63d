#pragma once
// The window outline for displays without per-pixel transparency: the mask's opaque pixels
// as a list of rectangles in y-x bands, the order Windows keeps its regions in.

#include <QImage>
#include <QRect>
#include <vector>

namespace skin {

// Rows with the same runs of pixels above `threshold` are merged into one band; each run
// of a band is one rectangle. Sorted by top, then left.
std::vector<QRect> OutlineRectangles(const QImage& grey, int threshold);

}  // namespace skin
