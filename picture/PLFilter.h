#pragma once
// A picture-to-picture operation.

#include "picture/PLObject.h"

class PLBmp;

class PLFilter : public PLObject {
  public:
    ~PLFilter() override = default;
    // Makes `target` the result of the operation on `source`.
    virtual void Apply(const PLBmp& source, PLBmp& target) const = 0;
};
