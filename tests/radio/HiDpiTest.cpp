// On a screen of twice the density (QT_SCALE_FACTOR=2: CTest runs these tests a second time
// so) the radio, the about box and the menu draw the pictures made twice as big, pixel for
// pixel, instead of blowing up the small ones. At a device pixel ratio below 1.5 they skip.
#include "picture/ImageView.h"
#include "picture/PLDIBSection.h"
#include "radio/AboutDlg.h"
#include "radio/RadioMenu.h"
#include "radio/SkinGeometry.h"
#include "radio/TunelinkDlg.h"
#include "tests/support/FakeMediaPlayer.h"
#include "tests/support/LoadedPicture.h"
#include "ui/BuiltInImage.h"
#include "ui/HoverBitmapButton.h"
#include "ui/SkinMenu.h"
#include "ui/Translator.h"
#include "util/Product.h"
#include "util/Profile.h"

#include <gtest/gtest.h>
#include <QApplication>
#include <QTemporaryDir>
#include <QTest>

#include <cstdlib>
#include <memory>

namespace {
namespace g = radio::geometry;

bool Near(QRgb a, QRgb b, int tolerance) {
    return std::abs(qRed(a) - qRed(b)) <= tolerance &&
           std::abs(qGreen(a) - qGreen(b)) <= tolerance &&
           std::abs(qBlue(a) - qBlue(b)) <= tolerance;
}

// How many pixels of `area` (in `expected`'s pixels, placed at `at` in `shot`) match.
std::pair<int, int> Matching(const QImage& shot, const QPoint& at, const QImage& expected,
                             const QRect& area) {
    int seen = 0, same = 0;
    for (int y = area.top(); y <= area.bottom(); ++y) {
        for (int x = area.left(); x <= area.right(); ++x) {
            ++seen;
            same += Near(shot.pixel(at + QPoint(x, y) - area.topLeft()), expected.pixel(x, y), 2);
        }
    }
    return {seen, same};
}

class HiDpi : public ::testing::Test {
  protected:
    void SetUp() override {
        if (qApp->devicePixelRatio() < 1.5)
            GTEST_SKIP() << "runs at a device pixel ratio of 2 (QT_SCALE_FACTOR=2)";
        util::InstallProfile(&profile_);
        ASSERT_TRUE(dir_.isValid());
    }
    void TearDown() override { util::InstallProfile(nullptr); }

    util::MemoryProfile profile_;
    QTemporaryDir dir_;
};
}  // namespace

TEST_F(HiDpi, TheRadioShowsTheFinePicturesInItsLayoutSize) {
    radio::TunelinkDlg::Options options;
    options.playerFactory = []() -> radio::PlayerHost::MadePlayer {
        return std::unique_ptr<platform::media::MediaPlayer>(std::make_unique<FakeMediaPlayer>());
    };
    options.layered = std::make_unique<ui::CLayeredWindow>(8, 32, false);
    options.cachePath = (dir_.path() + "/cache.xml").toStdString();
    options.catalogueAddress = "http://127.0.0.1:9/none.xml";
    options.splash = false;
    options.playerAfterFirstFrame = false;
    radio::TunelinkDlg w(std::move(options));
    ASSERT_TRUE(w.Initialise());
    w.show();
    EXPECT_EQ(w.Skin().Scale(), 2);
    EXPECT_EQ(w.size(), QSize(g::kWindowWidth, g::kWindowHeight));
    // Hot spots stay where they are in layout pixels.
    EXPECT_EQ(w.Skin().ClickTest(g::kHotPlayRect.center()), g::kHotPlay);

    const QImage shot = w.grab().toImage();
    ASSERT_EQ(shot.size(), QSize(2 * g::kWindowWidth, 2 * g::kWindowHeight));
    const QImage fine = picture::ToImage(*testsupport::LoadedPicture(130, 2));
    // The loudspeaker grille and the dial's rim: drawn from the fine picture, unchanged.
    for (const QRect& layout : {QRect(40, 280, 80, 60), QRect(240, 330, 20, 40)}) {
        const QRect area(layout.topLeft() * 2, layout.size() * 2);
        const auto [seen, same] = Matching(shot, area.topLeft(), fine, area);
        EXPECT_EQ(same, seen) << "at " << layout.x() << "," << layout.y();
    }

    // Shown a while on a screen of the normal density, it comes back to the fine pictures
    // when it is on this screen again, the window's pixels as before.
    w.Skin().SetScale(1);
    ASSERT_EQ(w.Skin().Scale(), 1);
    w.FollowScreenDensity();
    EXPECT_EQ(w.Skin().Scale(), 2);
    EXPECT_TRUE(w.grab().toImage() == shot);
}

TEST_F(HiDpi, TheAboutBoxAndItsCloseButtonShowTheFinePictures) {
    radio::CAboutDlg box;
    box.SetEffectsEnabled(false);
    box.show();
    EXPECT_EQ(box.size(), QSize(316, 316));
    const QImage fine = picture::ToImage(*testsupport::LoadedPicture(118, 2));
    const QImage shot = box.grab().toImage();
    ASSERT_EQ(shot.size(), QSize(632, 632));
    // Much of the picture shows between the texts and links drawn over it.
    const auto [seen, same] = Matching(shot, QPoint(0, 0), fine, fine.rect());
    EXPECT_GT(same, seen * 6 / 10);

    auto* close = box.findChild<ui::CHoverBitmapButton*>();
    ASSERT_NE(close, nullptr);
    EXPECT_EQ(close->size(), QSize(18, 18));
    const QImage button = close->grab().toImage();
    const QImage fineButton = ui::ReadBitmapResource(136, 2.0);
    ASSERT_EQ(fineButton.size(), QSize(36, 36));
    const auto [buttonSeen, buttonSame] =
        Matching(button, QPoint(0, 0), fineButton, fineButton.rect());
    EXPECT_EQ(buttonSame, buttonSeen);
}

TEST_F(HiDpi, TheMenuShowsTheFineStrip) {
    ui::CTranslator translator;
    radio::RadioMenuState state;
    state.translator = &translator;
    state.language = ui::CTranslator::GetUiLanguage();
    state.productTitle = util::kProductTitle;
    QWidget owner;
    owner.resize(10, 10);
    owner.show();
    ui::CSkinMenu menu;
    radio::FillRadioMenu(menu, state);
    menu.TrackPopup(QPoint(40, 40), &owner);
    ASSERT_NE(menu.Window(), nullptr);
    const QImage shot = menu.Window()->grab().toImage();
    const QImage strip = ui::ReadBitmapResource(600, 2.0);
    ASSERT_EQ(strip.size(), QSize(352, 30));
    int pictures = 0;
    for (const ui::MenuItem& item : menu.Items()) {
        if (item.image < 0)
            continue;
        ++pictures;
        // The cell's drawn pixels (not the magenta key) at 4, top + 1 in layout pixels.
        int seen = 0, same = 0;
        for (int y = 0; y < 30; ++y) {
            for (int x = 0; x < 32; ++x) {
                const QRgb cell = strip.pixel(item.image * 32 + x, y);
                if ((cell & 0xFFFFFF) == 0xFF00FF)
                    continue;
                ++seen;
                same += Near(shot.pixel(8 + x, 2 * (item.top + 1) + y), cell, 2);
            }
        }
        EXPECT_GT(seen, 20);
        EXPECT_EQ(same, seen) << "cell " << item.image;
    }
    EXPECT_GT(pictures, 3);
    menu.Close();
}
