#include "util/io/Exception.h"
#include "util/io/Files.h"
#include "util/io/WindowPosition.h"

#include <gtest/gtest.h>

#include <sys/stat.h>
#include <unistd.h>

#include <filesystem>
#include <fstream>

TEST(Exceptions, TypeNames) {
    EXPECT_EQ(util::IOException("m").ToString(), "util.io.IOException: m");
    EXPECT_EQ(util::FileNotFoundException("/x").ToString(), "util.io.FileNotFoundException: /x");
    util::XML2_Exception xml("bad");
    xml.SetElement("STATION");
    EXPECT_EQ(xml.ToString(), "bad in element: STATION");
}

TEST(Files, ProgramPathFolderAndName) {
    EXPECT_EQ(util::GetProgramFolder() + "/tests_util", util::GetProgramPath());
    EXPECT_EQ(util::GetAppName(), "tests_util");
}

TEST(Files, TempFolderIsPerUserAndPrivate) {
    const auto home =
        std::filesystem::temp_directory_path() / ("tl-cache-" + std::to_string(getpid()));
    setenv("XDG_CACHE_HOME", home.c_str(), 1);
    const std::string folder = util::GetTempFolder();
    unsetenv("XDG_CACHE_HOME");
    EXPECT_EQ(folder, home.string() + "/tunelink/");
    struct stat st {};
    ASSERT_EQ(stat(folder.c_str(), &st), 0);
    EXPECT_EQ(st.st_mode & 0777, 0700u);
    std::filesystem::remove_all(home);
}

TEST(Files, ExistsUnusableAndQuietDelete) {
    const auto dir =
        std::filesystem::temp_directory_path() / ("tl-files-" + std::to_string(getpid()));
    std::filesystem::create_directories(dir);
    const std::string file = (dir / "a.xml").string();
    std::ofstream(file) << "x";
    EXPECT_TRUE(util::FileExists(file));
    EXPECT_FALSE(util::FileExists((dir / "*.xml").string()));  // a path, not a pattern
    EXPECT_TRUE(util::AnyFileMatches((dir / "*.xml").string()));
    EXPECT_FALSE(util::AnyFileMatches((dir / "*.txt").string()));
    EXPECT_FALSE(util::IsFolderUnusable(dir.string()));
    EXPECT_TRUE(util::IsFolderUnusable((dir / "missing").string()));
    if (geteuid() != 0) {  // root may write anywhere
        chmod(dir.c_str(), 0555);
        EXPECT_TRUE(util::IsFolderUnusable(dir.string()));
        chmod(dir.c_str(), 0755);
    }
    EXPECT_TRUE(util::DeleteFileQuietly(file));
    EXPECT_FALSE(util::DeleteFileQuietly(file));
    std::filesystem::remove_all(dir);
}

// '*', '?' and '[' are ordinary in Linux file names: a folder called "Radio [old]" or
// "a*b?" holds files like any other.
TEST(Files, NamesWithPatternCharactersAreFoundAsWritten) {
    const auto dir =
        std::filesystem::temp_directory_path() / ("tl-files-[1]-" + std::to_string(getpid()));
    std::filesystem::create_directories(dir / "a*b?");
    for (const auto& file : {dir / "Tunelink_StationData", dir / "a*b?" / "[x].xml"}) {
        std::ofstream(file) << "x";
        EXPECT_TRUE(util::FileExists(file.string())) << file;
        EXPECT_TRUE(util::AnyFileMatches(file.string())) << file;
    }
    EXPECT_FALSE(util::FileExists((dir / "a*b?" / "[y].xml").string()));
    std::filesystem::remove_all(dir);
}

TEST(WindowPosition, DefaultsStoredValuesAndOffScreenCorners) {
    util::PositionInput in;
    in.windowWidth = 606;
    in.windowHeight = 520;
    in.workArea = {0, 0, 1920, 1080};
    in.virtualScreen = {0, 0, 1920, 1080};
    const util::Position centre{657, 280};

    EXPECT_EQ(util::RestoredWindowPosition(in), centre);  // nothing stored, no defaults

    in.x = 1294;
    in.y = 510;
    EXPECT_EQ(util::RestoredWindowPosition(in), (util::Position{1294, 510}));

    in.storedX = 100;
    in.storedY = 200;
    EXPECT_EQ(util::RestoredWindowPosition(in), (util::Position{100, 200}));

    in.storedX = 1400;  // right edge at 2006: left over from a removed monitor
    EXPECT_EQ(util::RestoredWindowPosition(in), centre);

    in.storedX = 1314;  // corner exactly at x 1920 is outside the screen
    EXPECT_EQ(util::RestoredWindowPosition(in), centre);
    in.storedX = 1313;
    EXPECT_EQ(util::RestoredWindowPosition(in), (util::Position{1313, 200}));

    in.storedX = 2147483000;  // hand-edited nonsense must not overflow
    EXPECT_EQ(util::RestoredWindowPosition(in), centre);

    in.virtualScreen = {-1280, 0, 3200, 1080};  // a second monitor on the left
    in.storedX = -900;
    EXPECT_EQ(util::RestoredWindowPosition(in), (util::Position{-900, 200}));

    // A panel along the top: the window is centred in what the panel leaves.
    in.workArea = {0, 40, 1920, 1040};
    in.storedX = 4000;
    EXPECT_EQ(util::RestoredWindowPosition(in), (util::Position{657, 300}));
    in.storedX.reset();
    in.x = -1;  // a default of -1 is a place like any other, not "centred"
    EXPECT_EQ(util::RestoredWindowPosition(in), (util::Position{-1, 200}));
}
