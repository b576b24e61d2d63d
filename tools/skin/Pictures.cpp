#include "tools/skin/Pictures.h"

#include <algorithm>
#include <cstdlib>
#include <vector>

namespace skin {

QImage AlphaOf(const QImage& argb) {
    const QImage src = argb.convertToFormat(QImage::Format_ARGB32);
    QImage out(src.size(), QImage::Format_Grayscale8);
    for (int y = 0; y < src.height(); ++y) {
        const auto* in = reinterpret_cast<const QRgb*>(src.constScanLine(y));
        uchar* line = out.scanLine(y);
        for (int x = 0; x < src.width(); ++x) line[x] = static_cast<uchar>(qAlpha(in[x]));
    }
    return out;
}

QImage ColourOf(const QImage& argb) {
    QImage src = argb.convertToFormat(QImage::Format_ARGB32);
    const int w = src.width();
    const int h = src.height();
    std::vector<QRgb> colour(static_cast<std::size_t>(w) * static_cast<std::size_t>(h));
    std::vector<bool> known(colour.size());
    for (int y = 0; y < h; ++y) {
        const auto* in = reinterpret_cast<const QRgb*>(src.constScanLine(y));
        for (int x = 0; x < w; ++x) {
            const std::size_t i = static_cast<std::size_t>(y) * w + x;
            colour[i] = in[x] | 0xFF000000u;
            known[i] = qAlpha(in[x]) > 0;
        }
    }
    // Grow the known colours outwards a few pixels at a time (a JPEG block is 8 or 16 wide).
    for (int pass = 0; pass < 16; ++pass) {
        std::vector<bool> next = known;
        std::vector<QRgb> grown = colour;
        bool changed = false;
        for (int y = 0; y < h; ++y) {
            for (int x = 0; x < w; ++x) {
                const std::size_t i = static_cast<std::size_t>(y) * w + x;
                if (known[i])
                    continue;
                int r = 0, g = 0, b = 0, n = 0;
                for (int dy = -1; dy <= 1; ++dy) {
                    for (int dx = -1; dx <= 1; ++dx) {
                        const int nx = x + dx, ny = y + dy;
                        if (nx < 0 || ny < 0 || nx >= w || ny >= h)
                            continue;
                        const std::size_t j = static_cast<std::size_t>(ny) * w + nx;
                        if (!known[j])
                            continue;
                        r += qRed(colour[j]);
                        g += qGreen(colour[j]);
                        b += qBlue(colour[j]);
                        ++n;
                    }
                }
                if (n == 0)
                    continue;
                grown[i] = qRgb(r / n, g / n, b / n);
                next[i] = true;
                changed = true;
            }
        }
        colour.swap(grown);
        known.swap(next);
        if (!changed)
            break;
    }
    QImage out(w, h, QImage::Format_RGB32);
    for (int y = 0; y < h; ++y) {
        auto* line = reinterpret_cast<QRgb*>(out.scanLine(y));
        for (int x = 0; x < w; ++x) {
            const std::size_t i = static_cast<std::size_t>(y) * w + x;
            // Far from any drawing: a dark walnut brown, never seen.
            line[x] = known[i] ? colour[i] : qRgb(40, 22, 12);
        }
    }
    return out;
}

QImage DifferenceMask(const QImage& a, const QImage& b) {
    const QImage pa = a.convertToFormat(QImage::Format_ARGB32);
    const QImage pb = b.convertToFormat(QImage::Format_ARGB32);
    QImage hard(pa.size(), QImage::Format_Grayscale8);
    hard.fill(0);
    for (int y = 0; y < pa.height(); ++y) {
        const auto* la = reinterpret_cast<const QRgb*>(pa.constScanLine(y));
        const auto* lb = reinterpret_cast<const QRgb*>(pb.constScanLine(y));
        uchar* out = hard.scanLine(y);
        for (int x = 0; x < pa.width(); ++x) {
            const int d = std::max({std::abs(qRed(la[x]) - qRed(lb[x])),
                                    std::abs(qGreen(la[x]) - qGreen(lb[x])),
                                    std::abs(qBlue(la[x]) - qBlue(lb[x]))});
            if (d > 3)
                out[x] = 255;
        }
    }
    QImage soft = hard.copy();
    for (int y = 0; y < hard.height(); ++y) {
        for (int x = 0; x < hard.width(); ++x) {
            if (hard.constScanLine(y)[x] != 0)
                continue;
            for (int dy = -1; dy <= 1; ++dy) {
                for (int dx = -1; dx <= 1; ++dx) {
                    const int nx = x + dx, ny = y + dy;
                    if (nx < 0 || ny < 0 || nx >= hard.width() || ny >= hard.height())
                        continue;
                    if (hard.constScanLine(ny)[nx] != 0)
                        soft.scanLine(y)[x] = 128;
                }
            }
        }
    }
    return soft;
}

void ClearOutside(QImage& grey, const QRect& keep) {
    for (int y = 0; y < grey.height(); ++y) {
        uchar* line = grey.scanLine(y);
        for (int x = 0; x < grey.width(); ++x) {
            if (!keep.contains(x, y))
                line[x] = 0;
        }
    }
}

QRect BoundsAbove(const QImage& grey, int threshold) {
    int left = grey.width(), top = grey.height(), right = -1, bottom = -1;
    for (int y = 0; y < grey.height(); ++y) {
        const uchar* line = grey.constScanLine(y);
        for (int x = 0; x < grey.width(); ++x) {
            if (line[x] <= threshold)
                continue;
            left = std::min(left, x);
            right = std::max(right, x);
            top = std::min(top, y);
            bottom = std::max(bottom, y);
        }
    }
    if (right < 0)
        return {};
    return QRect(QPoint(left, top), QPoint(right, bottom));
}

QImage OnMagentaKey(const QImage& argb, QColor menuBackground) {
    const QImage src = argb.convertToFormat(QImage::Format_ARGB32);
    const QRgb key = qRgb(255, 0, 255);
    QImage out(src.size(), QImage::Format_RGB32);
    for (int y = 0; y < src.height(); ++y) {
        const auto* in = reinterpret_cast<const QRgb*>(src.constScanLine(y));
        auto* line = reinterpret_cast<QRgb*>(out.scanLine(y));
        for (int x = 0; x < src.width(); ++x) {
            const int a = qAlpha(in[x]);
            if (a < 110) {
                line[x] = key;
                continue;
            }
            const auto mix = [a](int fg, int bg) { return (fg * a + bg * (255 - a) + 127) / 255; };
            QRgb c = qRgb(mix(qRed(in[x]), menuBackground.red()),
                          mix(qGreen(in[x]), menuBackground.green()),
                          mix(qBlue(in[x]), menuBackground.blue()));
            if ((c & 0xFFFFFFu) == (key & 0xFFFFFFu))
                c = qRgb(254, 0, 254);
            line[x] = c;
        }
    }
    return out;
}

}  // namespace skin
