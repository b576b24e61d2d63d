// The real program on a private X display: placement, a click on a favourite that plays a
// local stream into a WAV file, the flap, and power off ending the program with its
// settings saved. Once with a compositing manager (translucent window), once without
// (outline window). Then the radio as a person sees it on a desktop with a window manager:
// screenshots of the whole screen, checked pixel by pixel.
#include "picture/ImageView.h"
#include "picture/PLDIBSection.h"
#include "radio/SkinGeometry.h"
#include "tests/support/LoadedPicture.h"
#include "tests/support/RadioProcess.h"
#include "tests/support/StreamServer.h"
#include "tests/support/VirtualDisplay.h"
#include "tests/support/Wave.h"
#include "ui/SplashWnd.h"

#include <gtest/gtest.h>
#include <QElapsedTimer>
#include <QFile>
#include <QSettings>
#include <QThread>

#include <algorithm>
#include <cstdlib>

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

    // KiB resident in the radio's memory shared with the X server (the buffers the server
    // reads window pixels from).
    int SharedWithDisplayKiB() const {
        QFile smaps(QStringLiteral("/proc/%1/smaps").arg(radio_.Pid()));
        if (!smaps.open(QIODevice::ReadOnly))
            return -1;
        int kib = 0;
        bool shared = false;
        for (const QByteArray& line : smaps.readAll().split('\n')) {
            const QByteArray first = line.left(line.indexOf(' '));
            if (!first.endsWith(':')) {  // a mapping's first line: "start-end perms ... name"
                shared = line.contains(" rw-s ") &&
                         (line.contains("memfd:xorg") || line.contains("SYSV"));
            } else if (shared && first == "Rss:") {
                kib += line.mid(4).trimmed().split(' ').value(0).toInt();
            }
        }
        return kib;
    }

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
    // Its transfers (the catalogue's, at start) ran in the download helper: the playing radio
    // carries no libcurl.
    QFile maps(QStringLiteral("/proc/%1/maps").arg(radio_.Pid()));
    ASSERT_TRUE(maps.open(QIODevice::ReadOnly));
    const QByteArray mapped = maps.readAll();
    EXPECT_FALSE(mapped.isEmpty());
    EXPECT_EQ(mapped.indexOf("libcurl"), -1);
    // The window is drawn straight from the radio's own surface: no second buffer of the
    // window's size (606 x 520 x 4 bytes, 1231 KiB) is shared with the display.
    const int shared = SharedWithDisplayKiB();
    EXPECT_GE(shared, 0);
    EXPECT_LT(shared, 256) << "KiB shared with the X server";
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

