#pragma once
// A plain in-memory picture (top line first), used as a temporary while converting depths.

#include <array>
#include <memory>

#include "picture/PLBmp.h"

namespace picture {

class PLAnyBmp : public PLBmp {
  public:
    PLAnyBmp() = default;
    ~PLAnyBmp() override = default;

  protected:
    void internalCreate(int width, int height, int bitsPerPixel) override;
    void freeMembers() override;

  private:
    std::unique_ptr<std::uint32_t[]> m_Pixels;
    std::array<PLPixel32, 256> m_Palette{};
};

}  // namespace picture
