#pragma once
// QImage views of decoded pictures, for painting with QPainter. No pixels are copied: the
// view shares the picture's memory and is valid until the picture is re-created or destroyed.
//
// 32-bit pictures with alpha (after SetAlphaFromMask) become Format_ARGB32 (not
// premultiplied). 32-bit pictures without alpha become Format_RGB32: their fourth byte is 0,
// so convert such a view with convertToFormat(QImage::Format_ARGB32_Premultiplied) before
// copying it into a translucent surface, or the copied pixels will be transparent.
// 8-bit pictures become Format_Indexed8 with the picture's palette as colour table.

#include <QImage>

class PLBmp;

namespace picture {

QImage ImageView(PLBmp& bmp);
// Read-only: writing to it makes Qt copy the pixels first.
QImage ImageView(const PLBmp& bmp);

}  // namespace picture
