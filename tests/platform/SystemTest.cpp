#include "platform/system/InstanceLock.h"
#include "platform/system/Locale.h"

#include <gtest/gtest.h>

#include <sys/wait.h>
#include <unistd.h>

#include <filesystem>

TEST(Locale, PosixNamesMapToLanguageIdentifiers) {
    EXPECT_EQ(platform::LangIdFromLocaleName("de_DE.UTF-8"), 0x0407);
    EXPECT_EQ(platform::LangIdFromLocaleName("de_AT@euro"), 0x0C07);
    EXPECT_EQ(platform::LangIdFromLocaleName("de_LI.UTF-8"), 0x1407);
    EXPECT_EQ(platform::LangIdFromLocaleName("de_BE.UTF-8"), 0x0407);  // other German: primary
    EXPECT_EQ(platform::LangIdFromLocaleName("fr_FR"), 0x040C);
    EXPECT_EQ(platform::LangIdFromLocaleName("nl_BE.UTF-8"), 0x0813);
    EXPECT_EQ(platform::LangIdFromLocaleName("C.UTF-8"), 0x0409);
    EXPECT_EQ(platform::LangIdFromLocaleName(""), 0x0409);
}

TEST(InstanceLock, SecondHolderIsRefusedUntilTheFirstEnds) {
    const auto dir =
        std::filesystem::temp_directory_path() / ("tl-lock-" + std::to_string(getpid()));
    std::filesystem::create_directories(dir);
    {
        platform::InstanceLock first("tunelink", dir.string());
        ASSERT_TRUE(first.Acquired());
        EXPECT_EQ(first.Path(), (dir / "tunelinkPrevent.lock").string());
        // flock is per open file: a second open in another process is refused.
        const pid_t child = fork();
        if (child == 0) {
            platform::InstanceLock second("tunelink", dir.string());
            platform::InstanceLock renamed("tunelink2", dir.string());
            _exit(!second.Acquired() && renamed.Acquired() ? 0 : 1);
        }
        int status = 0;
        waitpid(child, &status, 0);
        EXPECT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 0);
    }
    const pid_t child = fork();
    if (child == 0) {
        platform::InstanceLock again("tunelink", dir.string());
        _exit(again.Acquired() ? 0 : 1);
    }
    int status = 0;
    waitpid(child, &status, 0);
    EXPECT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 0);
    std::filesystem::remove_all(dir);
}

#include "platform/system/PlatformChoice.h"

TEST(PlatformChoice, PrefersX11AndExplainsTheRest) {
    auto c = platform::ChoosePlatform("", ":0", "wayland-0");
    EXPECT_EQ(c.platform, "xcb");
    EXPECT_FALSE(c.note.empty());
    c = platform::ChoosePlatform("", "", "wayland-0");
    EXPECT_EQ(c.platform, "wayland");
    EXPECT_NE(c.note.find("stay on top"), std::string::npos);
    c = platform::ChoosePlatform("offscreen", "", "");
    EXPECT_TRUE(c.platform.empty());
    EXPECT_FALSE(c.noDisplay);
    c = platform::ChoosePlatform("", "", "");
    EXPECT_TRUE(c.noDisplay);
}

TEST(PlatformChoice, AnExplicitPlatformThatCannotWorkIsNoDisplay) {
    EXPECT_TRUE(platform::ChoosePlatform("xcb", "", "").noDisplay);
    EXPECT_TRUE(platform::ChoosePlatform("wayland", ":0", "").noDisplay);
    EXPECT_TRUE(platform::ChoosePlatform("wayland-egl;xcb", "", "").noDisplay);
    EXPECT_FALSE(platform::ChoosePlatform("wayland;xcb", ":0", "").noDisplay);
    EXPECT_FALSE(platform::ChoosePlatform("xcb:nograb", ":0", "").noDisplay);
    EXPECT_FALSE(platform::ChoosePlatform("minimal", "", "").noDisplay);
}

#include <QTemporaryDir>

#include <sys/socket.h>
#include <sys/un.h>
#include <unistd.h>

#include <cstring>
#include <filesystem>

TEST(PlatformChoice, DisplaysThatDoNotAnswerAreNone) {
    int unused = 4700;
    while (std::filesystem::exists("/tmp/.X11-unix/X" + std::to_string(unused))) ++unused;
    EXPECT_FALSE(platform::X11DisplayAnswers(":" + std::to_string(unused)));
    EXPECT_FALSE(platform::X11DisplayAnswers(""));

    QTemporaryDir runtime;
    ASSERT_TRUE(runtime.isValid());
    const std::string dir = runtime.path().toStdString();
    EXPECT_FALSE(platform::WaylandDisplayAnswers("wayland-0", dir));
    EXPECT_FALSE(platform::WaylandDisplayAnswers("wayland-0", ""));

    // A socket that listens answers; the same name after its compositor went does not.
    const int fd = socket(AF_UNIX, SOCK_STREAM, 0);
    ASSERT_GE(fd, 0);
    sockaddr_un address{};
    address.sun_family = AF_UNIX;
    const std::string path = dir + "/wayland-1";
    std::strcpy(address.sun_path, path.c_str());
    ASSERT_EQ(bind(fd, reinterpret_cast<sockaddr*>(&address), sizeof address), 0);
    ASSERT_EQ(listen(fd, 1), 0);
    EXPECT_TRUE(platform::WaylandDisplayAnswers("wayland-1", dir));
    EXPECT_TRUE(platform::WaylandDisplayAnswers(path, ""));
    close(fd);
    EXPECT_FALSE(platform::WaylandDisplayAnswers("wayland-1", dir));  // stale socket file
}
