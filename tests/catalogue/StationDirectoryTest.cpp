#include "catalogue/StationDirectory.h"

#include <gtest/gtest.h>

#include <string>

namespace {
namespace directory = catalogue::directory;

constexpr const char* kUuid = "96062a7b-0601-11e8-ae97-52543be04c81";

std::string StationJson(const std::string& fields) {
    return std::string(R"({"stationuuid":")") + kUuid + R"(",)" + fields + "}";
}
}  // namespace

TEST(StationDirectory, BaseAddressIsANetworkAddressWithoutQueryOrUser) {
    EXPECT_EQ(directory::CheckedBase("https://all.api.radio-browser.info/").value(),
              "https://all.api.radio-browser.info");
    EXPECT_EQ(directory::CheckedBase(" http://127.0.0.1:8080 ").value(), "http://127.0.0.1:8080");
    for (const char* bad : {"file:///etc/passwd", "ftp://example.org", "example.org", "",
                            "http://x.org/?a=b", "https://user:pw@x.org"}) {
        const auto base = directory::CheckedBase(bad);
        EXPECT_FALSE(base) << bad;
        EXPECT_FALSE(base.error().message.empty()) << bad;
    }
}

TEST(StationDirectory, SearchAddressEncodesWhatWasTypedAndAsksForGoodStationsFirst) {
    directory::SearchQuery query;
    query.name = "  Jazz & Blues=1 Köln\n";
    query.tag = "smooth jazz";
    query.countryCode = "DE";
    EXPECT_EQ(directory::SearchAddress("http://h", query),
              "http://h/json/stations/search?name=Jazz%20%26%20Blues%3D1%20K%C3%B6ln"
              "&tag=smooth%20jazz&countrycode=DE&limit=100&hidebroken=true&order=votes"
              "&reverse=true");

    // No tag, a country that is not a code, and a name longer than any station's.
    query = {};
    query.name = std::string(300, 'a');
    query.countryCode = "Germany";
    const std::string address = directory::SearchAddress("http://h", query);
    EXPECT_NE(address.find("name=" + std::string(directory::kMaxFilterChars, 'a') + "&limit="),
              std::string::npos)
        << address;
    EXPECT_EQ(address.find("tag="), std::string::npos);
    EXPECT_EQ(address.find("countrycode"), std::string::npos);
}

TEST(StationDirectory, ClickAddressOnlyForStationIdentifiers) {
    EXPECT_EQ(directory::ClickAddress("http://h", kUuid).value(),
              std::string("http://h/json/url/") + kUuid);
    for (const char* bad : {"", "../../admin", "96062a7b-0601-11e8-ae97-52543be04c8",
                            "96062a7b/0601-11e8-ae97-52543be04c81"})
        EXPECT_FALSE(directory::ClickAddress("http://h", bad)) << bad;
}

TEST(StationDirectory, SearchAnswerKeepsPlayableStationsInOrderWithBoundedCleanFields) {
    const std::string body =
        "[" +
        StationJson(R"("name":"Erste\u0007 Welle\u202e","url_resolved":"http://a.example/s.mp3",
            "url":"http://ignored","country":"Deutschland","countrycode":"DE","tags":"jazz,pop",
            "codec":"MP3","bitrate":128,"hls":0,"lastcheckok":1)") +
        "," + StationJson(R"("name":"Lokal","url_resolved":"file:///etc/passwd","lastcheckok":1)") +
        "," + StationJson(R"("name":"Kaputt","url_resolved":"http://b.example/","lastcheckok":0)") +
        R"(,{"stationuuid":"nope","name":"No id","url_resolved":"http://c.example/"})" + "," +
        StationJson(
            R"("name":")" + std::string(300, 'n') +
            R"(","url":"https://d.example/x","countrycode":"DEU","bitrate":"fast","hls":1)") +
        "]";
    const auto stations = directory::ParseSearchAnswer(body);
    ASSERT_TRUE(stations) << stations.error();
    ASSERT_EQ(stations->size(), 2u);

    const directory::Station& first = stations->at(0);
    EXPECT_EQ(first.name, "Erste Welle");
    EXPECT_EQ(first.address, "http://a.example/s.mp3");
    EXPECT_EQ(first.country, "Deutschland");
    EXPECT_EQ(first.countryCode, "DE");
    EXPECT_EQ(first.tags, "jazz,pop");
    EXPECT_EQ(first.codec, "MP3");
    EXPECT_EQ(first.bitrate, 128);
    EXPECT_FALSE(first.hls);

    // Without a resolved address the station's own one is taken; bad fields fall back.
    const directory::Station& second = stations->at(1);
    EXPECT_EQ(second.address, "https://d.example/x");
    EXPECT_EQ(second.name.size(), directory::kMaxNameChars - 1 + std::string("…").size());
    EXPECT_EQ(second.countryCode, "");
    EXPECT_EQ(second.bitrate, 0);
    EXPECT_TRUE(second.hls);
}

TEST(StationDirectory, SearchAnswerThatIsNoListFailsAndAHugeListIsCut) {
    for (const char* bad : {"", "<html>busy</html>", "{\"error\":1}", "[{\"name\":", "null"})
        EXPECT_FALSE(directory::ParseSearchAnswer(bad)) << bad;
    EXPECT_TRUE(directory::ParseSearchAnswer("[]")->empty());

    std::string many = "[";
    for (std::size_t i = 0; i < directory::kMaxStations + 20; ++i)
        many += (i ? "," : "") + StationJson(R"("name":"S","url":"http://s.example/")");
    many += "]";
    EXPECT_EQ(directory::ParseSearchAnswer(many)->size(), directory::kMaxStations);
}

TEST(StationDirectory, ClickAnswerGivesOnlyAPlayableAddress) {
    EXPECT_EQ(directory::ParseClickAnswer(
                  R"({"ok":true,"message":"retrieved station url","url":"http://e.example/live"})")
                  .value(),
              "http://e.example/live");
    for (const char* bad :
         {R"({"ok":false,"message":"station not found"})",
          R"({"ok":true,"url":"file:///home/user/.ssh/id_rsa"})",
          R"({"ok":true,"url":"http://x\u0000y"})", R"({"ok":true})", "[1,", ""}) {
        const auto address = directory::ParseClickAnswer(bad);
        EXPECT_FALSE(address) << bad;
        EXPECT_FALSE(address.error().message.empty()) << bad;
    }
}
