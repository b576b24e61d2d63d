#pragma once
// A picture-to-picture operation.

#include "picture/PLObject.h"
#include "util/Result.h"

namespace picture {

class PLBmp;

class PLFilter : public PLObject {
  public:
    ~PLFilter() override = default;
    // Makes `target` the result of the operation on `source`; the error's code is one of
    // PLErr's.
    virtual util::Status Apply(const PLBmp& source, PLBmp& target) const = 0;
};

}  // namespace picture
