#include "ui/LayeredWindow.h"

#include "platform/system/Display.h"
#include "ui/VersionCode.h"

#include <QRect>
#include <QWidget>

#include <algorithm>
#include <vector>

namespace ui {

CLayeredWindow::CLayeredWindow()
    : CLayeredWindow(ui::GetOSVersionCode(), platform::ScreenDepth(),
                     platform::DisplayComposites()) {}

CLayeredWindow::CLayeredWindow(int versionCode, int screenDepth, bool composites)
    : capable_(IsCapable(versionCode, screenDepth, composites)) {}

bool CLayeredWindow::IsCapable(int versionCode, int screenDepth, bool composites) {
    return versionCode >= 6 && screenDepth > 8 && composites;
}

bool CLayeredWindow::SetLayered(QWidget* window, bool on) {
    window_ = window;
    if (!capable_)
        return false;
    if (window) {
        window->setAttribute(Qt::WA_TranslucentBackground, on);
        window->setAttribute(Qt::WA_NoSystemBackground, on);
    }
    return true;
}

bool CLayeredWindow::UpdateFromSurface(const QImage& surface) {
    const int scale = std::max(1, qRound(surface.devicePixelRatio()));
    return UpdateFromSurface(surface,
                             QRect(0, 0, surface.width() / scale, surface.height() / scale));
}

bool CLayeredWindow::UpdateFromSurface(const QImage& surface, const QRect& changed) {
    if (!window_)
        return true;
    // On X11 only the input shape is set: transparent pixels already show what lies below,
    // and a widget mask would have Qt clip every repaint to it (about 1 MB of heap while the
    // radio plays).
    const bool samePixels = qFuzzyCompare(surface.devicePixelRatio(), window_->devicePixelRatioF());
    const ShapeKind kind = samePixels && !inputShapeFailed_ ? ShapeKind::Input : ShapeKind::Mask;
    if (kind != shapeKind_) {
        shape_.Reset();
        shapeKind_ = kind;
    }
    if (kind == ShapeKind::Input) {
        // The surface's own pixels, read whole rather than sampled at the layout's size.
        const int scale = std::max(1, qRound(surface.devicePixelRatio()));
        const QImage pixels(surface.constBits(), surface.width(), surface.height(),
                            surface.bytesPerLine(), surface.format());
        if (shape_.Update(pixels, changed.top() * scale, (changed.bottom() + 1) * scale) &&
            !platform::SetX11InputShape(window_->winId(), shape_.Region())) {
            inputShapeFailed_ = true;
            return UpdateFromSurface(surface);
        }
    } else if (shape_.Update(surface, changed.top(), changed.bottom() + 1)) {
        window_->setMask(shape_.Region());
    }
    window_->update(changed);
    return true;
}

QRegion RegionFromAlpha(const QImage& source, int threshold) {
    const QImage image = source.format() == QImage::Format_ARGB32_Premultiplied ||
                                 source.format() == QImage::Format_ARGB32
                             ? source
                             : source.convertToFormat(QImage::Format_ARGB32_Premultiplied);
    std::vector<QRect> runs;
    for (int y = 0; y < image.height(); ++y) {
        const auto* line = reinterpret_cast<const QRgb*>(image.constScanLine(y));
        int x = 0;
        while (x < image.width()) {
            while (x < image.width() && qAlpha(line[x]) <= threshold) ++x;
            const int start = x;
            while (x < image.width() && qAlpha(line[x]) > threshold) ++x;
            if (x > start)
                runs.emplace_back(start, y, x - start, 1);
        }
    }
    QRegion region;
    region.setRects(runs.data(), static_cast<int>(runs.size()));
    return region;
}

}  // namespace ui
