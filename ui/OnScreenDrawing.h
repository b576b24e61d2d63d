#pragma once
// A window drawn straight from a surface its owner keeps. The toolkit would otherwise give
// the window a buffer of its own, the surface's size again, and copy every change through
// it. On X11, where the display takes the surface's pixels as they lie, the window is
// marked to paint on screen and its paint events write the surface into it; anywhere
// else, or when the window turns out not to take those pixels, it paints as usual.

#include <QImage>
#include <QPoint>
#include <QRect>

#include <memory>

class QWidget;

namespace platform {
class X11WindowPixels;
}

namespace ui {

class COnScreenDrawing {
  public:
    COnScreenDrawing();
    ~COnScreenDrawing();
    COnScreenDrawing(const COnScreenDrawing&) = delete;
    COnScreenDrawing& operator=(const COnScreenDrawing&) = delete;

    // Decides for `window` before it is first painted: on when the display takes 32-bit
    // pixels as they lie and the window's device pixels are `scale` times its layout.
    bool Prepare(QWidget* window, int scale);
    bool On() const { return on_; }
    // Writes `source` (device pixels of `pixels`) at `target` (device pixels) in the window.
    // False when the window does not take them: drawing on screen is then off for good and
    // the window has been asked to paint again, the usual way.
    bool Show(const QImage& pixels, const QRect& source, const QPoint& target);
    // Back to the usual painting (for a window that leaves this density).
    void TurnOff();

  private:
    QWidget* window_ = nullptr;
    bool on_ = false;
    std::unique_ptr<platform::X11WindowPixels> pixels_;
};

}  // namespace ui
