#include "tools/skin/Preview.h"

#include <QFont>
#include <QFontMetrics>
#include <QPainter>
#include <cmath>
#include <numbers>

#include "tools/skin/SkinLayout.h"

namespace skin {

namespace {

QRgb Premultiplied(QRgb colour, int alpha) {
    return qRgba(qRed(colour) * alpha / 255, qGreen(colour) * alpha / 255,
                 qBlue(colour) * alpha / 255, alpha);
}

// Copies `picture` with `mask` as its alpha into the surface at `at` (a copy, as the
// window's own drawing does, not a blend).
void CopyMasked(QImage& surface, const QImage& picture, const QImage& mask, QPoint at,
                const QRect& source) {
    for (int y = 0; y < source.height(); ++y) {
        for (int x = 0; x < source.width(); ++x) {
            const int sx = source.x() + x, sy = source.y() + y;
            const QRgb c = picture.pixel(sx, sy);
            const int a = mask.constScanLine(sy)[sx];
            surface.setPixel(at.x() + x, at.y() + y, Premultiplied(c, a));
        }
    }
}

// Blends `picture` through `mask` over the surface (the cover and the knob).
void BlendMasked(QImage& surface, const QImage& picture, const QImage& mask, QPoint at) {
    for (int y = 0; y < picture.height(); ++y) {
        for (int x = 0; x < picture.width(); ++x) {
            const int a = mask.constScanLine(y)[x];
            const QRgb s = picture.pixel(x, y);
            const QRgb d = surface.pixel(at.x() + x, at.y() + y);
            const auto mix = [a](int sc, int dc) { return (sc * a + dc * (255 - a)) / 255; };
            surface.setPixel(at.x() + x, at.y() + y,
                             qRgba(mix(qRed(s), qRed(d)), mix(qGreen(s), qGreen(d)),
                                   mix(qBlue(s), qBlue(d)), mix(255, qAlpha(d))));
        }
    }
}

// The flap shows only where the cabinet is not (mask value 50 or less).
void ComposeFlap(QImage& surface, const QImage& bgMask, const QImage& frame, const QImage& mask) {
    for (int fy = kFlapFirstRow; fy < kFlapHeight; ++fy) {
        const int r = fy - kFlapFirstRow;
        for (int x = 0; x < kFlapWidth && kFlapLeft + x < kWindowWidth; ++x) {
            const int w = bgMask.constScanLine(r)[kFlapLeft + x];
            if (w > 50)
                continue;
            const int a = mask.constScanLine(fy)[x];
            const QRgb c = frame.pixel(x, fy);
            const int alpha = a != 0 ? std::max(a, w) : w;
            surface.setPixel(
                kFlapLeft + x, r,
                qRgba(qRed(c) * a / 256, qGreen(c) * a / 256, qBlue(c) * a / 256, alpha));
        }
    }
}

void DrawNeedle(QImage& surface, int slot) {
    QPainter p(&surface);
    p.setPen(QPen(QColor(255, 204, 51), 1));
    const double angle = (slot + 1) * std::numbers::pi / 16 - 9 * std::numbers::pi / 16;
    const auto at = [angle](double r) {
        return QPoint(static_cast<int>(kDialCentre.x() + r * std::cos(angle)),
                      static_cast<int>(kDialCentre.y() + r * std::sin(angle)));
    };
    p.drawLine(at(16), at(75));
}

void DrawStatus(QImage& surface, const QString& text) {
    if (text.isEmpty())
        return;
    QPainter p(&surface);
    QFont font(QStringLiteral("Verdana"));
    font.setPixelSize(11);
    p.setFont(font);
    p.setPen(QColor(0x34, 0x32, 0x3D));
    p.drawText(kStatusLine, Qt::AlignCenter | Qt::TextSingleLine, text);
}

void Checkerboard(QPainter& p, const QRect& area, int cell = 12) {
    for (int y = area.top(); y <= area.bottom(); y += cell) {
        for (int x = area.left(); x <= area.right(); x += cell) {
            const bool dark = (((x - area.left()) / cell) + ((y - area.top()) / cell)) % 2 != 0;
            p.fillRect(QRect(x, y, cell, cell).intersected(area),
                       dark ? QColor(0xB8, 0xC4, 0xCC) : QColor(0xE4, 0xEA, 0xEE));
        }
    }
}

QImage WithAlpha(const QImage& colour, const QImage& mask) {
    QImage out(colour.size(), QImage::Format_ARGB32_Premultiplied);
    CopyMasked(out, colour, mask, {0, 0}, QRect(QPoint(0, 0), colour.size()));
    return out;
}

class Sheet {
  public:
    explicit Sheet(int width) : image_(width, 2600, QImage::Format_RGB32) {
        image_.fill(QColor(0x2B, 0x22, 0x1C));
    }

