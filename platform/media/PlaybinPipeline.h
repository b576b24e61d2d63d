#pragma once
// The one place that drives GStreamer: a playbin playing audio only, into the chosen sound
// output through a volume element of our own. What happens on its bus reaches its listener
// on the thread that runs the Qt event loop, and only for the connection opened last.

#include "platform/media/FailureReason.h"
#include "util/Result.h"

#include <atomic>
#include <chrono>
#include <cstdint>
#include <map>
#include <memory>
#include <optional>
#include <string>

class QObject;
typedef struct _GstElement GstElement;
typedef struct _GstMessage GstMessage;
typedef struct _GstPad GstPad;
typedef struct _GstBuffer GstBuffer;

namespace platform::media {

class PluginWarmUp;

// The pipeline's news about the current connection, on the owner's thread, never from
// inside a pipeline call.
class PipelineListener {
  public:
    virtual ~PipelineListener() = default;
    virtual void OnPlayingReached() = 0;  // the pipeline runs; its sound may still be on its way
    virtual void OnPrerolled() = 0;       // the first audio waits at the sink
    virtual void OnBuffering(int percent) = 0;
    virtual void OnSoundHeard() = 0;  // the connection's first sound is due at the listener now
    virtual void OnEndOfStream(bool soundReachedSink) = 0;
    virtual void OnStreamError(const StreamError& error) = 0;
    // Title, Author, Name and Bitrate, as far as this tag message tells them.
    virtual void OnTags(const std::map<std::string, std::string>& attributes) = 0;
    virtual void OnNoSoundDevice() = 0;  // the desktop's output found no device to open
    // The sound ran dry while playing: audio reached the sink after it was due. With a
    // rebuffer time set, the late audio is held back from the sink until the owner calls
    // Hold() or DeclineHold() (or a second has passed), so nothing of it is heard before the
    // hold.
    virtual void OnStarved() = 0;
};

struct PipelineSettings {
    std::string sinkDescription;  // a sink description; empty: the desktop's output
    std::chrono::milliseconds prebuffer{0};
    // Once playing, how long the sound is held after it ran dry, so that the stream can build a
    // lead over the network; 0: never held.
    std::chrono::milliseconds rebuffer{0};
    bool measureGaps = false;  // check every buffer for lateness (UnderrunCount)
};

// Object references are released through this; defined where GStreamer is known.
struct GstObjectUnref {
    void operator()(void* object) const;
};
using ElementRef = std::unique_ptr<GstElement, GstObjectUnref>;

class PlaybinPipeline {
  public:
    using Clock = std::chrono::steady_clock;

    // Initialises GStreamer once per process, with the guard that keeps every source on the
    // network, and checks the plugins for audio over HTTP; the failure names what is missing.
    static util::Status CheckAvailable();
    // A sink description that does not parse still makes a pipeline, which only knows why it
    // cannot play (OutputError).
    static util::Result<std::unique_ptr<PlaybinPipeline>> Create(const PipelineSettings& settings,
                                                                 PipelineListener& listener);
    ~PlaybinPipeline();
    PlaybinPipeline(const PlaybinPipeline&) = delete;
    PlaybinPipeline& operator=(const PlaybinPipeline&) = delete;

    // Ends the connection; nothing of it reaches the listener afterwards.
    void Reset();
    // A new station: its first sound is yet to come.
    void ForgetSoundStart();
    // Connects to `uri`: held paused when a lead is wanted, else playing once prerolled.
    void Open(const std::string& uri);
    // Lets a held start play.
    void Resume();
    // Holds the sound where it is while the network queue fills.
    void Hold();
    // The sound that ran dry is not to be held: the late audio goes to the sink again.
    void DeclineHold();
    // Once the sound runs, the network queues need not report their fill level.
    void StopBufferingReports();
    // The source knows its length: a file, which ends, not a live stream, which drops.
    bool SourceHasKnownLength() const;
    void SetVolume(int volume);  // 0-100
    void SetMuted(bool muted);

    // Moves on with every Reset: what was meant for an older connection can be told apart.
    unsigned Connection() const { return generation_; }
    const std::string& OutputError() const { return outputError_; }
    std::optional<Clock::time_point> SoundStartedAt() const;
    int UnderrunCount() const { return underruns_; }

  private:
    friend struct PipelineCallbacks;
    PlaybinPipeline(const PipelineSettings& settings, PipelineListener& listener);
    void AttachAudioSink(ElementRef sink, bool automatic);
    void Deliver(GstMessage* message);
    void Handle(GstMessage* message);
    void NoteFirstSoundAtSink(GstPad* pad, GstBuffer* buffer);
    bool DueAndNow(GstPad* pad, GstBuffer* buffer, uint64_t& due, uint64_t& now) const;
    // True when the buffer is to be held back from the sink.
    bool CheckLateness(GstPad* pad, GstBuffer* buffer);
    bool HoldPending() const;

    PipelineSettings settings_;
    PipelineListener& listener_;
    ElementRef playbin_;
    ElementRef audioSink_;                 // held, to tell the output's errors from the stream's
    GstElement* volumeElement_ = nullptr;  // inside the output bin, owned by it
    std::string outputError_;              // the output description did not parse
    std::unique_ptr<QObject> context_;     // queued calls to the owner's thread die with it
    std::unique_ptr<PluginWarmUp> warmUp_;

    // Written on streaming threads, read on the owner's thread.
    std::atomic<unsigned> generation_{0};
    std::atomic<int64_t> playingReachedNs_{0};
    std::atomic<int64_t> soundAtSinkNs_{0};     // first sound of the station
    std::atomic<bool> soundSeenAtSink_{false};  // per connection
    std::atomic<int> underruns_{0};
    std::atomic<bool> starving_{false};
    std::atomic<int64_t> holdAskedUs_{0};  // monotonic time the sound ran dry; 0: no hold asked
};

// The error an ERROR message carries, in plain values.
StreamError ReadStreamError(GstMessage* message);

}  // namespace platform::media
