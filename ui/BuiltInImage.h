#pragma once
// Pictures in a format Qt reads itself (PNG, BMP). Told the format, Qt would still load every
// image plugin to ask whether one of them wants the data; these readers do not.

#include <QIcon>
#include <QImage>
#include <QString>

#include <cstdint>
#include <span>

namespace ui {

QImage ReadBuiltInImage(const QString& path, const char* format);
QImage ReadBuiltInImage(std::span<const std::uint8_t> data, const char* format);

// A numbered BMP bitmap (bitmap resources first, then raw data) for a window of
// `devicePixelRatio`: from 1.5 on the one drawn twice as big, with that device pixel ratio,
// so it covers the same layout pixels. Null when there is none.
QImage ReadBitmapResource(int id, double devicePixelRatio);

// The program's icon, in the sizes task bars and window switchers ask for.
QIcon AppIcon();

}  // namespace ui
