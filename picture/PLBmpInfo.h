#pragma once
// The facts of a picture: size, depth, resolution and its alpha and greyscale flags.

#include "picture/PLObject.h"
#include "picture/PLPixel32.h"

namespace picture {

class PLBmpInfo : public PLObject {
  public:
    PLBmpInfo() = default;
    PLBmpInfo(const PLPoint& size, int bitsPerPixel, const PLPoint& resolution, bool alpha,
              bool greyscale);

    const PLPoint& GetSize() const { return m_Size; }
    int GetWidth() const { return m_Size.x; }
    int GetHeight() const { return m_Size.y; }
    int GetBitsPerPixel() const { return m_bpp; }
    // Dots per inch per axis; 0 when the picture does not say.
    const PLPoint& GetResolution() const { return m_Resolution; }
    bool HasAlpha() const { return m_bAlphaChannel; }
    bool IsGreyscale() const { return m_bIsGreyscale; }

    void SetBmpInfo(const PLPoint& size, int bitsPerPixel, const PLPoint& resolution, bool alpha,
                    bool greyscale);
    void SetBmpInfo(const PLBmpInfo& info);

  protected:
    PLPoint m_Size;
    int m_bpp = 0;
    PLPoint m_Resolution;
    bool m_bAlphaChannel = false;
    bool m_bIsGreyscale = false;
};

}  // namespace picture
