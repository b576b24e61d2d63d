#include "catalogue/ActionStationData.h"
#include "catalogue/StationData.h"
#include "tests/support/LocaleScope.h"
#include "ui/Translator.h"
#include "util/Profile.h"
#include "util/xml/Xml2.h"

#include <gtest/gtest.h>
#include <optional>

using catalogue::CActionStationData;
using catalogue::CStationData;
using catalogue::FillStationTable;

namespace {
class StationDataTest : public ::testing::Test {
  protected:
    void SetUp() override { util::InstallProfile(&profile_); }
    void TearDown() override { util::InstallProfile(nullptr); }

    void Fill(CStationData& table, const std::string& xml) {
        util::XML2_Parser::Document root = util::XML2_Parser().ParseBuffer(xml.data(), xml.size());
        ASSERT_TRUE(root) << root.error();
        FillStationTable(**root, table);
    }

    util::MemoryProfile profile_;
};
}  // namespace

TEST_F(StationDataTest, BuiltInListAndUserSlots) {
    std::optional<testsupport::LocaleScope> english(testsupport::kEnglish);
    CStationData table;
    EXPECT_EQ(table.current, 0);
    EXPECT_EQ(table.name[0],
              "Mania 92.9 FM - Santo Domingo (Dominikanische Republik) - Genre: Merengue");
    EXPECT_EQ(table.name[1], "Latino 96.3  FM - Los Angeles (USA) - Genre: Reggaeton");
    EXPECT_EQ(table.name[28], "Ibiza Global Radio - Ibiza (Spanien) - Genre: Dance");
    for (int i = 0; i < CStationData::kBuiltInCount; ++i) {
        const std::string& a = table.address[i];
        EXPECT_TRUE(a.rfind("http://", 0) == 0 || a.rfind("mms://", 0) == 0) << a;
        EXPECT_EQ(a.back(), ' ') << "slot " << i;
        EXPECT_EQ(a.find("& "), std::string::npos);
        // every ampersand is written as an entity
        for (std::size_t p = a.find('&'); p != std::string::npos; p = a.find('&', p + 1))
            EXPECT_EQ(a.compare(p, 5, "&amp;"), 0) << a;
    }
    for (int k = 0; k < 3; ++k) {
        EXPECT_EQ(table.name[29 + k], "Favorite " + std::to_string(k + 1));  // English locale
        EXPECT_TRUE(table.address[29 + k].empty());
    }
    english.reset();
    testsupport::LocaleScope german(testsupport::kGerman);
    const CStationData germanTable(&ui::CTranslator::InUiLanguage);
    for (int k = 0; k < 3; ++k)
        EXPECT_EQ(germanTable.name[29 + k], "Benutzerdefiniert " + std::to_string(k + 1));
}

TEST_F(StationDataTest, FavouritesComeFromTheSettings) {
    profile_.WriteText("CStationData", "2", "http://example.invalid/fav2 ");
    CStationData table;
    EXPECT_EQ(table.address[30], "http://example.invalid/fav2 ");
    EXPECT_TRUE(table.address[29].empty());
}

TEST_F(StationDataTest, OnlyExactEntryNamesCount) {
    CStationData reference, table;
    Fill(table,
         "<STATION><S_05 url='a' des='a'/><s_5 url='b' des='b'/><S_33 url='c' des='c'/>"
         "<S_0 url='d' des='d'/><S_-1 url='e'/><X><S_6 url='nested' des='nested'/></X>"
         "<S_7 des='name without address'/></STATION>");
    EXPECT_EQ(table.address, reference.address);
    EXPECT_EQ(table.name, reference.name);

    Fill(table, "<ANY><S_5 url='http://five ' des='Five'/></ANY>");
    EXPECT_EQ(table.address[4], "http://five ");
    EXPECT_EQ(table.name[4], "Five");
    for (int i = 0; i < 32; ++i) {
        if (i != 4) {
            EXPECT_EQ(table.address[i], reference.address[i]) << i;
        }
    }
}

TEST_F(StationDataTest, LaterEntriesWinAndNamesAreOptional) {
    CStationData table;
    const std::string oldName = table.name[6];
    Fill(table,
         "<R><S_2 url='first' des='First'/><S_2 url='second' des='Second'/>"
         "<S_7 url='seven'/><S_31 url='doc fav' des='Doc'/><S_32 url='x'/></R>");
    EXPECT_EQ(table.address[1], "second");
    EXPECT_EQ(table.name[1], "Second");
    EXPECT_EQ(table.address[6], "seven");
    EXPECT_EQ(table.name[6], oldName);
    EXPECT_EQ(table.address[30], "doc fav");
    EXPECT_EQ(table.name[30], "Doc");
    EXPECT_EQ(profile_.GetText("CStationData", "2", "unchanged"), "unchanged");
    EXPECT_EQ(table.current, 0);
}

TEST_F(StationDataTest, OverlongNamesAreCutAndOverlongAddressesLeaveTheSlotAlone) {
    CStationData reference, table;
    const std::string longest(CStationData::kMaxAddressChars, 'a');
    const std::string tooLong(CStationData::kMaxAddressChars + 1, 'b');
    Fill(table, "<R><S_3 url='" + longest + "' des='" + std::string(100 * 1024, 'n') +
                    "'/><S_4 url='" + tooLong +
                    "' des='Too long'/>"
                    "<S_5 url='http://five ' des='Five&#9;FM&#x202E;3pm.exe&#xA;'/></R>");
    EXPECT_EQ(table.address[2], longest);
    EXPECT_EQ(table.name[2], std::string(CStationData::kMaxNameChars - 1, 'n') + "\xE2\x80\xA6");
    EXPECT_EQ(table.address[3], reference.address[3]);
    EXPECT_EQ(table.name[3], reference.name[3]);
    EXPECT_EQ(table.address[4], "http://five ");
    EXPECT_EQ(table.name[4], "Five FM3pm.exe ");
}

TEST_F(StationDataTest, ACatalogueThatDeclaresEntitiesChangesNothing) {
    // A 400-byte document whose name expands to 6 MB.
    std::string bomb = "<!DOCTYPE R [<!ENTITY a '" + std::string(60, 'x') + "'>";
    for (char name = 'b'; name <= 'f'; ++name) {
        bomb += std::string("<!ENTITY ") + name + " '";
        for (int i = 0; i < 10; ++i) bomb += std::string("&") + static_cast<char>(name - 1) + ";";
        bomb += "'>";
    }
    bomb += "]><R><S_1 url='http://bomb ' des='&f;'/></R>";
    CActionStationData updater(nullptr, "/nonexistent/tunelink-cache");
    updater.ParseDocument(bomb);
    EXPECT_EQ(updater.Document(), nullptr);
    CStationData reference, table;
    updater.FillStationTable(table);
    EXPECT_EQ(table.address, reference.address);
    EXPECT_EQ(table.name, reference.name);
}
