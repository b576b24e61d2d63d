#include "platform/media/PlaylistFetcher.h"

#include "platform/system/CurlLibrary.h"

#include <curl/curl.h>
#include <algorithm>
#include <memory>

namespace platform::media {

namespace {

// Playlists are text; audio is not. A start with NUL or many control bytes is a stream, and
// reading on would only wait for more of it.
constexpr std::size_t kSniffBytes = 4096;

bool LooksLikeText(const std::string& start) {
    std::size_t control = 0;
    for (char c : start) {
        const auto u = static_cast<unsigned char>(c);
        if (u == 0)
            return false;
        if (u < 0x09 || (u > 0x0d && u < 0x20))
            ++control;
    }
    return control * 10 < start.size();
}

struct Transfer {
    FetchedDocument* result;
    std::size_t maxBytes;
    const std::atomic<bool>* cancel;
};

std::size_t OnBody(char* data, std::size_t size, std::size_t count, void* user) {
    auto* transfer = static_cast<Transfer*>(user);
    const std::size_t bytes = size * count;
    std::string& body = transfer->result->body;
    const std::size_t room = transfer->maxBytes - body.size();
    body.append(data, std::min(bytes, room));
    const bool binary = body.size() >= kSniffBytes &&
                        body.size() - std::min(bytes, room) < kSniffBytes &&
                        !LooksLikeText(body.substr(0, kSniffBytes));
    if (bytes > room || binary) {
        // Enough to know what it is: stop the transfer (an endless stream would never end).
        transfer->result->truncated = true;
        return 0;
    }
    return bytes;
}

int OnProgress(void* user, curl_off_t, curl_off_t, curl_off_t, curl_off_t) {
    const auto* transfer = static_cast<Transfer*>(user);
    return transfer->cancel->load() ? 1 : 0;
}

}  // namespace

FetchedDocument FetchDocument(const std::string& address, const std::atomic<bool>& cancel,
                              const FetchLimits& limits) {
    platform::InitialiseCurlOnce();
    FetchedDocument result;
    std::unique_ptr<CURL, decltype(&curl_easy_cleanup)> curl(curl_easy_init(), curl_easy_cleanup);
    if (!curl) {
        result.error = "curl_easy_init failed";
        return result;
    }
    Transfer transfer{&result, limits.maxBytes, &cancel};
    CURL* handle = curl.get();
    curl_easy_setopt(handle, CURLOPT_URL, address.c_str());
    curl_easy_setopt(handle, CURLOPT_PROTOCOLS_STR, "http,https");
    curl_easy_setopt(handle, CURLOPT_REDIR_PROTOCOLS_STR, "http,https");
    curl_easy_setopt(handle, CURLOPT_FOLLOWLOCATION, 1L);
    curl_easy_setopt(handle, CURLOPT_MAXREDIRS, 5L);
    curl_easy_setopt(handle, CURLOPT_NOSIGNAL, 1L);
    curl_easy_setopt(handle, CURLOPT_USERAGENT, "Tunelink/1.0");
    curl_easy_setopt(handle, CURLOPT_CONNECTTIMEOUT_MS,
                     static_cast<long>(limits.connectTimeout.count()));
    curl_easy_setopt(handle, CURLOPT_TIMEOUT_MS, static_cast<long>(limits.totalTimeout.count()));
    curl_easy_setopt(handle, CURLOPT_WRITEFUNCTION, OnBody);
    curl_easy_setopt(handle, CURLOPT_WRITEDATA, &transfer);
    curl_easy_setopt(handle, CURLOPT_XFERINFOFUNCTION, OnProgress);
    curl_easy_setopt(handle, CURLOPT_XFERINFODATA, &transfer);
    curl_easy_setopt(handle, CURLOPT_NOPROGRESS, 0L);

    const CURLcode code = curl_easy_perform(handle);
    curl_easy_getinfo(handle, CURLINFO_RESPONSE_CODE, &result.httpStatus);
    char* contentType = nullptr;
    if (curl_easy_getinfo(handle, CURLINFO_CONTENT_TYPE, &contentType) == CURLE_OK && contentType)
        result.contentType = contentType;
    char* effective = nullptr;
    if (curl_easy_getinfo(handle, CURLINFO_EFFECTIVE_URL, &effective) == CURLE_OK && effective)
        result.effectiveAddress = effective;
    else
        result.effectiveAddress = address;

    const bool cutByUs = code == CURLE_WRITE_ERROR && result.truncated;
    if (code != CURLE_OK && !cutByUs) {
        result.curlCode = static_cast<int>(code);
        result.error = curl_easy_strerror(code);
        return result;
    }
    result.ok = result.httpStatus >= 200 && result.httpStatus < 300;
    if (!result.ok)
        result.error = "HTTP status " + std::to_string(result.httpStatus);
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
