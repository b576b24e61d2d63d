#include "app/SettingsStore.h"

#include <gtest/gtest.h>

#include <sys/stat.h>
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
    EXPECT_EQ(app::SettingsStore::DefaultPath("tunelink"),
              (dir / "Torvane/tunelink.conf").string());
    {
        app::SettingsStore store("tunelink");
        store.WriteInt("CTunelinkDlg", "LastStation", 7);
        store.WriteText("CStationData", "1", "http://a.example/x?b=1&amp;c=2, d ");
    }
    unsetenv("XDG_CONFIG_HOME");
    std::ifstream file(dir / "Torvane/tunelink.conf");
    std::stringstream content;
    content << file.rdbuf();
    EXPECT_NE(content.str().find("[CTunelinkDlg]"), std::string::npos);
    EXPECT_NE(content.str().find("LastStation=7"), std::string::npos);

    auto again = app::SettingsStore::AtPath((dir / "Torvane/tunelink.conf").string());
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
    auto store = app::SettingsStore::AtPath(path.string());
    EXPECT_EQ(store->GetInt("CTunelinkDlg", "iVolume", 50), 50);
    EXPECT_EQ(store->GetInt("CTunelinkDlg", "LastStation", 0), 0);
    EXPECT_EQ(store->GetInt("CTunelinkDlg", "iKnowsRightClick", 3), 2);
    EXPECT_EQ(store->GetText("CStationData", "1", ""), "http://x.example/a, http://y.example/b");
    std::filesystem::remove_all(dir);
}

#include "util/io/ReplaceFile.h"

#include <signal.h>
#include <sys/mount.h>
#include <sys/resource.h>

#include <cerrno>
#include <cstdio>

namespace {
std::string ReadWhole(const std::filesystem::path& path) {
    std::ifstream file(path, std::ios::binary);
    std::stringstream content;
    content << file.rdbuf();
    return content.str();
}

// Files of this process cannot grow past `bytes`: writes beyond fail with EFBIG, the way a
// nearly full disk fails them with ENOSPC, and no privileges are needed.
class FileSizeLimit {
  public:
    explicit FileSizeLimit(rlim_t bytes) {
        getrlimit(RLIMIT_FSIZE, &old_);
        oldHandler_ = signal(SIGXFSZ, SIG_IGN);
        rlimit limit = old_;
        limit.rlim_cur = bytes;
        setrlimit(RLIMIT_FSIZE, &limit);
    }
    ~FileSizeLimit() {
        setrlimit(RLIMIT_FSIZE, &old_);
        signal(SIGXFSZ, oldHandler_);
    }

  private:
    rlimit old_{};
    void (*oldHandler_)(int) = nullptr;
};

// Writes half of what it is given, then reports a full disk.
long HalfThenFull(int fd, const void* data, unsigned long size) {
    if (size > 1) {
        const long done = ::write(fd, data, size / 2);
        if (done > 0)
            return done;
    }
    errno = ENOSPC;
    return -1;
}

std::vector<std::string> Entries(const std::filesystem::path& dir) {
    std::vector<std::string> names;
    for (const auto& entry : std::filesystem::directory_iterator(dir))
        names.push_back(entry.path().filename().string());
    return names;
}
}  // namespace

TEST(SettingsStore, AFailedWriteNeverShortensTheFileAndIsReportedOnce) {
    const auto dir = TempDir("tl-cfg-full-");
    const auto path = dir / "tunelink.conf";
    auto store = app::SettingsStore::AtPath(path.string());
    store->WriteText("CStationData", "1", "http://favourite.example/one");
    store->WriteInt("CBuddyboxDlg", "WndX", 600);
    store->WriteInt("CBuddyboxDlg", "TopMost", 0);
    const std::string before = ReadWhole(path);
    ASSERT_GT(before.size(), 64u);
    std::vector<std::string> reports;
    store->SetFailureReporter([&](const std::string& file, const std::string& reason) {
        reports.push_back(file + ": " + reason);
    });

    {
        FileSizeLimit nearlyFull(32);
        store->WriteInt("CBuddyboxDlg", "TopMost", 1);
        store->WriteText("CStationData", "2", "http://favourite.example/two");
    }
    EXPECT_EQ(ReadWhole(path), before);
    EXPECT_EQ(Entries(dir), std::vector<std::string>{"tunelink.conf"});  // nothing left over
    EXPECT_EQ(store->GetInt("CBuddyboxDlg", "TopMost", 5), 0);           // keeps its earlier value
    ASSERT_EQ(reports.size(), 1u);
    EXPECT_NE(reports[0].find(path.string()), std::string::npos);

    util::SetWriteFunctionForTests(&HalfThenFull);  // Qt's text is fine, the final copy fails
    store->WriteInt("CBuddyboxDlg", "TopMost", 1);
    util::SetWriteFunctionForTests(nullptr);
    EXPECT_EQ(ReadWhole(path), before);
    EXPECT_EQ(Entries(dir), std::vector<std::string>{"tunelink.conf"});
    // Every write accepted, but the disk finds no room when the data must reach it (as a
    // nearly full file system with delayed allocation does): no rename.
    util::SetSyncFunctionForTests([](int) {
        errno = ENOSPC;
        return -1;
    });
    store->WriteInt("CBuddyboxDlg", "TopMost", 1);
    util::SetSyncFunctionForTests(nullptr);
    EXPECT_EQ(ReadWhole(path), before);
    EXPECT_EQ(Entries(dir), std::vector<std::string>{"tunelink.conf"});
    EXPECT_EQ(reports.size(), 1u);  // told once

    store->WriteInt("CBuddyboxDlg", "TopMost", 1);  // space again
    auto again = app::SettingsStore::AtPath(path.string());
    EXPECT_EQ(again->GetInt("CBuddyboxDlg", "TopMost", 0), 1);
    EXPECT_EQ(again->GetInt("CBuddyboxDlg", "WndX", 0), 600);
    EXPECT_EQ(again->GetText("CStationData", "1", ""), "http://favourite.example/one");
    std::filesystem::remove_all(dir);
}

