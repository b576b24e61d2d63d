#include "tests/catalogue/CatalogueTestSupport.h"

#include <stdlib.h>

#include <cstdlib>
#include <fstream>
#include <sstream>

using catalogue::CActionStationData;

namespace cataloguetest {

std::optional<std::string> ReadWholeFile(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    if (!in)
        return std::nullopt;
    std::ostringstream text;
    text << in.rdbuf();
    return text.str();
}

void WriteWholeFile(const std::string& path, const std::string& text) {
    std::ofstream out(path, std::ios::binary | std::ios::trunc);
    out << text;
    ASSERT_TRUE(out.good()) << path;
}

std::string ShippedCatalogue() {
    const char* source = std::getenv("TUNELINK_SOURCE_DIR");  // set by CTest
    EXPECT_NE(source, nullptr);
    const std::string root = source ? source : ".";
    const auto text = ReadWholeFile(root + "/catalogue/data/StationData.xml");
    EXPECT_TRUE(text.has_value());
    return text.value_or("");
}

std::string CatalogueWithEntry(int n, const std::string& url, const std::string& des) {
    std::string text = ShippedCatalogue();
    const std::string start = "  <S_" + std::to_string(n) + " ";
    const auto from = text.find(start);
    const auto to = text.find('\n', from);
    EXPECT_NE(from, std::string::npos);
    text.replace(from, to - from, start + "url=\"" + url + "\" des=\"" + des + "\"/>");
    return text;
}

void CatalogueFixture::SetUp() {
    std::string pattern = (std::filesystem::temp_directory_path() / "tunelink-cat-XXXXXX").string();
    ASSERT_NE(::mkdtemp(pattern.data()), nullptr);
    folder_ = pattern;
    cachePath_ = (folder_ / CActionStationData::kCacheFileName).string();
    util::InstallProfile(&profile_);
}

void CatalogueFixture::TearDown() {
    util::InstallProfile(nullptr);
    std::error_code ignored;
    std::filesystem::remove_all(folder_, ignored);
}

std::vector<std::string> CatalogueFixture::FolderContents() const {
    std::vector<std::string> names;
    for (const auto& entry : std::filesystem::directory_iterator(folder_))
        names.push_back(entry.path().filename().string());
    return names;
}

}  // namespace cataloguetest
