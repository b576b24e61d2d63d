// "Start with the desktop": the autostart entry and the installer's uninstall list.
#include <gtest/gtest.h>

#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <string>

#include "app/StartupShortcut.h"

namespace {

using namespace app;

std::string Read(const std::string& path) {
    QFile file(QString::fromStdString(path));
    return file.open(QIODevice::ReadOnly) ? file.readAll().toStdString() : std::string("<none>");
}

void Write(const std::string& path, const std::string& text) {
    QFile file(QString::fromStdString(path));
    ASSERT_TRUE(file.open(QIODevice::WriteOnly));
    file.write(text.data(), static_cast<qint64>(text.size()));
}

class StartupShortcutTest : public ::testing::Test {
  protected:
    void SetUp() override {
        ASSERT_TRUE(dir_.isValid());
        const std::string root = dir_.path().toStdString();
        place_.programFolder = root + "/My Programs";
        QDir().mkpath(QString::fromStdString(place_.programFolder));
        place_.programPath = place_.programFolder + "/tunelink";
        place_.appName = "tunelink";
        place_.autostartFolder = root + "/config/autostart";  // missing until first created
        place_.displayName = "Orbifon 1.0";
    }
    std::string ListPath() const { return place_.programFolder + "/!sfxunst.ini"; }
    std::string Line() const { return UninstallEntryLine(ShortcutPath(place_)); }

    QTemporaryDir dir_;
    StartupShortcutPlace place_;
};

TEST_F(StartupShortcutTest, TogglingTwiceLeavesEverythingAsItWas) {
    const std::string list = "[Files]\n/opt/tunelink/tunelink=<new>\n";
    Write(ListPath(), list);
    EXPECT_FALSE(ShortcutExists(place_));

    ToggleStartupShortcut(place_);
    EXPECT_TRUE(ShortcutExists(place_));
    EXPECT_EQ(ShortcutPath(place_), place_.autostartFolder + "/tunelink.desktop");
    EXPECT_EQ(Read(ListPath()), "[Files]\n" + Line() + "/opt/tunelink/tunelink=<new>\n");
    EXPECT_NE(Read(ShortcutPath(place_)).find("Exec=\"" + place_.programPath + "\"\n"),
              std::string::npos);

    ToggleStartupShortcut(place_);
    EXPECT_FALSE(ShortcutExists(place_));
    EXPECT_EQ(Read(ListPath()), list);
    EXPECT_TRUE(QDir(QString::fromStdString(place_.autostartFolder)).isEmpty());
}

TEST_F(StartupShortcutTest, TheEntryLineIsNeverAddedTwice) {
    Write(ListPath(), "[Files]\r\n");
    EXPECT_EQ(CreateStartupShortcut(place_), 0);
    const std::string once = Read(ListPath());
    EXPECT_EQ(once, "[Files]\r\n" + Line());
    EXPECT_EQ(CreateStartupShortcut(place_), 0);
    EXPECT_EQ(Read(ListPath()), once);
}

TEST_F(StartupShortcutTest, WithoutFilesSectionTheLineGoesToPositionSeven) {
    Write(ListPath(), "abcdefghij");
    CreateStartupShortcut(place_);
    EXPECT_EQ(Read(ListPath()), "abcdefg" + Line() + "hij");
    RemoveStartupShortcut(place_);
    EXPECT_EQ(Read(ListPath()), "abcdefghij");
}

TEST(UninstallList, ShortListsAndSectionAtTheEnd) {
    const std::string line = "/c/autostart/t.desktop=<new>\n";
    EXPECT_EQ(WithUninstallEntry("abc", line), "abc" + line);
    EXPECT_EQ(WithUninstallEntry("", line), line);
    EXPECT_EQ(WithUninstallEntry("x\n[Files]", line), "x\n[Files]\n" + line);
    EXPECT_EQ(WithUninstallEntry("[Files]\n" + line, line), std::nullopt);
    EXPECT_EQ(WithoutUninstallEntry("[Files]\n", line), std::nullopt);
    EXPECT_EQ(WithoutUninstallEntry("a" + line + "b" + line, line), "ab" + line);
}

TEST_F(StartupShortcutTest, MissingListIsNotCreatedAndTheEntryStillIs) {
    EXPECT_EQ(CreateStartupShortcut(place_), 0);
    EXPECT_TRUE(ShortcutExists(place_));
    EXPECT_FALSE(QFile::exists(QString::fromStdString(ListPath())));
    RemoveStartupShortcut(place_);
    EXPECT_FALSE(ShortcutExists(place_));
}

TEST_F(StartupShortcutTest, NoAutostartFolderMeansOffAndCreationFails) {
    Write(ListPath(), "[Files]\n");
    place_.autostartFolder.clear();
    EXPECT_FALSE(ShortcutExists(place_));
    EXPECT_EQ(CreateStartupShortcut(place_), -1);
    EXPECT_EQ(Read(ListPath()), "[Files]\n");
}

TEST_F(StartupShortcutTest, ARenamedProgramDoesNotSeeTheOldEntry) {
    CreateStartupShortcut(place_);
    place_.appName = "tunelink-renamed";
    EXPECT_FALSE(ShortcutExists(place_));
}

}  // namespace

#include <sys/stat.h>
#include <unistd.h>

// A dangling link left at the entry's place: turning the entry on makes a file there and
// nothing where the link points.
TEST_F(StartupShortcutTest, ADanglingLinkIsReplacedByTheEntry) {
    ASSERT_TRUE(QDir().mkpath(QString::fromStdString(place_.autostartFolder)));
    const std::string target = dir_.path().toStdString() + "/trap.desktop";
    ASSERT_EQ(symlink(target.c_str(), ShortcutPath(place_).c_str()), 0);
    EXPECT_FALSE(ShortcutExists(place_));
    ToggleStartupShortcut(place_);
    EXPECT_TRUE(ShortcutExists(place_));
    EXPECT_FALSE(QFile::exists(QString::fromStdString(target)));
    struct stat info {};
    ASSERT_EQ(lstat(ShortcutPath(place_).c_str(), &info), 0);
    EXPECT_TRUE(S_ISREG(info.st_mode));
}
