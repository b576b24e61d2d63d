#include "ui/WindowEffects.h"
#include "util/MessageBox.h"

#include <gtest/gtest.h>
#include <QTest>
#include <QWidget>

namespace {
struct Recorder {
    explicit Recorder(ui::CWndSpecialFX& fx) {
        fx.SetMessageReporter([this](const util::MessageRequest& r) {
            texts.push_back(r.text);
            captions.push_back(r.caption);
        });
    }
    std::vector<std::string> texts, captions;
};

ui::CWndSpecialFX::Capabilities Everything(bool animation = true) {
    return {animation, animation, true, true, true, true};
}
}  // namespace

TEST(WndSpecialFX, FadeStepArithmetic) {
    // The values the program uses: span 235 over 200 ms gives a step of 1 and no pause.
    auto s = ui::CWndSpecialFX::ComputeFadeSteps(10, 245, 200);
    EXPECT_EQ(s.step, 1);
    EXPECT_EQ(s.pauseMs, 0u);
    // A short span over a long time pauses between steps of 1: delay 10 per step.
    s = ui::CWndSpecialFX::ComputeFadeSteps(0, 100, 1000);
    EXPECT_EQ(s.step, 1);
    EXPECT_EQ(s.pauseMs, 0u);  // (1 * 10) / 100
    s = ui::CWndSpecialFX::ComputeFadeSteps(0, 10, 1000);
    EXPECT_EQ(s.pauseMs, 10u);  // delay 100, (1 * 100) / 10
    // Equal alphas or no time would divide by zero: one plain step.
    s = ui::CWndSpecialFX::ComputeFadeSteps(50, 50, 200);
    EXPECT_EQ(s.step, 1);
    EXPECT_EQ(s.pauseMs, 0u);
    s = ui::CWndSpecialFX::ComputeFadeSteps(10, 245, 0);
    EXPECT_EQ(s.step, 1);
}

TEST(WndSpecialFX, BadCodesExplainThemselves) {
    ui::CWndSpecialFX fx(Everything());
    Recorder recorder(fx);
    QWidget w;
    EXPECT_EQ(fx.OpenWindow(&w, 1, 3, 0, 0, 0, 200, 10, 245), 0);
    EXPECT_EQ(fx.OpenWindow(&w, 3, 4, 0, 0, 0, 200, 10, 245), 0);
    EXPECT_EQ(fx.OpenWindow(&w, 8, 0, 0, 0, 0, 200, 10, 245), 0);
    EXPECT_EQ(fx.CloseWindow(&w, 2, 1, 0, 0, 200, 245, 10), 0);
    EXPECT_EQ(fx.CloseWindow(&w, 7, 0, 0, 0, 200, 245, 10), 0);
    EXPECT_EQ(fx.OpenWindow(nullptr, 0, 0, 0, 0, 0, 200, 10, 245), 0);
    ASSERT_EQ(recorder.texts.size(), 5u);
    EXPECT_EQ(
        recorder.texts[0],
        "CWndSpecialFX::OpenWindow( )\nEffect: OW_HORIZONTAL\n\nNo proper direction defined...");
    EXPECT_EQ(
        recorder.texts[1],
        "CWndSpecialFX::OpenWindow( )\nEffect: OW_DIAGONAL\n\nNo proper start corner defined...");
    EXPECT_EQ(recorder.texts[2], "CWndSpecialFX::OpenWindow( )\n\nNo proper effect defined...");
    EXPECT_EQ(
        recorder.texts[3],
        "CWndSpecialFX::CloseWindow( )\nEffect: CW_VERTICAL\n\nNo proper direction defined...");
    EXPECT_EQ(recorder.texts[4], "CWndSpecialFX::CloseWindow( )\n\nNo proper effect defined...");
    EXPECT_EQ(recorder.captions[0], "Error:");
}

TEST(WndSpecialFX, WithoutAnimationTheWindowJustShowsOrHides) {
    ui::CWndSpecialFX fx(Everything(/*animation=*/false));
    QWidget w;
    w.show();
    EXPECT_EQ(fx.OpenWindow(&w, 4, 0, 0, 0, 0, 200, 10, 245), 0);  // centre: plain show
    EXPECT_TRUE(w.isVisible());
    EXPECT_EQ(fx.CloseWindow(&w, 5, 0, 0, 0, 200, 245, 10), 0);  // blend: plain hide
    EXPECT_FALSE(w.isVisible());

    // Forced, the centre effect animates and the setting is back afterwards.
    w.setGeometry(100, 100, 200, 100);
    EXPECT_EQ(fx.OpenWindow(&w, 4, 0, 0, 1, 0, 100, 10, 245), 1);
    EXPECT_TRUE(QTest::qWaitFor([&] { return w.geometry() == QRect(100, 100, 200, 100); }, 2000));
    EXPECT_TRUE(w.isVisible());
    EXPECT_EQ(fx.OpenWindow(&w, 4, 0, 0, 0, 0, 100, 10, 245), 0);  // unforced again: plain show
}

TEST(WndSpecialFX, FadeInWithTheAlphasTheWrongWayRoundRunsNoStep) {
    ui::CWndSpecialFX fx(Everything());
    QWidget w;
    EXPECT_EQ(fx.OpenWindow(&w, 7, 0, 0, 0, 0, 200, 200, 100), 1);
    EXPECT_DOUBLE_EQ(w.windowOpacity(), 0.0);
    EXPECT_EQ(fx.OpenWindow(&w, 7, 0, 0, 0, 0, 200, 10, 245), 1);
    EXPECT_NEAR(w.windowOpacity(), 245 / 255.0, 0.01);
    EXPECT_EQ(fx.CloseWindow(&w, 6, 0, 0, 0, 200, 245, 10), 1);
    EXPECT_NEAR(w.windowOpacity(), 10 / 255.0, 0.01);
}
