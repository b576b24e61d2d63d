// The real program on a private X display: placement, a click on a favourite that plays a
// local stream into a WAV file, the flap, and power off ending the program with its
// settings saved. Once with a compositing manager (translucent window), once without
// (outline window).
#include "radio/SkinGeometry.h"
#include "tests/support/RadioProcess.h"
#include "tests/support/StreamServer.h"
#include "tests/support/VirtualDisplay.h"
#include "tests/support/Wave.h"

#include <gtest/gtest.h>
#include <QElapsedTimer>
#include <QFile>
#include <QSettings>
#include <QThread>

namespace {
using testsupport::VirtualDisplay;

class EndToEnd : public ::testing::TestWithParam<bool> {
  protected:
    void SetUp() override {
        if (!VirtualDisplay::ToolExists("Xvfb") || !VirtualDisplay::ToolExists("xdotool"))
            GTEST_SKIP() << "Xvfb and xdotool are needed";
        ASSERT_TRUE(QFile::exists(testsupport::RadioProcess::BuiltProgram()));
        ASSERT_TRUE(radio_.Ready());
    }

    std::string Log() const { return radio_.Log().toStdString(); }

    testsupport::RadioProcess radio_;
};
}  // namespace

TEST_P(EndToEnd, FavouritePlaysFlapOpensPowerOffSaves) {
    const bool compositor = GetParam();
    VirtualDisplay display(1280, 1024, compositor);
    ASSERT_TRUE(display.Available());
    testsupport::StreamServer server;

    radio_.SetSetting("CStationData/1", QString::fromStdString(server.Url("/live.ogg")));
    const QString wav = radio_.Home() + "/sound.wav";
    ASSERT_TRUE(
        radio_.Start(testsupport::RadioProcess::BuiltProgram(),
                     radio_.Environment(display.Name(),
                                        "audioconvert ! audio/x-raw,format=S16LE ! wavenc ! "
                                        "filesink location=" +
                                            wav)));

    const std::string id = display.FindWindow("Orbifon 1.0", 15000);
    ASSERT_FALSE(id.empty()) << Log();
    QThread::msleep(4500);  // the start-up picture goes after four seconds
    const testsupport::WindowGeometry g = display.Geometry(id);
    EXPECT_EQ(g.width, 606);
    EXPECT_EQ(g.height, 520);
    EXPECT_EQ(g.x, 1280 - 606 - 20);  // bottom right of the screen
    EXPECT_EQ(g.y, 1024 - 520 - 50);
    // The pointer goes through the see-through corner to what lies below, not at the body.
    EXPECT_NE(display.WindowAt(g.x + 3, g.y + 3), id);
    EXPECT_EQ(display.WindowAt(g.x + 240, g.y + 400), id);

    // Sector 30 is favourite 1.
    const QPolygon sector = radio::geometry::SectorTriangle(30);
    const QPoint target = (sector[0] + 3 * sector[1] + 3 * sector[2]) / 7;
    display.Pointer(g.x + target.x(), g.y + target.y(), true);

    const auto playing = radio_.WaitForLog("tunelink.player: Spielt", 15000);
    ASSERT_GE(playing, 0) << Log();
    QElapsedTimer sinceSpielt;
    sinceSpielt.start();
    display.Pointer(g.x + 40, g.y + 150, false);  // off the dial
    ASSERT_GE(radio_.WaitForLog("tunelink.status: Benutzerdefiniert 1", 5000, playing), 0) << Log();
    EXPECT_GE(sinceSpielt.elapsed(), 700);

    QThread::msleep(2500);  // the flap is open and the sound runs
    const std::string shot = (QString::fromLocal8Bit(qgetenv("TUNELINK_BINARY_DIR")) +
                              (compositor ? "/e2e-layered.png" : "/e2e-outline.png"))
                                 .toStdString();
    EXPECT_TRUE(display.Screenshot(shot));

    // Power off: the flap closes and the program ends by itself.
    display.Pointer(g.x + 370, g.y + 195, true);
    ASSERT_TRUE(radio_.WaitForEnd(15000)) << Log();
    EXPECT_EQ(radio_.ExitStatus(), QProcess::NormalExit);
    EXPECT_NE(radio_.Log().indexOf("tunelink.command: 116"), -1);
    EXPECT_NE(radio_.Log().indexOf("tunelink.startup: first frame painted"), -1);

    QSettings saved(radio_.SettingsFile(), QSettings::IniFormat);
    EXPECT_EQ(saved.value("CTunelinkDlg/LastStation").toInt(), 29);
    EXPECT_EQ(saved.value("CBuddyboxDlg/WndX").toInt(), g.x);
    EXPECT_EQ(saved.value("CBuddyboxDlg/WndY").toInt(), g.y);
    EXPECT_EQ(saved.value("CTunelinkDlg/iKnowsRightClick").toInt(), 3);

    const testsupport::Wave sound = testsupport::ReadWave(wav.toStdString());
    ASSERT_GT(sound.rate, 0);
    EXPECT_GT(sound.samples.size(), static_cast<std::size_t>(sound.rate * sound.channels * 2))
        << "at least 2 s";
    // A half-scale sine at volume 50 (a cubic curve) measures about 0.044; silence is 0.
    EXPECT_GT(testsupport::MiddleRms(sound), 0.02) << "sound, not silence";
}

INSTANTIATE_TEST_SUITE_P(Modes, EndToEnd, ::testing::Values(true, false),
                         [](const auto& p) { return p.param ? "Translucent" : "Outline"; });
