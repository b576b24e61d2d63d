#pragma once
// MediaPlayer on a GStreamer playbin. Must be created and used on the thread that runs the
// Qt event loop: GStreamer's bus messages arrive on streaming threads and are handed to
// that thread with queued calls, where they become play-state events. This class decides;
// the playlist resolver, the reconnect policy and the pipeline (the only part that calls
// GStreamer) do the work.

#include "platform/media/MediaPlayer.h"
#include "util/Result.h"

#include <chrono>
#include <memory>
#include <optional>
#include <string>

namespace platform::media {

struct GstPlayerOptions {
    // A dropped stream is reopened this many times, waiting firstReconnectDelay, then twice
    // as long each time; a stream that played for stableAfter counts as recovered.
    int maxReconnects = 4;
    std::chrono::milliseconds firstReconnectDelay{500};
    std::chrono::milliseconds stableAfter{10000};
    // From Play (or a reconnect) to sound at most this long: a server that trickles, or
    // answers and then sends nothing playable, has failed to connect.
    std::chrono::milliseconds startDeadline{20000};
    // The pipeline changes at most this often; Play and Stop calls in between are merged
    // and the last one wins.
    std::chrono::milliseconds commandSpacing{250};
    // Audio held at the sink before the sound starts. None by default: a stream arriving at
    // real time already has the lead it gathered while connecting, and the desktop's sound
    // server makes a held start wait a second time after it is let go.
    std::chrono::milliseconds prebuffer{0};
    // A GStreamer sink description; empty: $TUNELINK_AUDIO_SINK, else the desktop's sink
    // (which fails with FailureKind::NoAudioOutput when it finds no real device).
    std::string audioSink;
    // Checks every buffer at the sink for lateness, so that UnderrunCount() tells the gaps a
    // listener heard, even when the sound is never held.
    bool measureGaps = false;
    // Once playing, the sound is held this long whenever it runs dry (0: never), so that a
    // stream that arrives no faster than it plays builds a lead over the network's stalls.
    // Half a second outlasts the stalls of a congested network (up to 300 ms): on such a
    // stream the sound broke up 3-6 times in its first 30 s, and with the hold once.
    std::chrono::milliseconds rebuffer{500};
};

class GstMediaPlayer final : public MediaPlayer {
  public:
    // Fails when GStreamer cannot be initialised or lacks the plugins needed for audio over
    // HTTP. An audio sink description that does not parse makes a player whose every Play()
    // fails with FailureKind::AudioOutputInvalid.
    static util::Result<std::unique_ptr<GstMediaPlayer>> Create(GstPlayerOptions options = {});
    // Initialises GStreamer once per process and checks the plugins; the failure names what
    // is missing.
    static util::Status CheckAvailable();

    ~GstMediaPlayer() override;
    GstMediaPlayer(const GstMediaPlayer&) = delete;
    GstMediaPlayer& operator=(const GstMediaPlayer&) = delete;

    void SetEvents(MediaPlayerEvents* events) override;
    void Open(const std::string& address) override;
    bool Play() override;
    bool Stop() override;
    bool Muted() const override;
    void SetMuted(bool muted) override;
    int Volume() const override;
    void SetVolume(int volume) override;

    // When the current session first had sound: a buffer reached the sink while the sink
    // was playing and was due to be heard. "Playing" is reported then, not before. For tests
    // and the benchmark.
    std::optional<std::chrono::steady_clock::time_point> SoundStartedAt() const;
    // How often sound was interrupted after it started: audio reached the sink after its time.
    // Counted with GstPlayerOptions::measureGaps or a rebuffer hold.
    int UnderrunCount() const;
    // The address handed to GStreamer last (after playlist resolution).
    std::string CurrentStreamAddress() const;

    struct Impl;

  private:
    explicit GstMediaPlayer(std::unique_ptr<Impl> impl);
    std::unique_ptr<Impl> impl_;
};

}  // namespace platform::media
