#pragma once
// Pixel work on rendered artwork: splitting colour and opacity, and keeping JPEG edges clean.

#include <QColor>
#include <QImage>
#include <QRect>

namespace skin {

// The alpha channel of an ARGB picture as an 8-bit grey picture (0 transparent, 255 opaque).
QImage AlphaOf(const QImage& argb);

// The colour of an ARGB picture without its alpha, ready for JPEG. Fully transparent pixels
// take the colour of their nearest opaque neighbours, so the JPEG's blocks do not smear a
// dark fringe into the visible edge.
QImage ColourOf(const QImage& argb);

// 255 where the two pictures differ visibly, with a soft one-pixel fringe; 0 elsewhere.
QImage DifferenceMask(const QImage& a, const QImage& b);

// Sets every mask pixel outside `keep` to 0.
void ClearOutside(QImage& grey, const QRect& keep);

// The bounding box of the grey pixels above `threshold`; empty when there are none.
QRect BoundsAbove(const QImage& grey, int threshold);

// Puts the cells of a transparent picture on the menu strip's magenta key: pixels that are
// mostly opaque keep their colour (blended over the menu's light background), the rest
// become exactly 0xFF00FF. No drawn pixel is left equal to the key.
QImage OnMagentaKey(const QImage& argb, QColor menuBackground);

}  // namespace skin