namespace {
namespace g = radio::geometry;

constexpr int kDesktopWidth = 1280, kDesktopHeight = 1024;
constexpr QPoint kRadioAt{300, 200};
const QString kLightDesktop = QStringLiteral("#dfe6ee");

// How opaque each pixel of the radio is once the flap stands open: the cabinet's mask, and
// above the cabinet the open flap's own mask.
std::vector<int> OpenRadioAlpha() {
    const auto body = testsupport::LoadedPicture(230);
    const auto flap = testsupport::LoadedPicture(450 + g::kFlapLastFrame);
    std::vector<int> alpha(static_cast<std::size_t>(g::kWindowWidth * g::kWindowHeight));
    for (int y = 0; y < g::kWindowHeight; ++y) {
        for (int x = 0; x < g::kWindowWidth; ++x) {
            int a = body->GetLine(y)[x];
            const int fx = x - g::kFlapLeft, fy = y + g::kFlapFirstRow;
            if (a <= 50 && fx >= 0 && fx < flap->GetWidth() && fy < flap->GetHeight()) {
                const int f = flap->GetLine(fy)[fx];
                a = f != 0 ? std::max(f, a) : a;
            }
            alpha[static_cast<std::size_t>(y * g::kWindowWidth + x)] = a;
        }
    }
    return alpha;
}

// Window points whose whole 5 × 5 neighbourhood has the alpha `wanted` picks: anti-aliased
// edges are left out.
std::vector<QPoint> PointsWithAlpha(const std::vector<int>& alpha, int wanted) {
    std::vector<QPoint> points;
    for (int y = 2; y < g::kWindowHeight - 2; y += 3) {
        for (int x = 2; x < g::kWindowWidth - 2; x += 3) {
            bool all = true;
            for (int dy = -2; dy <= 2 && all; ++dy)
                for (int dx = -2; dx <= 2 && all; ++dx)
                    all = alpha[static_cast<std::size_t>((y + dy) * g::kWindowWidth + x + dx)] ==
                          wanted;
            if (all)
                points.emplace_back(x, y);
        }
    }
    return points;
}

bool Near(QRgb a, QRgb b, int tolerance) {
    return std::abs(qRed(a) - qRed(b)) <= tolerance &&
           std::abs(qGreen(a) - qGreen(b)) <= tolerance &&
           std::abs(qBlue(a) - qBlue(b)) <= tolerance;
}

QImage Picture(int id) {
    return picture::ToImage(*testsupport::LoadedPicture(id)).convertToFormat(QImage::Format_RGB32);
}

// The closed-flap cover as it should look on the cabinet: blended through its mask.
QImage ExpectedCover() {
    QImage cover = Picture(192);
    const QImage body = Picture(130);
    const auto mask = testsupport::LoadedPicture(193);
    for (int y = 0; y < cover.height(); ++y) {
        for (int x = 0; x < cover.width(); ++x) {
            const int m = mask->GetLine(y)[x];
            const QRgb c = cover.pixel(x, y), b = body.pixel(g::kCoverOrigin + QPoint(x, y));
            const auto mix = [m](int top, int below) {
                return (top * m + below * (255 - m)) / 255;
            };
            cover.setPixel(
                x, y,
                qRgb(mix(qRed(c), qRed(b)), mix(qGreen(c), qGreen(b)), mix(qBlue(c), qBlue(b))));
        }
    }
    return cover;
}

// The open radio's opaque pixels: the cabinet's picture, and above it the open flap's
// (premultiplied by its full alpha, so a shade darker).
QImage ExpectedOpenRadio() {
    QImage radio = Picture(130);
    const QImage flap = Picture(400 + g::kFlapLastFrame);
    const auto body = testsupport::LoadedPicture(230);
    for (int y = 0; y + g::kFlapFirstRow < flap.height(); ++y) {
        for (int x = 0; x < flap.width() && g::kFlapLeft + x < radio.width(); ++x) {
            if (body->GetLine(y)[g::kFlapLeft + x] > 50)
                continue;
            const QRgb f = flap.pixel(x, y + g::kFlapFirstRow);
            radio.setPixel(g::kFlapLeft + x, y,
                           qRgb(qRed(f) * 255 / 256, qGreen(f) * 255 / 256, qBlue(f) * 255 / 256));
        }
    }
    return radio;
}

// What changes while the radio runs: the keys, the volume, the lamp, the dial, the status.
bool Changing(const QPoint& p) {
    const QRect keys = g::kStopButton.rect.united(g::kPowerButton.rect)
                           .united(QRect(g::kCoverOrigin, QSize(184, 28)));
    for (const QRect& r : {keys, g::kLampRect, g::kDialRect, g::kStatusRect})
        if (r.adjusted(-2, -2, 2, 2).contains(p))
            return true;
    return false;
}

class DesktopLook : public ::testing::TestWithParam<bool> {
  protected:
    void SetUp() override {
        for (const char* tool : {"Xvfb", "xdotool", "openbox", "import", "xwininfo", "xprop"}) {
            if (!VirtualDisplay::ToolExists(tool))
                GTEST_SKIP() << tool << " is needed";
        }
        ASSERT_TRUE(QFile::exists(testsupport::RadioProcess::BuiltProgram()));
        ASSERT_TRUE(radio_.Ready());
    }

