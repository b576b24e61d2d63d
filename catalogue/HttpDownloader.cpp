#include "catalogue/HttpDownloader.h"

#include "platform/system/CurlLibrary.h"

#include <curl/curl.h>

#include <algorithm>
#include <cstdio>
#include <new>
#include <system_error>
#include <utility>

namespace catalogue {

// The multi handle lets Stop() wake a worker that waits for a silent server
// (curl_multi_wakeup), so closing the radio never waits for a network time-out.
struct CHttpDownloader::Session {
    Session() {
        platform::InitialiseCurlOnce();
        multi = curl_multi_init();
    }
    ~Session() {
        if (multi)
            curl_multi_cleanup(multi);
    }
    Session(const Session&) = delete;
    Session& operator=(const Session&) = delete;

    CURLM* multi = nullptr;
};

namespace {

// State shared with libcurl's callbacks during one transfer.
struct Transfer {
    CURL* easy = nullptr;
    const std::atomic<bool>* stop = nullptr;
    std::string* body = nullptr;
    std::size_t limit = 0;
    long refusedStatus = 0;  // the status of a final answer other than 200
    bool tooLarge = false;
    bool outOfMemory = false;
    char errorBuffer[CURL_ERROR_SIZE] = {};
};

std::size_t OnBody(char* data, std::size_t size, std::size_t count, void* user) {
    auto& transfer = *static_cast<Transfer*>(user);
    const std::size_t length = size * count;
    if (transfer.stop->load())
        return 0;
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
int OnProgress(void* user, curl_off_t, curl_off_t downloaded, curl_off_t, curl_off_t) {
    auto& transfer = *static_cast<Transfer*>(user);
    if (transfer.stop->load())
        return 1;
    if (downloaded > static_cast<curl_off_t>(transfer.limit + CHttpDownloader::kFramingAllowance)) {
        transfer.tooLarge = true;
        return 1;
    }
    return 0;
}

struct HeaderList {
    ~HeaderList() { curl_slist_free_all(list); }
    void Add(const char* header) {
        if (curl_slist* grown = curl_slist_append(list, header))
            list = grown;
    }
    curl_slist* list = nullptr;
};

// Only http and https, also after a redirect: never a local file or another scheme.
void SetRequest(CURL* easy, const std::string& address, const std::string& agent,
                curl_slist* headers) {
    curl_easy_setopt(easy, CURLOPT_URL, address.c_str());
    curl_easy_setopt(easy, CURLOPT_PROTOCOLS_STR, "http,https");
    curl_easy_setopt(easy, CURLOPT_REDIR_PROTOCOLS_STR, "http,https");
    curl_easy_setopt(easy, CURLOPT_FOLLOWLOCATION, 1L);
    curl_easy_setopt(easy, CURLOPT_MAXREDIRS, static_cast<long>(CHttpDownloader::kMaxRedirects));
    curl_easy_setopt(easy, CURLOPT_USERAGENT, agent.c_str());
    curl_easy_setopt(easy, CURLOPT_HTTPHEADER, headers);
    curl_easy_setopt(easy, CURLOPT_NOSIGNAL, 1L);
}

// Sent only when the server asks, in the scheme it asks for; never to another host that a
// redirect leads to.
void SetCredentials(CURL* easy, const std::string& userName, const std::string& password) {
    if (!userName.empty())
        curl_easy_setopt(easy, CURLOPT_USERNAME, userName.c_str());
    if (!password.empty())
        curl_easy_setopt(easy, CURLOPT_PASSWORD, password.c_str());
    if (!userName.empty() || !password.empty())
        curl_easy_setopt(easy, CURLOPT_HTTPAUTH, static_cast<long>(CURLAUTH_ANY));
}

void SetLimits(CURL* easy, const CHttpDownloader::Timeouts& timeouts) {
    curl_easy_setopt(easy, CURLOPT_CONNECTTIMEOUT_MS, static_cast<long>(timeouts.connect.count()));
    curl_easy_setopt(easy, CURLOPT_LOW_SPEED_LIMIT, timeouts.lowSpeedBytes);
    curl_easy_setopt(easy, CURLOPT_LOW_SPEED_TIME,
                     static_cast<long>(timeouts.lowSpeedTime.count()));
    curl_easy_setopt(easy, CURLOPT_TIMEOUT_MS, static_cast<long>(timeouts.total.count()));
    curl_easy_setopt(easy, CURLOPT_MAXFILESIZE_LARGE,
                     static_cast<curl_off_t>(CHttpDownloader::kMaxBodyBytes));
}

void SetCallbacks(CURL* easy, Transfer& transfer) {
    curl_easy_setopt(easy, CURLOPT_WRITEFUNCTION, &OnBody);
    curl_easy_setopt(easy, CURLOPT_WRITEDATA, &transfer);
    curl_easy_setopt(easy, CURLOPT_XFERINFOFUNCTION, &OnProgress);
    curl_easy_setopt(easy, CURLOPT_XFERINFODATA, &transfer);
    curl_easy_setopt(easy, CURLOPT_NOPROGRESS, 0L);
    curl_easy_setopt(easy, CURLOPT_ERRORBUFFER, transfer.errorBuffer);
}

// Drives the transfer until it ends or stop is set. A wait for the network lasts at most a
// second and ends at once on curl_multi_wakeup (Stop()). multiError receives a failure of the
// multi interface itself.
CURLcode RunTransfer(CURLM* multi, CURL* easy, const std::atomic<bool>& stop,
                     std::string& multiError) {
    if (const CURLMcode added = curl_multi_add_handle(multi, easy); added != CURLM_OK) {
        multiError = curl_multi_strerror(added);
        return CURLE_FAILED_INIT;
    }
    while (!stop) {
        int active = 0;
        CURLMcode step = curl_multi_perform(multi, &active);
        int queued = 0;
        while (CURLMsg* message = curl_multi_info_read(multi, &queued)) {
            if (message->msg == CURLMSG_DONE && message->easy_handle == easy)
                return message->data.result;
        }
        if (step == CURLM_OK)
            step = curl_multi_poll(multi, nullptr, 0, 1000, nullptr);
        if (step != CURLM_OK) {
            multiError = curl_multi_strerror(step);
            return CURLE_FAILED_INIT;
        }
    }
    return CURLE_ABORTED_BY_CALLBACK;
}

}  // namespace

CHttpDownloader::CHttpDownloader(std::string agent)
    : agent_(std::move(agent)), session_(std::make_unique<Session>()) {}

CHttpDownloader::~CHttpDownloader() {
    Stop();
}

util::Status CHttpDownloader::Start(const std::string& address, Completion completion) {
    if (stop_)
        return util::Error{"The downloader has been stopped"};
    if (running_)
        return util::Error{"A download is already running!"};
    JoinWorker();  // the previous download has ended; its thread may still be leaving

    CDownloadRequest* record = nullptr;
    try {
        std::lock_guard lock(mutex_);
        std::unique_ptr<CDownloadRequest>& slot = requests_[address];
        if (!slot)
            slot = std::make_unique<CDownloadRequest>();
        record = slot.get();
        record->completion = std::move(completion);
    } catch (const std::bad_alloc&) {
        return util::Error{"Memory Error!"};
    }

    running_ = true;
    try {
        worker_ = std::thread(&CHttpDownloader::Run, this, address, record);
    } catch (const std::system_error&) {
        running_ = false;
        return util::Error{"Could not start thread!"};
    }
    return {};
}

void CHttpDownloader::Run(std::string address, CDownloadRequest* record) {
    if (!stop_) {
        util::Result<std::string> content = Download(address, *record);
        if (!stop_) {
            Completion completion;
            {
                std::lock_guard lock(mutex_);
                completion = record->completion;
            }
            if (completion && !stop_)
                completion(std::move(content));
        }
    }
    running_ = false;
}

util::Result<std::string> CHttpDownloader::Download(const std::string& address,
                                                    CDownloadRequest& record) {
    {
        std::lock_guard lock(mutex_);
        record.data.Rewind();
    }
    util::Result<std::string> body = Perform(address);
    if (!body)
        return body;
    try {
        std::lock_guard lock(mutex_);
        StoreBody(record, *body);
        return record.data.Content();
    } catch (const std::bad_alloc&) {
        return util::Error{"Memory Error!"};
    }
}

util::Result<std::string> CHttpDownloader::Perform(const std::string& address) {
    std::string body;
    CURLM* multi = session_->multi;
    CURL* easy = multi ? curl_easy_init() : nullptr;
    if (!easy)
        return util::Error{"Memory Error!"};
    Transfer transfer;
    transfer.easy = easy;
    transfer.stop = &stop_;
    transfer.body = &body;
    transfer.limit = kMaxBodyBytes;
    HeaderList headers;
    headers.Add("Accept: text/*, image/*");
    // Always the whole document from the catalogue server, never a cached copy.
    headers.Add("Cache-Control: no-cache");
    headers.Add("Pragma: no-cache");

    SetRequest(easy, address, agent_, headers.list);
    SetCredentials(easy, userName_, password_);
    SetLimits(easy, timeouts_);
    SetCallbacks(easy, transfer);
    std::string multiError;
    const CURLcode result = RunTransfer(multi, easy, stop_, multiError);
    long status = 0;
    curl_easy_getinfo(easy, CURLINFO_RESPONSE_CODE, &status);
    curl_multi_remove_handle(multi, easy);
    curl_easy_cleanup(easy);

    // An answer refused for its status ended the transfer with a write error; the status is
    // the reason given.
    std::string error;
    if (transfer.tooLarge || result == CURLE_FILESIZE_EXCEEDED) {
        char text[96];
        std::snprintf(text, sizeof text, "The document is larger than %zu bytes", kMaxBodyBytes);
        error = text;
    } else if (transfer.outOfMemory) {
        error = "Memory Error!";
    } else if (result != CURLE_OK && transfer.refusedStatus == 0) {
        error = GetErrorText(result, multiError.empty() ? transfer.errorBuffer : multiError);
    } else if (status != 200) {
        char text[64];
        std::snprintf(text, sizeof text, "HttpQueryInfo returned [%ld]", status);
        error = text;
    } else {
        return body;
    }
    return util::Error{error};
}

void CHttpDownloader::StoreBody(CDownloadRequest& record, const std::string& body) {
    for (std::size_t offset = 0; offset < body.size(); offset += kReadPiece)
        record.data.Write(body.data() + offset, std::min(kReadPiece, body.size() - offset));
    record.data.Write("", 1);  // the terminating NUL byte
}

std::string CHttpDownloader::GetErrorText(int curlCode, std::string_view detail) {
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

void CHttpDownloader::Wait() {
    JoinWorker();
}

void CHttpDownloader::Stop() {
    stop_ = true;
    if (session_->multi)
        curl_multi_wakeup(session_->multi);
    JoinWorker();
}

void CHttpDownloader::JoinWorker() {
    if (worker_.joinable() && worker_.get_id() != std::this_thread::get_id())
        worker_.join();
}

}  // namespace catalogue
