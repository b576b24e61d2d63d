#pragma once
// Cuts a rectangle out of a picture. Right and bottom are exclusive.

#include "picture/PLFilter.h"

namespace picture {

class PLFilterCrop : public PLFilter {
  public:
    PLFilterCrop(int left, int top, int right, int bottom);

    // The target is (right - left) × (bottom - top) with the source's depth, flags,
    // resolution and palette. Parts of the rectangle outside the source stay 0 (transparent
    // in a mask). An empty rectangle fails with code 6.
    util::Status Apply(const PLBmp& source, PLBmp& target) const override;

  private:
    int m_Left;
    int m_Top;
    int m_Right;
    int m_Bottom;
};

}  // namespace picture
