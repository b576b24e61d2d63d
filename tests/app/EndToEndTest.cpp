// The real program on a private X display: placement, a click on a favourite that plays a
// local stream into a WAV file, the flap, and power off ending the program with its
// settings saved. Once with a compositing manager (translucent window), once without
// (outline window).
#include "radio/SkinGeometry.h"
#include "tests/support/StreamServer.h"
#include "tests/support/VirtualDisplay.h"
#include "tests/support/Wave.h"

#include <gtest/gtest.h>
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QProcess>
#include <QSettings>
#include <QTemporaryDir>
#include <QThread>

#include <sstream>

namespace {
using testsupport::VirtualDisplay;

struct Geometry {
    int x = 0, y = 0, width = 0, height = 0;
};

Geometry WindowGeometry(const VirtualDisplay& display, const std::string& window) {
    std::istringstream out(
        display.Run("xdotool", {"getwindowgeometry", "--shell", QString::fromStdString(window)}));
    Geometry g;
    for (std::string line; std::getline(out, line);) {
        const auto eq = line.find('=');
        if (eq == std::string::npos)
            continue;
        const std::string key = line.substr(0, eq);
        const int value = std::atoi(line.c_str() + eq + 1);
        if (key == "X")
            g.x = value;
        if (key == "Y")
            g.y = value;
        if (key == "WIDTH")
            g.width = value;
        if (key == "HEIGHT")
            g.height = value;
    }
    return g;
}

class EndToEnd : public ::testing::TestWithParam<bool> {
  protected:
    void SetUp() override {
        if (!VirtualDisplay::ToolExists("Xvfb") || !VirtualDisplay::ToolExists("xdotool"))
            GTEST_SKIP() << "Xvfb and xdotool are needed";
        program_ = QString::fromLocal8Bit(qgetenv("TUNELINK_BINARY_DIR")) + "/app/tunelink";
        ASSERT_TRUE(QFile::exists(program_));
        ASSERT_TRUE(home_.isValid());
        QDir(home_.path()).mkpath("config/Torvane");
        QDir(home_.path()).mkpath("runtime");
        QFile::setPermissions(home_.path() + "/runtime",
                              QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);
    }

    // Waits until the program's log holds `needle` at or after `from`; returns where, or -1.
    qsizetype WaitForLog(const QByteArray& needle, int timeoutMs, qsizetype from = 0) {
        QElapsedTimer timer;
        timer.start();
        while (timer.elapsed() < timeoutMs) {
            radio_.waitForReadyRead(100);
            log_ += radio_.readAll();
            if (const auto at = log_.indexOf(needle, from); at >= 0)
                return at;
            if (radio_.state() == QProcess::NotRunning)
                break;
        }
        return -1;
    }

    QString program_;
    QTemporaryDir home_;
    QProcess radio_;
    QByteArray log_;
};
}  // namespace

TEST_P(EndToEnd, FavouritePlaysFlapOpensPowerOffSaves) {
    const bool compositor = GetParam();
    VirtualDisplay display(1280, 1024, compositor);
    ASSERT_TRUE(display.Available());
    testsupport::StreamServer server;

    const QString config = home_.path() + "/config/Torvane/tunelink.conf";
    {
        QSettings settings(config, QSettings::IniFormat);
        settings.setValue("CStationData/1", QString::fromStdString(server.Url("/live.ogg")));
    }
    const QString wav = home_.path() + "/sound.wav";
    auto env = QProcessEnvironment::systemEnvironment();
    env.insert("DISPLAY", QString::fromStdString(display.Name()));
    env.insert("QT_QPA_PLATFORM", "xcb");
    env.insert("HOME", home_.path());
    env.insert("XDG_CONFIG_HOME", home_.path() + "/config");
    env.insert("XDG_CACHE_HOME", home_.path() + "/cache");
    env.insert("XDG_RUNTIME_DIR", home_.path() + "/runtime");
    env.insert("TUNELINK_AUDIO_SINK",
               "audioconvert ! audio/x-raw,format=S16LE ! wavenc ! filesink location=" + wav);
    env.insert("TUNELINK_CATALOGUE_URL",
               QString::fromStdString(testsupport::StreamServer::DeadAddress()));
    env.insert("QT_LOGGING_RULES", "tunelink.*=true");
    env.insert("LANG", "de_DE.UTF-8");
    radio_.setProcessEnvironment(env);
    radio_.setProcessChannelMode(QProcess::MergedChannels);
    radio_.start(program_, {});
    ASSERT_TRUE(radio_.waitForStarted(5000));

    const std::string window =
        display.Run("xdotool", {"search", "--sync", "--name", "Orbifon 1.0"}, 15000);
    ASSERT_FALSE(window.empty()) << log_.toStdString();
    const std::string id = window.substr(0, window.find('\n'));
    QThread::msleep(4500);  // the start-up picture goes after four seconds
    const Geometry g = WindowGeometry(display, id);
    EXPECT_EQ(g.width, 606);
    EXPECT_EQ(g.height, 520);
    EXPECT_EQ(g.x, 1280 - 606 - 20);  // bottom right of the screen
    EXPECT_EQ(g.y, 1024 - 520 - 50);

    // Sector 30 is favourite 1.
    const QPolygon sector = radio::geometry::SectorTriangle(30);
    const QPoint target = (sector[0] + 3 * sector[1] + 3 * sector[2]) / 7;
    display.Run("xdotool", {"mousemove", QString::number(g.x + target.x()),
                            QString::number(g.y + target.y()), "click", "1"});

    const auto playing = WaitForLog("tunelink.player: Spielt", 15000);
    ASSERT_GE(playing, 0) << log_.toStdString();
    QElapsedTimer sinceSpielt;
    sinceSpielt.start();
    display.Run("xdotool", {"mousemove", QString::number(g.x + 40),
                            QString::number(g.y + 150)});  // off the dial
    ASSERT_GE(WaitForLog("tunelink.status: Benutzerdefiniert 1", 5000, playing), 0)
        << log_.toStdString();
    EXPECT_GE(sinceSpielt.elapsed(), 700);

    QThread::msleep(2500);  // the flap is open and the sound runs
    const std::string shot = (QString::fromLocal8Bit(qgetenv("TUNELINK_BINARY_DIR")) +
                              (compositor ? "/e2e-layered.png" : "/e2e-outline.png"))
                                 .toStdString();
    EXPECT_TRUE(display.Screenshot(shot));

    // Power off: the flap closes and the program ends by itself.
    display.Run("xdotool", {"mousemove", QString::number(g.x + 370), QString::number(g.y + 195),
                            "click", "1"});
    ASSERT_TRUE(radio_.waitForFinished(15000)) << log_.toStdString();
    log_ += radio_.readAll();
    EXPECT_EQ(radio_.exitStatus(), QProcess::NormalExit);
    EXPECT_NE(log_.indexOf("tunelink.command: 116"), -1);

    QSettings saved(config, QSettings::IniFormat);
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
