#pragma once
// Picture data from one of the program's numbered resources, read like a memory block.

#include "picture/PLDataSource.h"
#include "util/Resources.h"

class PLResourceSource : public PLDataSource {
  public:
    PLResourceSource() = default;
    // Returns PLErr::kOk, or PLErr::kResourceNotFound when there is no such resource. The
    // source's name is "Resource: <number>".
    int Open(int resourceId, util::ResourceType type = util::ResourceType::RcData);
};
