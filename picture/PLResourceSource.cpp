#include "picture/PLResourceSource.h"

#include <string>

#include "picture/PLTextException.h"

int PLResourceSource::Open(int resourceId, util::ResourceType type) {
    const auto data = util::FindResourceData(resourceId, type);
    if (!data)
        return PLErr::kResourceNotFound;
    open("Resource: " + std::to_string(resourceId), *data);
    return PLErr::kOk;
}
