#pragma once

namespace picture {
// The root of the picture library's classes.

class PLObject {
  public:
    PLObject() = default;
    PLObject(const PLObject&) = default;
    PLObject& operator=(const PLObject&) = default;
    virtual ~PLObject() = default;
};

}  // namespace picture
