#include "radio/FreedMemoryReturn.h"

#include "platform/system/Memory.h"

#include <utility>

namespace radio {

FreedMemoryReturn::FreedMemoryReturn(std::function<void()> giveBack,
                                     std::chrono::milliseconds period)
    : giveBack_(giveBack ? std::move(giveBack) : [] { platform::ReturnFreedMemory(); }) {
    timer_.setInterval(period);
    QObject::connect(&timer_, &QTimer::timeout, [this] { giveBack_(); });
}

void FreedMemoryReturn::Follow(bool playing) {
    if (!playing)
        timer_.stop();
    else if (!timer_.isActive())
        timer_.start();
}

}  // namespace radio
