#include "picture/ImageView.h"
#include "picture/LoadPicture.h"
#include "picture/PLDIBSection.h"
#include "radio/SkinGeometry.h"
#include "radio/TunelinkDlg.h"
#include "radio/core/Commands.h"
#include "tests/support/FakeMediaPlayer.h"
#include "tests/support/LocaleScope.h"
#include "util/MessageBox.h"
#include "util/Profile.h"

#include <gtest/gtest.h>
#include <QApplication>
#include <QFontMetrics>
#include <QPaintEvent>
#include <QPainter>
#include <QTemporaryDir>
#include <QTest>

#include <utility>

using platform::media::PlayState;
using radio::TunelinkDlg;
namespace g = radio::geometry;

namespace {
class RadioWindowTest : public ::testing::Test {
  protected:
    testsupport::LocaleScope german_{testsupport::kGerman};  // the texts a German user sees
    void SetUp() override {
        util::InstallProfile(&profile_);
        previousPresenter_ = util::InstallMessagePresenter([this](const util::MessageRequest& r) {
            messages_.push_back(r.text);
            return util::MessageResult::Ok;
        });
        ASSERT_TRUE(dir_.isValid());
    }
    void TearDown() override {
        window_.reset();
        util::InstallMessagePresenter(previousPresenter_);
        util::InstallProfile(nullptr);
    }

    // A window with a fake player, no translucency (as offscreen), no network, no splash.
    TunelinkDlg::Options FakeOptions(bool layered = false) {
        TunelinkDlg::Options options;
        options.playerFactory = [this]() -> radio::PlayerHost::MadePlayer {
            ++playersMade_;
            if (!playerAvailable_)
                return util::Error{"no media library"};
            auto player = std::make_unique<FakeMediaPlayer>();
            player_ = player.get();
            return std::unique_ptr<platform::media::MediaPlayer>(std::move(player));
        };
        options.layered = std::make_unique<ui::CLayeredWindow>(8, 32, layered);
        options.cachePath = (dir_.path() + "/cache.xml").toStdString();
        options.catalogueAddress = "http://127.0.0.1:9/none.xml";
        options.splash = false;
        options.playerAfterFirstFrame = false;
        return options;
    }

    TunelinkDlg& Open(bool layered = false) {
        window_ = std::make_unique<TunelinkDlg>(FakeOptions(layered));
        EXPECT_TRUE(window_->Initialise());
        window_->show();
        return *window_;
    }

    void Move(const QPoint& p) { QTest::mouseMove(window_.get(), p); }
    void Click(const QPoint& p) { QTest::mouseClick(window_.get(), Qt::LeftButton, {}, p); }
    // A point well inside a sector, out by the numbers where the hub cannot cover it.
    static QPoint SectorCentre(int sector) {
        const QPolygon t = g::SectorTriangle(sector);
        return (t[0] + 3 * t[1] + 3 * t[2]) / 7;
    }

    util::MemoryProfile profile_;
    util::MessagePresenter previousPresenter_;
    std::vector<std::string> messages_;
    QTemporaryDir dir_;
    std::unique_ptr<TunelinkDlg> window_;
    FakeMediaPlayer* player_ = nullptr;
    int playersMade_ = 0;
    bool playerAvailable_ = true;
};

}  // namespace

TEST_F(RadioWindowTest, WindowIconComesInTheSizesTaskBarsAskFor) {
    const QList<QSize> sizes = Open().windowIcon().availableSizes();
    for (int size : {16, 24, 32, 48, 64, 128})
        EXPECT_TRUE(sizes.contains(QSize(size, size))) << size;
}

TEST_F(RadioWindowTest, StartsWithTheStoredSettingsChecked) {
    profile_.WriteText("CTunelinkDlg", "LastStation", "40");
    profile_.WriteText("CTunelinkDlg", "iVolume", "250");
    auto& w = Open();
    EXPECT_EQ(w.Core().Volume(), 100);
    EXPECT_EQ(w.Skin().KnobOffset(), 85) << "the knob shows the volume read";
    EXPECT_EQ(w.RightClickHints(), 3);
    EXPECT_FALSE(w.toolTip().isEmpty());
    EXPECT_EQ(w.size(), QSize(606, 520));
}

