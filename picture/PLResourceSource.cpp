#include "picture/PLResourceSource.h"

#include <string>

#include "picture/PLTextException.h"

namespace picture {

int PLResourceSource::Open(int resourceId, util::ResourceType type, int scale) {
    auto data = util::ReadResourceData(resourceId, type, scale);
    if (!data)
        return PLErr::kResourceNotFound;
    m_Bytes = std::move(data);
    std::string name = "Resource: " + std::to_string(resourceId);
    if (scale != 1)
        name += "@" + std::to_string(scale) + "x";
    open(name, m_Bytes->Bytes());
    return PLErr::kOk;
}

void PLResourceSource::Close() {
    PLDataSource::Close();
    m_Bytes.reset();
}

}  // namespace picture
