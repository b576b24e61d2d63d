#pragma once
// Fetches a playlist document over HTTP with bounded size and time, through the download
// helper. Runs on a worker thread; the cancel flag aborts a transfer within a fraction of a
// second.

#include <atomic>
#include <chrono>
#include <functional>
#include <memory>
#include <string>
#include <thread>
#include <vector>

namespace platform::media {

struct FetchedDocument {
    bool ok = false;  // a 2xx answer was received (possibly cut at the size bound)
    long httpStatus = 0;
    std::string contentType;
    std::string effectiveAddress;  // after redirects: the base for relative entries
    std::string body;
    bool truncated = false;  // cut short: longer than the bound, or binary (an audio stream)
    std::string error;
    int curlCode = 0;  // the transfer's CURLcode; 0 when it completed
};

struct FetchLimits {
    std::size_t maxBytes = 256 * 1024;
    std::chrono::milliseconds connectTimeout{5000};
    std::chrono::milliseconds totalTimeout{10000};
};

// Only http and https are fetched, also after redirects.
FetchedDocument FetchDocument(const std::string& address, const std::atomic<bool>& cancel,
                              const FetchLimits& limits = {});

// Reads on threads of their own, so that a server that never answers holds up nothing. Each
// read hands its document to `done` on its own thread, also when it was cancelled.
class FetchThreads {
  public:
    FetchThreads() = default;
    ~FetchThreads() { JoinAll(); }
    FetchThreads(const FetchThreads&) = delete;
    FetchThreads& operator=(const FetchThreads&) = delete;

    void Start(const std::string& address, const FetchLimits& limits,
               std::function<void(FetchedDocument)> done);
    // Tells every read to stop; forgets those that have ended. A flood of reads abandoned
    // at once thus leaves only a few threads behind.
    void CancelAll();
    // Stops every read and waits for it.
    void JoinAll();

  private:
    struct Read {
        std::shared_ptr<std::atomic<bool>> cancel;
        std::shared_ptr<std::atomic<bool>> done;
        std::thread thread;
    };
    void Reap(bool all);
    std::vector<Read> reads_;
};

}  // namespace platform::media
