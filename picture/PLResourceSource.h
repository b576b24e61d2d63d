#pragma once
// Picture data from one of the program's numbered resources, read like a memory block. The
// source holds its own copy of the bytes until it is closed or goes.

#include "picture/PLDataSource.h"
#include "util/Resources.h"

#include <cstdint>
#include <vector>

class PLResourceSource : public PLDataSource {
  public:
    PLResourceSource() = default;
    // Returns PLErr::kOk, or PLErr::kResourceNotFound when there is no such resource. The
    // source's name is "Resource: <number>".
    int Open(int resourceId, util::ResourceType type = util::ResourceType::RcData);
    void Close() override;

  private:
    std::vector<std::uint8_t> m_Bytes;
};