TEST_F(RadioWindowTest, StatusLineScrollsOnlyWhenWiderThanTheLine) {
    auto& w = Open();
    const QFontMetrics metrics(QApplication::font());
    // Build texts of exactly 326 and of 327+ pixels from repeated narrow letters.
    std::string fits = "i";
    while (metrics.horizontalAdvance(QString::fromStdString(fits + "i")) <= g::kStatusWidth)
        fits += "i";
    ASSERT_LE(metrics.horizontalAdvance(QString::fromStdString(fits)), g::kStatusWidth);
    w.Core().SetStatusText(fits);
    EXPECT_FALSE(w.Skin().Marquee());
    EXPECT_FALSE(w.Face().MarqueeTimer().isActive());

    const std::string wider = fits + "i";
    ASSERT_GT(metrics.horizontalAdvance(QString::fromStdString(wider)), g::kStatusWidth);
    w.Core().SetStatusText(wider);
    EXPECT_TRUE(w.Skin().Marquee());
    EXPECT_EQ(w.Skin().MarqueeOffset(), 19);  // drawn at 20, the next step at 19
    EXPECT_TRUE(w.Face().MarqueeTimer().isActive());
    EXPECT_EQ(w.Face().MarqueeTimer().interval(), 70);

    w.Skin().MarqueeStep();
    w.Skin().MarqueeStep();
    const int moved = w.Skin().MarqueeOffset();
    w.Core().SetStatusText(wider);  // the same text does not restart the marquee
    EXPECT_EQ(w.Skin().MarqueeOffset(), moved);
}

namespace {
// The status line as if `text` were drawn straight onto the background at `offset`.
QImage StatusDrawnInPlace(const QImage& background, const QString& text, int offset) {
    QImage expected = background.copy();
    QPainter p(&expected);
    p.setFont(QApplication::font());
    p.setPen(QColor::fromRgb(qRgb(0x34, 0x32, 0x3D)));
    p.drawText(expected.rect().adjusted(offset, 0, 0, 0),
               Qt::AlignLeft | Qt::AlignVCenter | Qt::TextSingleLine, text + " - " + text);
    return expected;
}

int LargestDifference(const QImage& a, const QImage& b) {
    int largest = 0;
    for (int y = 0; y < a.height(); ++y) {
        for (int x = 0; x < a.width(); ++x) {
            const QRgb p = a.pixel(x, y), q = b.pixel(x, y);
            largest = std::max({largest, std::abs(qRed(p) - qRed(q)),
                                std::abs(qGreen(p) - qGreen(q)), std::abs(qBlue(p) - qBlue(q))});
        }
    }
    return largest;
}
}  // namespace

TEST_F(RadioWindowTest, RunningTextLooksAsIfDrawnInPlaceAtEveryStep) {
    auto& w = Open();
    const QRect status = g::kStatusRect;
    w.Skin().SetStatusText("");
    const QImage background = w.Skin().Surface().copy(status);
    // One text short enough to run from a prepared strip, one far too long for a strip.
    for (const QString& text :
         {QStringLiteral("Radio Kalimba - Songs of the Northern Lights, played live (1978)"),
          QString(2000, QLatin1Char('W'))}) {
        SCOPED_TRACE(text.size());
        w.Skin().SetStatusText(text.toStdString());
        ASSERT_TRUE(w.Skin().Marquee());
        EXPECT_LE(LargestDifference(w.Skin().Surface().copy(status),
                                    StatusDrawnInPlace(background, text, 20)),
                  2);
        for (int step = 0; step < 57; ++step) w.Skin().MarqueeStep();  // drawn at 19 … -37
        EXPECT_LE(LargestDifference(w.Skin().Surface().copy(status),
                                    StatusDrawnInPlace(background, text, -37)),
                  2);
    }
}

TEST_F(RadioWindowTest, MarqueeStartsAgainAfterTheTextHasPassed) {
    auto& w = Open();
    w.Core().SetStatusText(std::string(120, 'W'));
    const int width = w.Skin().StatusTextWidth();
    int steps = 0;
    for (int previous = w.Skin().MarqueeOffset(); steps < 10000; ++steps) {
        w.Skin().MarqueeStep();
        if (w.Skin().MarqueeOffset() > previous)
            break;  // started again
        previous = w.Skin().MarqueeOffset();
    }
    ++steps;
    // Drawn from 19 down to -width, then the offset starts again at 0.
    EXPECT_EQ(steps, 19 + width + 1);
    EXPECT_EQ(w.Skin().MarqueeOffset(), 0);
}

