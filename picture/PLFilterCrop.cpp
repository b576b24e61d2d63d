#include "picture/PLFilterCrop.h"

#include <algorithm>
#include <cstring>

#include "picture/PLBmp.h"
#include "picture/PLTextException.h"

namespace picture {

PLFilterCrop::PLFilterCrop(int left, int top, int right, int bottom)
    : m_Left(left), m_Top(top), m_Right(right), m_Bottom(bottom) {}

util::Status PLFilterCrop::Apply(const PLBmp& source, PLBmp& target) const {
    const long long width = static_cast<long long>(m_Right) - m_Left;
    const long long height = static_cast<long long>(m_Bottom) - m_Top;
    if (width <= 0 || height <= 0 || width > PLBmp::kMaxSide || height > PLBmp::kMaxSide)
        return util::Error{"Crop rectangle is empty.", PLErr::kDecoding};
    try {
        target.Create(static_cast<int>(width), static_cast<int>(height), source.GetBitsPerPixel(),
                      source.HasAlpha(), source.IsGreyscale(), source.GetResolution());
    } catch (const PLTextException& e) {
        return util::Error{e.GetText(), e.GetCode()};
    }
    if (source.GetPalette())
        target.SetPalette(source.GetPalette());

    // The part of the rectangle that lies inside the source.
    const int left = std::max(m_Left, 0);
    const int right = std::min(m_Right, source.GetWidth());
    const int top = std::max(m_Top, 0);
    const int bottom = std::min(m_Bottom, source.GetHeight());
    if (left >= right || top >= bottom)
        return {};
    const int bytesPerPixel = source.GetBytesPerPixel();
    const auto bytes =
        static_cast<std::size_t>(right - left) * static_cast<std::size_t>(bytesPerPixel);
    for (int y = top; y < bottom; ++y) {
        std::memcpy(
            target.GetLine(y - m_Top) + static_cast<std::ptrdiff_t>(left - m_Left) * bytesPerPixel,
            source.GetLine(y) + static_cast<std::ptrdiff_t>(left) * bytesPerPixel, bytes);
    }
    return {};
}

}  // namespace picture
