#pragma once
// What the display offers: per-pixel translucency needs a compositing manager (always on
// Wayland; on X11 the owner of the _NET_WM_CM_S<screen> selection) and more than 8 bits per pixel.

#include "util/Result.h"

class QRegion;

namespace platform {

// True when a compositor draws translucent windows over the desktop.
bool DisplayComposites();
// Bits per pixel of the primary screen (0 without a screen).
int ScreenDepth();
// Makes `region` (in window pixels) the only part of the X11 window `window` that takes the
// pointer; what it shows is left alone. Fails when this is not X11 or the display has no
// shape extension.
util::Status SetX11InputShape(unsigned long window, const QRegion& region);

}  // namespace platform
