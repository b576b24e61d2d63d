#pragma once
// One address's download record: the state of its last download, the received body and the
// completion function to call when it is done.

#include <cstddef>
#include <functional>
#include <string>
#include <vector>

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
    // (address, failed, context); runs on the downloader's worker thread.
    using Completion = std::function<void(const std::string&, bool, void*)>;

    bool succeeded = false;
    bool failed = false;
    CDownloadBuffer data;
    std::string errorText;  // empty after a download that got status 200
    void* context = nullptr;
    Completion completion;
};
