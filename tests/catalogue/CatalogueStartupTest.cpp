#include "tests/catalogue/CatalogueTestSupport.h"
#include "tests/support/UnopenableFile.h"
#include "util/io/Files.h"
#include "util/xml/Xml2.h"

#include <unistd.h>

#include <algorithm>
#include <cstring>
#include <filesystem>

using catalogue::CActionStationData;
using catalogue::CStationData;

using cataloguetest::CatalogueFixture;
using cataloguetest::ReadWholeFile;
using cataloguetest::WriteWholeFile;

namespace {

class CatalogueStartupTest : public CatalogueFixture {
  protected:
    void ExpectBuiltInList(const CStationData& table) {
        const CStationData builtIn;
        EXPECT_EQ(table.address, builtIn.address);
        EXPECT_EQ(table.name, builtIn.name);
    }
};

}  // namespace

TEST_F(CatalogueStartupTest, WithoutACacheTheEmptyDocumentAndTheBuiltInListAreUsed) {
    CActionStationData updater(nullptr, cachePath_);
    CStationData table;
    const util::Status loaded = updater.LoadCachedStations(table);
    ASSERT_TRUE(loaded) << loaded.error();
    const util::XML2_Element* document = updater.Document();
    ASSERT_NE(document, nullptr);
    EXPECT_EQ(document->Name(), "STATION");
    EXPECT_EQ(document->GetChildCount(), 0);
    EXPECT_EQ(document->AttributeCount(), 0u);
    ExpectBuiltInList(table);
    EXPECT_FALSE(updater.SaveDocument());  // nothing downloaded, nothing to cache
    EXPECT_FALSE(util::FileExists(cachePath_));
}

// Malformed: nothing for the user (the window shows nothing for kCacheMalformed).
TEST_F(CatalogueStartupTest, AnEmptyOrMalformedCacheIsDeletedWithoutAMessage) {
    for (const std::string text : {"", "<STATION><S_1 url='x' des='y'/>", "no xml at all"}) {
        WriteWholeFile(cachePath_, text);
        CActionStationData updater(nullptr, cachePath_);
        CStationData table;
        const util::Status loaded = updater.LoadCachedStations(table);
        EXPECT_FALSE(loaded) << text;
        EXPECT_EQ(loaded.error().code, catalogue::kCacheMalformed) << text;
        EXPECT_EQ(updater.Document(), nullptr);
        EXPECT_FALSE(util::FileExists(cachePath_)) << text;
        ExpectBuiltInList(table);
    }
}

// Unreadable: the reason for the user's message; the file goes all the same.
TEST_F(CatalogueStartupTest, AnUnreadableCacheIsReportedThenDeletedAndTheStartGoesOn) {
    const int fd = testsupport::MakeUnopenableFile(cachePath_);
    ASSERT_GE(fd, 0) << "cannot make an unreadable file at " << cachePath_;
    CActionStationData updater(nullptr, cachePath_);
    CStationData table;
    const util::Status loaded = updater.LoadCachedStations(table);
    ::close(fd);

    ASSERT_FALSE(loaded);
    EXPECT_EQ(loaded.error().code, catalogue::kCacheUnreadable);
    EXPECT_EQ(loaded.error().message, "util.io.FileNotFoundException: " + cachePath_);
    EXPECT_FALSE(util::FileExists(cachePath_));
    ExpectBuiltInList(table);
}

TEST_F(CatalogueStartupTest, ACachedFavouriteOverridesTheTableButNotTheSettings) {
    profile_.WriteText("CStationData", "2", "http://mine.example/fav2 ");
    profile_.WriteText("CStationData", "3", "http://mine.example/fav3 ");
    WriteWholeFile(cachePath_,
                   "<STATION><S_31 url=\"http://catalogue.example/fav \" des=\"Catalogue\"/>"
                   "</STATION>");
    CActionStationData updater(nullptr, cachePath_);
    CStationData table;
    ASSERT_TRUE(updater.LoadCachedStations(table));
    EXPECT_EQ(table.address[30], "http://catalogue.example/fav ");
    EXPECT_EQ(table.name[30], "Catalogue");
    EXPECT_EQ(table.address[31], "http://mine.example/fav3 ");
    EXPECT_EQ(profile_.GetText("CStationData", "2", ""), "http://mine.example/fav2 ");
    EXPECT_TRUE(util::FileExists(cachePath_));  // a good cache stays
}

