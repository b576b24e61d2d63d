#include "picture/ImageView.h"

#include <QList>

#include "picture/PLBmp.h"

namespace picture {

namespace {

QImage::Format FormatOf(const PLBmp& bmp) {
    if (bmp.GetBitsPerPixel() == 8)
        return QImage::Format_Indexed8;
    return bmp.HasAlpha() ? QImage::Format_ARGB32 : QImage::Format_RGB32;
}

void AttachPalette(const PLBmp& bmp, QImage& image) {
    const PLPixel32* palette = bmp.GetPalette();
    if (!palette)
        return;
    QList<QRgb> table(256);
    for (int i = 0; i < 256; ++i) {
        table[i] = qRgba(palette[i].r, palette[i].g, palette[i].b, palette[i].a);
    }
    image.setColorTable(table);
}

// A writable view for a picture that may change, a read-only one otherwise: GetLine's
// constness picks QImage's constructor.
template <typename Bmp>
QImage View(Bmp& bmp) {
    if (bmp.GetHeight() <= 0)
        return {};
    QImage image(bmp.GetLine(0), bmp.GetWidth(), bmp.GetHeight(), bmp.GetBytesPerLine(),
                 FormatOf(bmp));
    AttachPalette(bmp, image);
    return image;
}

}  // namespace

QImage ImageView(PLBmp& bmp) {
    return View(bmp);
}

QImage ImageView(const PLBmp& bmp) {
    return View(bmp);
}

QImage ToImage(const PLBmp& bmp) {
    QImage image = ImageView(bmp).copy();
    if (image.format() == QImage::Format_RGB32) {
        for (int y = 0; y < image.height(); ++y) {
            auto* line = reinterpret_cast<QRgb*>(image.scanLine(y));
            for (int x = 0; x < image.width(); ++x) line[x] |= 0xFF000000u;
        }
    }
    return image;
}

}  // namespace picture
