#pragma once
// When the radio reads its station catalogue: the cached copy at start, the web's once a day
// a few seconds after start; a new catalogue refills the dial on the UI thread.

#include "catalogue/ActionStationData.h"
#include "catalogue/StationsChangedSink.h"
#include "ui/SendToUiThread.h"

#include <QTimer>

#include <functional>
#include <memory>
#include <string>

namespace radio {

class CatalogueSchedule final : public catalogue::StationsChangedSink {
  public:
    static constexpr int kUpdateDelayMs = 5000;

    // Empty paths and addresses mean the defaults. `changed` runs on the UI thread when a
    // downloaded catalogue is ready to fill the table.
    CatalogueSchedule(const std::string& cachePath, const std::string& address,
                      std::function<void()> changed);
    ~CatalogueSchedule() override;

    // Fills `stations` from the cache and starts the update timer when an update is due.
    void Start(catalogue::CStationData& stations);
    void Refill(catalogue::CStationData& stations);
    // Releases a download waiting for the UI, stops it and waits for it.
    void Shutdown();

    bool SendStationsChanged() override;
    QTimer& UpdateTimer() { return updateTimer_; }

  private:
    std::function<void()> changed_;
    std::unique_ptr<catalogue::CActionStationData> updater_;
    ui::UiCallGate gate_;
    QTimer updateTimer_;
};

}  // namespace radio
