#pragma once
// Reading what a WAV file sink recorded, to tell sound from silence.

#include <string>
#include <vector>

namespace testsupport {

struct Wave {
    int channels = 0;
    int rate = 0;
    std::vector<double> samples;  // interleaved, scaled to -1..1
};

// Reads PCM (8/16/24/32-bit integer or 32-bit float). A file whose writer was stopped before
// it could finish the header still yields the samples written so far.
Wave ReadWave(const std::string& path);
// Root mean square over the middle half of the samples (away from fades at either end).
double MiddleRms(const Wave& wave);

}  // namespace testsupport
