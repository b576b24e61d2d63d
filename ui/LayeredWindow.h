#pragma once
// Per-pixel translucent windows. A window is drawn from a premultiplied 32-bit surface; fully
// transparent pixels are cut out of the window's input shape so clicks there reach whatever
// lies below, as they would through a hole in the radio.

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
    // Shows `surface` (premultiplied ARGB, window size) and makes its opaque part the
    // window's input shape. Returns true.
    bool UpdateFromSurface(const QImage& surface);

    QWidget* Window() const { return window_; }

  private:
    bool capable_ = false;
    QWidget* window_ = nullptr;
    QRegion lastShape_;
};

// The pixels whose alpha is above `threshold`, as a region of horizontal runs.
QRegion RegionFromAlpha(const QImage& image, int threshold = 0);

}  // namespace ui
