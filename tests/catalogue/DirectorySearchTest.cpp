#include "catalogue/DirectorySearch.h"

#include "tests/support/DirectoryServer.h"
#include "tests/support/StreamServer.h"

#include <gtest/gtest.h>
#include <QElapsedTimer>
#include <QTest>

#include <optional>

namespace {
using catalogue::DirectoryFetcher;
using catalogue::DirectorySearch;
using catalogue::SearchFailure;
using catalogue::directory::SearchQuery;
using catalogue::directory::Station;

// Records what is fetched; answers only when told to.
class FakeFetcher : public DirectoryFetcher {
  public:
    struct Log {
        std::vector<std::string> addresses;
        int cancels = 0;
        Done pending;
    };
    explicit FakeFetcher(Log* log) : log_(log) {}
    void Fetch(const std::string& address, Done done) override {
        log_->addresses.push_back(address);
        log_->pending = std::move(done);
    }
    void Cancel() override {
        ++log_->cancels;
        log_->pending = nullptr;
    }

  private:
    Log* log_;
};

SearchQuery Named(const std::string& name) {
    SearchQuery query;
    query.name = name;
    return query;
}

// What a search reported: the stations, or the failure.
struct Outcome {
    std::optional<std::vector<Station>> stations;
    std::optional<SearchFailure> failure;
    int reports = 0;

    void Watch(DirectorySearch& search) {
        QObject::connect(&search, &DirectorySearch::Found, [this](const auto& found) {
            stations = found;
            ++reports;
        });
        QObject::connect(&search, &DirectorySearch::Failed, [this](SearchFailure kind) {
            failure = kind;
            ++reports;
        });
    }
    bool WaitForReport(int count = 1) const {
        return QTest::qWaitFor([&] { return reports >= count; }, 20000);
    }
    std::vector<std::string> Names() const {
        std::vector<std::string> names;
        for (const Station& station : stations.value_or(std::vector<Station>{}))
            names.push_back(station.name);
        return names;
    }
};

class DirectorySearchWithServer : public ::testing::Test {
  protected:
    testsupport::StreamServer streams;
    testsupport::DirectoryServer directory{streams.Url("/"), 1500};
    DirectorySearch search{directory.Base(), catalogue::MakeHttpDirectoryFetcher};
    Outcome outcome;
    void SetUp() override { outcome.Watch(search); }
};
}  // namespace

TEST(DirectorySearch, TypingSearchesOnceItPausesAndEnterSearchesAtOnce) {
    FakeFetcher::Log log;
    DirectorySearch search("http://dir", [&log] { return std::make_unique<FakeFetcher>(&log); });
    QElapsedTimer typing;
    typing.start();
    for (const char* typed : {"j", "ja", "jaz", "jazz"}) {
        search.SearchSoon(Named(typed));
        QTest::qWait(100);
    }
    EXPECT_TRUE(log.addresses.empty()) << "a request while the listener still types";
    ASSERT_TRUE(QTest::qWaitFor([&] { return !log.addresses.empty(); }, 2000));
    EXPECT_GE(typing.elapsed(), 300 + DirectorySearch::kQuietTime.count() - 50);
    ASSERT_EQ(log.addresses.size(), 1u);
    EXPECT_NE(log.addresses[0].find("name=jazz&"), std::string::npos) << log.addresses[0];
    EXPECT_TRUE(search.Searching());

    // Enter while a search runs: the running one is dropped, the new one starts at once.
    const int cancelsBefore = log.cancels;
    search.SearchNow(Named("blues"));
    EXPECT_GT(log.cancels, cancelsBefore);
    ASSERT_EQ(log.addresses.size(), 2u);
    EXPECT_NE(log.addresses[1].find("name=blues&"), std::string::npos);
    QTest::qWait(DirectorySearch::kQuietTime.count() + 100);
    EXPECT_EQ(log.addresses.size(), 2u) << "the typed search must not follow Enter";
}