namespace {
// A file system of a few pages, mounted for the test (root only), and filled to the brim.
class TinyFileSystem {
  public:
    explicit TinyFileSystem(const std::filesystem::path& dir) : dir_(dir) {
        std::filesystem::create_directories(dir_);
        mounted_ = ::mount("tmpfs", dir_.c_str(), "tmpfs", 0, "size=16k") == 0;
    }
    ~TinyFileSystem() {
        if (mounted_)
            ::umount(dir_.c_str());
        std::filesystem::remove_all(dir_.parent_path());
    }
    bool Mounted() const { return mounted_; }
    void Fill() {
        std::FILE* filler = std::fopen((dir_ / "filler").c_str(), "wb");
        if (!filler)
            return;
        const std::string chunk(512, 'f');
        while (std::fwrite(chunk.data(), 1, chunk.size(), filler) == chunk.size() &&
               std::fflush(filler) == 0) {
        }
        std::fclose(filler);
    }
    void Empty() { std::filesystem::remove(dir_ / "filler"); }

  private:
    std::filesystem::path dir_;
    bool mounted_ = false;
};
}  // namespace

// The real thing: no space left on the device while the settings are written.
TEST(SettingsStore, AFullDiskLeavesTheSettingsFileAsItWas) {
    const auto base = TempDir("tl-cfg-tiny-");
    TinyFileSystem disk(base / "disk");
    if (!disk.Mounted())
        GTEST_SKIP() << "mounting a small tmpfs needs root";
    const auto path = base / "disk" / "tunelink.conf";
    auto store = app::SettingsStore::AtPath(path.string());
    store->WriteText("CStationData", "1", "http://favourite.example/one");
    store->WriteInt("CBuddyboxDlg", "WndX", 600);
    const std::string before = ReadWhole(path);
    ASSERT_FALSE(before.empty());
    int reports = 0;
    store->SetFailureReporter([&](const std::string&, const std::string& reason) {
        ++reports;
        EXPECT_NE(reason.find("space"), std::string::npos) << reason;
    });

    disk.Fill();
    store->WriteInt("CBuddyboxDlg", "TopMost", 1);
    store->WriteInt("CBuddyboxDlg", "WndY", 300);
    EXPECT_EQ(ReadWhole(path), before);
    EXPECT_EQ(reports, 1);

    disk.Empty();
    store->WriteInt("CBuddyboxDlg", "TopMost", 1);
    EXPECT_EQ(app::SettingsStore::AtPath(path.string())->GetInt("CBuddyboxDlg", "TopMost", 0), 1);
}

TEST(SettingsStore, ValuesSurviveTheRewriteIncludingOnesWeDoNotKnow) {
    const auto dir = TempDir("tl-cfg-keep-");
    const auto path = dir / "tunelink.conf";
    std::ofstream(path) << "[Other]\nlist=a, b\nquoted=\"x;y=z\"\n[CTunelinkDlg]\niVolume=80\n";
    auto store = app::SettingsStore::AtPath(path.string());
    store->WriteText("CStationData", "3", " spaced ; \"odd\" = text, with \\ and ümlaut ");
    auto again = app::SettingsStore::AtPath(path.string());
    EXPECT_EQ(again->GetText("Other", "list", ""), "a, b");
    EXPECT_EQ(again->GetText("Other", "quoted", ""), "x;y=z");
    EXPECT_EQ(again->GetInt("CTunelinkDlg", "iVolume", 50), 80);
    EXPECT_EQ(again->GetText("CStationData", "3", ""),
              " spaced ; \"odd\" = text, with \\ and ümlaut ");
    struct stat info {};
    ASSERT_EQ(stat(path.c_str(), &info), 0);
    EXPECT_EQ(info.st_mode & 0777, 0600u);  // favourites and places are the user's own
    std::filesystem::remove_all(dir);
}
