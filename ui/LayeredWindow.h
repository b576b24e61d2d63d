#pragma once
// Per-pixel translucent windows. A window is drawn from a premultiplied 32-bit surface; fully
// transparent pixels are cut out of the window's input shape so clicks there reach whatever
// lies below, as they would through a hole in the radio.

#include "ui/OpaqueShape.h"

#include <QImage>
#include <QRegion>

class QWidget;

namespace ui {

class CLayeredWindow {
  public:
    // Decides once whether translucency is possible here.
    CLayeredWindow();
    // For tests and for callers that know better.
    CLayeredWindow(int versionCode, int screenDepth, bool composites);

    // The decision itself: level 6 or more, more than 8 bits per pixel, and a compositor.
    static bool IsCapable(int versionCode, int screenDepth, bool composites);

    bool Capable() const { return capable_; }
    // Remembers the window; false when not capable. On: the window gets a translucent
    // background (to be called before it is first shown).
    bool SetLayered(QWidget* window, bool on);
    // Shows the `changed` part (in the window's layout pixels) of `surface` (premultiplied
    // ARGB, window size) and keeps the window's input shape the surface's opaque part: only
    // the rows of `changed` are read again, and the shape is set only when they changed it.
    // Returns true.
    bool UpdateFromSurface(const QImage& surface, const QRect& changed);
    // All of it.
    bool UpdateFromSurface(const QImage& surface);

    QWidget* Window() const { return window_; }

  private:
    bool capable_ = false;
    QWidget* window_ = nullptr;
    // X11 takes an input shape in the window's own pixels; elsewhere, or when the surface's
    // pixels are not the window's, a widget mask in layout pixels stands in.
    enum class ShapeKind { None, Input, Mask };
    ShapeKind shapeKind_ = ShapeKind::None;
    bool inputShapeFailed_ = false;
    OpaqueShape shape_{0};
};

// The pixels whose alpha is above `threshold`, as a region of horizontal runs.
QRegion RegionFromAlpha(const QImage& image, int threshold = 0);

}  // namespace ui