TEST_F(RadioWindowTest, VolumeDragStopsAt81AndFollowsTheKnob) {
    auto& w = Open();
    QTest::mousePress(&w, Qt::LeftButton, {}, QPoint(300, 195));
    EXPECT_TRUE(w.Core().VolumeDragging());
    Move(QPoint(600, 195));
    EXPECT_EQ(w.Core().Volume(), 81);
    EXPECT_EQ(player_->volume, 81);
    EXPECT_EQ(w.Skin().KnobOffset(), 68);
    Move(QPoint(10, 195));
    EXPECT_EQ(w.Core().Volume(), 0);
    EXPECT_EQ(w.Skin().KnobOffset(), 0);
    QTest::mouseRelease(&w, Qt::LeftButton, {}, QPoint(10, 195));
    EXPECT_FALSE(w.Core().VolumeDragging());
    Move(QPoint(600, 195));
    EXPECT_EQ(w.Core().Volume(), 0);
}

TEST_F(RadioWindowTest, HubExclusionHitsNothing) {
    auto& w = Open();
    // Inside the hub polygon, though within sectors 29-32 geometrically.
    EXPECT_EQ(w.Skin().ClickTest(QPoint(310, 270)), 0);
    EXPECT_EQ(w.Skin().ClickTest(SectorCentre(5)), 5);
    EXPECT_EQ(w.Skin().ClickTest(QPoint(120, 195)), g::kHotStop);
    EXPECT_EQ(w.Skin().ClickTest(QPoint(60, 400)), g::kHotWeb);
    Click(QPoint(310, 270));
    EXPECT_TRUE(player_->opened.empty());  // a drag, not a station
}

TEST_F(RadioWindowTest, ChoosingAStationPlaysAndNamesItAfterSpielt) {
    auto& w = Open();
    Click(SectorCentre(5));
    ASSERT_EQ(player_->opened.size(), 1u);
    EXPECT_EQ(player_->opened[0], w.Core().Stations().address[4]);
    EXPECT_EQ(w.Core().Stations().current, 4);
    EXPECT_TRUE(w.Core().Switching());
    EXPECT_EQ(w.Timers().Timer(radio::RadioTimer::Switch).interval(), 100000);
    EXPECT_TRUE(w.Core().Player().IsPowerOn());
    EXPECT_TRUE(w.Face().FlapTimer().isActive());  // the flap opens

    player_->RaiseState(PlayState::Transitioning);
    EXPECT_EQ(w.Core().StatusText(), "Wechseln");
    player_->RaiseState(PlayState::Playing);
    EXPECT_EQ(w.Core().StatusText(), "Spielt");
    EXPECT_TRUE(w.Timers().Timer(radio::RadioTimer::NowPlaying).isActive());
    QTest::qWait(1150);
    EXPECT_EQ(w.Core().StatusText(), w.Core().Stations().name[4]);
    EXPECT_FALSE(w.Core().Switching());
}

TEST_F(RadioWindowTest, FreedMemoryGoesBackWhileTheRadioPlays) {
    auto& w = Open();
    EXPECT_FALSE(w.MemoryReturn().Running());
    Click(SectorCentre(5));
    player_->RaiseState(PlayState::Playing);
    EXPECT_TRUE(w.MemoryReturn().Running());
    w.OnCommand(radio::command::kStop);
    player_->RaiseState(PlayState::Stopped);
    EXPECT_FALSE(w.MemoryReturn().Running());
}

TEST_F(RadioWindowTest, EmptyFavouriteOpensTheEditorEmptyBuiltInStillPlays) {
    auto& w = Open();
    w.Core().Stations().address[3].clear();
    Click(SectorCentre(4));
    ASSERT_EQ(player_->opened.size(), 1u);
    EXPECT_EQ(player_->opened[0], "");

    bool editorShown = false;
    QTimer::singleShot(200, [&] {
        for (QWidget* top : QApplication::topLevelWidgets()) {
            if (auto* dialog = qobject_cast<QDialog*>(top);
                dialog && dialog != &w && dialog->isVisible()) {
                editorShown = true;
                dialog->reject();
            }
        }
    });
    Click(SectorCentre(31));  // favourite 2, empty
    EXPECT_TRUE(editorShown);
    EXPECT_EQ(player_->opened.size(), 1u);
}

