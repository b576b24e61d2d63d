#pragma once
// The file forms the radio reads: JPEG pictures, 8-bit grey BMP masks, 24-bit BMP bitmaps,
// the ICO icon and the outline as RGNDATA. Every encoder gives the same bytes for the same
// picture, so regenerating the skin changes only what the art changed.

#include <QByteArray>
#include <QImage>
#include <QRect>
#include <vector>

namespace skin {

QByteArray EncodeJpeg(const QImage& colour, int quality);
QByteArray EncodeGreyMask(const QImage& grey);
QByteArray EncodeBmp24(const QImage& colour);
QByteArray EncodePng(const QImage& image);
// A Windows icon with one PNG-compressed entry per picture (square, 1-256 pixels).
QByteArray EncodeIco(const std::vector<QImage>& sizes);
// A RGNDATA block: 32-byte header (size 32, type 1, count, 16 x count, bounds) then the
// rectangles as left, top, right, bottom (exclusive right and bottom), little-endian.
QByteArray EncodeRgnData(const std::vector<QRect>& rectangles);

}  // namespace skin
