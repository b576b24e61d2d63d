#include "picture/LoadPicture.h"

#include "picture/PLAnyPicDecoder.h"

namespace picture {

void LoadPicture(int resourceId, PLDIBSection& target) {
    PLAnyPicDecoder decoder;
    decoder.DecodeResource(resourceId, target);
}

std::unique_ptr<PLDIBSection> LoadPicture(int resourceId) {
    auto picture = std::make_unique<PLDIBSection>();
    LoadPicture(resourceId, *picture);
    return picture;
}

}  // namespace picture