TEST_F(RadioWindowTest, PowerOpensTheFlapAndClosingItEndsTheRadio) {
    auto& w = Open(/*layered=*/true);
    ASSERT_TRUE(w.Skin().Layered());
    w.OnCommand(116);
    EXPECT_TRUE(w.Core().Player().IsPowerOn());
    EXPECT_TRUE(player_->opened.empty());  // power alone does not play
    (void)QTest::qWaitFor([&] { return w.Skin().FlapFrame() == 34; }, 5000);
    EXPECT_EQ(w.Skin().FlapFrame(), 34);
    EXPECT_FALSE(w.Face().FlapTimer().isActive());

    w.Core().Stations().current = 9;
    w.OnCommand(116);
    (void)QTest::qWaitFor([&] { return !w.isVisible(); }, 6000);
    EXPECT_FALSE(w.isVisible());
    EXPECT_EQ(w.result(), QDialog::Accepted);
    EXPECT_EQ(profile_.GetInt("CTunelinkDlg", "LastStation", -1), 9);
    EXPECT_NE(profile_.GetInt("CBuddyboxDlg", "WndX", -99999), -99999);
}

TEST_F(RadioWindowTest, LayeredSurfaceIsPremultipliedAndComposesTheFlap) {
    auto& w = Open(/*layered=*/true);
    const QImage& surface = w.Skin().Surface();
    ASSERT_EQ(surface.format(), QImage::Format_ARGB32_Premultiplied);
    EXPECT_EQ(qAlpha(surface.pixel(2, 2)), 0);        // outside the body
    EXPECT_EQ(qAlpha(surface.pixel(240, 400)), 255);  // the body
    for (int y = 0; y < surface.height(); y += 7) {
        for (int x = 0; x < surface.width(); x += 7) {
            const QRgb p = surface.pixel(x, y);
            ASSERT_LE(qRed(p), qAlpha(p));  // a valid premultiplied pixel
        }
    }
    // The open flap shows above the body.
    w.OnCommand(116);
    (void)QTest::qWaitFor([&] { return w.Skin().FlapFrame() == 34; }, 5000);
    const auto opaqueAbove = [&] {
        int count = 0;
        for (int x = 254; x < 254 + 335; ++x)
            count += qAlpha(w.Skin().Surface().pixel(x, 60)) > 200;
        return count;
    };
    const int open = opaqueAbove();
    EXPECT_GT(open, 50);
    // At rest the flap's pictures are let go; repainting keeps the flap as it was.
    const QImage flapArea = w.Skin().Surface().copy(254, 0, 335, 170);
    w.Core().SetVolume(30);
    EXPECT_EQ(w.Skin().Surface().copy(254, 0, 335, 170), flapArea);
    // Closing decodes the frames again.
    w.Core().Stations().current = 0;
    w.OnCommand(116);
    (void)QTest::qWaitFor([&] { return w.Skin().FlapFrame() == 0; }, 5000);
    EXPECT_LT(opaqueAbove(), open / 4);
}

// The same pixels, however the two regions are cut into rectangles.
static bool SamePixels(const QRegion& a, const QRegion& b) {
    return a.xored(b).isEmpty();
}

// The radio after Power and Play, with the flap standing open: its surface, and the window
// shape the outline mode gave it.
struct OpenRadio {
    QImage closed, open;
    QRegion shape;
};

