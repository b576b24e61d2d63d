#include "platform/fetch/helper/CurlTransfers.h"

#include "platform/fetch/helper/CurlLibrary.h"

#include <curl/curl.h>

#include <algorithm>
#include <cstdio>
#include <memory>
#include <new>

namespace platform::fetch {

namespace {

using Easy = std::unique_ptr<CURL, decltype(&curl_easy_cleanup)>;

struct HeaderList {
    ~HeaderList() { curl_slist_free_all(list); }
    void Add(const char* header) {
        if (curl_slist* grown = curl_slist_append(list, header))
            list = grown;
    }
    curl_slist* list = nullptr;
};

// Never a local file or another scheme, also not after a redirect.
void SetCommon(CURL* easy, const FetchOrder& order, long maxRedirects) {
    curl_easy_setopt(easy, CURLOPT_URL, order.address.c_str());
    curl_easy_setopt(easy, CURLOPT_PROTOCOLS_STR, "http,https");
    curl_easy_setopt(easy, CURLOPT_REDIR_PROTOCOLS_STR, "http,https");
    curl_easy_setopt(easy, CURLOPT_FOLLOWLOCATION, 1L);
    curl_easy_setopt(easy, CURLOPT_MAXREDIRS, maxRedirects);
    curl_easy_setopt(easy, CURLOPT_USERAGENT, order.agent.c_str());
    curl_easy_setopt(easy, CURLOPT_NOSIGNAL, 1L);
    curl_easy_setopt(easy, CURLOPT_CONNECTTIMEOUT_MS, static_cast<long>(order.connectMs));
    curl_easy_setopt(easy, CURLOPT_TIMEOUT_MS, static_cast<long>(order.totalMs));
    if (order.lowSpeedSeconds > 0) {
        curl_easy_setopt(easy, CURLOPT_LOW_SPEED_LIMIT, static_cast<long>(order.lowSpeedBytes));
        curl_easy_setopt(easy, CURLOPT_LOW_SPEED_TIME, static_cast<long>(order.lowSpeedSeconds));
    }
}

// Sent only when the server asks, in the scheme it asks for; never to another host that a
// redirect leads to.
void SetCredentials(CURL* easy, const FetchOrder& order) {
    if (!order.userName.empty())
        curl_easy_setopt(easy, CURLOPT_USERNAME, order.userName.c_str());
    if (!order.password.empty())
        curl_easy_setopt(easy, CURLOPT_PASSWORD, order.password.c_str());
    if (!order.userName.empty() || !order.password.empty())
        curl_easy_setopt(easy, CURLOPT_HTTPAUTH, static_cast<long>(CURLAUTH_ANY));
}

// --- A document: the whole body of a 200 answer, or why there is none. ---

struct DocumentTransfer {
    CURL* easy = nullptr;
    std::string* body = nullptr;
    std::size_t limit = 0;
    long refusedStatus = 0;  // the status of a final answer other than 200
    bool tooLarge = false;
    bool outOfMemory = false;
    char errorBuffer[CURL_ERROR_SIZE] = {};
};

std::size_t OnDocumentBody(char* data, std::size_t size, std::size_t count, void* user) {
    auto& transfer = *static_cast<DocumentTransfer*>(user);
    const std::size_t length = size * count;
    long status = 0;
    curl_easy_getinfo(transfer.easy, CURLINFO_RESPONSE_CODE, &status);
    if (status != 200) {
        // The final answer has failed on its status: its body is of no use, so the transfer
        // ends here instead of reading whatever the server keeps sending.
        transfer.refusedStatus = status;
        return 0;
    }
    if (transfer.body->size() + length > transfer.limit) {
        transfer.tooLarge = true;
        return 0;
    }
    try {
        transfer.body->append(data, length);
    } catch (const std::bad_alloc&) {
        transfer.outOfMemory = true;
        return 0;
    }
    return length;
}

// downloaded counts every byte of the current answer, also those libcurl skips itself
// (the body of a redirect or of an authentication challenge it follows), so the size
// limit holds for every answer, not only for the one whose body is kept.
int OnDocumentProgress(void* user, curl_off_t, curl_off_t downloaded, curl_off_t, curl_off_t) {
    auto& transfer = *static_cast<DocumentTransfer*>(user);
    if (downloaded > static_cast<curl_off_t>(transfer.limit + kFramingAllowance)) {
        transfer.tooLarge = true;
        return 1;
    }
    return 0;
}

FetchAnswer FetchWholeDocument(CURL* easy, const FetchOrder& order) {
    FetchAnswer answer;
    DocumentTransfer transfer;
    transfer.easy = easy;
    transfer.body = &answer.body;
    transfer.limit = static_cast<std::size_t>(order.maxBytes);
    HeaderList headers;
    headers.Add("Accept: text/*, image/*");
    // Always the whole document from the server, never a cached copy.
    headers.Add("Cache-Control: no-cache");
    headers.Add("Pragma: no-cache");

    SetCommon(easy, order, kMaxDocumentRedirects);
    SetCredentials(easy, order);
    curl_easy_setopt(easy, CURLOPT_HTTPHEADER, headers.list);
    curl_easy_setopt(easy, CURLOPT_MAXFILESIZE_LARGE, static_cast<curl_off_t>(order.maxBytes));
    curl_easy_setopt(easy, CURLOPT_WRITEFUNCTION, &OnDocumentBody);
    curl_easy_setopt(easy, CURLOPT_WRITEDATA, &transfer);
    curl_easy_setopt(easy, CURLOPT_XFERINFOFUNCTION, &OnDocumentProgress);
    curl_easy_setopt(easy, CURLOPT_XFERINFODATA, &transfer);
    curl_easy_setopt(easy, CURLOPT_NOPROGRESS, 0L);
    curl_easy_setopt(easy, CURLOPT_ERRORBUFFER, transfer.errorBuffer);
    const CURLcode result = curl_easy_perform(easy);
    long status = 0;
    curl_easy_getinfo(easy, CURLINFO_RESPONSE_CODE, &status);
    answer.curlCode = result;
    answer.httpStatus = status;

    // An answer refused for its status ended the transfer with a write error; the status is
    // the reason given.
    if (transfer.tooLarge || result == CURLE_FILESIZE_EXCEEDED) {
        char text[96];
        std::snprintf(text, sizeof text, "The document is larger than %llu bytes",
                      static_cast<unsigned long long>(order.maxBytes));
        answer.error = text;
    } else if (transfer.outOfMemory) {
        answer.error = "Memory Error!";
    } else if (result != CURLE_OK && transfer.refusedStatus == 0) {
        answer.error = CurlErrorText(result, transfer.errorBuffer);
    } else if (status != 200) {
        char text[64];
        std::snprintf(text, sizeof text, "HttpQueryInfo returned [%ld]", status);
        answer.error = text;
    } else {
        answer.ok = true;
        return answer;
    }
    answer.body.clear();
    return answer;
}

// --- A playlist: enough of a 2xx answer to know what it is. ---

// Playlists are text; audio is not. A start with NUL or many control bytes is a stream, and
// reading on would only wait for more of it.
constexpr std::size_t kSniffBytes = 4096;

bool LooksLikeText(std::string_view start) {
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

struct PlaylistTransfer {
    FetchAnswer* answer;
    std::size_t maxBytes;
};

std::size_t OnPlaylistBody(char* data, std::size_t size, std::size_t count, void* user) {
    auto* transfer = static_cast<PlaylistTransfer*>(user);
    const std::size_t bytes = size * count;
    std::string& body = transfer->answer->body;
    const std::size_t room = transfer->maxBytes - body.size();
    body.append(data, std::min(bytes, room));
    const bool binary = body.size() >= kSniffBytes &&
                        body.size() - std::min(bytes, room) < kSniffBytes &&
                        !LooksLikeText(std::string_view(body).substr(0, kSniffBytes));
    if (bytes > room || binary) {
        // Enough to know what it is: stop the transfer (an endless stream would never end).
        transfer->answer->truncated = true;
        return 0;
    }
    return bytes;
}

FetchAnswer FetchPlaylist(CURL* easy, const FetchOrder& order) {
    FetchAnswer answer;
    PlaylistTransfer transfer{&answer, static_cast<std::size_t>(order.maxBytes)};
    SetCommon(easy, order, kMaxPlaylistRedirects);
    curl_easy_setopt(easy, CURLOPT_WRITEFUNCTION, &OnPlaylistBody);
    curl_easy_setopt(easy, CURLOPT_WRITEDATA, &transfer);

    const CURLcode code = curl_easy_perform(easy);
    long status = 0;
    curl_easy_getinfo(easy, CURLINFO_RESPONSE_CODE, &status);
    answer.httpStatus = status;
    char* contentType = nullptr;
    if (curl_easy_getinfo(easy, CURLINFO_CONTENT_TYPE, &contentType) == CURLE_OK && contentType)
        answer.contentType = contentType;
    char* effective = nullptr;
    if (curl_easy_getinfo(easy, CURLINFO_EFFECTIVE_URL, &effective) == CURLE_OK && effective)
        answer.effectiveAddress = effective;
    else
        answer.effectiveAddress = order.address;

    const bool cutByUs = code == CURLE_WRITE_ERROR && answer.truncated;
    if (code != CURLE_OK && !cutByUs) {
        answer.curlCode = code;
        answer.error = curl_easy_strerror(code);
        return answer;
    }
    answer.ok = answer.httpStatus >= 200 && answer.httpStatus < 300;
    if (!answer.ok)
        answer.error = "HTTP status " + std::to_string(answer.httpStatus);
    return answer;
}

}  // namespace

FetchAnswer PerformFetch(const FetchOrder& order) {
    InitialiseCurlOnce();
    Easy easy(curl_easy_init(), curl_easy_cleanup);
    if (!easy) {
        FetchAnswer answer;
        answer.curlCode = CURLE_FAILED_INIT;
        answer.error = "Memory Error!";
        return answer;
    }
    return order.kind == FetchKind::Playlist ? FetchPlaylist(easy.get(), order)
                                             : FetchWholeDocument(easy.get(), order);
}

std::string CurlErrorText(int curlCode, std::string_view detail) {
    std::string text = curl_easy_strerror(static_cast<CURLcode>(curlCode));
    if (!detail.empty() && detail != text) {
        text += ": ";
        text += detail;
    }
    for (char& c : text) {
        if (static_cast<unsigned char>(c) < 0x20 || c == 0x7f)
            c = ' ';
    }
    while (!text.empty() && text.back() == ' ') text.pop_back();
    if (text.size() > kMaxErrorText)
        text.resize(kMaxErrorText);
    return text;
}

}  // namespace platform::fetch
