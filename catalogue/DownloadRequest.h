#pragma once
// One address's download record: the received body and the function that receives it when the
// download is done.

#include "util/Result.h"

#include <cstddef>
#include <functional>
#include <string>
#include <vector>

namespace catalogue {

// A memory buffer that is rewound before each download but never truncated. A body is
// always followed by one NUL byte, which marks where it ends inside an older, longer
// content; readers rely on that marker, not on the buffer's size.
class CDownloadBuffer {
  public:
    static constexpr std::size_t kGrowStep = 1024;

    void Rewind() { position_ = 0; }
    // Writes at the current position, growing the buffer in whole steps when needed.
    void Write(const char* data, std::size_t length);
    // Everything written so far, from the start: the current body, its NUL byte and any
    // older bytes behind it.
    std::string Content() const { return std::string(bytes_.data(), size_); }

  private:
    std::vector<char> bytes_;
    std::size_t size_ = 0;
    std::size_t position_ = 0;
};

class CDownloadRequest {
  public:
    // Runs on the downloader's worker thread with the buffer's whole content (see
    // CDownloadBuffer::Content) or the reason the download failed.
    using Completion = std::function<void(util::Result<std::string> content)>;

    CDownloadBuffer data;
    Completion completion;
};

}  // namespace catalogue
