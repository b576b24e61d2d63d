#pragma once
// Time from Play to the first sound a listener hears, through a private PulseAudio server:
// the radio next to the bare playbin program and mpv, on local streams paced at real time,
// players taking turns; the time from choosing another station while one plays to hearing
// the new one (told apart by its tone); and, side by side, how often each breaks up on a
// jittery stream.

#include "tests/support/VirtualDisplay.h"

namespace bench {

struct SoundBenchSettings {
    int runs = 5;
    int jitterSeconds = 30;
};

// Prints the tables. False when the measurement could not be made (tools missing, a player
// never sounded).
bool MeasureTimeToSound(const testsupport::VirtualDisplay& display,
                        const SoundBenchSettings& settings);

}  // namespace bench
