#include "ui/LayeredWindow.h"

#include "platform/system/Display.h"
#include "ui/OpaqueShape.h"
#include "ui/VersionCode.h"

#include <QRect>
#include <QWidget>

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
    if (!window_)
        return true;
    const QRegion shape = RegionFromAlpha(surface);
    if (shape != lastShape_) {
        // On X11 only the input shape is set: transparent pixels already show what lies
        // below, and a widget mask would have Qt clip every repaint to it (about 1 MB of
        // heap while the radio plays). X11 takes it in the window's own pixels, which are
        // the surface's when both have the same device pixel ratio; a widget mask is in
        // layout pixels.
        const bool samePixels =
            qFuzzyCompare(surface.devicePixelRatio(), window_->devicePixelRatioF());
        if (!samePixels || !platform::SetX11InputShape(window_->winId(), shape)) {
            ui::OpaqueShape layoutShape(0);
            layoutShape.Update(surface);
            window_->setMask(layoutShape.Region());
        }
        lastShape_ = shape;
    }
    window_->update();
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
