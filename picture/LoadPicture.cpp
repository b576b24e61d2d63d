#include "picture/LoadPicture.h"

#include "picture/PLAnyPicDecoder.h"
#include "picture/PLTextException.h"

namespace picture {

util::Status LoadPicture(int resourceId, PLDIBSection& target, int scale) {
    try {
        PLAnyPicDecoder decoder;
        decoder.DecodeResource(resourceId, target, 0, util::ResourceType::RcData, scale);
    } catch (const PLTextException& e) {
        return util::Error{e.GetText(), e.GetCode()};
    } catch (const std::bad_alloc&) {
        return util::Error{"Out of memory.", PLErr::kNoMemory};
    }
    return {};
}

util::Result<std::unique_ptr<PLDIBSection>> LoadPicture(int resourceId, int scale) {
    auto picture = std::make_unique<PLDIBSection>();
    if (util::Status loaded = LoadPicture(resourceId, *picture, scale); !loaded)
        return loaded.error();
    return picture;
}

}  // namespace picture
