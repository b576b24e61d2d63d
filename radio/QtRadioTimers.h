#pragma once
// The radio's timers on the Qt event loop.

#include "radio/core/RadioView.h"

#include <QTimer>

#include <functional>

namespace radio {

class QtRadioTimers final : public RadioTimers {
  public:
    // `due` runs on the event loop when a started timer's time has come.
    explicit QtRadioTimers(std::function<void(RadioTimer)> due);

    void Start(RadioTimer timer, std::chrono::milliseconds after) override;
    void Stop(RadioTimer timer) override;
    bool IsActive(RadioTimer timer) const override;
    QTimer& Timer(RadioTimer timer);

  private:
    QTimer nowPlaying_;
    QTimer switch_;
};

}  // namespace radio