    static void SaveShot(const QImage& shot, const QString& name) {
        shot.save(QString::fromLocal8Bit(qgetenv("TUNELINK_BINARY_DIR")) + "/" + name);
    }

    testsupport::RadioProcess radio_;
};
}  // namespace

// With a compositor the radio is a 32-bit window: every see-through pixel shows the desktop,
// the cabinet and the raised flap hide it. Without one the window is cut to the same
// picture's opaque pixels and looks the same. The cover hides the volume scale while the
// radio is off.
TEST_P(DesktopLook, SeeThroughPixelsShowTheDesktopAndTheBodyHidesIt) {
    const bool compositor = GetParam();
    VirtualDisplay display(kDesktopWidth, kDesktopHeight, compositor, /*windowManager=*/true,
                           kLightDesktop);
    ASSERT_TRUE(display.Available());
    ASSERT_EQ(display.Composites(), compositor);
    radio_.SetSetting("CBuddyboxDlg/WndX", kRadioAt.x());
    radio_.SetSetting("CBuddyboxDlg/WndY", kRadioAt.y());
    ASSERT_TRUE(radio_.Start(testsupport::RadioProcess::BuiltProgram(),
                             radio_.Environment(display.Name(), "fakesink")));
    const std::string id =
        display.WaitForWindowOf(radio_.Pid(), g::kWindowWidth, g::kWindowHeight, 20000);
    ASSERT_FALSE(id.empty()) << radio_.Log().toStdString();
    EXPECT_EQ(display.Depth(id), compositor ? 32 : 24);
    const testsupport::WindowGeometry at = display.Geometry(id);
    ASSERT_EQ(QPoint(at.x, at.y), kRadioAt);
    // The start-up picture stands over the radio for four seconds.
    ASSERT_GE(radio_.WaitForLog("tunelink.startup: first frame painted", 20000), 0);
    QThread::msleep(ui::CSplashWnd::kShowMs + 1500);
    const QPoint origin(at.x, at.y);
    const QPoint desktop(5, 5);

    // Off: the cover lies over the volume scale (the knob sits on top of it).
    const QImage off = display.Capture();
    ASSERT_FALSE(off.isNull());
    SaveShot(off, compositor ? "e2e-desktop-off-translucent.png" : "e2e-desktop-off-outline.png");
    const QImage cover = ExpectedCover();
    const QRect knob(g::kKnobOrigin, QSize(16 + 85, 10));  // wherever the knob stands
    int coverWrong = 0, coverSeen = 0;
    for (int y = 0; y < cover.height(); ++y) {
        for (int x = 0; x < cover.width(); ++x) {
            const QPoint p = g::kCoverOrigin + QPoint(x, y);
            if (knob.contains(p))
                continue;
            ++coverSeen;
            coverWrong += !Near(off.pixel(origin + p), cover.pixel(x, y), 6);
        }
    }
    EXPECT_LT(coverWrong, coverSeen / 50) << "of " << coverSeen << " cover pixels";

    // On: the flap rises.
    display.Pointer(at.x + 370, at.y + 195, true);
    ASSERT_GE(radio_.WaitForLog("tunelink.command: 116", 10000), 0) << radio_.Log().toStdString();
    display.Pointer(5, kDesktopHeight - 5, false);  // no hint or hover in the pictures
    QThread::msleep(35 * 70 + 2500);
    const QImage shot = display.Capture();
    ASSERT_FALSE(shot.isNull());
    SaveShot(shot, compositor ? "e2e-desktop-translucent.png" : "e2e-desktop-outline.png");
    const QRgb desktopColour = shot.pixel(desktop);
    EXPECT_EQ(desktopColour & 0xFFFFFF, QColor(kLightDesktop).rgb() & 0xFFFFFF);

    // Both windows end where the cabinet and the raised flap end.
    const std::vector<int> alpha = OpenRadioAlpha();
    const std::vector<QPoint> clear = PointsWithAlpha(alpha, 0);
    const std::vector<QPoint> solid = PointsWithAlpha(alpha, 255);
    ASSERT_GT(clear.size(), 1000u);
    ASSERT_GT(solid.size(), 1000u);
    int notDesktop = 0;
    QPoint firstWrong(-1, -1);
    for (const QPoint& p : clear) {
        if (shot.pixel(origin + p) != desktopColour && notDesktop++ == 0)
            firstWrong = p;
    }
    EXPECT_EQ(notDesktop, 0) << "of " << clear.size() << " see-through pixels, first at "
                             << firstWrong.x() << "," << firstWrong.y() << ": " << std::hex
                             << shot.pixel(origin + firstWrong);
    const QImage expected = ExpectedOpenRadio();
    int notOpaque = 0, checked = 0, flapChecked = 0;
    for (const QPoint& p : solid) {
        if (Changing(p))
            continue;
        ++checked;
        flapChecked += p.y() < 125;
        if (!Near(shot.pixel(origin + p), expected.pixel(p), 2) && notOpaque++ == 0)
            firstWrong = p;
    }
    EXPECT_EQ(notOpaque, 0) << "of " << checked << " opaque pixels, first at " << firstWrong.x()
                            << "," << firstWrong.y() << ": " << std::hex
                            << shot.pixel(origin + firstWrong) << " instead of "
                            << expected.pixel(firstWrong);
    EXPECT_GT(flapChecked, 100) << "the raised flap is part of the window";
    radio_.Stop();
}

