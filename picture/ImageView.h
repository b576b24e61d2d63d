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

namespace picture {

class PLBmp;

QImage ImageView(PLBmp& bmp);
// Read-only: writing to it makes Qt copy the pixels first.
QImage ImageView(const PLBmp& bmp);

// An image that owns a copy of the pixels and outlives the picture. 32-bit pictures without
// alpha become Format_RGB32 with the fourth byte set to 0xFF, as Qt expects of that format.
// Note: QImage::convertToFormat to the format an image already has returns a shallow copy,
// so `ImageView(bmp).convertToFormat(QImage::Format_RGB32)` still points into `bmp`; use
// this function when the image must live longer than the picture.
QImage ToImage(const PLBmp& bmp);

}  // namespace picture
