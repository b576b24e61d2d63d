#pragma once
// One-call loading of a numbered picture resource: JPEG colour pictures arrive at 32 bits
// per pixel, masks (8-bit grey bitmaps) and greyscale JPEGs at 8. Raises PLTextException.

#include <memory>

#include "picture/PLDIBSection.h"

namespace picture {

// `scale` 2 loads the picture drawn twice as big, for screens of twice the density.
void LoadPicture(int resourceId, PLDIBSection& target, int scale = 1);
std::unique_ptr<PLDIBSection> LoadPicture(int resourceId, int scale = 1);

}  // namespace picture
