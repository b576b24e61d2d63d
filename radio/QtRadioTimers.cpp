#include "radio/QtRadioTimers.h"

namespace radio {

QtRadioTimers::QtRadioTimers(std::function<void(RadioTimer)> due) {
    for (RadioTimer timer : {RadioTimer::NowPlaying, RadioTimer::Switch}) {
        QTimer& qtimer = Timer(timer);
        qtimer.setSingleShot(true);
        QObject::connect(&qtimer, &QTimer::timeout, [due, timer] { due(timer); });
    }
}

QTimer& QtRadioTimers::Timer(RadioTimer timer) {
    return timer == RadioTimer::NowPlaying ? nowPlaying_ : switch_;
}

void QtRadioTimers::Start(RadioTimer timer, std::chrono::milliseconds after) {
    Timer(timer).start(after);
}

void QtRadioTimers::Stop(RadioTimer timer) {
    Timer(timer).stop();
}

bool QtRadioTimers::IsActive(RadioTimer timer) const {
    return (timer == RadioTimer::NowPlaying ? nowPlaying_ : switch_).isActive();
}

}  // namespace radio
