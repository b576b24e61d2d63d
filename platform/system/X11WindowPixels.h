#pragma once
// Writes 32-bit pixels straight into an X11 window. The window then has no copy of its
// pixels in this process: a compositor keeps the whole window, and without one the display
// asks again for the parts it exposes. A skinned window that keeps its own composed surface
// would otherwise hold its pixels twice (the surface and the toolkit's window buffer).

#include "util/Result.h"

#include <QImage>
#include <QPoint>
#include <QRect>

#include <cstddef>

namespace platform {

class X11WindowPixels {
  public:
    // Whether this display takes 32-bit images as they lie in memory: it is X11, and pixels
    // of depth 24 and 32 are 32 bits wide in this machine's byte order.
    static bool DisplayFits();

    // Reads the window's depth and visual. `largestRequest` bounds the bytes of pixels sent
    // in one request (the display's own bound applies too).
    explicit X11WindowPixels(unsigned long window, std::size_t largestRequest = 256 * 1024);
    X11WindowPixels(const X11WindowPixels&) = delete;
    X11WindowPixels& operator=(const X11WindowPixels&) = delete;
    ~X11WindowPixels();

    // The window is 24 or 32 bits deep with 8-bit red, green and blue where a 32-bit image
    // has them, so `Put` shows the image's colours.
    bool Fits() const { return fits_; }
    unsigned long Window() const { return window_; }
    int Depth() const { return depth_; }

    // Writes `source` (in the image's pixels) of a 32-bit image (RGB32 or premultiplied
    // ARGB32) at `target` in the window, in bands of rows. The first write waits for the
    // display's answer and reports a refusal; later ones are sent without waiting.
    util::Status Put(const QImage& image, const QRect& source, const QPoint& target);

  private:
    unsigned long window_ = 0;
    unsigned int gc_ = 0;
    int depth_ = 0;
    bool fits_ = false;
    bool confirmed_ = false;  // the display has taken a write into this window
    std::size_t largestRequest_ = 0;
};

}  // namespace platform
