#include "platform/media/PlaylistFetcher.h"

#include "platform/fetch/FetchHelper.h"

// For the transfer's result codes only: the transfer itself runs in the download helper.
#include <curl/curl.h>

#include <utility>

namespace platform::media {

FetchedDocument FetchDocument(const std::string& address, const std::atomic<bool>& cancel,
                              const FetchLimits& limits) {
    fetch::FetchOrder order;
    order.kind = fetch::FetchKind::Playlist;
    order.address = address;
    order.agent = "Tunelink/1.0";
    order.maxBytes = limits.maxBytes;
    order.connectMs = limits.connectTimeout.count();
    order.totalMs = limits.totalTimeout.count();
    FetchedDocument result;
    result.effectiveAddress = address;
    util::Result<fetch::FetchAnswer> answer = fetch::RunFetchHelper(order, cancel);
    if (!answer) {
        // Never read: a cancelled read reads as one the listener aborted.
        result.curlCode = cancel ? CURLE_ABORTED_BY_CALLBACK : CURLE_FAILED_INIT;
        result.error = answer.error().message;
        return result;
    }
    result.ok = answer->ok;
    result.httpStatus = static_cast<long>(answer->httpStatus);
    result.contentType = std::move(answer->contentType);
    if (!answer->effectiveAddress.empty())
        result.effectiveAddress = std::move(answer->effectiveAddress);
    result.body = std::move(answer->body);
    result.truncated = answer->truncated;
    result.error = std::move(answer->error);
    result.curlCode = static_cast<int>(answer->curlCode);
    return result;
}

void FetchThreads::Start(const std::string& address, const FetchLimits& limits,
                         std::function<void(FetchedDocument)> done) {
    Read read{
        std::make_shared<std::atomic<bool>>(false), std::make_shared<std::atomic<bool>>(false), {}};
    read.thread = std::thread(
        [address, limits, done = std::move(done), cancel = read.cancel, ended = read.done] {
            done(FetchDocument(address, *cancel, limits));
            ended->store(true);
        });
    reads_.push_back(std::move(read));
}

void FetchThreads::CancelAll() {
    for (Read& read : reads_) read.cancel->store(true);
    Reap(false);
}

void FetchThreads::JoinAll() {
    for (Read& read : reads_) read.cancel->store(true);
    Reap(true);
}

void FetchThreads::Reap(bool all) {
    for (auto it = reads_.begin(); it != reads_.end();) {
        if (all || it->done->load()) {
            it->thread.join();
            it = reads_.erase(it);
        } else {
            ++it;
        }
    }
}

}  // namespace platform::media
