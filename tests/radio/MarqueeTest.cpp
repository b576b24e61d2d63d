#include "radio/RadioSkin.h"
#include "radio/SkinGeometry.h"
#include "ui/LayeredWindow.h"

#include <gtest/gtest.h>
#include <QApplication>
#include <QFontMetrics>
#include <QPainter>

#include <time.h>

#include <algorithm>
#include <memory>
#include <string>

namespace g = radio::geometry;

namespace {

std::unique_ptr<radio::RadioSkin> AttachedSkin() {
    auto skin =
        std::make_unique<radio::RadioSkin>(std::make_unique<ui::CLayeredWindow>(8, 32, false));
    EXPECT_TRUE(skin->SetUp());
    EXPECT_TRUE(skin->Attach(nullptr));
    skin->SetFont(QApplication::font());
    return skin;
}

std::string RepeatedTo(std::size_t size, const std::string& phrase) {
    std::string text;
    while (text.size() < size) text += phrase;
    return text;
}

double ThreadCpuSeconds() {
    timespec now{};
    clock_gettime(CLOCK_THREAD_CPUTIME_ID, &now);
    return static_cast<double>(now.tv_sec) + static_cast<double>(now.tv_nsec) / 1e9;
}

// The status line as if the running text were drawn whole onto the background at offset.
QImage DrawnInPlace(const QImage& background, const QString& text, int offset) {
    QImage expected = background.copy();
    QPainter p(&expected);
    p.setFont(QApplication::font());
    p.setPen(QColor::fromRgb(qRgb(0x34, 0x32, 0x3D)));
    p.drawText(expected.rect().adjusted(offset, 0, 0, 0),
               Qt::AlignLeft | Qt::AlignVCenter | Qt::TextSingleLine, text + " - " + text);
    return expected;
}

// Mean absolute difference of the grey values of two pictures of the same size.
double MeanDifference(const QImage& a, const QImage& b) {
    double sum = 0;
    for (int y = 0; y < a.height(); ++y) {
        for (int x = 0; x < a.width(); ++x)
            sum += std::abs(qGray(a.pixel(x, y)) - qGray(b.pixel(x, y)));
    }
    return sum / (a.width() * a.height());
}

}  // namespace

// A 100 KB title used to be laid out and drawn whole at each of the 14 steps a second
// (about 70 ms of processor time per step).
TEST(Marquee, AStepCostsNoMoreForAHundredKilobyteText) {
    auto skin = AttachedSkin();
    skin->SetStatusText(RepeatedTo(100 * 1024, "Radio Kalimba - Northern Lights 1978 - "));
    ASSERT_TRUE(skin->Marquee());
    const double start = ThreadCpuSeconds();
    for (int step = 0; step < 30; ++step) skin->MarqueeStep();
    EXPECT_LT(ThreadCpuSeconds() - start, 0.4);  // a few milliseconds are enough
}

// A text too long for a prepared strip is drawn piece by piece. A drift of a pixel or two
// from the whole text's layout would pass unseen in running text and is allowed; text at
// the wrong place, or missing, differs by far more.
TEST(Marquee, FarIntoALongTextTheLineShowsWhatWouldBeThereIfDrawnWhole) {
    auto skin = AttachedSkin();
    const QRect status = g::kStatusRect;
    skin->SetStatusText("");
    const QImage background = skin->Surface().copy(status);
    const std::string text = RepeatedTo(1200, "Kalimba 0123456789 ");
    skin->SetStatusText(text);
    ASSERT_TRUE(skin->Marquee());
    const QString whole = QString::fromStdString(text);
    ASSERT_GT(QFontMetrics(QApplication::font()).horizontalAdvance(whole + " - " + whole), 8192);
    int drawnAt = 20;
    for (int target : {-1500, -4000, -skin->StatusTextWidth() + 100}) {
        while (drawnAt > target) {
            skin->MarqueeStep();
            --drawnAt;
        }
        const QImage shown = skin->Surface().copy(status);
        double closest = 255;
        for (int drift = -2; drift <= 2; ++drift)
            closest = std::min(
                closest, MeanDifference(shown, DrawnInPlace(background, whole, drawnAt + drift)));
        EXPECT_LT(closest, 4.0) << "drawn at " << drawnAt;
        // The same measure tells a line that shows other text, or none.
        EXPECT_GT(MeanDifference(shown, DrawnInPlace(background, whole, drawnAt + 37)), 8.0);
        EXPECT_GT(MeanDifference(shown, background), 8.0);
    }
}
