// The radio drawn from the pictures twice as big looks like the radio drawn from the
// originals, only finer: every piece at its place in layout pixels, the flap, the keys and
// the window's shape included.
#include "radio/RadioSkin.h"
#include "radio/SkinGeometry.h"
#include "ui/LayeredWindow.h"

#include <gtest/gtest.h>
#include <QImage>
#include <QPainter>

#include <cstdlib>
#include <memory>

namespace {
namespace g = radio::geometry;

// A skin at `scale`, switched on with Play pressed and the flap standing open.
std::unique_ptr<radio::RadioSkin> OpenSkin(bool translucent, int scale) {
    auto skin = std::make_unique<radio::RadioSkin>(
        std::make_unique<ui::CLayeredWindow>(8, 32, translucent));
    skin->SetScale(scale);
    EXPECT_TRUE(skin->SetUp());
    EXPECT_TRUE(skin->Attach(nullptr));
    skin->SetLamp(true);
    skin->DrawButtons(false, true, false, true);
    while (!skin->StepFlap(true)) skin->Paint();
    skin->Paint();
    return skin;
}

// The mean difference per colour channel between two pictures of the same size, over `area`.
double MeanDifference(const QImage& a, const QImage& b, const QRect& area) {
    long long sum = 0;
    for (int y = area.top(); y <= area.bottom(); ++y) {
        for (int x = area.left(); x <= area.right(); ++x) {
            const QRgb p = a.pixel(x, y), q = b.pixel(x, y);
            sum += std::abs(qRed(p) - qRed(q)) + std::abs(qGreen(p) - qGreen(q)) +
                   std::abs(qBlue(p) - qBlue(q)) + std::abs(qAlpha(p) - qAlpha(q));
        }
    }
    return static_cast<double>(sum) / (4.0 * area.width() * area.height());
}

class RadioSkinScale : public ::testing::TestWithParam<bool> {};
}  // namespace

TEST_P(RadioSkinScale, TwiceAsBigShowsTheSameRadioInLayoutPixels) {
    const bool translucent = GetParam();
    const auto one = OpenSkin(translucent, 1);
    const auto two = OpenSkin(translucent, 2);
    ASSERT_TRUE(two->Composed());
    const QImage& fine = two->Surface();
    EXPECT_EQ(fine.size(), QSize(2 * g::kWindowWidth, 2 * g::kWindowHeight));
    EXPECT_EQ(fine.devicePixelRatio(), 2.0);
    EXPECT_EQ(fine.deviceIndependentSize(), QSizeF(g::kWindowWidth, g::kWindowHeight));

    // Shrunk to layout pixels it is the same radio, piece by piece.
    const QImage shrunk = fine.scaled(g::kWindowWidth, g::kWindowHeight, Qt::IgnoreAspectRatio,
                                      Qt::SmoothTransformation);
    const QImage& coarse = one->Surface();
    // (Small, bright pieces differ more where the finer drawing has sharper edges.)
    const struct {
        const char* what;
        QRect area;
        double limit;
    } pieces[] = {
        {"the whole radio", QRect(0, 0, g::kWindowWidth, g::kWindowHeight), 4.0},
        {"the raised flap", QRect(g::kFlapLeft + 20, 5, 290, 110), 6.0},
        {"the pressed keys", g::kStopButton.rect.united(g::kPowerButton.rect), 6.0},
        {"the lamp", g::kLampRect, 10.0},
        {"the dial and needle", g::kDialRect, 6.0},
    };
    for (const auto& piece : pieces)
        EXPECT_LT(MeanDifference(shrunk, coarse, piece.area), piece.limit) << piece.what;
    // A piece out of place would show: the open flap against the closed one differs a lot.
    const auto closed = std::make_unique<radio::RadioSkin>(
        std::make_unique<ui::CLayeredWindow>(8, 32, translucent));
    ASSERT_TRUE(closed->SetUp());
    ASSERT_TRUE(closed->Attach(nullptr));
    EXPECT_GT(MeanDifference(closed->Surface(), coarse, pieces[1].area), 30.0);

    // The window paints the fine pixels into a window of twice the density, unchanged where
    // they are opaque.
    QImage window(fine.size(),
                  translucent ? QImage::Format_ARGB32_Premultiplied : QImage::Format_RGB32);
    window.setDevicePixelRatio(2);
    window.fill(Qt::black);
    {
        QPainter painter(&window);
        two->PaintWindow(painter, QRect(0, 0, g::kWindowWidth, g::kWindowHeight));
    }
    int opaque = 0, same = 0;
    for (int y = 0; y < fine.height(); y += 3) {
        for (int x = 0; x < fine.width(); x += 3) {
            if (qAlpha(fine.pixel(x, y)) != 255)
                continue;
            ++opaque;
            same += (window.pixel(x, y) & 0xFFFFFF) == (fine.pixel(x, y) & 0xFFFFFF);
        }
    }
    EXPECT_GT(opaque, 20000);
    EXPECT_EQ(same, opaque);

    if (!translucent) {
        // The window's shape stays in layout pixels and covers what the coarse one does.
        const QRegion difference = one->OutlineShape().xored(two->OutlineShape());
        long long area = 0, differing = 0;
        for (const QRect& r : one->OutlineShape()) area += r.width() * r.height();
        for (const QRect& r : difference) differing += r.width() * r.height();
        EXPECT_GT(area, 150000);
        EXPECT_LT(differing, area / 100) << "only along the edges";
        EXPECT_TRUE(two->OutlineShape().contains(QPoint(g::kFlapLeft + 150, 60)));
        EXPECT_FALSE(two->OutlineShape().contains(QPoint(100, 60)));
    }
}

