#pragma once
// Picture data from one of the program's numbered resources, read like a memory block. The
// source holds the bytes (in place, or unpacked) until it is closed or goes.

#include "picture/PLDataSource.h"
#include "util/Resources.h"

#include <optional>

namespace picture {

class PLResourceSource : public PLDataSource {
  public:
    PLResourceSource() = default;
    // Returns PLErr::kOk, or PLErr::kResourceNotFound when there is no such resource. The
    // source's name is "Resource: <number>" (with "@2x" for the picture drawn twice as big).
    int Open(int resourceId, util::ResourceType type = util::ResourceType::RcData, int scale = 1);
    void Close() override;

  private:
    std::optional<util::ResourceBytes> m_Bytes;
};

}  // namespace picture