INSTANTIATE_TEST_SUITE_P(Modes, DesktopLook, ::testing::Values(true, false),
                         [](const auto& p) { return p.param ? "Translucent" : "Outline"; });

namespace {
// A plain window that reports every click it gets: xev, standing in for whatever a person
// keeps on the desktop behind the radio.
class ClickCatcher {
  public:
    ClickCatcher(const VirtualDisplay& display, const QRect& where) {
        QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
        env.insert("DISPLAY", QString::fromStdString(display.Name()));
        process_.setProcessEnvironment(env);
        process_.setProgram("xev");
        process_.setArguments({"-geometry",
                               QStringLiteral("%1x%2+%3+%4")
                                   .arg(where.width())
                                   .arg(where.height())
                                   .arg(where.x())
                                   .arg(where.y()),
                               "-event", "button"});
        process_.start();
        started_ = process_.waitForStarted(5000);
    }
    ~ClickCatcher() {
        process_.kill();
        process_.waitForFinished(5000);
    }
    bool Started() const { return started_; }
    // Waits up to `timeoutMs` for a button press at screen position `at`.
    bool WaitForClick(const QPoint& at, int timeoutMs) {
        const QByteArray wanted = QStringLiteral("root:(%1,%2)").arg(at.x()).arg(at.y()).toLatin1();
        QElapsedTimer waited;
        waited.start();
        while (waited.elapsed() < timeoutMs) {
            process_.waitForReadyRead(100);
            output_ += process_.readAllStandardOutput();
            for (const QByteArray& event : output_.split('\n'))
                if (output_.contains("ButtonPress") && event.contains(wanted))
                    return true;
        }
        return false;
    }
    const QByteArray& Output() const { return output_; }

  private:
    QProcess process_;
    QByteArray output_;
    bool started_ = false;
};

// The pixels of `picture` (placed at `place` in the window) that its mask makes wholly
// opaque, and how many of them the screenshot shows as `picture` has them.
std::pair<int, int> OpaquePixelsShown(const QImage& shot, const QPoint& origin,
                                      const QImage& picture, const picture::PLDIBSection& mask,
                                      const QRect& part, const QPoint& place) {
    int opaque = 0, shown = 0;
    for (int y = 0; y < part.height(); ++y) {
        for (int x = 0; x < part.width(); ++x) {
            if (mask.GetLine(part.y() + y)[part.x() + x] != 255)
                continue;
            ++opaque;
            shown += Near(shot.pixel(origin + place + QPoint(x, y)),
                          picture.pixel(part.topLeft() + QPoint(x, y)), 6);
        }
    }
    return {opaque, shown};
}

class DesktopWithoutCompositor : public ::testing::Test {
  protected:
    void SetUp() override {
        for (const char* tool : {"Xvfb", "xdotool", "openbox", "import", "xwininfo", "xev"}) {
            if (!VirtualDisplay::ToolExists(tool))
                GTEST_SKIP() << tool << " is needed";
        }
        ASSERT_TRUE(QFile::exists(testsupport::RadioProcess::BuiltProgram()));
        ASSERT_TRUE(radio_.Ready());
    }

