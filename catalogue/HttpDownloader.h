#pragma once
// Fetches the body of one http or https address at a time into memory, on a worker thread
// of its own that has the download helper run the transfer, and calls the request's completion
// function on that thread when it is done. Results stay in the downloader, one record per address,
// until it is destroyed.

#include "catalogue/DownloadRequest.h"
#include "platform/fetch/FetchWire.h"
#include "util/Result.h"

#include <atomic>
#include <chrono>
#include <cstddef>
#include <map>
#include <memory>
#include <mutex>
#include <string>
#include <thread>

namespace catalogue {

class CHttpDownloader {
  public:
    using Completion = CDownloadRequest::Completion;

    // A body above this size fails the download: 32 stations need a few kilobytes.
    static constexpr std::size_t kMaxBodyBytes = 1u << 20;
    // The received body is copied into the record's buffer in pieces of this size.
    static constexpr std::size_t kReadPiece = 511;
    static constexpr int kMaxRedirects = platform::fetch::kMaxDocumentRedirects;

    // A silent or crawling server must not hold the worker: connecting, a transfer slower
    // than lowSpeedBytes per second for lowSpeedTime, and the whole transfer are bounded.
    struct Timeouts {
        std::chrono::milliseconds connect{15000};
        std::chrono::seconds lowSpeedTime{30};
        long lowSpeedBytes = 1;
        std::chrono::milliseconds total{120000};
    };

    // agent: the User-Agent header's value, sent as given.
    explicit CHttpDownloader(std::string agent);
    // Stops a running download at once and waits for its thread (so never from the
    // completion function).
    ~CHttpDownloader();
    CHttpDownloader(const CHttpDownloader&) = delete;
    CHttpDownloader& operator=(const CHttpDownloader&) = delete;

    // Set before Start; empty texts send no credentials. The server's challenge decides the
    // authentication scheme.
    void SetUserName(std::string userName) { userName_ = std::move(userName); }
    void SetPassword(std::string password) { password_ = std::move(password); }
    void SetTimeouts(const Timeouts& timeouts) { timeouts_ = timeouts; }

    // Starts the download of the address on a new worker thread; fails when stopped, when a
    // download is still running, or when the record or the thread cannot be made. The
    // completion runs on the worker unless the downloader is stopped, and receives the
    // address's whole buffer (the body, its NUL byte and any older tail) or the error text.
    util::Status Start(const std::string& address, Completion completion);

    // Waits until the current download, completion included, has ended. Not from the
    // completion function itself.
    void Wait();
    // Aborts a running transfer at once, suppresses a completion that has not started yet,
    // waits for the worker and refuses every later Start.
    void Stop();

  private:
    void Run(std::string address, CDownloadRequest* record);
    util::Result<std::string> Download(const std::string& address, CDownloadRequest& record);
    util::Result<std::string> Perform(const std::string& address);
    void StoreBody(CDownloadRequest& record, const std::string& body);
    void JoinWorker();

    const std::string agent_;
    std::string userName_;
    std::string password_;
    Timeouts timeouts_;

    mutable std::mutex mutex_;  // guards requests_ and the records' fields
    std::map<std::string, std::unique_ptr<CDownloadRequest>> requests_;

    std::atomic<bool> stop_{false};
    std::atomic<bool> running_{false};
    // Stays joinable until the completion function has returned, so destruction never frees
    // the records (or the owner) under a running completion.
    std::thread worker_;
};

}  // namespace catalogue
