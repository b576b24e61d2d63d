#include "catalogue/DownloadRequest.h"

#include <cstring>

namespace catalogue {

void CDownloadBuffer::Write(const char* data, std::size_t length) {
    const std::size_t end = position_ + length;
    if (end > bytes_.size()) {
        const std::size_t steps = (end + kGrowStep - 1) / kGrowStep;
        bytes_.resize(steps * kGrowStep);
    }
    if (length > 0)
        std::memcpy(bytes_.data() + position_, data, length);
    position_ = end;
    if (end > size_)
        size_ = end;
}

}  // namespace catalogue
