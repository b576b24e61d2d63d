// The radio driven only through the session bus, the way media keys and panels drive it,
// on a private bus and display; clicks on the skin show up on the bus too.
#include "radio/SkinGeometry.h"
#include "tests/support/RadioProcess.h"
#include "tests/support/SessionBus.h"
#include "tests/support/StreamServer.h"
#include "tests/support/VirtualDisplay.h"

#include <gtest/gtest.h>
#include <QElapsedTimer>
#include <QThread>

#include <algorithm>

namespace {
using testsupport::VirtualDisplay;

class Mpris : public ::testing::Test {
  protected:
    void SetUp() override {
        for (const char* tool : {"Xvfb", "xdotool", "dbus-daemon", "gdbus"}) {
            if (!VirtualDisplay::ToolExists(tool))
                GTEST_SKIP() << tool << " is needed";
        }
        ASSERT_TRUE(bus_.Available());
        ASSERT_TRUE(radio_.Ready());
    }

    std::string Bus(const QStringList& args) { return bus_.CallRadio(args); }
    std::string Property(const QString& name) { return bus_.RadioProperty(name); }
    bool WaitFor(const QString& name, const std::string& needle) {
        return bus_.WaitForRadioProperty(name, needle);
    }

    testsupport::SessionBus bus_;
    testsupport::RadioProcess radio_;
};
}  // namespace

TEST_F(Mpris, PlayNextVolumeAndTheSkinAgreeWithTheBus) {
    VirtualDisplay display(1280, 1024, false);
    ASSERT_TRUE(display.Available());
    testsupport::StreamServer server;
    radio_.SetSetting("CStationData/1", QString::fromStdString(server.Url("/icy.mp3")));
    radio_.SetSetting("CTunelinkDlg/LastStation", 29);
    auto env = radio_.Environment(display.Name(), "fakesink sync=true");
    env.insert("DBUS_SESSION_BUS_ADDRESS", bus_.Address());
    ASSERT_TRUE(radio_.Start(testsupport::RadioProcess::BuiltProgram(), env));
    QElapsedTimer sinceStart;
    sinceStart.start();

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
    const std::string window = display.FindWindow("Orbifon 1.0", 15000);
    ASSERT_FALSE(window.empty());
    const testsupport::WindowGeometry g = display.Geometry(window);
    const QPolygon sector = radio::geometry::SectorTriangle(30);
    const QPoint target = (sector[0] + 3 * sector[1] + 3 * sector[2]) / 7;
    // The start-up picture stands over the radio's middle for its four seconds.
    while (sinceStart.elapsed() < 20000 &&
           !display.WaitForWindowOf(radio_.Pid(), 218 + 2, 216 + 2, 0).empty())
        QThread::msleep(200);
    display.Pointer(g.x + target.x(), g.y + target.y(), true);
    EXPECT_TRUE(WaitFor("Metadata", "Benutzerdefiniert 1")) << g.x << "," << g.y;

    Bus({"--method", "org.mpris.MediaPlayer2.Quit"});
    EXPECT_TRUE(radio_.WaitForEnd(10000));
}
