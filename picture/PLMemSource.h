#pragma once
// Picture data in a memory block owned by the caller.

#include "picture/PLDataSource.h"

namespace picture {

class PLMemSource : public PLDataSource {
  public:
    PLMemSource() = default;
    // The block must outlive the source's use.
    void Open(std::span<const std::uint8_t> data, std::string name = "Memory");
};

}  // namespace picture