// Without translucency the radio composes exactly what the translucent one does: the keys
// press, the cover leaves the volume scale and the flap rises; the window is cut to the
// opaque half of that picture, raised flap included, and follows the flap down again.
TEST_F(RadioWindowTest, OutlineModeComposesWhatTranslucentModeShows) {
    const auto run = [&](bool layered) {
        OpenRadio r;
        auto& w = Open(layered);
        EXPECT_EQ(w.Skin().Layered(), layered);
        EXPECT_TRUE(w.Skin().Composed());
        r.closed = w.Skin().Surface().copy();
        w.OnCommand(116);
        w.OnCommand(114);
        EXPECT_TRUE(QTest::qWaitFor([&] { return w.Skin().FlapFrame() == 34; }, 5000));
        r.open = w.Skin().Surface().copy();
        r.shape = w.mask();
        return r;
    };
    const OpenRadio translucent = run(true);
    window_.reset();
    const OpenRadio outline = run(false);
    EXPECT_EQ(outline.closed, translucent.closed);
    EXPECT_EQ(outline.open, translucent.open);

    // The Play key and the Power key are drawn pressed.
    for (const auto* key : {&g::kPlayButton, &g::kPowerButton})
        EXPECT_NE(outline.open.copy(key->rect), outline.closed.copy(key->rect));
    EXPECT_EQ(outline.open.copy(g::kStopButton.rect), outline.closed.copy(g::kStopButton.rect));

    // The shape is the opaque half of the picture, raised flap included.
    EXPECT_TRUE(SamePixels(outline.shape, ui::RegionFromAlpha(outline.open, 127)));
    QPoint onFlap(-1, -1);
    for (int y = 20; y < 100 && onFlap.x() < 0; ++y)
        for (int x = g::kFlapLeft; x < g::kWindowWidth && onFlap.x() < 0; ++x)
            if (qAlpha(outline.open.pixel(x, y)) == 255)
                onFlap = QPoint(x, y);
    ASSERT_GE(onFlap.x(), 0) << "the open flap stands above the cabinet";
    EXPECT_TRUE(outline.shape.contains(onFlap));
    EXPECT_FALSE(outline.shape.contains(QPoint(100, 60)));  // the air beside it
    EXPECT_FALSE(outline.shape.contains(QPoint(2, 2)));

    // Power off: the flap goes down, and the shape with it, before the radio ends.
    auto& w = *window_;
    w.OnCommand(116);
    ASSERT_TRUE(QTest::qWaitFor([&] { return w.Skin().FlapFrame() <= 2; }, 5000));
    EXPECT_TRUE(w.isVisible());
    EXPECT_TRUE(SamePixels(w.mask(), ui::RegionFromAlpha(w.Skin().Surface(), 127)));
    EXPECT_FALSE(w.mask().contains(onFlap));
    EXPECT_TRUE(QTest::qWaitFor([&] { return !w.isVisible(); }, 5000));
}

// The areas a window was asked to repaint.
class RepaintLog : public QObject {
  public:
    explicit RepaintLog(QWidget* window) { window->installEventFilter(this); }
    QRegion Take() {
        QCoreApplication::processEvents();
        return std::exchange(asked_, QRegion());
    }

  protected:
    bool eventFilter(QObject*, QEvent* event) override {
        if (event->type() == QEvent::Paint)
            asked_ += static_cast<QPaintEvent*>(event)->region();
        return false;
    }

  private:
    QRegion asked_;
};

// At a flap step only the flap and the volume area are drawn and repainted, translucent or
// not; the dial and the lamp, which would double that work, are drawn and repainted when they
// change. The window's shape still follows the flap.
TEST_F(RadioWindowTest, AFlapStepRepaintsTheFlapButNotTheDialOrTheLamp) {
    for (const bool layered : {false, true}) {
        SCOPED_TRACE(layered ? "translucent" : "outline");
        auto& w = Open(layered);
        ASSERT_EQ(w.Skin().Layered(), layered);
        RepaintLog log(&w);
        const QImage lampOff = w.Skin().Surface().copy(g::kLampRect);
        w.OnCommand(116);  // power on: the lamp lights and the flap rises
        ASSERT_TRUE(QTest::qWaitFor([&] { return w.Skin().FlapFrame() >= 3; }, 5000));
        EXPECT_NE(w.Skin().Surface().copy(g::kLampRect), lampOff);
        log.Take();
        ASSERT_TRUE(QTest::qWaitFor([&] { return w.Skin().FlapFrame() >= 8; }, 5000));
        const QRegion stepped = log.Take();
        EXPECT_TRUE(stepped.intersects(QRect(g::kFlapLeft, 0, 335, 228 - g::kFlapFirstRow)));
        EXPECT_FALSE(stepped.intersects(g::kDialRect));
        EXPECT_FALSE(stepped.intersects(g::kLampRect));
        // Translucent, the shape is every pixel that is not wholly clear (the widget mask
        // stands in for the input shape away from X11); without, the opaque half.
        EXPECT_TRUE(
            SamePixels(w.mask(), ui::RegionFromAlpha(w.Skin().Surface(), layered ? 0 : 127)));

        // A station chosen moves the needle: the dial is drawn again and repainted. (The
        // second radio starts on the station the first one kept.)
        const QImage dial = w.Skin().Surface().copy(g::kDialRect);
        Click(SectorCentre(layered ? 12 : 9));
        EXPECT_TRUE(log.Take().intersects(g::kDialRect));
        EXPECT_NE(w.Skin().Surface().copy(g::kDialRect), dial);
        window_.reset();
    }
}

