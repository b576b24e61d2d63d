#pragma once
// While the radio plays, the player lets go of memory now and then: the stream's start-up
// buffers some seconds after the sound begins, what a reconnection or a new title needed.
// The C library keeps what was freed for later use, so the resident set would stay at its
// highest; every few seconds of playing it goes back to the system.

#include <QTimer>

#include <chrono>
#include <functional>

namespace radio {

class FreedMemoryReturn {
  public:
    // Often enough that the player's start-up buffers are gone seconds after the sound
    // begins; rare enough that walking the C library's free lists costs nothing noticeable.
    static constexpr std::chrono::milliseconds kPeriod{10000};

    // `giveBack` hands the freed memory back; empty: platform::ReturnFreedMemory.
    explicit FreedMemoryReturn(std::function<void()> giveBack = {},
                               std::chrono::milliseconds period = kPeriod);

    // Runs while the radio plays: a silent radio frees nothing worth waking up for.
    void Follow(bool playing);
    bool Running() const { return timer_.isActive(); }

  private:
    std::function<void()> giveBack_;
    QTimer timer_;
};

}  // namespace radio
