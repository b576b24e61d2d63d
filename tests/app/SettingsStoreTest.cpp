#include "app/SettingsStore.h"

#include <gtest/gtest.h>

#include <unistd.h>

#include <filesystem>
#include <fstream>
#include <sstream>

namespace {
std::filesystem::path TempDir(const char* tag) {
    auto dir =
        std::filesystem::temp_directory_path() / (std::string(tag) + std::to_string(getpid()));
    std::filesystem::remove_all(dir);
    std::filesystem::create_directories(dir);
    return dir;
}
}  // namespace

TEST(SettingsStore, LivesUnderTheMakersFolderInXdgConfig) {
    const auto dir = TempDir("tl-cfg-");
    setenv("XDG_CONFIG_HOME", dir.c_str(), 1);
    EXPECT_EQ(SettingsStore::DefaultPath("tunelink"), (dir / "Torvane/tunelink.conf").string());
    {
        SettingsStore store("tunelink");
        store.WriteInt("CTunelinkDlg", "LastStation", 7);
        store.WriteText("CStationData", "1", "http://a.example/x?b=1&amp;c=2, d ");
    }
    unsetenv("XDG_CONFIG_HOME");
    std::ifstream file(dir / "Torvane/tunelink.conf");
    std::stringstream content;
    content << file.rdbuf();
    EXPECT_NE(content.str().find("[CTunelinkDlg]"), std::string::npos);
    EXPECT_NE(content.str().find("LastStation=7"), std::string::npos);

    auto again = SettingsStore::AtPath((dir / "Torvane/tunelink.conf").string());
    EXPECT_EQ(again->GetInt("CTunelinkDlg", "LastStation", 0), 7);
    EXPECT_EQ(again->GetText("CStationData", "1", ""), "http://a.example/x?b=1&amp;c=2, d ");
    EXPECT_EQ(again->GetInt("CTunelinkDlg", "iVolume", 50), 50);
    std::filesystem::remove_all(dir);
}

TEST(SettingsStore, HandEditedValuesAreChecked) {
    const auto dir = TempDir("tl-cfg2-");
    const auto path = dir / "t.conf";
    std::ofstream(path) << "[CTunelinkDlg]\niVolume=loud\nLastStation=12abc\niKnowsRightClick=2\n"
                        << "[CStationData]\n1=http://x.example/a, http://y.example/b\n"
                        << "2=\"bad \\xff\\xfe bytes\"\n";
    auto store = SettingsStore::AtPath(path.string());
    EXPECT_EQ(store->GetInt("CTunelinkDlg", "iVolume", 50), 50);
    EXPECT_EQ(store->GetInt("CTunelinkDlg", "LastStation", 0), 0);
    EXPECT_EQ(store->GetInt("CTunelinkDlg", "iKnowsRightClick", 3), 2);
    EXPECT_EQ(store->GetText("CStationData", "1", ""), "http://x.example/a, http://y.example/b");
    std::filesystem::remove_all(dir);
}
