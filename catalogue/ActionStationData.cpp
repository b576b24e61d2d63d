#include "catalogue/ActionStationData.h"

#include "catalogue/StationData.h"
#include "catalogue/StationsChangedSink.h"
#include "catalogue/UpdateSchedule.h"
#include "ui/Translator.h"
#include "util/MessageBox.h"
#include "util/Product.h"
#include "util/Profile.h"
#include "util/io/Exception.h"
#include "util/io/Files.h"
#include "util/io/ReplaceFile.h"
#include "util/xml/Xml2.h"

#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstdlib>
#include <new>
#include <system_error>

namespace {

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

bool CActionStationData::LoadCachedStations(CStationData& table) {
    // A write cut off by a crash or a kill leaves its temporary file; nobody else will.
    util::RemoveLeftoverTemporaries(cachePath_);
    if (LoadCachedDocument()) {
        FillStationTable(table);
        return true;
    }
    DeleteCachedDocument();
    return false;
}

bool CActionStationData::LoadCachedDocument() {
    {
        std::lock_guard lock(documentMutex_);
        document_.reset();
    }
    std::unique_ptr<util::XML2_Element> root;
    try {
        if (!util::FileExists(cachePath_))
            root = std::make_unique<util::XML2_Element>(kEmptyRootName);
        else
            root = util::XML2_Parser().ReadFile(cachePath_);
    } catch (const util::IOException& e) {
        return e.Show();
    } catch (const util::XML2_Exception&) {
        RemoveMalformedCache();
        return false;
    } catch (const std::bad_alloc&) {
        return false;
    }
    if (!root) {
        RemoveMalformedCache();
        return false;
    }
    std::lock_guard lock(documentMutex_);
    document_ = std::move(root);
    return true;
}

void CActionStationData::RemoveMalformedCache() {
    if (::unlink(cachePath_.c_str()) == 0 || errno == ENOENT)
        return;
    std::string reason = std::system_category().message(errno);
    reason.resize(std::min(reason.size(), kMaxReasonLength));
    util::ShowMessage(
        {ui::CTranslator::InUiLanguage("File") + " \n\t" + cachePath_ + "\n\n" +
             ui::CTranslator::InUiLanguage("can not be read because of the following reason:") +
             "\n\n\t" + reason + ".",
         util::kProductTitle, util::MessageIcon::Stop, util::MessageButtons::Ok});
}

void CActionStationData::DeleteCachedDocument() {
    util::DeleteFileQuietly(cachePath_);
}

void CActionStationData::FillStationTable(CStationData& table) const {
    std::lock_guard lock(documentMutex_);
    if (document_)
        ::FillStationTable(*document_, table);
}

bool CActionStationData::IsUpdateDue() const {
    return IsUpdateDueAt(LocalNow());
}

bool CActionStationData::IsUpdateDueAt(const std::tm& now) const {
    const std::string lastUpdate =
        util::TheProfile().GetText(kSection, kLastUpdateValue, kDefaultLastUpdate);
    return IsUpdateDueOn(lastUpdate, now);
}

void CActionStationData::StartUpdate() {
    downloader_.Start(address_, &CActionStationData::OnDownloadDone, this);
}

void CActionStationData::WaitForUpdate() {
    downloader_.Wait();
}

void CActionStationData::OnDownloadDone(const std::string& address, bool failed, void* context) {
    static_cast<CActionStationData*>(context)->HandleDownloadDone(address, failed);
}

void CActionStationData::HandleDownloadDone(const std::string& address, bool failed) {
    if (!sink_ || failed)
        return;  // a failed download leaves the date alone, so the next start tries again
    std::string text;
    if (!downloader_.GetResult(address, text))
        return;
    text.resize(std::min(text.size(), text.find('\0')));
    DropEscapedApostrophes(text);
    ParseDocument(std::move(text));
    if (!sink_->SendStationsChanged())
        return;      // the window is closing: leave quickly, change nothing more
    SaveDocument();  // a cache that cannot be written is skipped; the date is still stamped
    util::TheProfile().WriteText(kSection, kLastUpdateValue, FormatUpdateStamp(LocalNow()));
}

void CActionStationData::ParseDocument(std::string text) {
    std::unique_ptr<util::XML2_Element> root;
    try {
        root = util::XML2_Parser().ParseBuffer(text.data(), text.size());
    } catch (const util::XML2_Exception&) {
        // not well-formed: no document, so the table and the cache keep what they have
    } catch (const std::bad_alloc&) {
    }
    std::lock_guard lock(documentMutex_);
    document_ = std::move(root);
    documentText_ = std::move(text);
}

bool CActionStationData::SaveDocument() const {
    std::string text;
    {
        std::lock_guard lock(documentMutex_);
        if (!document_ || documentText_.empty())
            return false;
        text = documentText_;
    }
    return util::WriteFileReplacing(cachePath_, text);
}

const util::XML2_Element* CActionStationData::Document() const {
    std::lock_guard lock(documentMutex_);
    return document_.get();
}
