// The radio's steady work: one step of the flap animation (decode the frame and its mask,
// compose it into the surface, repaint; without translucency also cut the window's shape
// to the new picture) and one step of the status marquee.
#include "radio/RadioSkin.h"
#include "ui/LayeredWindow.h"

#include <benchmark/benchmark.h>
#include <QApplication>
#include <QImage>
#include <QPaintEvent>
#include <QPainter>
#include <QWidget>

#include <cstdio>
#include <cstdlib>
#include <memory>
#include <vector>

namespace {
// Fonts and painting need an application object; the offscreen platform needs no display.
void EnsureApplication() {
    if (QApplication::instance())
        return;
    setenv("QT_QPA_PLATFORM", "offscreen", 0);
    static int argc = 1;
    static char name[] = "tunelink_bench";
    static char* argv[] = {name, nullptr};
    // Never destroyed: torn down among the other statics at exit, a widget application
    // outlives the input devices it owns.
    static auto* app = new QApplication(argc, argv);
    (void)app;
}

std::unique_ptr<radio::RadioSkin> Skin(bool translucent, int scale = 1, QWidget* window = nullptr) {
    EnsureApplication();
    auto skin = std::make_unique<radio::RadioSkin>(
        std::make_unique<ui::CLayeredWindow>(8, 32, translucent));
    skin->SetScale(scale);
    // A skin that cannot set up shows as not composed, which the benchmarks report.
    if (!skin->SetUp() || !skin->Attach(window))
        std::fprintf(stderr, "the skin did not set up\n");
    return skin;
}

// The radio's window as far as repainting goes: it collects the areas the skin asked to have
// repainted (the paint events of a shown window), and the bench paints them from the skin as
// the radio's paint event does, into a picture of the window's pixels.
class RepaintedWindow : public QWidget {
  public:
    RepaintedWindow() {
        resize(606, 520);
        show();
        QCoreApplication::sendPostedEvents();
        asked_ = QRegion();
    }
    void PaintWhatWasAsked(const radio::RadioSkin& skin, QImage& window) {
        QCoreApplication::processEvents();
        QPainter painter(&window);
        for (const QRect& area : asked_) skin.PaintWindow(painter, area);
        asked_ = QRegion();
    }

  protected:
    void paintEvent(QPaintEvent* event) override { asked_ += event->region(); }

  private:
    QRegion asked_;
};

std::unique_ptr<radio::RadioSkin> TranslucentSkin() {
    return Skin(true);
}

// Steps the flap up and down; after each step `repainted` is painted into a window-sized
// picture, as the window's paint event would.
void FlapSteps(benchmark::State& state, radio::RadioSkin& skin, QImage::Format windowFormat,
               const std::vector<QRect>& repainted) {
    QImage window(606, 520, windowFormat);
    bool opening = true;
    for (auto _ : state) {
        if (skin.StepFlap(opening))
            opening = !opening;
        skin.Paint();
        QPainter painter(&window);
        for (const QRect& area : repainted) skin.PaintWindow(painter, area);
        benchmark::DoNotOptimize(window.constBits());
    }
}

// Steps the flap of a skin attached to `window`; what it asks to have repainted is painted
// into a picture of the window's pixels, of `windowFormat`.
void WindowFlapSteps(benchmark::State& state, radio::RadioSkin& skin, RepaintedWindow& window,
                     QImage::Format windowFormat, int scale) {
    QImage pixels(606 * scale, 520 * scale, windowFormat);
    pixels.setDevicePixelRatio(scale);
    window.PaintWhatWasAsked(skin, pixels);
    bool opening = true;
    for (auto _ : state) {
        if (skin.StepFlap(opening))
            opening = !opening;
        skin.Paint();
        window.PaintWhatWasAsked(skin, pixels);
        benchmark::DoNotOptimize(pixels.constBits());
    }
}
}  // namespace

static void BM_FlapStep(benchmark::State& state) {
    auto skin = TranslucentSkin();
    // A translucent window is handed its whole picture each time.
    FlapSteps(state, *skin, QImage::Format_ARGB32_Premultiplied, {QRect(0, 0, 606, 520)});
}
BENCHMARK(BM_FlapStep)->Unit(benchmark::kMicrosecond);

// On a shown window, which repaints what the skin asked for. Translucent, the window's input
// shape follows the flap; without a compositor the window is 24-bit, its shape is read again
// from the rows the flap changed, and what was asked is painted opaque. Twice as big: four
// times the pixels to decode and compose.
static void BM_FlapStepOnWindow(benchmark::State& state, bool translucent, int scale) {
    EnsureApplication();
    RepaintedWindow window;
    auto skin = Skin(translucent, scale, &window);
    const bool outlineComposed =
        !skin->Layered() && skin->Composed() && !skin->OutlineShape().isEmpty();
    if (skin->Scale() != scale || (translucent ? !skin->Layered() : !outlineComposed)) {
        state.SkipWithError("the skin did not compose as asked");
        return;
    }
    WindowFlapSteps(state, *skin, window,
                    translucent ? QImage::Format_ARGB32_Premultiplied : QImage::Format_RGB32,
                    scale);
}
BENCHMARK_CAPTURE(BM_FlapStepOnWindow, Translucent, true, 1)->Unit(benchmark::kMicrosecond);
BENCHMARK_CAPTURE(BM_FlapStepOnWindow, TranslucentTwiceAsBig, true, 2)
    ->Unit(benchmark::kMicrosecond);
BENCHMARK_CAPTURE(BM_FlapStepOnWindow, Outline, false, 1)->Unit(benchmark::kMicrosecond);
BENCHMARK_CAPTURE(BM_FlapStepOnWindow, OutlineTwiceAsBig, false, 2)->Unit(benchmark::kMicrosecond);

static void BM_MarqueeStep(benchmark::State& state) {
    auto skin = TranslucentSkin();
    skin->SetStatusText(
        "SomaFM Groove Salad - San Francisco (USA) - Genre: Chillout - Now: a long title");
    QImage window(606, 520, QImage::Format_ARGB32_Premultiplied);
    for (auto _ : state) {
        skin->MarqueeStep();
        QPainter painter(&window);
        skin->PaintWindow(painter, QRect(88, 475, 326, 15));
        benchmark::DoNotOptimize(window.constBits());
    }
}
BENCHMARK(BM_MarqueeStep)->Unit(benchmark::kMicrosecond);

// A 100 KB text, too long for a prepared strip: a step must cost what a short one does.
static void BM_MarqueeStepLongText(benchmark::State& state) {
    auto skin = TranslucentSkin();
    skin->SetStatusText(std::string(100 * 1024, 'W'));
    QImage window(606, 520, QImage::Format_ARGB32_Premultiplied);
    for (auto _ : state) {
        skin->MarqueeStep();
        QPainter painter(&window);
        skin->PaintWindow(painter, QRect(88, 475, 326, 15));
        benchmark::DoNotOptimize(window.constBits());
    }
}
BENCHMARK(BM_MarqueeStepLongText)->Unit(benchmark::kMicrosecond);
