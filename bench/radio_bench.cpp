// The radio's steady work: one step of the flap animation (decode the frame and its mask,
// compose it into the surface, repaint) and one step of the status marquee.
#include "radio/RadioSkin.h"
#include "ui/LayeredWindow.h"

#include <benchmark/benchmark.h>
#include <QGuiApplication>
#include <QImage>
#include <QPainter>

#include <cstdlib>
#include <memory>

namespace {
// Fonts and painting need an application object; the offscreen platform needs no display.
void EnsureApplication() {
    if (QGuiApplication::instance())
        return;
    setenv("QT_QPA_PLATFORM", "offscreen", 0);
    static int argc = 1;
    static char name[] = "tunelink_bench";
    static char* argv[] = {name, nullptr};
    static QGuiApplication app(argc, argv);
}

std::unique_ptr<radio::RadioSkin> TranslucentSkin() {
    EnsureApplication();
    auto skin = std::make_unique<radio::RadioSkin>(std::make_unique<CLayeredWindow>(8, 32, true));
    skin->SetUp();
    skin->Attach(nullptr);
    return skin;
}
}  // namespace

static void BM_FlapStep(benchmark::State& state) {
    auto skin = TranslucentSkin();
    QImage window(606, 520, QImage::Format_ARGB32_Premultiplied);
    bool opening = true;
    for (auto _ : state) {
        if (skin->StepFlap(opening))
            opening = !opening;
        skin->Paint();
        QPainter painter(&window);
        skin->PaintWindow(painter, window.rect());
        benchmark::DoNotOptimize(window.constBits());
    }
}
BENCHMARK(BM_FlapStep)->Unit(benchmark::kMicrosecond);

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
