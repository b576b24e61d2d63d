#pragma once
// The radio's face on the screen: the skin with its running status text, its push buttons
// and lamp, and the flap that rises with the power and falls before the radio ends.

#include "radio/RadioSkin.h"
#include "radio/core/RadioView.h"

#include <QObject>
#include <QTimer>

#include <functional>
#include <memory>

namespace radio {

class RadioFace : public QObject {
    Q_OBJECT
  public:
    static constexpr int kMarqueeMs = 70;
    static constexpr int kFlapMs = 70;

    // `flapClosed` runs once the flap is down after the power went off.
    RadioFace(std::unique_ptr<ui::CLayeredWindow> layered, std::function<void()> flapClosed);

    RadioSkin& Skin() { return skin_; }
    const RadioSkin& Skin() const { return skin_; }
    QTimer& MarqueeTimer() { return marqueeTimer_; }
    QTimer& FlapTimer() { return flapTimer_; }

    void ShowStatusText(const std::string& text);
    // Buttons and lamp; a change of power sets the flap moving.
    void ShowControls(const Controls& controls);
    void ShowVolume(int volume);
    void ShowDial() { skin_.Paint(); }
    void Stop();

  private:
    void OnFlapStep();

    RadioSkin skin_;
    std::function<void()> flapClosed_;
    QTimer marqueeTimer_;
    QTimer flapTimer_;
    bool power_ = false;  // where the flap goes
};

}  // namespace radio
