#pragma once
// The flap over the cabinet, one row at a time. It runs for every flap pixel at every step of
// the animation, four times as many on a screen of twice the density, so it has a vector
// version where the processor offers one; both give the same pixels.

#include <cstdint>

namespace radio {

// `frame` holds pixels as words of blue, green, red and alpha (low byte first), `bodyMask`
// the cabinet's opacity under each, `out` premultiplied ARGB words. Where the mask is above
// `bodyThreshold` the cabinet stays; elsewhere the frame's colour premultiplied by its alpha
// (each channel times alpha, divided by 256, truncated) shows, with the larger of the
// frame's alpha and the cabinet's.
void ComposeFlapRow(const std::uint32_t* frame, const std::uint8_t* bodyMask, std::uint32_t* out,
                    int width, int bodyThreshold);

// True when a row of a frame's mask (its alpha) is all 0: such a row composes to the
// cabinet's mask whatever its colours, the same for every such frame.
bool MaskRowIsClear(const std::uint8_t* mask, int width);

}  // namespace radio