TEST_F(RadioWindowTest, RightClickHintEndsAfterThreeClicksOverTwoRuns) {
    {
        auto& w = Open();
        for (int i = 0; i < 2; ++i) {
            QTest::mouseClick(&w, Qt::RightButton, {}, QPoint(300, 300));
            EXPECT_TRUE(w.Menu().IsOpen());
            w.Menu().Close();
        }
        EXPECT_FALSE(w.toolTip().isEmpty());
        window_.reset();
    }
    EXPECT_EQ(profile_.GetInt("CTunelinkDlg", "iKnowsRightClick", -1), 1);
    {
        auto& w = Open();
        EXPECT_FALSE(w.toolTip().isEmpty());
        QTest::mouseClick(&w, Qt::RightButton, {}, QPoint(300, 300));
        w.Menu().Close();
        EXPECT_TRUE(w.toolTip().isEmpty());
        window_.reset();
    }
    EXPECT_EQ(profile_.GetInt("CTunelinkDlg", "iKnowsRightClick", -1), 0);
    EXPECT_TRUE(Open().toolTip().isEmpty());
}

TEST_F(RadioWindowTest, MenuCommandsArriveAsPostedCommands) {
    auto& w = Open();
    ASSERT_FALSE(w.TopMost());
    emit w.Menu().commandChosen(107);  // always on top
    EXPECT_FALSE(w.TopMost());         // not yet: the command is posted
    QTest::qWait(20);
    EXPECT_TRUE(w.TopMost());
    EXPECT_EQ(profile_.GetInt("CBuddyboxDlg", "TopMost", 0), 1);
    emit w.Menu().commandChosen(57665);  // exit
    QTest::qWait(20);
    EXPECT_FALSE(w.isVisible());
    EXPECT_EQ(w.result(), QDialog::Rejected);
}

// The media library's first start can take a while (it builds its plugin registry): the
// window comes first, the player right after its first frame.
TEST_F(RadioWindowTest, ThePlayerIsMadeOnceTheFirstFrameIsPainted) {
    profile_.WriteText("CTunelinkDlg", "iVolume", "30");
    auto options = FakeOptions();
    options.playerAfterFirstFrame = true;
    window_ = std::make_unique<TunelinkDlg>(std::move(options));
    ASSERT_TRUE(window_->Initialise());
    EXPECT_EQ(playersMade_, 0);
    window_->show();
    ASSERT_TRUE(QTest::qWaitFor([&] { return playersMade_ > 0; }, 5000));
    ASSERT_NE(player_, nullptr);
    EXPECT_EQ(player_->volume, 30) << "the volume read before the player existed";
    window_->repaint();
    QTest::qWait(50);
    EXPECT_EQ(playersMade_, 1);
}

TEST_F(RadioWindowTest, AStationChosenBeforeThePlayerWasMadeStillPlays) {
    auto options = FakeOptions();
    options.playerAfterFirstFrame = true;
    window_ = std::make_unique<TunelinkDlg>(std::move(options));
    ASSERT_TRUE(window_->Initialise());
    window_->OnCommand(152);  // dial sector 1, before any frame was painted
    ASSERT_NE(player_, nullptr);
    EXPECT_EQ(player_->plays, 1);
    ASSERT_EQ(player_->opened.size(), 1u);
    EXPECT_FALSE(player_->opened[0].empty());
    window_->show();
    QTest::qWait(100);
    EXPECT_EQ(playersMade_, 1);
}

TEST_F(RadioWindowTest, WithoutAPlayerTheWindowShowsThenSaysSoAndCloses) {
    playerAvailable_ = false;
    auto options = FakeOptions();
    options.playerAfterFirstFrame = true;
    window_ = std::make_unique<TunelinkDlg>(std::move(options));
    ASSERT_TRUE(window_->Initialise());
    window_->show();
    ASSERT_TRUE(QTest::qWaitFor([&] { return !messages_.empty(); }, 5000));
    EXPECT_NE(messages_[0].find("GStreamer"), std::string::npos) << messages_[0];
    EXPECT_TRUE(QTest::qWaitFor([&] { return !window_->isVisible(); }, 2000));
    EXPECT_EQ(window_->result(), QDialog::Rejected);
}
