// Arbitrary bytes through the picture decoders: every input must end in a decoded picture
// or a PLTextException, never in a crash, a hang or a read outside the data.
#include <cstddef>
#include <cstdint>
#include <span>

#include "picture/PLAnyBmp.h"
#include "picture/PLAnyPicDecoder.h"
#include "picture/PLFilterCrop.h"
#include "picture/PLTextException.h"

using picture::PLAnyBmp;
using picture::PLAnyPicDecoder;
using picture::PLBmp;
using picture::PLFilterCrop;
using picture::PLTextException;

namespace {

// Exercises what the skin does with a decoded picture: cut a piece out, widen to 32 bits
// and take alpha from an 8-bit picture. Only for pictures up to skin size: the operations do not
// change with size, and whole seconds spent widening huge pictures would starve the decoders of
// fuzzing time.
void UsePicture(PLBmp& bmp) {
    const int w = bmp.GetWidth();
    const int h = bmp.GetHeight();
    if (static_cast<long>(w) * h > 1024 * 1024)
        return;
    PLAnyBmp piece;
    if (!PLFilterCrop(w / 3, h / 3, w / 3 + 15, h / 3 + 15).Apply(bmp, piece))
        return;
    if (bmp.GetBitsPerPixel() == 8) {
        PLAnyBmp wide;
        wide.CopyFrom(bmp, 32);
        if (wide.SetAlphaFromMask(bmp))
            (void)wide.SetAlphaFromMask(piece).has_value();
    }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    static PLAnyPicDecoder decoder;  // reused, as the radio reuses one decoder for many pictures
    PLAnyBmp bmp;
    try {
        decoder.DecodeMemory(std::span<const std::uint8_t>(data, size), bmp);
        UsePicture(bmp);
    } catch (const PLTextException&) {
    }
    return 0;
}
