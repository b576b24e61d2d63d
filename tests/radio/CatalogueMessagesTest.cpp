#include "catalogue/ActionStationData.h"
#include "catalogue/StationData.h"
#include "radio/CatalogueMessages.h"
#include "tests/support/UnopenableFile.h"
#include "util/MessageBox.h"
#include "util/Product.h"
#include "util/io/Files.h"

#include <gtest/gtest.h>
#include <QTemporaryDir>

#include <unistd.h>

#include <vector>

namespace {

class CacheFailureMessage : public ::testing::Test {
  protected:
    void SetUp() override {
        previous_ = util::InstallMessagePresenter([this](const util::MessageRequest& r) {
            shown_.push_back(r);
            return util::MessageResult::Ok;
        });
    }
    void TearDown() override { util::InstallMessagePresenter(previous_); }

    std::vector<util::MessageRequest> shown_;
    util::MessagePresenter previous_;
};

}  // namespace

TEST_F(CacheFailureMessage, AnUnreadableCacheIsShownInAnExceptionBox) {
    QTemporaryDir dir;
    const std::string cachePath = (dir.path() + "/cache").toStdString();
    const int fd = testsupport::MakeUnopenableFile(cachePath);
    ASSERT_GE(fd, 0) << "cannot make an unreadable file at " << cachePath;
    catalogue::CActionStationData updater(nullptr, cachePath);
    catalogue::CStationData table;
    const util::Status loaded = updater.LoadCachedStations(table);
    ::close(fd);
    ASSERT_FALSE(loaded);

    radio::ShowCacheFailure(loaded.error(), cachePath);
    ASSERT_EQ(shown_.size(), 1u);
    EXPECT_EQ(shown_[0].text, "util.io.FileNotFoundException: " + cachePath);
    EXPECT_EQ(shown_[0].caption, "Exception");
    EXPECT_EQ(shown_[0].icon, util::MessageIcon::Warning);
    EXPECT_FALSE(util::FileExists(cachePath));
}

TEST_F(CacheFailureMessage, ACacheThatCannotBeDeletedNamesTheFileAndTheReasonAMalformedOneNothing) {
    radio::ShowCacheFailure({"Permission denied", catalogue::kCacheNotDeleted}, "/data/cache");
    ASSERT_EQ(shown_.size(), 1u);
    EXPECT_NE(shown_[0].text.find(" \n\t/data/cache\n\n"), std::string::npos) << shown_[0].text;
    EXPECT_NE(shown_[0].text.find("\n\n\tPermission denied."), std::string::npos) << shown_[0].text;
    EXPECT_EQ(shown_[0].caption, util::kProductTitle);
    EXPECT_EQ(shown_[0].icon, util::MessageIcon::Stop);

    radio::ShowCacheFailure({"malformed", catalogue::kCacheMalformed}, "/data/cache");
    EXPECT_EQ(shown_.size(), 1u);
}