TEST_F(CatalogueStartupTest, TheShippedCatalogueHoldsTheBuiltInListAndKeepsTheFavourites) {
    profile_.WriteText("CStationData", "1", "http://mine.example/fav1 ");
    const std::string shipped = cataloguetest::ShippedCatalogue();
    WriteWholeFile(cachePath_, shipped);
    CActionStationData updater(nullptr, cachePath_);
    CStationData table;
    ASSERT_TRUE(updater.LoadCachedStations(table));
    ExpectBuiltInList(table);  // names, and addresses with their literal "&amp;"
    EXPECT_NE(table.address[7].find("?station=salsa&amp;format=wma "), std::string::npos);

    const util::XML2_Element* document = updater.Document();
    ASSERT_NE(document, nullptr);
    ASSERT_EQ(document->GetChildCount(), 32);
    for (int n = 1; n <= 32; ++n) {
        const util::XML2_Element& entry = *document->GetChild(n - 1);
        EXPECT_EQ(entry.Name(), "S_" + std::to_string(n));
        EXPECT_EQ(entry.GetAttribute("url") != nullptr, n <= 29) << n;
        EXPECT_NE(entry.GetAttribute("des"), nullptr) << n;
    }
}

TEST_F(CatalogueStartupTest, SavingReplacesTheWholeCacheAndLeavesNoTemporaryFile) {
    WriteWholeFile(cachePath_, std::string(5000, '#'));
    CActionStationData updater(nullptr, cachePath_);
    const std::string text = "<STATION><S_2 url=\"http://two \" des=\"Two\"/></STATION>";
    updater.ParseDocument(text);
    ASSERT_TRUE(updater.SaveDocument());
    EXPECT_EQ(ReadWholeFile(cachePath_), text);
    EXPECT_EQ(FolderContents(), std::vector<std::string>{CActionStationData::kCacheFileName});

    updater.ParseDocument("<STATION><S_2");  // not well-formed: nothing to save
    EXPECT_EQ(updater.Document(), nullptr);
    EXPECT_FALSE(updater.SaveDocument());
    EXPECT_EQ(ReadWholeFile(cachePath_), text);

    CActionStationData elsewhere(nullptr, (folder_ / "missing" / "cache").string());
    elsewhere.ParseDocument(text);
    EXPECT_FALSE(elsewhere.SaveDocument());
    EXPECT_EQ(FolderContents(), std::vector<std::string>{CActionStationData::kCacheFileName});
}

TEST_F(CatalogueStartupTest, WhatACutOffWriteLeftIsRemovedAtTheNextStart) {
    WriteWholeFile(cachePath_, cataloguetest::ShippedCatalogue());
    const std::string leftover = cachePath_ + ".aB3xY9";
    WriteWholeFile(leftover, "<STATION><S_1 url=\"http://half");
    WriteWholeFile(cachePath_ + ".notes", "not ours");
    WriteWholeFile((folder_ / "Other.aB3xY9").string(), "not ours either");
    CActionStationData updater(nullptr, cachePath_);
    CStationData table;
    ASSERT_TRUE(updater.LoadCachedStations(table));
    std::vector<std::string> names = FolderContents();
    std::sort(names.begin(), names.end());
    EXPECT_EQ(names, (std::vector<std::string>{
                         "Other.aB3xY9", CActionStationData::kCacheFileName,
                         std::string(CActionStationData::kCacheFileName) + ".notes"}));
}

TEST(CatalogueAddressTest, DefaultsToTheMakersServerAndFolder) {
    EXPECT_EQ(CActionStationData::AgentText(), "User-Agent: Torvane/1.0 (www.torvane.com)");
    ::unsetenv(CActionStationData::kAddressVariable);
    EXPECT_EQ(CActionStationData::CatalogueAddress(),
              "http://radio.torvane.com/tunelink/StationData.xml");
    // The test program's folder is writable; data still never goes beside a program.
    const std::filesystem::path home =
        std::filesystem::temp_directory_path() / ("tl-cache-" + std::to_string(::getpid()));
    ::setenv("XDG_CACHE_HOME", home.c_str(), 1);
    EXPECT_EQ(CActionStationData::DefaultCachePath(),
              (home / "tunelink/Tunelink_StationData").string());
    EXPECT_TRUE(std::filesystem::is_directory(home / "tunelink"));
    ::unsetenv("XDG_CACHE_HOME");
    std::filesystem::remove_all(home);
}
