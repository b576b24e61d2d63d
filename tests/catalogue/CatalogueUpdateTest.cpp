#include "catalogue/UpdateSchedule.h"
#include "tests/catalogue/CatalogueTestSupport.h"
#include "tests/support/HttpTestServer.h"
#include "ui/SendToUiThread.h"
#include "util/io/Files.h"

#include <QCoreApplication>
#include <QTest>

#include <atomic>
#include <chrono>
#include <regex>

using catalogue::CActionStationData;
using catalogue::CStationData;
using catalogue::ParseUsDateTime;
using catalogue::StationsChangedSink;

using namespace std::chrono_literals;
using cataloguetest::CatalogueFixture;
using cataloguetest::ReadWholeFile;
using cataloguetest::TableSink;
using cataloguetest::WriteWholeFile;
using testsupport::HttpTestServer;

namespace {

constexpr const char* kPath = "/tunelink/StationData.xml";

// The catalogue server: the body it is given, only to the radio's credentials.
class CatalogueServerTest : public CatalogueFixture {
  protected:
    void Serve(std::string body, int status = 200) {
        server_.Server().Get(kPath, [this, body = std::move(body), status](
                                        const httplib::Request& req, httplib::Response& res) {
            ++requests_;
            if (!HttpTestServer::HasBasicAuth(req, "tunelink", "9e21d07fa5c3b6"))
                return HttpTestServer::Challenge(res);
            res.status = status;
            res.set_content(body, "text/xml");
        });
        server_.Start();
    }

    // Runs one whole update against the server, with the table sink as the window.
    void RunUpdate() {
        CActionStationData updater(&sink_, cachePath_, server_.Url(kPath));
        sink_.updater = &updater;
        const util::Status cached = updater.LoadCachedStations(sink_.table);
        EXPECT_TRUE(cached) << cached.error();
        ASSERT_TRUE(updater.StartUpdate());
        updater.WaitForUpdate();
        sink_.updater = nullptr;
    }

    HttpTestServer server_;
    TableSink sink_;
    std::atomic<int> requests_{0};
};

using CatalogueUpdateTest = CatalogueServerTest;

bool LooksLikeAStamp(const std::string& text) {
    static const std::regex stamp(R"(\d\d/\d\d/\d{4} \d\d:\d\d:\d\d)");
    return std::regex_match(text, stamp) && ParseUsDateTime(text).has_value();
}

}  // namespace

TEST_F(CatalogueUpdateTest, ADownloadRefillsTheTableThenWritesTheCacheAndTheDate) {
    const std::string body = cataloguetest::CatalogueWithEntry(5, "http://five.example/ ", "Five");
    Serve(body);
    RunUpdate();

    EXPECT_EQ(sink_.Calls(), 1);
    EXPECT_EQ(sink_.table.address[4], "http://five.example/ ");
    EXPECT_EQ(sink_.table.name[4], "Five");
    EXPECT_EQ(sink_.table.name[5], CStationData().name[5]);
    EXPECT_EQ(ReadWholeFile(cachePath_), body);
    EXPECT_TRUE(LooksLikeAStamp(LastUpdate())) << LastUpdate();
    EXPECT_GE(requests_, 1);

    // The next start on the same day takes the stations from the cache and stays offline.
    CActionStationData nextStart(nullptr, cachePath_, server_.Url(kPath));
    CStationData table;
    EXPECT_TRUE(nextStart.LoadCachedStations(table));
    EXPECT_EQ(table.name[4], "Five");
    EXPECT_FALSE(nextStart.IsUpdateDue());
}

TEST_F(CatalogueUpdateTest, NotFoundLeavesTableCacheAndDateAlone) {
    const std::string cached = "<STATION><S_1 url=\"http://cached \" des=\"Cached\"/></STATION>";
    WriteWholeFile(cachePath_, cached);
    Serve("gone", 404);
    RunUpdate();

    EXPECT_EQ(sink_.Calls(), 0);
    EXPECT_EQ(sink_.table.name[0], "Cached");  // from the start-up, not changed since
    EXPECT_EQ(ReadWholeFile(cachePath_), cached);
    EXPECT_EQ(LastUpdate(), "<unset>");
}

TEST_F(CatalogueUpdateTest, ABodyIsCutAtItsFirstNul) {
    const std::string document = "<STATION><S_1 url=\"http://one \" des=\"One\"/></STATION>";
    Serve(document + std::string(1, '\0') + "<S_2 url=\"http://two \" des=\"Two\"/>");
    RunUpdate();

    EXPECT_EQ(sink_.table.name[0], "One");
    EXPECT_EQ(sink_.table.name[1], CStationData().name[1]);
    EXPECT_EQ(ReadWholeFile(cachePath_), document);
}

