// The station finder as a listener uses it: the favourite editor of sector 31, a search in
// the (local stand-in) directory, listening through a real sound server, keeping the station,
// and the dial playing it afterwards.
#include "radio/SkinGeometry.h"
#include "tests/support/DirectoryServer.h"
#include "tests/support/RadioProcess.h"
#include "tests/support/SoundServer.h"
#include "tests/support/StreamServer.h"
#include "tests/support/VirtualDisplay.h"

#include <gtest/gtest.h>
#include <QDir>
#include <QFile>
#include <QSettings>
#include <QThread>

#include <algorithm>

namespace {
using namespace std::chrono_literals;
using testsupport::VirtualDisplay;
namespace g = radio::geometry;

constexpr int kWidth = 1280, kHeight = 1024;

QPoint InsideSector(int sector) {
    const QPolygon triangle = g::SectorTriangle(sector);
    return (triangle[0] + 3 * triangle[1] + 3 * triangle[2]) / 7;
}

class StationFinderEndToEnd : public ::testing::TestWithParam<const char*> {
  protected:
    void SetUp() override {
        for (const char* tool : {"Xvfb", "xdotool", "openbox", "xprop", "import"}) {
            if (!VirtualDisplay::ToolExists(tool))
                GTEST_SKIP() << tool << " is needed";
        }
        if (!testsupport::PrivateSoundServer::ToolsExist())
            GTEST_SKIP() << "pulseaudio and parec are needed";
        ASSERT_TRUE(radio_.Ready());
        display_ = std::make_unique<VirtualDisplay>(kWidth, kHeight, false, true,
                                                    QStringLiteral("#dfe6ee"));
        ASSERT_TRUE(display_->Available());
        ASSERT_TRUE(sound_.Available());
    }

    void Key(const char* key) const { display_->Run("xdotool", {"key", key}); }
    void Type(const char* text) const { display_->Run("xdotool", {"type", "--delay", "30", text}); }
    bool Gone(const std::string& window) const {
        for (int i = 0; i < 100; ++i) {
            const auto shown = display_->WindowsOf(radio_.Pid());
            if (std::find(shown.begin(), shown.end(), window) == shown.end())
                return true;
            QThread::msleep(100);
        }
        return false;
    }
    bool SoundWithin(std::chrono::milliseconds limit) const {
        const auto since = testsupport::SoundClock::now();
        while (testsupport::SoundClock::now() - since < limit) {
            if (monitor_.FirstSoundAfter(since))
                return true;
            QThread::msleep(100);
        }
        return false;
    }
    std::string Log() const { return radio_.Log().toStdString(); }

    testsupport::StreamServer streams_;
    testsupport::DirectoryServer directory_{streams_.Url("/")};
    testsupport::PrivateSoundServer sound_;
    testsupport::SoundMonitor monitor_{sound_, "nul"};
    testsupport::RadioProcess radio_;
    std::unique_ptr<VirtualDisplay> display_;
};
}  // namespace

TEST_P(StationFinderEndToEnd, FindListenKeepAndPlayFromTheDial) {
    ASSERT_TRUE(monitor_.WaitUntilRecording(10s));
    auto env = radio_.Environment(display_->Name(), "pulsesink");
    sound_.AddClientEnvironment(env, "nul");
    env.insert("TUNELINK_DIRECTORY_URL", QString::fromStdString(directory_.Base()));
    env.insert("LANG", GetParam());
    ASSERT_TRUE(radio_.Start(testsupport::RadioProcess::BuiltProgram(), env));
    const std::string radio =
        display_->WaitForWindowOf(radio_.Pid(), g::kWindowWidth, g::kWindowHeight, 20000);
    ASSERT_FALSE(radio.empty()) << Log();
    ASSERT_GE(radio_.WaitForLog("tunelink.startup: first frame painted", 20000), 0) << Log();
    ASSERT_TRUE(
        display_->WaitUntilOnlyWindowOf(radio_.Pid(), g::kWindowWidth, g::kWindowHeight, 20000));
    const testsupport::WindowGeometry at = display_->Geometry(radio);
    const QPoint sector31 = QPoint(at.x, at.y) + InsideSector(31);

    // The empty favourite opens its editor; its tab order is OK, Cancel, address, Find.
    display_->Pointer(sector31.x(), sector31.y(), true);
    const std::string editor = display_->WaitForNewWindowOf(radio_.Pid(), {radio});
    ASSERT_FALSE(editor.empty()) << Log();
    QThread::msleep(300);
    for (const char* key : {"Tab", "Tab", "Tab", "space"}) Key(key);
    const std::string finder = display_->WaitForNewWindowOf(radio_.Pid(), {radio, editor});
    ASSERT_FALSE(finder.empty()) << "no station finder\n" << Log();
    QThread::msleep(300);

    // Typed into the name field, which has the focus; Enter searches at once.
    Type("jazz");
    Key("Return");
    for (int i = 0; i < 100 && directory_.Searches() == 0; ++i) QThread::msleep(100);
    ASSERT_GT(directory_.Searches(), 0) << "the finder never asked the directory";
    QThread::msleep(1000);
    const std::string shot = qEnvironmentVariable("TUNELINK_BINARY_DIR").toStdString() +
                             "/finder-" + std::string(GetParam()).substr(0, 2) + ".png";
    EXPECT_TRUE(display_->Screenshot(shot));

    // To the list (name, genre, country, list), Enter: the first station plays.
    for (const char* key : {"Tab", "Tab", "Tab", "Return"}) Key(key);
    const auto& welle = testsupport::DirectoryServer::Station("Jazz Welle");
    for (int i = 0; i < 100 && directory_.Clicks(welle.uuid) == 0; ++i) QThread::msleep(100);
    EXPECT_EQ(directory_.Clicks(welle.uuid), 1);
    EXPECT_TRUE(SoundWithin(20s)) << "nothing reached the sound server\n" << Log();

    // Use (list, Listen, Use): the finder closes and the editor holds the address; the
    // listening ends with it, and Enter confirms the editor.
    for (const char* key : {"Tab", "Tab", "space"}) Key(key);
    ASSERT_TRUE(Gone(finder)) << "the finder stayed open";
    EXPECT_TRUE(monitor_.WaitForSilence(500ms, 10s)) << "the finder's station still plays";
    Key("Return");
    ASSERT_TRUE(Gone(editor)) << "the editor stayed open";

    // The dial now plays the kept station.
    display_->Pointer(sector31.x(), sector31.y(), true);
    EXPECT_TRUE(SoundWithin(20s)) << "sector 31 does not play the kept station\n" << Log();
    radio_.Stop();
    const QSettings settings(radio_.SettingsFile(), QSettings::IniFormat);
    EXPECT_EQ(settings.value("CStationData/2").toString().toStdString(), streams_.Url("/live.mp3"));
}

std::string LanguageName(const ::testing::TestParamInfo<const char*>& param) {
    return std::string(param.param).substr(0, 2) == "de" ? "German" : "English";
}

INSTANTIATE_TEST_SUITE_P(Languages, StationFinderEndToEnd,
                         ::testing::Values("de_DE.UTF-8", "en_US.UTF-8"), LanguageName);
