#pragma once
// What a listener hears, for tests and benchmarks: a private PulseAudio server with null
// sinks (no sound card needed, works as root), and a recorder on a sink's monitor that tells
// sound from silence in 10 ms blocks.
//
// Clients are pointed at the server through PULSE_SERVER and at their sink through
// PULSE_SINK (see AddClientEnvironment).

#include <QProcessEnvironment>
#include <QTemporaryDir>

#include <sys/types.h>
#include <chrono>
#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <vector>

namespace testsupport {

class PrivateSoundServer {
  public:
    // Starts `pulseaudio` with one null sink per name. Available() is false when
    // pulseaudio or parec is missing or the server did not come up.
    explicit PrivateSoundServer(std::vector<std::string> sinks = {"nul"});
    ~PrivateSoundServer();
    PrivateSoundServer(const PrivateSoundServer&) = delete;
    PrivateSoundServer& operator=(const PrivateSoundServer&) = delete;

    bool Available() const { return pid_ > 0; }
    // "unix:<socket>"
    std::string Address() const;
    // PULSE_SERVER and PULSE_SINK for a client that should play into `sink`.
    void AddClientEnvironment(QProcessEnvironment& environment, const std::string& sink) const;
    static bool ToolsExist();

  private:
    QTemporaryDir folder_;
    pid_t pid_ = -1;
};

using SoundClock = std::chrono::steady_clock;

// Records a sink's monitor with parec (16-bit stereo at 44.1 kHz, 10 ms latency) on a
// thread of its own, and keeps for every 10 ms block when it arrived, whether it was louder
// than -40 dBFS and which of the `tones` (in Hz), if any, it was: so two stations playing
// different tones can be told apart.
class SoundMonitor {
  public:
    SoundMonitor(const PrivateSoundServer& server, const std::string& sink,
                 std::vector<double> tones = {});
    ~SoundMonitor();
    SoundMonitor(const SoundMonitor&) = delete;
    SoundMonitor& operator=(const SoundMonitor&) = delete;

    // True once blocks arrive from the recorder.
    bool WaitUntilRecording(std::chrono::milliseconds timeout) const;
    // When the first loud block at or after `since` arrived, if one has.
    std::optional<SoundClock::time_point> FirstSoundAfter(SoundClock::time_point since) const;
    // When the first loud block at or after `since` that was the tone `hz` (one of those
    // given to the constructor) arrived, if one has.
    std::optional<SoundClock::time_point> FirstToneAfter(SoundClock::time_point since,
                                                         double hz) const;
    // Waits until the monitor has been silent for `quiet`, calling `idle` meanwhile.
    bool WaitForSilence(std::chrono::milliseconds quiet, std::chrono::milliseconds timeout,
                        const std::function<void()>& idle = {}) const;
    // How often the sound broke off and came back between `from` and `to`: runs of silent
    // blocks after the first loud one.
    int CountGaps(SoundClock::time_point from, SoundClock::time_point to) const;
    // How long each of those gaps lasted, in the monitor's blocks of 10 ms. Sound shorter than
    // `shortestSound` blocks does not end a gap (a click is not the sound coming back).
    std::vector<int> GapBlocks(SoundClock::time_point from, SoundClock::time_point to,
                               int shortestSound = 1) const;

    static constexpr double kSoundDbfs = -40.0;

  private:
    struct Impl;
    std::unique_ptr<Impl> impl_;
};

// The level of interleaved 16-bit samples as root mean square, in dBFS (-inf for silence).
double LevelDbfs(const std::int16_t* samples, std::size_t count);

// The share (0 to 1) of the energy of interleaved 16-bit samples that lies at `hz`, by a
// Goertzel filter over the channels' mix; 0 for silence. A block that is the tone gives
// nearly 1, a tone an octave away nearly 0.
double ToneShare(const std::int16_t* samples, std::size_t frames, int channels, double hz,
                 int rate);
// A block is taken as the tone when more than this share of its energy is at its frequency.
inline constexpr double kToneShare = 0.5;

// Gaps in a sequence of block verdicts (true = loud): silent runs between loud blocks.
int CountGapsIn(const std::vector<bool>& loud);
// The length in blocks of each such run; loud runs shorter than `shortestSound` blocks count
// as part of the gap around them.
std::vector<int> GapLengthsIn(const std::vector<bool>& loud, int shortestSound = 1);

}  // namespace testsupport