TEST_F(CatalogueUpdateTest, AnEscapedApostropheBecomesPlainInTableAndCache) {
    Serve("<STATION><S_3 url=\"http://three \" des=\"Rock\\'n\\'Roll Radio\"/></STATION>");
    RunUpdate();

    EXPECT_EQ(sink_.table.name[2], "Rock'n'Roll Radio");
    EXPECT_EQ(ReadWholeFile(cachePath_),
              "<STATION><S_3 url=\"http://three \" des=\"Rock'n'Roll Radio\"/></STATION>");
}

TEST_F(CatalogueUpdateTest, AMalformedBodyLeavesTableAndCacheButStampsTheDate) {
    const std::string cached = cataloguetest::CatalogueWithEntry(1, "http://cached ", "Cached");
    WriteWholeFile(cachePath_, cached);
    Serve("<STATION><S_1 url=\"http://broken \" des=\"Broken\"");
    RunUpdate();

    EXPECT_EQ(sink_.Calls(), 1);  // the window is still told; it finds no document
    EXPECT_EQ(sink_.table.name[0], "Cached");
    EXPECT_EQ(ReadWholeFile(cachePath_), cached);
    EXPECT_TRUE(LooksLikeAStamp(LastUpdate())) << LastUpdate();
}

TEST_F(CatalogueUpdateTest, ACacheThatCannotBeWrittenIsSkippedAndTheDateStillStamped) {
    cachePath_ = (folder_ / "missing" / CActionStationData::kCacheFileName).string();
    Serve(cataloguetest::CatalogueWithEntry(2, "http://two ", "Two"));
    RunUpdate();

    EXPECT_EQ(sink_.table.name[1], "Two");
    EXPECT_FALSE(util::FileExists(cachePath_));
    EXPECT_TRUE(LooksLikeAStamp(LastUpdate())) << LastUpdate();
    EXPECT_TRUE(FolderContents().empty());
}

TEST_F(CatalogueUpdateTest, TheAddressVariableReplacesTheWholeAddress) {
    Serve(cataloguetest::CatalogueWithEntry(9, "http://nine ", "Nine"));
    ::setenv(CActionStationData::kAddressVariable, server_.Url(kPath).c_str(), 1);
    CActionStationData updater(&sink_, cachePath_);
    ::unsetenv(CActionStationData::kAddressVariable);
    EXPECT_EQ(updater.Address(), server_.Url(kPath));

    sink_.updater = &updater;
    ASSERT_TRUE(updater.StartUpdate());
    updater.WaitForUpdate();
    EXPECT_EQ(sink_.table.name[8], "Nine");
}

// The radio window's wiring: the notification runs on the UI thread through the gate.
class GateSink : public StationsChangedSink {
  public:
    bool SendStationsChanged() override {
        entered = true;
        return gate.Send([this] {
            uiThread = std::this_thread::get_id();
            updater->FillStationTable(table);
        });
    }

    ui::UiCallGate gate;
    std::atomic<bool> entered{false};
    CActionStationData* updater = nullptr;
    CStationData table;
    std::thread::id uiThread;
};

TEST_F(CatalogueUpdateTest, TheNotificationRunsOnTheUiThreadWhileTheWorkerWaits) {
    Serve(cataloguetest::CatalogueWithEntry(4, "http://four ", "Four"));
    GateSink sink;
    CActionStationData updater(&sink, cachePath_, server_.Url(kPath));
    sink.updater = &updater;
    ASSERT_TRUE(updater.StartUpdate());
    // The stamp comes after the notification, which needs this thread's event loop.
    EXPECT_TRUE(QTest::qWaitFor([&] { return LastUpdate() != "<unset>"; }, 5000));
    updater.WaitForUpdate();
    EXPECT_EQ(sink.table.name[3], "Four");
    EXPECT_EQ(sink.uiThread, std::this_thread::get_id());
    EXPECT_TRUE(util::FileExists(cachePath_));
}

TEST_F(CatalogueUpdateTest, AWindowClosingDuringTheNotificationReleasesTheWorkerAtOnce) {
    Serve(cataloguetest::CatalogueWithEntry(4, "http://four ", "Four"));
    GateSink sink;
    auto updater = std::make_unique<CActionStationData>(&sink, cachePath_, server_.Url(kPath));
    sink.updater = updater.get();
    ASSERT_TRUE(updater->StartUpdate());
    const auto deadline = std::chrono::steady_clock::now() + 5s;
    while (!sink.entered && std::chrono::steady_clock::now() < deadline)
        std::this_thread::sleep_for(5ms);  // no event loop here: the worker stays blocked
    ASSERT_TRUE(sink.entered);
    std::this_thread::sleep_for(50ms);

    const auto start = std::chrono::steady_clock::now();
    sink.gate.Close();  // the window's first step on its way out
    updater.reset();
    EXPECT_LT(std::chrono::steady_clock::now() - start, 1s);

    QCoreApplication::processEvents();  // a refused call never runs later
    EXPECT_EQ(sink.table.name[3], CStationData().name[3]);
    EXPECT_FALSE(util::FileExists(cachePath_));
    EXPECT_EQ(LastUpdate(), "<unset>");
}
