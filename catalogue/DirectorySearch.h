#pragma once
// Searching the station directory while the listener types: at most one request per quiet
// time, a newer search drops the one still running, and every answer arrives on the UI thread
// as stations or as the kind of failure. Choosing a station goes through the
// directory's click call, which also gives the address to play.

#include "catalogue/StationDirectory.h"
#include "util/Result.h"

#include <QObject>
#include <QTimer>

#include <chrono>
#include <functional>
#include <memory>
#include <string>
#include <vector>

namespace catalogue {

// Fetches one address at a time. `done` runs on the UI thread, at most once, and never after
// Cancel() or a newer Fetch().
class DirectoryFetcher {
  public:
    using Done = std::function<void(util::Result<std::string> body)>;
    virtual ~DirectoryFetcher() = default;
    virtual void Fetch(const std::string& address, Done done) = 0;
    virtual void Cancel() = 0;
};

// The fetcher of the program: libcurl on a worker thread, with the catalogue's limits.
std::unique_ptr<DirectoryFetcher> MakeHttpDirectoryFetcher();

enum class SearchFailure {
    Unavailable,  // no connection, no answer in time, or an HTTP error
    Unreadable,   // an answer that is not the directory's list of stations
};

class DirectorySearch : public QObject {
    Q_OBJECT
  public:
    static constexpr std::chrono::milliseconds kQuietTime{400};
    using FetcherFactory = std::function<std::unique_ptr<DirectoryFetcher>()>;
    // The address to play, or the failure as a text for the log.
    using Resolved = std::function<void(util::Result<std::string> address)>;

    // `base` must have passed directory::CheckedBase.
    DirectorySearch(std::string base, const FetcherFactory& makeFetcher, QObject* parent = nullptr);
    ~DirectorySearch() override;

    // While typing: searches once nothing more was typed for kQuietTime.
    void SearchSoon(const directory::SearchQuery& query);
    // Enter: searches at once.
    void SearchNow(const directory::SearchQuery& query);
    // Drops the waiting and the running search; nothing more is reported for it.
    void Cancel();
    bool Searching() const { return searching_; }

    // The click call for a chosen station; a newer call drops an older one.
    void Resolve(const directory::Station& station, Resolved done);

  signals:
    void SearchStarted();
    void Found(const std::vector<catalogue::directory::Station>& stations);
    void Failed(catalogue::SearchFailure failure);

  private:
    void StartSearch();
    void OnSearchAnswer(util::Result<std::string> body);

    const std::string base_;
    std::unique_ptr<DirectoryFetcher> searches_;
    std::unique_ptr<DirectoryFetcher> clicks_;
    QTimer quiet_;
    directory::SearchQuery pending_;
    bool searching_ = false;
};

}  // namespace catalogue
