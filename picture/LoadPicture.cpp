#include "picture/LoadPicture.h"

#include "picture/PLAnyPicDecoder.h"

namespace picture {

void LoadPicture(int resourceId, PLDIBSection& target, int scale) {
    PLAnyPicDecoder decoder;
    decoder.DecodeResource(resourceId, target, 0, util::ResourceType::RcData, scale);
}

std::unique_ptr<PLDIBSection> LoadPicture(int resourceId, int scale) {
    auto picture = std::make_unique<PLDIBSection>();
    LoadPicture(resourceId, *picture, scale);
    return picture;
}

}  // namespace picture
