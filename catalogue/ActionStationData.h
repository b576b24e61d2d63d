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

#include <ctime>
#include <memory>
#include <mutex>
#include <string>

class CStationData;
class StationsChangedSink;

namespace util {
class XML2_Element;
}

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

    // The window's start-up step: the cached document fills the table, or a cache that
    // cannot be used is deleted; what a cut-off write left behind goes too. True when the
    // table was filled.
    bool LoadCachedStations(CStationData& table);

    // True when a document (possibly the empty one) is now held. A missing cache gives an
    // empty document; an unreadable one is shown ("Exception" box); a malformed one is
    // deleted, with a message only when the deletion fails.
    bool LoadCachedDocument();
    void DeleteCachedDocument();
    // Copies the document's entries into the table; nothing without a document.
    void FillStationTable(CStationData& table) const;

    bool IsUpdateDue() const;
    bool IsUpdateDueAt(const std::tm& now) const;
    // Starts the download; a failure to start only means no update in this run.
    void StartUpdate();
    // Waits until a started update, completion included, has ended (tests, shutdown).
    void WaitForUpdate();

    // The downloader's completion function; context is the CActionStationData.
    static void OnDownloadDone(const std::string& address, bool failed, void* context);
    // Replaces the document by the one parsed from the text; a text that is not well-formed
    // leaves no document. The text is kept for the cache.
    void ParseDocument(std::string text);
    // Writes the document text to the cache file; false when there is nothing to write or
    // the file cannot be written (the old cache then stays as it was).
    bool SaveDocument() const;

    // The current document, or null. Only while no update runs (or inside the sink call).
    const util::XML2_Element* Document() const;
    const CHttpDownloader& Downloader() const { return downloader_; }

  private:
    void HandleDownloadDone(const std::string& address, bool failed);
    void RemoveMalformedCache();

    StationsChangedSink* const sink_;
    const std::string cachePath_;
    const std::string address_;

    mutable std::mutex documentMutex_;  // the window and the download thread share these
    std::unique_ptr<util::XML2_Element> document_;
    std::string documentText_;

    // Declared last: destroyed first, so its thread has ended before the document goes.
    CHttpDownloader downloader_;
};