    testsupport::RadioProcess radio_;
};

// How many of `points` (window positions) `shot` shows differently from `reference`.
int Differing(const QImage& shot, const QImage& reference, const QPoint& origin,
              const std::vector<QPoint>& points) {
    int differing = 0;
    for (const QPoint& p : points)
        differing += !Near(shot.pixel(origin + p), reference.pixel(origin + p), 2);
    return differing;
}

// The point of `clear` nearest to a point of `solid` that lies above the cabinet.
QPoint NearestBesideTheFlap(const std::vector<QPoint>& clear, const std::vector<QPoint>& solid) {
    QPoint best(-1, -1);
    int bestDistance = 1 << 30;
    for (const QPoint& c : clear) {
        if (c.y() >= 110)
            continue;
        for (const QPoint& s : solid) {
            const int d = (s - c).manhattanLength();
            if (s.y() < 110 && d < bestDistance) {
                bestDistance = d;
                best = c;
            }
        }
    }
    return best;
}
}  // namespace

// Without a compositor the radio still looks alive: Power raises the flap above the cabinet,
// Play stays pressed, the window is cut to that picture so a click in the air beside the flap
// reaches the window behind, and power off lowers the flap before the radio goes.
TEST_F(DesktopWithoutCompositor, KeysAndFlapShowAndTheAirBesideTheFlapIsTheDesktops) {
    VirtualDisplay display(kDesktopWidth, kDesktopHeight, /*compositor=*/false,
                           /*windowManager=*/true, kLightDesktop);
    ASSERT_TRUE(display.Available());
    ASSERT_FALSE(display.Composites());
    testsupport::StreamServer server;
    // Behind the radio's upper part, where the flap rises.
    ClickCatcher behind(display, QRect(kRadioAt + QPoint(20, -60), QSize(560, 220)));
    ASSERT_TRUE(behind.Started());
    const std::string behindId = display.FindWindow("Event Tester", 10000);
    ASSERT_FALSE(behindId.empty());

    radio_.SetSetting("CBuddyboxDlg/WndX", kRadioAt.x());
    radio_.SetSetting("CBuddyboxDlg/WndY", kRadioAt.y());
    radio_.SetSetting("CStationData/1", QString::fromStdString(server.Url("/live.ogg")));
    radio_.SetSetting("CTunelinkDlg/LastStation", 29);
    ASSERT_TRUE(radio_.Start(testsupport::RadioProcess::BuiltProgram(),
                             radio_.Environment(display.Name(), "fakesink")));
    const std::string id =
        display.WaitForWindowOf(radio_.Pid(), g::kWindowWidth, g::kWindowHeight, 20000);
    ASSERT_FALSE(id.empty()) << radio_.Log().toStdString();
    EXPECT_EQ(display.Depth(id), 24);
    const testsupport::WindowGeometry at = display.Geometry(id);
    ASSERT_EQ(QPoint(at.x, at.y), kRadioAt);
    ASSERT_GE(radio_.WaitForLog("tunelink.startup: first frame painted", 20000), 0);
    QThread::msleep(ui::CSplashWnd::kShowMs + 1500);
    const QPoint origin(at.x, at.y);
    display.Pointer(5, kDesktopHeight - 5, false);
    const QImage off = display.Capture();
    ASSERT_FALSE(off.isNull());

    display.Pointer(at.x + 370, at.y + 195, true);  // Power
    ASSERT_GE(radio_.WaitForLog("tunelink.command: 116", 10000), 0) << radio_.Log().toStdString();
    display.Pointer(at.x + 167, at.y + 195, true);  // Play
    ASSERT_GE(radio_.WaitForLog("tunelink.command: 114", 10000), 0) << radio_.Log().toStdString();
    display.Pointer(5, kDesktopHeight - 5, false);
    QThread::msleep(35 * 70 + 2500);
    const QImage shot = display.Capture();
    ASSERT_FALSE(shot.isNull());
    shot.save(QString::fromLocal8Bit(qgetenv("TUNELINK_BINARY_DIR")) + "/e2e-outline-open.png");

    // The Play key is drawn pressed.
    const auto pressedMask = testsupport::LoadedPicture(231);
    const QRect play = g::kPlayButton.rect;
    const auto [opaque, shown] =
        OpaquePixelsShown(shot, origin, Picture(131), *pressedMask,
                          QRect(QPoint(g::kPlayButton.stripX, 0), play.size()), play.topLeft());
    ASSERT_GT(opaque, 200);
    EXPECT_GT(shown, opaque * 95 / 100) << "of " << opaque << " pixels of the pressed Play key";

    // The flap stands above the cabinet, as the translucent radio shows it.
    const std::vector<int> alpha = OpenRadioAlpha();
    const QImage expected = ExpectedOpenRadio();
    const std::vector<QPoint> solid = PointsWithAlpha(alpha, 255);
    int flapPixels = 0, flapShown = 0;
    std::vector<QPoint> flap;
    for (const QPoint& p : solid) {
        if (p.y() >= 110)
            continue;
        flap.push_back(p);
        ++flapPixels;
        flapShown += Near(shot.pixel(origin + p), expected.pixel(p), 2);
    }
    ASSERT_GT(flapPixels, 100);
    EXPECT_EQ(flapShown, flapPixels) << "flap pixels above the cabinet";

    // The flap takes the pointer; the air right beside it belongs to the window behind.
    // (With a window manager the pointer names the frame it keeps around the radio.)
    const std::string radioFrame = display.WindowAt(origin.x() + 240, origin.y() + 400);
    EXPECT_EQ(display.WindowAt(origin.x() + flap.front().x(), origin.y() + flap.front().y()),
              radioFrame);
    const QPoint air = NearestBesideTheFlap(PointsWithAlpha(alpha, 0), flap);
    ASSERT_GE(air.x(), 0);
    const QPoint airOnScreen = origin + air;
    EXPECT_EQ(shot.pixel(airOnScreen), 0xFFFFFFFFu) << "xev's white window shows through";
    EXPECT_NE(display.WindowAt(airOnScreen.x(), airOnScreen.y()), radioFrame);
    display.Pointer(airOnScreen.x(), airOnScreen.y(), true);
    EXPECT_TRUE(behind.WaitForClick(airOnScreen, 5000))
        << "at " << air.x() << "," << air.y() << ": " << behind.Output().toStdString();
    EXPECT_TRUE(radio_.Running());

    // Power off: the flap comes down on the screen before the radio ends.
    const qsizetype before = radio_.Log().size();
    display.Pointer(at.x + 370, at.y + 195, true);
    ASSERT_GE(radio_.WaitForLog("tunelink.command: 116", 10000, before), 0);
    // What stands above the cabinet, against the same place with the radio off.
    const int raised = Differing(shot, off, origin, flap);
    EXPECT_GT(raised, flapPixels / 2);
    bool seenOnTheWay = false;
    for (int i = 0; i < 40 && !seenOnTheWay && radio_.Running(); ++i) {
        const QImage closing = display.Capture();
        const int standing = closing.isNull() ? 0 : Differing(closing, off, origin, flap);
        seenOnTheWay = radio_.Running() && standing > 0 && standing < raised;
    }
    EXPECT_TRUE(seenOnTheWay) << "the flap was seen on its way down";
    ASSERT_TRUE(radio_.WaitForEnd(15000)) << radio_.Log().toStdString();
}
