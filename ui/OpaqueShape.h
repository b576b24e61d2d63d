#pragma once
// The opaque part of a composed picture as a window shape, kept up to date band by band: a
// change to a few rows of the picture costs only those rows, and the shape is rebuilt only
// when one of them really changed.

#include <QImage>
#include <QRegion>

#include <utility>
#include <vector>

namespace ui {

class OpaqueShape {
  public:
    // Pixels whose alpha is above `threshold` belong to the shape.
    explicit OpaqueShape(int threshold = 127) : threshold_(threshold) {}

    // Reads rows `top` to `bottom` (exclusive) of `image` (32-bit ARGB, premultiplied or
    // not) again; a picture of another size is read whole. True when the shape changed.
    // Rows and the shape are in the picture's device-independent pixels: of a picture drawn
    // twice as big (device pixel ratio 2) every second pixel of every second row is read.
    bool Update(const QImage& image, int top, int bottom);
    bool Update(const QImage& image) { return Update(image, 0, image.height()); }
    // Forgets the picture: the next update reads it whole.
    void Reset();

    bool Empty() const { return rows_.empty(); }
    const QRegion& Region() const { return region_; }

  private:
    using Runs = std::vector<std::pair<int, int>>;  // [start, end) of each opaque run
    void ReadRuns(const QImage& image, int y, int scale, Runs& runs) const;
    void Rebuild();

    int threshold_;
    QSize size_;
    std::vector<Runs> rows_;
    QRegion region_;
};

}  // namespace ui
