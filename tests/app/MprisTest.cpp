// The radio driven only through the session bus, the way media keys and panels drive it,
// on a private bus and display; clicks on the skin show up on the bus too.
#include "radio/SkinGeometry.h"
#include "tests/support/StreamServer.h"
#include "tests/support/VirtualDisplay.h"

#include <gtest/gtest.h>
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QProcess>
#include <QSettings>
#include <QTemporaryDir>
#include <QThread>

namespace {
using testsupport::VirtualDisplay;

class Mpris : public ::testing::Test {
  protected:
    void SetUp() override {
        for (const char* tool : {"Xvfb", "xdotool", "dbus-daemon", "gdbus"}) {
            if (!VirtualDisplay::ToolExists(tool))
                GTEST_SKIP() << tool << " is needed";
        }
        ASSERT_TRUE(home_.isValid());
        bus_.start("dbus-daemon", {"--session", "--nofork", "--print-address"});
        ASSERT_TRUE(bus_.waitForStarted(5000));
        ASSERT_TRUE(bus_.waitForReadyRead(5000));
        address_ = QString::fromUtf8(bus_.readLine()).trimmed();
        ASSERT_FALSE(address_.isEmpty());
    }
    void TearDown() override {
        for (QProcess* p : {&radio_, &bus_}) {
            if (p->state() == QProcess::NotRunning)
                continue;
            p->kill();
            p->waitForFinished(3000);
        }
    }

    // gdbus on the private bus; returns its output.
    std::string Bus(const QStringList& args) {
        QProcess gdbus;
        auto env = QProcessEnvironment::systemEnvironment();
        env.insert("DBUS_SESSION_BUS_ADDRESS", address_);
        gdbus.setProcessEnvironment(env);
        QStringList all{"call",          "--session",
                        "--dest",        "org.mpris.MediaPlayer2.tunelink",
                        "--object-path", "/org/mpris/MediaPlayer2"};
        all += args;
        gdbus.start("gdbus", all);
        gdbus.waitForFinished(10000);
        return gdbus.readAllStandardOutput().toStdString() +
               gdbus.readAllStandardError().toStdString();
    }
    std::string Property(const QString& name) {
        return Bus({"--method", "org.freedesktop.DBus.Properties.Get",
                    "org.mpris.MediaPlayer2.Player", name});
    }
    // Polls a property until it contains `needle`.
    bool WaitFor(const QString& name, const std::string& needle, int timeoutMs = 15000) {
        QElapsedTimer t;
        t.start();
        while (t.elapsed() < timeoutMs) {
            if (Property(name).find(needle) != std::string::npos)
                return true;
            QThread::msleep(200);
        }
        return false;
    }

    QTemporaryDir home_;
    QProcess bus_, radio_;
    QString address_;
};
}  // namespace

TEST_F(Mpris, PlayNextVolumeAndTheSkinAgreeWithTheBus) {
    VirtualDisplay display(1280, 1024, false);
    ASSERT_TRUE(display.Available());
    testsupport::StreamServer server;
    QDir(home_.path()).mkpath("config/Torvane");
    QDir(home_.path()).mkpath("runtime");
    QFile::setPermissions(home_.path() + "/runtime",
                          QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);
    {
        QSettings settings(home_.path() + "/config/Torvane/tunelink.conf", QSettings::IniFormat);
        settings.setValue("CStationData/1", QString::fromStdString(server.Url("/icy.mp3")));
        settings.setValue("CTunelinkDlg/LastStation", 29);
    }
    auto env = QProcessEnvironment::systemEnvironment();
    env.insert("DISPLAY", QString::fromStdString(display.Name()));
    env.insert("QT_QPA_PLATFORM", "xcb");
    env.insert("DBUS_SESSION_BUS_ADDRESS", address_);
    env.insert("HOME", home_.path());
    env.insert("XDG_CONFIG_HOME", home_.path() + "/config");
    env.insert("XDG_CACHE_HOME", home_.path() + "/cache");
    env.insert("XDG_RUNTIME_DIR", home_.path() + "/runtime");
    env.insert("TUNELINK_AUDIO_SINK", "fakesink sync=true");
    env.insert("TUNELINK_CATALOGUE_URL",
               QString::fromStdString(testsupport::StreamServer::DeadAddress()));
    radio_.setProcessEnvironment(env);
    radio_.setProcessChannelMode(QProcess::ForwardedChannels);
    radio_.start(QString::fromLocal8Bit(qgetenv("TUNELINK_BINARY_DIR")) + "/app/tunelink", {});
    ASSERT_TRUE(radio_.waitForStarted(5000));

    ASSERT_TRUE(WaitFor("PlaybackStatus", "Stopped")) << Property("PlaybackStatus");
    EXPECT_NE(Property("Metadata").find("Benutzerdefiniert 1"), std::string::npos);

    Bus({"--method", "org.mpris.MediaPlayer2.Player.Play"});
    EXPECT_TRUE(WaitFor("PlaybackStatus", "Playing"));
    // The ICY stream's titles arrive: the title with the station as album.
    EXPECT_TRUE(WaitFor("Metadata", "Song ")) << Property("Metadata");
    EXPECT_NE(Property("Metadata").find("xesam:album"), std::string::npos);

    Bus({"--method", "org.freedesktop.DBus.Properties.Set", "org.mpris.MediaPlayer2.Player",
         "Volume", "<0.3>"});
    const std::string volume = Property("Volume");  // "(<0.29999999999999999>,)"
    ASSERT_NE(volume.find('<'), std::string::npos) << volume;
    EXPECT_NEAR(std::stod(volume.substr(volume.find('<') + 1)), 0.3, 0.005);

    // Next from favourite 1 skips the empty favourites and wraps to the first station.
    Bus({"--method", "org.mpris.MediaPlayer2.Player.Next"});
    EXPECT_TRUE(WaitFor("Metadata", "Mania 92.9 FM")) << Property("Metadata");

    // A click on dial sector 30 (favourite 1) shows on the bus.
    const std::string window =
        display.Run("xdotool", {"search", "--sync", "--name", "Orbifon 1.0"}, 15000);
    ASSERT_FALSE(window.empty());
    const std::string geometry =
        display.Run("xdotool", {"getwindowgeometry", window.substr(0, window.find('\n')).c_str()});
    const QPolygon sector = radio::geometry::SectorTriangle(30);
    const QPoint target = (sector[0] + 3 * sector[1] + 3 * sector[2]) / 7;
    // The window sits at the bottom right of a 1280 × 1024 screen.
    display.Run("xdotool", {"mousemove", QString::number(654 + target.x()),
                            QString::number(454 + target.y()), "click", "1"});
    EXPECT_TRUE(WaitFor("Metadata", "Benutzerdefiniert 1")) << geometry;

    Bus({"--method", "org.mpris.MediaPlayer2.Quit"});
    EXPECT_TRUE(radio_.waitForFinished(10000));
}
