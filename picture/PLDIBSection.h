#pragma once
// The bitmap type every caller uses: a PLWinBmp whose pixel block can be painted directly,
// through a QImage that wraps it without copying. A new one holds a 16 × 16, 8-bit picture.

#include "picture/PLWinBmp.h"

class QImage;
class QPainter;
class QRect;

namespace picture {

class PLDIBSection : public PLWinBmp {
  public:
    PLDIBSection();
    ~PLDIBSection() override = default;

    // A QImage sharing this picture's pixels (see picture/ImageView.h); valid until the
    // picture is re-created or destroyed.
    QImage GetHandle();

    // Drawing with the painter's current composition mode (the caller's raster operation).
    void Draw(QPainter& painter, int x, int y);
    void DrawPart(QPainter& painter, int x, int y, const QRect& source);
    void StretchDraw(QPainter& painter, int x, int y, int width, int height);
    // Scales width and height by `factor`, truncating.
    void StretchDraw(QPainter& painter, int x, int y, double factor);
};

}  // namespace picture
