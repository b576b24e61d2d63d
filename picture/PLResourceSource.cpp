#include "picture/PLResourceSource.h"

#include <string>

#include "picture/PLTextException.h"

int PLResourceSource::Open(int resourceId, util::ResourceType type) {
    auto data = util::ReadResourceData(resourceId, type);
    if (!data)
        return PLErr::kResourceNotFound;
    m_Bytes = std::move(*data);
    open("Resource: " + std::to_string(resourceId), m_Bytes);
    return PLErr::kOk;
}

void PLResourceSource::Close() {
    PLDataSource::Close();
    m_Bytes = {};
}
