#include "catalogue/HttpDownloader.h"

#include "platform/fetch/FetchHelper.h"

#include <algorithm>
#include <new>
#include <system_error>
#include <utility>

namespace catalogue {

CHttpDownloader::CHttpDownloader(std::string agent) : agent_(std::move(agent)) {}

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
    platform::fetch::FetchOrder order;
    order.kind = platform::fetch::FetchKind::Document;
    order.address = address;
    order.agent = agent_;
    order.userName = userName_;
    order.password = password_;
    order.maxBytes = kMaxBodyBytes;
    order.connectMs = timeouts_.connect.count();
    order.totalMs = timeouts_.total.count();
    order.lowSpeedSeconds = timeouts_.lowSpeedTime.count();
    order.lowSpeedBytes = timeouts_.lowSpeedBytes;
    util::Result<platform::fetch::FetchAnswer> answer =
        platform::fetch::RunFetchHelper(order, stop_);
    if (!answer)
        return answer.error();
    if (!answer->ok)
        return util::Error{std::move(answer->error)};
    return std::move(answer->body);
}

void CHttpDownloader::StoreBody(CDownloadRequest& record, const std::string& body) {
    for (std::size_t offset = 0; offset < body.size(); offset += kReadPiece)
        record.data.Write(body.data() + offset, std::min(kReadPiece, body.size() - offset));
    record.data.Write("", 1);  // the terminating NUL byte
}

void CHttpDownloader::Wait() {
    JoinWorker();
}

void CHttpDownloader::Stop() {
    stop_ = true;  // the worker kills the helper within a fiftieth of a second
    JoinWorker();
}

void CHttpDownloader::JoinWorker() {
    if (worker_.joinable() && worker_.get_id() != std::this_thread::get_id())
        worker_.join();
}

}  // namespace catalogue
