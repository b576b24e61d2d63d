#pragma once
// Shared pieces of the catalogue updater's tests: a private folder, an in-memory settings
// store and a station table that the "window" refills.

#include "catalogue/ActionStationData.h"
#include "catalogue/StationData.h"
#include "catalogue/StationsChangedSink.h"
#include "util/Profile.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <mutex>
#include <optional>
#include <string>
#include <thread>
#include <vector>

namespace cataloguetest {

using catalogue::CActionStationData;
using catalogue::CStationData;
using catalogue::StationsChangedSink;

std::optional<std::string> ReadWholeFile(const std::string& path);
void WriteWholeFile(const std::string& path, const std::string& text);
// The catalogue document shipped with the radio.
std::string ShippedCatalogue();
// The shipped catalogue with one entry's line replaced.
std::string CatalogueWithEntry(int n, const std::string& url, const std::string& des);

// Stands in for the radio window: refills its table from the updater when notified.
class TableSink : public StationsChangedSink {
  public:
    bool SendStationsChanged() override {
        std::lock_guard lock(mutex);
        ++calls;
        updater->FillStationTable(table);
        return true;
    }
    int Calls() {
        std::lock_guard lock(mutex);
        return calls;
    }

    std::mutex mutex;
    CActionStationData* updater = nullptr;
    CStationData table;
    int calls = 0;
};

class CatalogueFixture : public ::testing::Test {
  protected:
    void SetUp() override;
    void TearDown() override;

    std::string LastUpdate() {
        return util::TheProfile().GetText(CActionStationData::kSection,
                                          CActionStationData::kLastUpdateValue, "<unset>");
    }
    // Names of the files in the folder.
    std::vector<std::string> FolderContents() const;

    std::filesystem::path folder_;
    std::string cachePath_;
    util::MemoryProfile profile_;
};

}  // namespace cataloguetest