TEST_F(DirectorySearchWithServer, FindsByNameTagAndCountryBestVotedFirstWithoutBrokenOrLocal) {
    search.SearchNow(Named("jazz"));
    ASSERT_TRUE(outcome.WaitForReport());
    ASSERT_TRUE(outcome.stations.has_value());
    EXPECT_EQ(outcome.Names(), (std::vector<std::string>{"Jazz Welle", "Jazz Lounge"}));
    EXPECT_EQ(outcome.stations->front().address, streams.Url("/live.mp3"));
    EXPECT_EQ(outcome.stations->front().bitrate, 128);
    EXPECT_EQ(directory.LastAgent(), "Tunelink/1.0");

    SearchQuery query;
    query.tag = "jazz";
    query.countryCode = "fr";
    search.SearchNow(query);
    ASSERT_TRUE(outcome.WaitForReport(2));
    EXPECT_EQ(outcome.Names(), (std::vector<std::string>{"Jazz Lounge"}));

    search.SearchNow(Named("gibt es nicht"));
    ASSERT_TRUE(outcome.WaitForReport(3));
    ASSERT_TRUE(outcome.stations.has_value());
    EXPECT_TRUE(outcome.stations->empty());
    EXPECT_FALSE(outcome.failure.has_value());
}

TEST_F(DirectorySearchWithServer, ANewSearchDropsASlowOneWhoseAnswerNeverShows) {
    search.SearchNow(Named("langsam"));
    QTest::qWait(200);  // the slow request has reached the server
    search.SearchNow(Named("Nachrichten"));
    ASSERT_TRUE(outcome.WaitForReport());
    EXPECT_EQ(outcome.Names(), (std::vector<std::string>{"Nachrichten Eins"}));
    QTest::qWait(2000);  // longer than the slow answer takes
    EXPECT_EQ(outcome.reports, 1) << "the dropped search reported too";
    EXPECT_EQ(outcome.Names(), (std::vector<std::string>{"Nachrichten Eins"}));
}

TEST_F(DirectorySearchWithServer, ErrorsGarbageOversizeAndNoServerAreFailuresNotStations) {
    const std::vector<std::pair<const char*, SearchFailure>> cases{
        {"kaputt", SearchFailure::Unavailable},
        {"riesig", SearchFailure::Unavailable},
        {"wirr", SearchFailure::Unreadable},
    };
    int reports = 0;
    for (const auto& [name, kind] : cases) {
        outcome.failure.reset();
        search.SearchNow(Named(name));
        ASSERT_TRUE(outcome.WaitForReport(++reports)) << name;
        EXPECT_EQ(outcome.failure, kind) << name;
        EXPECT_FALSE(outcome.stations.has_value()) << name;
        EXPECT_FALSE(search.Searching());
    }

    DirectorySearch offline(testsupport::StreamServer::DeadAddress(),
                            catalogue::MakeHttpDirectoryFetcher);
    Outcome nothing;
    nothing.Watch(offline);
    offline.SearchNow(Named("jazz"));
    ASSERT_TRUE(nothing.WaitForReport());
    EXPECT_EQ(nothing.failure, SearchFailure::Unavailable);
}

TEST_F(DirectorySearchWithServer, ChoosingAStationCountsTheClickAndGivesItsAddress) {
    search.SearchNow(Named("Jazz Welle"));
    ASSERT_TRUE(outcome.WaitForReport());
    ASSERT_EQ(outcome.Names(), (std::vector<std::string>{"Jazz Welle"}));
    const Station chosen = outcome.stations->front();

    std::optional<util::Result<std::string>> address;
    search.Resolve(chosen, [&](util::Result<std::string> result) { address = std::move(result); });
    ASSERT_TRUE(QTest::qWaitFor([&] { return address.has_value(); }, 20000));
    ASSERT_TRUE(*address) << address->error();
    EXPECT_EQ(address->value(), streams.Url("/live.mp3"));
    EXPECT_EQ(directory.Clicks(chosen.uuid), 1);

    // A station the directory no longer knows, and one that is no station of it.
    Station gone = chosen;
    gone.uuid = "99999999-9999-4999-8999-999999999999";
    address.reset();
    search.Resolve(gone, [&](util::Result<std::string> result) { address = std::move(result); });
    ASSERT_TRUE(QTest::qWaitFor([&] { return address.has_value(); }, 20000));
    EXPECT_FALSE(*address);
    gone.uuid = "../../admin";
    address.reset();
    search.Resolve(gone, [&](util::Result<std::string> result) { address = std::move(result); });
    ASSERT_TRUE(address.has_value()) << "refused without asking the directory";
    EXPECT_FALSE(*address);
}
