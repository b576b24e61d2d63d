#include "catalogue/DirectorySearch.h"

#include "catalogue/HttpDownloader.h"

#include <utility>

namespace catalogue {

namespace {

// One downloader per request: stopping one refuses every later start, and a fresh one never
// hands back an older, longer body behind the new one.
class HttpDirectoryFetcher : public DirectoryFetcher {
  public:
    ~HttpDirectoryFetcher() override { Cancel(); }

    void Fetch(const std::string& address, Done done) override {
        Cancel();
        auto downloader = std::make_unique<CHttpDownloader>(directory::kUserAgent);
        CHttpDownloader::Timeouts timeouts;
        timeouts.connect = std::chrono::seconds(10);
        timeouts.lowSpeedTime = std::chrono::seconds(15);
        timeouts.total = std::chrono::seconds(30);
        downloader->SetTimeouts(timeouts);
        receiver_ = std::make_unique<QObject>();
        QObject* receiver = receiver_.get();
        auto deliver = [receiver, done = std::move(done)](util::Result<std::string> result) {
            QMetaObject::invokeMethod(
                receiver, [done, result = std::move(result)]() mutable { done(std::move(result)); },
                Qt::QueuedConnection);
        };
        // Runs on the worker; the answer crosses to the UI thread through the receiver, which
        // Cancel() deletes, so a dropped request's answer never arrives.
        auto completion = [deliver](util::Result<std::string> content) {
            if (!content)
                deliver(content.error());
            else
                deliver(content->substr(0, content->find('\0')));
        };
        if (util::Status started = downloader->Start(address, completion); !started)
            deliver(started.error());
        downloader_ = std::move(downloader);
    }

    void Cancel() override {
        if (downloader_)
            downloader_->Stop();  // waits for a completion that has started
        downloader_.reset();
        receiver_.reset();  // drops answers already queued
    }

  private:
    std::unique_ptr<CHttpDownloader> downloader_;
    std::unique_ptr<QObject> receiver_;
};

}  // namespace

std::unique_ptr<DirectoryFetcher> MakeHttpDirectoryFetcher() {
    return std::make_unique<HttpDirectoryFetcher>();
}

DirectorySearch::DirectorySearch(std::string base, const FetcherFactory& makeFetcher,
                                 QObject* parent)
    : QObject(parent), base_(std::move(base)), searches_(makeFetcher()), clicks_(makeFetcher()) {
    quiet_.setSingleShot(true);
    quiet_.setInterval(kQuietTime);
    connect(&quiet_, &QTimer::timeout, this, &DirectorySearch::StartSearch);
}

DirectorySearch::~DirectorySearch() {
    Cancel();
    clicks_->Cancel();
}

void DirectorySearch::SearchSoon(const directory::SearchQuery& query) {
    pending_ = query;
    quiet_.start();
}

void DirectorySearch::SearchNow(const directory::SearchQuery& query) {
    pending_ = query;
    quiet_.stop();
    StartSearch();
}

void DirectorySearch::Cancel() {
    quiet_.stop();
    searches_->Cancel();
    searching_ = false;
}

void DirectorySearch::StartSearch() {
    searches_->Cancel();
    searching_ = true;
    emit SearchStarted();
    searches_->Fetch(directory::SearchAddress(base_, pending_),
                     [this](util::Result<std::string> body) { OnSearchAnswer(std::move(body)); });
}

void DirectorySearch::OnSearchAnswer(util::Result<std::string> body) {
    searching_ = false;
    if (!body) {
        emit Failed(SearchFailure::Unavailable);
        return;
    }
    util::Result<std::vector<directory::Station>> stations = directory::ParseSearchAnswer(*body);
    if (!stations) {
        emit Failed(SearchFailure::Unreadable);
        return;
    }
    emit Found(*stations);
}

void DirectorySearch::Resolve(const directory::Station& station, Resolved done) {
    util::Result<std::string> address = directory::ClickAddress(base_, station.uuid);
    if (!address) {
        done(address.error());
        return;
    }
    clicks_->Fetch(*address, [done = std::move(done)](util::Result<std::string> body) {
        if (!body) {
            done(util::Error{"the directory is not available: " + body.error().message});
            return;
        }
        done(directory::ParseClickAnswer(*body));
    });
}

}  // namespace catalogue
