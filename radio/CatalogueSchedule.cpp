#include "radio/CatalogueSchedule.h"

#include "radio/CatalogueMessages.h"

#include <QLoggingCategory>

Q_LOGGING_CATEGORY(lcCatalogue, "tunelink.catalogue")

namespace radio {

CatalogueSchedule::CatalogueSchedule(const std::string& cachePath, const std::string& address,
                                     std::function<void()> changed)
    : changed_(std::move(changed)),
      updater_(std::make_unique<catalogue::CActionStationData>(
          this, cachePath.empty() ? catalogue::CActionStationData::DefaultCachePath() : cachePath,
          address.empty() ? catalogue::CActionStationData::CatalogueAddress() : address)) {
    updateTimer_.setInterval(kUpdateDelayMs);
    updateTimer_.setSingleShot(true);
    QObject::connect(&updateTimer_, &QTimer::timeout, [this] {
        qCInfo(lcCatalogue, "update from %s", updater_->Address().c_str());
        if (util::Status started = updater_->StartUpdate(); !started)
            qCWarning(lcCatalogue, "no update in this run: %s", started.error().message.c_str());
    });
}

CatalogueSchedule::~CatalogueSchedule() {
    Shutdown();
}

void CatalogueSchedule::Start(catalogue::CStationData& stations) {
    if (util::Status loaded = updater_->LoadCachedStations(stations); loaded)
        qCInfo(lcCatalogue, "cached catalogue loaded");
    else
        ShowCacheFailure(loaded.error(), updater_->CachePath());
    if (updater_->IsUpdateDue())
        updateTimer_.start();
}

void CatalogueSchedule::Refill(catalogue::CStationData& stations) {
    if (!updater_)
        return;
    updater_->FillStationTable(stations);
    qCInfo(lcCatalogue, "station table refilled");
}

bool CatalogueSchedule::SendStationsChanged() {
    return gate_.Send(changed_);
}

void CatalogueSchedule::Shutdown() {
    // A download waiting for the radio is released before anything is freed.
    gate_.Close();
    updateTimer_.stop();
    updater_.reset();  // stops a running download and waits for it
}

}  // namespace radio