    // Places a picture (with an optional mask over a checkerboard) and its caption.
    void Add(const QImage& picture, const QString& caption, const QImage& mask = {},
             double scale = 1.0) {
        QImage shown = mask.isNull() ? picture.convertToFormat(QImage::Format_ARGB32_Premultiplied)
                                     : WithAlpha(picture, mask);
        const QSize size(static_cast<int>(shown.width() * scale),
                         static_cast<int>(shown.height() * scale));
        QFont font(QStringLiteral("DejaVu Sans"));
        font.setPixelSize(11);
        const int boxWidth =
            std::max(size.width(), QFontMetrics(font).horizontalAdvance(caption) + 4);
        if (x_ + boxWidth > image_.width() - kMargin)
            NewRow();
        QPainter p(&image_);
        const QRect target(QPoint(x_, y_), size);
        if (!mask.isNull())
            Checkerboard(p, target, 8);
        p.setRenderHint(QPainter::SmoothPixmapTransform, scale < 1.0);
        p.drawImage(target, shown);
        p.setFont(font);
        p.setPen(QColor(0xF0, 0xDC, 0xB0));
        p.drawText(QRect(x_, y_ + size.height() + 3, boxWidth, 28),
                   Qt::AlignLeft | Qt::TextWordWrap, caption);
        x_ += boxWidth + kMargin;
        rowHeight_ = std::max(rowHeight_, size.height() + 34);
    }

    void NewRow() {
        if (x_ == kMargin)
            return;
        x_ = kMargin;
        y_ += rowHeight_ + 6;
        rowHeight_ = 0;
    }

    QImage Finish() {
        NewRow();
        return image_.copy(0, 0, image_.width(), y_ + kMargin);
    }

