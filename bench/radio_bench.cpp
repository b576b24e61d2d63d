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
               const std::vector<QRect>& repainted, int scale = 1) {
    QImage window(606 * scale, 520 * scale, windowFormat);
    window.setDevicePixelRatio(scale);
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

// Translucent, on a shown window: the window's input shape follows the flap, and the window
// repaints what the skin asked for.
static void BM_FlapStepInWindow(benchmark::State& state) {
    EnsureApplication();
    RepaintedWindow window;
    auto skin = Skin(true, 1, &window);
    WindowFlapSteps(state, *skin, window, QImage::Format_ARGB32_Premultiplied, 1);
}
BENCHMARK(BM_FlapStepInWindow)->Unit(benchmark::kMicrosecond);

// The same on a screen of twice the density.
static void BM_FlapStepInWindowTwiceAsBig(benchmark::State& state) {
    EnsureApplication();
    RepaintedWindow window;
    auto skin = Skin(true, 2, &window);
    WindowFlapSteps(state, *skin, window, QImage::Format_ARGB32_Premultiplied, 2);
}
BENCHMARK(BM_FlapStepInWindowTwiceAsBig)->Unit(benchmark::kMicrosecond);

// Without a compositor the window is 24-bit: the same step, plus the window's shape read again from
// the rows the flap changed and set on the window, and what the step asked to have repainted
// painted opaque into a 24-bit window.
static void BM_FlapStepOutline(benchmark::State& state) {
    EnsureApplication();
    RepaintedWindow window;
    auto skin = Skin(false, 1, &window);
    if (skin->Layered() || !skin->Composed() || skin->OutlineShape().isEmpty()) {
        state.SkipWithError("the outline skin did not compose");
        return;
    }
    WindowFlapSteps(state, *skin, window, QImage::Format_RGB32, 1);
}
BENCHMARK(BM_FlapStepOutline)->Unit(benchmark::kMicrosecond);

// The same on a screen of twice the density: four times the pixels to decode and compose.
static void BM_FlapStepOutlineTwiceAsBig(benchmark::State& state) {
    EnsureApplication();
    RepaintedWindow window;
    auto skin = Skin(false, 2, &window);
    if (skin->Scale() != 2 || !skin->Composed() || skin->OutlineShape().isEmpty()) {
        state.SkipWithError("the outline skin did not compose at twice the size");
        return;
    }
    WindowFlapSteps(state, *skin, window, QImage::Format_RGB32, 2);
}
BENCHMARK(BM_FlapStepOutlineTwiceAsBig)->Unit(benchmark::kMicrosecond);

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
