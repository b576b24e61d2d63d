#include "catalogue/ActionStationData.h"

#include "catalogue/StationData.h"
#include "catalogue/StationsChangedSink.h"
#include "catalogue/UpdateSchedule.h"
#include "util/Product.h"
#include "util/Profile.h"
#include "util/io/Files.h"
#include "util/io/ReplaceFile.h"
#include "util/xml/Xml2.h"

#include <QLoggingCategory>

#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstdlib>
#include <new>
#include <system_error>

namespace catalogue {

namespace {

Q_LOGGING_CATEGORY(lcCache, "tunelink.catalogue")

constexpr std::size_t kMaxReasonLength = 255;

// The catalogue server once escaped apostrophes for a script ("Munich\'s"); the escape is
// not part of the station's name.
void DropEscapedApostrophes(std::string& text) {
    std::size_t out = 0;
    for (std::size_t in = 0; in < text.size(); ++in) {
        if (text[in] == '\\' && in + 1 < text.size() && text[in + 1] == '\'')
            continue;  // the apostrophe itself is copied next
        text[out++] = text[in];
    }
    text.resize(out);
}

}  // namespace

std::string CActionStationData::CatalogueAddress() {
    if (const char* address = std::getenv(kAddressVariable); address && *address)
        return address;
    return std::string("http://") + util::kCatalogueHost + kCataloguePath;
}

std::string CActionStationData::AgentText() {
    return std::string("User-Agent: Torvane/1.0 (") + util::kWebSiteHost + ")";
}

// Data never goes beside the program, even where its folder is writable (a build tree, or
// an installed radio run as root): the cache is the user's, in the user's cache folder.
std::string CActionStationData::DefaultCachePath() {
    return util::GetTempFolder() + kCacheFileName;
}

CActionStationData::CActionStationData(StationsChangedSink* sink, std::string cachePath,
                                       std::string address)
    : sink_(sink),
      cachePath_(std::move(cachePath)),
      address_(std::move(address)),
      downloader_(AgentText()) {
    downloader_.SetUserName(kUserName);
    downloader_.SetPassword(kPassword);
}

CActionStationData::~CActionStationData() {
    downloader_.Stop();
}

util::Status CActionStationData::LoadCachedStations(CStationData& table) {
    // A write cut off by a crash or a kill leaves its temporary file; nobody else will.
    util::RemoveLeftoverTemporaries(cachePath_);
    util::Status loaded = LoadCachedDocument();
    if (loaded)
        FillStationTable(table);
    else
        util::DeleteFileQuietly(cachePath_);
    return loaded;
}

util::Status CActionStationData::LoadCachedDocument() {
    {
        std::lock_guard lock(documentMutex_);
        document_.reset();
    }
    std::unique_ptr<util::XML2_Element> root;
    if (!util::FileExists(cachePath_)) {
        root = std::make_unique<util::XML2_Element>(kEmptyRootName);
    } else {
        util::XML2_Parser::Document read = util::XML2_Parser().ReadFile(cachePath_);
        if (!read && read.error().code == util::kXmlMalformed)
            return RemoveMalformedCache();
        if (!read && read.error().code == util::kXmlNoMemory)
            return util::Error{read.error().message, kCacheMalformed};
        if (!read)
            return util::Error{read.error().message, kCacheUnreadable};
        root = std::move(read).value();
    }
    std::lock_guard lock(documentMutex_);
    document_ = std::move(root);
    return {};
}

util::Status CActionStationData::RemoveMalformedCache() {
    if (::unlink(cachePath_.c_str()) == 0 || errno == ENOENT)
        return util::Error{"the cached catalogue is malformed", kCacheMalformed};
    std::string reason = std::system_category().message(errno);
    reason.resize(std::min(reason.size(), kMaxReasonLength));
    return util::Error{reason, kCacheNotDeleted};
}

void CActionStationData::FillStationTable(CStationData& table) const {
    std::lock_guard lock(documentMutex_);
    if (document_)
        catalogue::FillStationTable(*document_, table);
}

bool CActionStationData::IsUpdateDue() const {
    return IsUpdateDueAt(LocalNow());
}

bool CActionStationData::IsUpdateDueAt(const std::tm& now) const {
    const std::string lastUpdate =
        util::TheProfile().GetText(kSection, kLastUpdateValue, kDefaultLastUpdate);
    return IsUpdateDueOn(lastUpdate, now);
}

util::Status CActionStationData::StartUpdate() {
    return downloader_.Start(address_, [this](util::Result<std::string> content) {
        OnDownloadDone(std::move(content));
    });
}

void CActionStationData::WaitForUpdate() {
    downloader_.Wait();
}

void CActionStationData::OnDownloadDone(util::Result<std::string> content) {
    if (!sink_ || !content)
        return;  // a failed download leaves the date alone, so the next start tries again
    std::string text = content->substr(0, content->find('\0'));
    DropEscapedApostrophes(text);
    ParseDocument(std::move(text));
    if (!sink_->SendStationsChanged())
        return;  // the window is closing: leave quickly, change nothing more
    // A cache that cannot be written is skipped (the old one stays); the date is still stamped.
    if (util::Status saved = SaveDocument(); !saved)
        qCInfo(lcCache, "catalogue not cached: %s", saved.error().message.c_str());
    util::TheProfile().WriteText(kSection, kLastUpdateValue, FormatUpdateStamp(LocalNow()));
}

void CActionStationData::ParseDocument(std::string text) {
    // Not well-formed: no document, so the table and the cache keep what they have.
    util::XML2_Parser::Document parsed = util::XML2_Parser().ParseBuffer(text.data(), text.size());
    std::lock_guard lock(documentMutex_);
    document_ = parsed ? std::move(parsed).value() : nullptr;
    documentText_ = std::move(text);
}

util::Status CActionStationData::SaveDocument() const {
    std::string text;
    {
        std::lock_guard lock(documentMutex_);
        if (!document_ || documentText_.empty())
            return util::Error{"no well-formed catalogue to keep"};
        text = documentText_;
    }
    return util::WriteFileReplacing(cachePath_, text);
}

const util::XML2_Element* CActionStationData::Document() const {
    std::lock_guard lock(documentMutex_);
    return document_.get();
}

}  // namespace catalogue
