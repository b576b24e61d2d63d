#include "picture/PLBmpInfo.h"

namespace picture {

PLBmpInfo::PLBmpInfo(const PLPoint& size, int bitsPerPixel, const PLPoint& resolution, bool alpha,
                     bool greyscale) {
    SetBmpInfo(size, bitsPerPixel, resolution, alpha, greyscale);
}

void PLBmpInfo::SetBmpInfo(const PLPoint& size, int bitsPerPixel, const PLPoint& resolution,
                           bool alpha, bool greyscale) {
    m_Size = size;
    m_bpp = bitsPerPixel;
    m_Resolution = resolution;
    m_bAlphaChannel = alpha;
    m_bIsGreyscale = greyscale;
}

void PLBmpInfo::SetBmpInfo(const PLBmpInfo& info) {
    SetBmpInfo(info.m_Size, info.m_bpp, info.m_Resolution, info.m_bAlphaChannel,
               info.m_bIsGreyscale);
}

}  // namespace picture
