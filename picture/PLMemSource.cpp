#include "picture/PLMemSource.h"

#include <utility>

namespace picture {

void PLMemSource::Open(std::span<const std::uint8_t> data, std::string name) {
    open(std::move(name), data);
}

}  // namespace picture