  private:
    static constexpr int kMargin = 16;
    QImage image_;
    int x_ = kMargin;
    int y_ = kMargin;
    int rowHeight_ = 0;
};

}  // namespace

QImage GreyValues(const QImage& image) {
    QImage out(image.size(), QImage::Format_Grayscale8);
    for (int y = 0; y < image.height(); ++y) {
        for (int x = 0; x < image.width(); ++x) {
            out.scanLine(y)[x] = image.format() == QImage::Format_Indexed8
                                     ? static_cast<uchar>(image.pixelIndex(x, y))
                                     : static_cast<uchar>(qGray(image.pixel(x, y)));
        }
    }
    return out;
}

QImage ComposeRadio(const SkinPictures& pics, const RadioState& state) {
    QImage surface(kWindowWidth, kWindowHeight, QImage::Format_ARGB32_Premultiplied);
    CopyMasked(surface, pics.background, pics.backgroundMask, {0, 0}, surface.rect());
    const struct {
        bool pressed;
        int left, right, sourceX;
    } buttons[] = {{state.stop, 82, 145, 0},
                   {state.play, 146, 195, 64},
                   {state.mute, 195, 247, 113},
                   {state.power, 344, 399, 262}};
    for (const auto& b : buttons) {
        if (!b.pressed)
            continue;
        CopyMasked(surface, pics.pressed, pics.pressedMask, {b.left, 177},
                   QRect(b.sourceX, 0, b.right - b.left, 29));
    }
    if (state.lampLit) {
        const QImage lampMask = pics.backgroundMask.copy(kLamp);
        CopyMasked(surface, pics.lamp, lampMask, kLamp.topLeft(), QRect(0, 0, 15, 15));
    }
    DrawNeedle(surface, state.slot);
    ComposeFlap(surface, pics.backgroundMask, pics.flap[state.flapFrame],
                pics.flapMask[state.flapFrame]);
    if (state.flapFrame == 0)
        BlendMasked(surface, pics.cover, pics.coverMask, kFlapCover.topLeft());
    BlendMasked(surface, pics.knob, pics.knobMask.copy(0, 0, kKnobWidth, kKnobHeight),
                kKnobAtZero + QPoint(state.knobOffset, 0));
    DrawStatus(surface, state.status);
    return surface;
}

QImage ComposedPreview(const SkinPictures& pics) {
    const int frames[] = {0, 17, kFlapFrames - 1};
    const int captionHeight = 26;
    QImage out(kWindowWidth * 3 + 40, kWindowHeight + captionHeight + 20, QImage::Format_RGB32);
    out.fill(QColor(0x2B, 0x22, 0x1C));
    QPainter p(&out);
    QFont font(QStringLiteral("DejaVu Sans"));
    font.setPixelSize(13);
    p.setFont(font);
    for (int i = 0; i < 3; ++i) {
        RadioState state;
        state.flapFrame = frames[i];
        state.power = i > 0;
        state.play = i == 2;
        state.lampLit = i > 0;
        state.slot = 5;
        state.knobOffset = 34;
        state.status =
            i == 0 ? QString() : (i == 1 ? QStringLiteral("Verbinden") : QStringLiteral("Spielt"));
        const QRect target(10 + i * (kWindowWidth + 10), 10, kWindowWidth, kWindowHeight);
        Checkerboard(p, target);
        p.drawImage(target.topLeft(), ComposeRadio(pics, state));
        p.setPen(QColor(0xF0, 0xDC, 0xB0));
        p.drawText(QRect(target.left(), target.bottom() + 4, kWindowWidth, captionHeight),
                   Qt::AlignCenter, QStringLiteral("flap frame %1").arg(frames[i]));
    }
    return out;
}

QImage ContactSheet(const SkinPictures& pics) {
    Sheet sheet(1280);
    sheet.Add(pics.background, QStringLiteral("130 background 606×520 JPEG + 230 mask"),
              pics.backgroundMask);
    sheet.Add(pics.backgroundMask, QStringLiteral("230 mask 606×520 8-bit grey BMP"));
    sheet.NewRow();
    sheet.Add(pics.pressed, QStringLiteral("131 pressed buttons 328×29 + 231"), pics.pressedMask);
    sheet.Add(pics.cover, QStringLiteral("192 closed-flap cover 184×28 + 193"), pics.coverMask);
    sheet.Add(pics.coverMask, QStringLiteral("193 cover mask"));
    sheet.Add(pics.knob.scaled(64, 36), QStringLiteral("132 knob 16×9 (×4)"));
    sheet.Add(pics.knobMask.scaled(64, 40), QStringLiteral("232 knob mask 16×10 (×4)"));
    sheet.Add(pics.lamp.scaled(60, 60), QStringLiteral("133 lit lamp 15×15 (×4)"));
    sheet.NewRow();
    for (int n = 0; n < kFlapFrames; ++n) {
        sheet.Add(pics.flap[n], QStringLiteral("%1 / %2").arg(kFlapFrame0 + n).arg(kFlapMask0 + n),
                  pics.flapMask[n], 0.5);
    }
    sheet.NewRow();
    sheet.Add(pics.about, QStringLiteral("118 about 316×316 JPEG"));
    sheet.Add(pics.splash, QStringLiteral("500 start-up 218×216 JPEG"));
    sheet.Add(pics.closeNormal.scaled(72, 72), QStringLiteral("136 close (×4)"));
    sheet.Add(pics.closeHover.scaled(72, 72), QStringLiteral("135 close, hover (×4)"));
    sheet.NewRow();
    sheet.Add(
        pics.menuStrip.scaled(pics.menuStrip.width() * 4, pics.menuStrip.height() * 4),
        QStringLiteral("600 menu strip 176×15 on 0xFF00FF (×4): about, mail, web, check, exit"));
    sheet.Add(pics.icon, QStringLiteral("128 icon"));
    return sheet.Finish();
}

}  // namespace skin
