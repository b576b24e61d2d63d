#pragma once
// The parts of the radio's background that the window repaints while it runs: the dial
// under the needle, the keys and volume track, the lamp and the status line. Only these
// are kept; the whole background (1.2 MB) is needed once, to start the surface.

#include <QImage>
#include <QRect>

#include <initializer_list>
#include <utility>
#include <vector>

class QPainter;

namespace radio {

class BackgroundPatches {
  public:
    // Copies `areas` (clipped to the picture) out of `background`, replacing what was kept.
    // Areas are in the picture's device-independent pixels: a picture drawn twice as big
    // (device pixel ratio 2) gives patches of four times the pixels for the same areas.
    void Keep(const QImage& background, std::initializer_list<QRect> areas);
    // Draws the background under `rect` at its place; false, drawing nothing, when no kept
    // area holds all of `rect`.
    bool Restore(QPainter& painter, const QRect& rect) const;
    bool Covers(const QRect& rect) const;
    bool Empty() const { return patches_.empty(); }

  private:
    const std::pair<QRect, QImage>* Holding(const QRect& rect) const;

    std::vector<std::pair<QRect, QImage>> patches_;
};

}  // namespace radio