INSTANTIATE_TEST_SUITE_P(Modes, RadioSkinScale, ::testing::Values(true, false),
                         [](const auto& p) { return p.param ? "Translucent" : "Outline"; });

// Moved to a screen of twice the density, the open radio is composed again from the fine
// pictures, exactly as one that started there; and back again.
TEST_P(RadioSkinScale, AScaleChangedWhileOpenComposesTheRadioAgainAtTheNewSize) {
    const bool translucent = GetParam();
    const auto moved = OpenSkin(translucent, 1);
    const auto fine = OpenSkin(translucent, 2);
    const auto coarse = OpenSkin(translucent, 1);
    const auto redraw = [](radio::RadioSkin& skin) {
        skin.DrawButtons(false, true, false, true);
        skin.Paint();
    };
    moved->SetScale(2);
    redraw(*moved);
    EXPECT_EQ(moved->Scale(), 2);
    EXPECT_EQ(moved->FlapFrame(), g::kFlapLastFrame);
    EXPECT_TRUE(moved->Surface() == fine->Surface()) << "not the radio that started there";
    EXPECT_TRUE(moved->OutlineShape() == fine->OutlineShape());

    moved->SetScale(1);
    redraw(*moved);
    EXPECT_TRUE(moved->Surface() == coarse->Surface());
}

// A flap step composes only what can have changed (rows clear in the last frame and this one
// are left as they are); at every frame, up and down, the surface is what composing that
// frame afresh gives.
TEST_P(RadioSkinScale, TheFlapStepByStepIsTheFlapComposedAfresh) {
    for (const int scale : {1, 2}) {
        SCOPED_TRACE(scale);
        auto skin = std::make_unique<radio::RadioSkin>(
            std::make_unique<ui::CLayeredWindow>(8, 32, GetParam()));
        skin->SetScale(scale);
        ASSERT_TRUE(skin->SetUp());
        ASSERT_TRUE(skin->Attach(nullptr));
        ASSERT_TRUE(skin->Composed());
        bool opening = true;
        for (int step = 0; step < 2 * g::kFlapLastFrame; ++step) {
            if (skin->StepFlap(opening))
                opening = false;
            skin->Paint();
            if (step % 5 != 2 && step != g::kFlapLastFrame - 1)
                continue;
            const QImage stepped = skin->Surface().copy();
            const int frame = skin->FlapFrame();
            ASSERT_TRUE(skin->Attach(nullptr));  // composes the standing frame from scratch
            const QImage& afresh = skin->Surface();
            ASSERT_EQ(stepped.size(), afresh.size());
            int differing = 0;
            QPoint first(-1, -1);
            for (int y = 0; y < afresh.height(); ++y)
                for (int x = 0; x < afresh.width(); ++x)
                    if (stepped.pixel(x, y) != afresh.pixel(x, y) && differing++ == 0)
                        first = QPoint(x, y);
            ASSERT_EQ(differing, 0) << "frame " << frame << ", first at " << first.x() << ","
                                    << first.y();
        }
        EXPECT_EQ(skin->FlapFrame(), 0);
    }
}
