#include "radio/RadioFace.h"

#include "platform/system/Memory.h"
#include "radio/SkinGeometry.h"

#include <QWidget>

namespace radio {

namespace g = geometry;

namespace {
constexpr int kCloseDelayMs = 500;
constexpr int kFlapSettledMs = 500;
}  // namespace

RadioFace::RadioFace(std::unique_ptr<ui::CLayeredWindow> layered, std::function<void()> flapClosed)
    : skin_(std::move(layered)), flapClosed_(std::move(flapClosed)) {
    marqueeTimer_.setInterval(kMarqueeMs);
    flapTimer_.setInterval(kFlapMs);
    connect(&marqueeTimer_, &QTimer::timeout, this, [this] { skin_.MarqueeStep(); });
    connect(&flapTimer_, &QTimer::timeout, this, &RadioFace::OnFlapStep);
}

void RadioFace::ShowStatusText(const std::string& text) {
    if (skin_.SetStatusText(text)) {
        marqueeTimer_.start();
    } else {
        marqueeTimer_.stop();
    }
}

void RadioFace::ShowControls(const Controls& controls) {
    skin_.DrawButtons(controls.stopped, controls.playing, controls.muted, controls.power);
    if (controls.power != power_) {
        power_ = controls.power;
        skin_.SetLamp(power_);
        const bool atEnd = skin_.StepFlap(power_);
        skin_.Paint();
        if (!atEnd)
            flapTimer_.start();
    }
    if (QWidget* window = skin_.Window())
        window->update(g::kPlayButton.rect.united(g::kPowerButton.rect).united(g::kLampRect));
}

void RadioFace::ShowVolume(int volume) {
    skin_.SetKnobOffset(g::KnobOffsetForVolume(volume));
}

void RadioFace::Stop() {
    marqueeTimer_.stop();
    flapTimer_.stop();
}

void RadioFace::OnFlapStep() {
    const bool atEnd = skin_.StepFlap(power_);
    skin_.Paint();
    if (!atEnd)
        return;
    flapTimer_.stop();
    skin_.ReleaseFlapPictures();
    if (power_) {
        // The flap's pictures were decoded one by one and its last frame is still to be
        // painted; once it is on the screen, what the animation used goes back.
        QTimer::singleShot(kFlapSettledMs, this, [] { platform::ReturnFreedMemory(); });
    } else {
        // The flap has closed: the radio is off and the program ends.
        QTimer::singleShot(kCloseDelayMs, this, [this] { flapClosed_(); });
    }
}

}  // namespace radio
