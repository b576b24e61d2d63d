#pragma once
// One-call loading of a numbered picture resource: JPEG colour pictures arrive at 32 bits
// per pixel, masks (8-bit grey bitmaps) and greyscale JPEGs at 8. A picture that is missing
// or cannot be decoded fails with the decoder's text and its PLErr code.

#include <memory>

#include "picture/PLDIBSection.h"
#include "util/Result.h"

namespace picture {

// `scale` 2 loads the picture drawn twice as big, for screens of twice the density.
util::Status LoadPicture(int resourceId, PLDIBSection& target, int scale = 1);
util::Result<std::unique_ptr<PLDIBSection>> LoadPicture(int resourceId, int scale = 1);

}  // namespace picture
