#include "radio/FlapComposition.h"

#include <algorithm>
#include <bit>
#include <cstring>

#if defined(__SSE2__)
#include <emmintrin.h>
#endif

namespace radio {

static_assert(std::endian::native == std::endian::little,
              "frame pixels are read as words of blue, green, red, alpha");

namespace {

std::uint32_t ComposePixel(std::uint32_t pixel, std::uint32_t body, std::uint32_t under,
                           std::uint32_t bodyThreshold) {
    if (body > bodyThreshold)
        return under;
    const std::uint32_t a = pixel >> 24;
    const std::uint32_t blue = ((pixel & 0xFF) * a) >> 8;
    const std::uint32_t green = (((pixel >> 8) & 0xFF) * a) >> 8;
    const std::uint32_t red = (((pixel >> 16) & 0xFF) * a) >> 8;
    return (std::max(a, body) << 24) | (red << 16) | (green << 8) | blue;
}

#if defined(__SSE2__)
// Four pixels at a time. Channel times alpha is at most 255 * 255 and fits a 16-bit lane;
// the alpha lane's own product is masked off and replaced by the larger of the two alphas.
int ComposeFourAtATime(const std::uint32_t* frame, const std::uint8_t* bodyMask, std::uint32_t* out,
                       int width, int bodyThreshold) {
    const __m128i zero = _mm_setzero_si128();
    const __m128i threshold = _mm_set1_epi32(bodyThreshold);
    const __m128i colourBits = _mm_set1_epi32(0x00FFFFFF);
    int x = 0;
    for (; x + 4 <= width; x += 4) {
        std::int32_t bodyBytes;
        std::memcpy(&bodyBytes, bodyMask + x, sizeof bodyBytes);
        const __m128i body =
            _mm_unpacklo_epi16(_mm_unpacklo_epi8(_mm_cvtsi32_si128(bodyBytes), zero), zero);
        const __m128i cabinet = _mm_cmpgt_epi32(body, threshold);
        // Much of the flap's rectangle lies on the cabinet, which stays as it is.
        if (_mm_movemask_epi8(cabinet) == 0xFFFF)
            continue;
        const __m128i pixels = _mm_loadu_si128(reinterpret_cast<const __m128i*>(frame + x));

        __m128i low = _mm_unpacklo_epi8(pixels, zero);
        __m128i high = _mm_unpackhi_epi8(pixels, zero);
        const __m128i lowAlpha = _mm_shufflehi_epi16(_mm_shufflelo_epi16(low, 0xFF), 0xFF);
        const __m128i highAlpha = _mm_shufflehi_epi16(_mm_shufflelo_epi16(high, 0xFF), 0xFF);
        low = _mm_srli_epi16(_mm_mullo_epi16(low, lowAlpha), 8);
        high = _mm_srli_epi16(_mm_mullo_epi16(high, highAlpha), 8);
        const __m128i colours = _mm_and_si128(_mm_packus_epi16(low, high), colourBits);

        // Both alphas are below 256, so a 16-bit maximum is the 32-bit one.
        const __m128i alpha = _mm_max_epi16(_mm_srli_epi32(pixels, 24), body);
        const __m128i composed = _mm_or_si128(colours, _mm_slli_epi32(alpha, 24));

        const __m128i under = _mm_loadu_si128(reinterpret_cast<const __m128i*>(out + x));
        const __m128i result =
            _mm_or_si128(_mm_and_si128(cabinet, under), _mm_andnot_si128(cabinet, composed));
        _mm_storeu_si128(reinterpret_cast<__m128i*>(out + x), result);
    }
    return x;
}
#endif

}  // namespace

void ComposeFlapRow(const std::uint32_t* frame, const std::uint8_t* bodyMask, std::uint32_t* out,
                    int width, int bodyThreshold) {
    int x = 0;
#if defined(__SSE2__)
    x = ComposeFourAtATime(frame, bodyMask, out, width, bodyThreshold);
#endif
    const auto threshold = static_cast<std::uint32_t>(bodyThreshold);
    for (; x < width; ++x) out[x] = ComposePixel(frame[x], bodyMask[x], out[x], threshold);
}

bool MaskRowIsClear(const std::uint8_t* mask, int width) {
    std::uint8_t any = 0;
    for (int x = 0; x < width; ++x) any |= mask[x];
    return any == 0;
}

}  // namespace radio
