#pragma once
// The catalogue updater: owns the catalogue document that overrides the built-in stations,
// keeps a copy of the last downloaded document in a cache file, reads that copy at every
// start and, at most once per run, fetches a fresh one from the catalogue server when the
// last update was on another day of month or in another month.
//
// Threads: the download's completion (parse, notify the window, save, stamp the date) runs
// on the downloader's thread. The window reads the document only at start-up and while it
// handles the notification, which the download thread waits for. Destruction stops a
// running download and waits for it, so the window must first make its sink refuse further
// calls (a closing window) and then destroy this object.

#include "catalogue/HttpDownloader.h"
#include "util/Result.h"

#include <ctime>
#include <memory>
#include <mutex>
#include <string>

namespace util {
class XML2_Element;
}

namespace catalogue {

class CStationData;
class StationsChangedSink;

// Why the cached catalogue was not used (util::Error::code of LoadCachedStations).
enum CacheFailure : int {
    kCacheMalformed = 1,   // not a catalogue: deleted, nothing to tell the user
    kCacheUnreadable = 2,  // the message is the read failure's text ("util.io.IOException: ...")
    kCacheNotDeleted = 3,  // malformed, and deleting it failed: the message is the system's reason
};

class CActionStationData {
  public:
    static constexpr const char* kSection = "CActionStationData";
    static constexpr const char* kLastUpdateValue = "szLastUpdate";
    static constexpr const char* kDefaultLastUpdate = "1/25/1996 8:30:00";
    static constexpr const char* kUserName = "tunelink";
    static constexpr const char* kPassword = "9e21d07fa5c3b6";
    static constexpr const char* kCacheFileName = "Tunelink_StationData";
    static constexpr const char* kEmptyRootName = "STATION";
    static constexpr const char* kCataloguePath = "/tunelink/StationData.xml";
    // Replaces the whole catalogue address when set (a staging catalogue, a test server).
    static constexpr const char* kAddressVariable = "TUNELINK_CATALOGUE_URL";

    // "http://" + catalogue host + kCataloguePath, or the variable's value when it is set.
    static std::string CatalogueAddress();
    // "User-Agent: Torvane/1.0 (<web site host>)"
    static std::string AgentText();
    // In the per-user cache folder, `$XDG_CACHE_HOME/tunelink/`.
    static std::string DefaultCachePath();

    // sink may be null: a completed download then changes nothing.
    explicit CActionStationData(StationsChangedSink* sink,
                                std::string cachePath = DefaultCachePath(),
                                std::string address = CatalogueAddress());
    ~CActionStationData();
    CActionStationData(const CActionStationData&) = delete;
    CActionStationData& operator=(const CActionStationData&) = delete;

    const std::string& CachePath() const { return cachePath_; }
    const std::string& Address() const { return address_; }

    // The window's start-up step: the cached document (the empty one when there is no
    // cache) fills the table, or a cache that cannot be used is deleted; what a cut-off
    // write left behind goes too. Fails (with a CacheFailure code) when the table was not
    // filled; the caller tells the user about an unreadable cache or one it could not delete.
    util::Status LoadCachedStations(CStationData& table);

    // Copies the document's entries into the table; nothing without a document.
    void FillStationTable(CStationData& table) const;

    bool IsUpdateDue() const;
    bool IsUpdateDueAt(const std::tm& now) const;
    // Starts the download; a failure to start only means no update in this run.
    util::Status StartUpdate();
    // Waits until a started update, completion included, has ended (tests, shutdown).
    void WaitForUpdate();

    // Replaces the document by the one parsed from the text; a text that is not well-formed
    // leaves no document. The text is kept for the cache.
    void ParseDocument(std::string text);
    // Writes the document text to the cache file; fails when there is nothing to write or
    // the file cannot be written (the old cache then stays as it was).
    util::Status SaveDocument() const;

    // The current document, or null. Only while no update runs (or inside the sink call).
    const util::XML2_Element* Document() const;

  private:
    // A missing cache gives an empty document.
    util::Status LoadCachedDocument();
    util::Status RemoveMalformedCache();
    // The downloader's completion: the whole download buffer, cut here at its NUL byte.
    void OnDownloadDone(util::Result<std::string> content);

    StationsChangedSink* const sink_;
    const std::string cachePath_;
    const std::string address_;

    mutable std::mutex documentMutex_;  // the window and the download thread share these
    std::unique_ptr<util::XML2_Element> document_;
    std::string documentText_;

    // Declared last: destroyed first, so its thread has ended before the document goes.
    CHttpDownloader downloader_;
};

}  // namespace catalogue
