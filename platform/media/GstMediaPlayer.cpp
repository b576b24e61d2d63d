#include "platform/media/GstMediaPlayer.h"

#include "platform/media/FailureReason.h"
#include "platform/media/NetworkSourceGuard.h"
#include "platform/media/Playlist.h"
#include "platform/media/PlaylistFetcher.h"
#include "platform/media/StreamAddress.h"

#include <gst/audio/streamvolume.h>
#include <gst/gst.h>

#include <QMetaObject>
#include <QObject>
#include <QTimer>
#include <algorithm>
#include <atomic>
#include <cstdlib>
#include <deque>
#include <mutex>
#include <optional>
#include <thread>
#include <vector>

namespace platform::media {

namespace {

using Clock = std::chrono::steady_clock;

// playbin's flags: audio only. Volume and mute are a volume element of our own in front of
// the output (so they never touch the desktop's mixer): playbin's own soft volume left one
// volume element allocated per station start.
constexpr guint kPlayFlagAudio = 1u << 1;

// Playlists may point at playlists; this bounds the nesting and the addresses tried.
constexpr int kMaxPlaylistDepth = 4;
constexpr int kMaxAttemptsPerSession = 24;

// A server that has not answered the request within this many seconds is not going to: the
// HTTP source gives up then instead of after its default 15 s, so the listener learns it soon.
constexpr guint kSourceTimeoutSeconds = 8;

// A second read of an address the player already failed on only checks whether it serves a
// playlist; the server had its chance to answer already.
const FetchLimits kExamineLimits{256 * 1024, std::chrono::milliseconds(5000),
                                 std::chrono::milliseconds(5000)};

// Audio reaching the sink this long after its time was heard as a gap.
constexpr GstClockTime kLateness = 50 * GST_MSECOND;

int64_t NowNs() {
    return std::chrono::duration_cast<std::chrono::nanoseconds>(Clock::now().time_since_epoch())
        .count();
}

std::string SinkDescription(const GstPlayerOptions& options) {
    if (!options.audioSink.empty())
        return options.audioSink;
    const char* fromEnvironment = std::getenv("TUNELINK_AUDIO_SINK");
    return fromEnvironment ? fromEnvironment : "";
}

// The desktop's output when `description` is empty. A description that does not parse gives
// null and the reason, naming the description.
GstElement* MakeAudioSink(const std::string& description, std::string* error) {
    if (description.empty())
        return gst_element_factory_make("autoaudiosink", nullptr);
    GError* parseError = nullptr;
    GstElement* sink = gst_parse_bin_from_description(description.c_str(), TRUE, &parseError);
    if (!parseError)
        return sink;
    *error = "audio output \"" + description + "\": " + parseError->message;
    g_error_free(parseError);
    if (sink)
        gst_object_unref(sink);
    return nullptr;
}

struct MessageDeleter {
    void operator()(GstMessage* message) const { gst_message_unref(message); }
};
using MessagePtr = std::shared_ptr<GstMessage>;

enum class Phase {
    Idle,
    Resolving,  // reading a playlist
    Starting,   // connecting and filling the buffer before sound
    Playing,
    WaitingToReconnect,  // the stream dropped; a timer reopens it
    Stopped,
    Ended,
    Failed,
};

struct Candidate {
    std::string address;
    int depth = 0;
    bool contentExamined = false;  // already read once to see whether it is a playlist
    bool everPlayed = false;       // a failure after this is a drop, not a bad address
};

struct Fetch {
    std::shared_ptr<std::atomic<bool>> cancel;
    std::shared_ptr<std::atomic<bool>> done;
    std::thread thread;
};

}  // namespace

struct GstMediaPlayer::Impl {
    GstPlayerOptions options;
    GstElement* playbin = nullptr;
    GstElement* audioSink = nullptr;      // held, to tell the output's errors from the stream's
    GstElement* volumeElement = nullptr;  // inside the output bin, owned by it
    std::string sinkDescriptionError;     // the output description did not parse: nothing plays
    std::unique_ptr<QObject> context = std::make_unique<QObject>();
    MediaPlayerEvents* events = nullptr;

    std::string opened;
    std::string sessionAddress;  // what the current session was started with
    Phase phase = Phase::Idle;
    std::deque<Candidate> pending;
    Candidate current;
    int attempts = 0;
    bool prerollHandled = false;
    bool bufferingReported = false;
    bool playingThisConnection = false;
    bool soundHeard = false;       // this connection's sound reached the sink
    bool playingReported = false;  // "playing" was reported for this connection
    Clock::time_point playingSince;
    int reconnects = 0;
    // What the last failed attempt of this session told about its cause, if anything.
    std::optional<FailureKind> failureReason;
    unsigned startAttempt = 0;  // moves on with every start, so older deadlines lapse
    bool muted = false;
    int volume = 100;
    MediaItem item;

    // Written on streaming threads, read on the UI thread.
    std::atomic<unsigned> generation{0};
    std::atomic<int64_t> playingReachedNs{0};
    std::atomic<int64_t> soundAtSinkNs{0};     // first sound of the session
    std::atomic<bool> soundSeenAtSink{false};  // per connection
    std::atomic<int> underruns{0};
    std::atomic<bool> starving{false};

    std::vector<Fetch> fetches;

    // Play and Stop are requests: a burst of them (media keys held down, a flood of bus
    // calls) ends in its last command with one change of the pipeline, not one per call.
    enum class Command { None, Play, Stop, Refuse };
    Command wanted = Command::None;
    std::string wantedAddress;
    bool applyScheduled = false;
    Clock::time_point lastApplied{};

    ~Impl();

    // --- events, always delivered later from the event loop
    void Post(std::function<void(MediaPlayerEvents&)> call);
    void EmitState(PlayState state);
    void EmitOpenState(OpenState state);

    // --- session control
    void StartSession(const std::string& address);
    void StartNextCandidate();
    void StartPipeline();
    void ResetPipeline();
    void Fail();
    void FailWith(FailureKind kind, const std::string& detail);
    void NoteFailure(std::optional<FailureKind> reason);
    void Reconnect();
    void OnCandidateFailed(bool mayBePlaylist);
    void Request(Command command, std::string address = {});
    void ApplyRequested();
    void StopSession();
    void ArmStartDeadline();

    // --- playlists
    void StartFetch(Candidate candidate, const FetchLimits& limits = {});
    void OnFetched(Candidate candidate, const FetchedDocument& document);
    void ReapFetches(bool all);

    // --- bus
    static GstBusSyncReply OnSyncMessage(GstBus* bus, GstMessage* message, gpointer self);
    static GstBusSyncReply ForwardMessage(GstBus* bus, GstMessage* message, gpointer self);
    static GstPadProbeReturn OnSinkBuffer(GstPad* pad, GstPadProbeInfo* info, gpointer self);
    void CheckLateness(GstPad* pad, GstBuffer* buffer);
    void HandleMessage(GstMessage* message);
    void OnBuffering(int percent);
    void OnPrerolled();
    void OnPlayingReached();
    void NoteFirstSoundAtSink(GstPad* pad, GstBuffer* buffer);
    GstClockTimeDiff TimeUntilHeard(GstPad* pad, GstBuffer* buffer);
    bool DueAndNow(GstPad* pad, GstBuffer* buffer, GstClockTime& due, GstClockTime& now);
    void OnSoundAtSink();
    void ReportPlayingOnceHeard();
    void StopBufferingReports();
    void OnEndOfStream();
    void OnError(GstMessage* message);
    void OnSourceRefused();
    bool IsFromAudioOutput(GstMessage* message) const;
    void AttachAudioSink(GstElement* sink, bool automatic);
    static void OnAutoSinkChildAdded(GstBin* bin, GstElement* child, gpointer self);
    void OnTags(GstMessage* message);
    bool SourceHasKnownLength() const;
    void SetPipelineState(GstState state);
};

GstMediaPlayer::Impl::~Impl() {
    if (playbin) {
        gst_element_set_state(playbin, GST_STATE_NULL);
        GstBus* bus = gst_element_get_bus(playbin);
        gst_bus_set_sync_handler(bus, nullptr, nullptr, nullptr);
        gst_object_unref(bus);
    }
    ReapFetches(true);
    // Queued calls still waiting for this player die with the context object.
    context.reset();
    if (playbin)
        gst_object_unref(playbin);
    if (audioSink)
        gst_object_unref(audioSink);
}

void GstMediaPlayer::Impl::Post(std::function<void(MediaPlayerEvents&)> call) {
    QMetaObject::invokeMethod(
        context.get(),
        [this, call = std::move(call)] {
            if (events)
                call(*events);
        },
        Qt::QueuedConnection);
}

void GstMediaPlayer::Impl::EmitState(PlayState state) {
    Post([state](MediaPlayerEvents& e) { e.OnPlayStateChange(state); });
}

void GstMediaPlayer::Impl::EmitOpenState(OpenState state) {
    Post([state](MediaPlayerEvents& e) { e.OnOpenStateChange(state); });
}

void GstMediaPlayer::Impl::ResetPipeline() {
    for (Fetch& fetch : fetches) fetch.cancel->store(true);
    ReapFetches(false);
    // Setting NULL waits for the streaming threads, so nothing of the old connection is
    // posted after the generation moves on; what was already posted is ignored.
    gst_element_set_state(playbin, GST_STATE_NULL);
    ++generation;
    prerollHandled = false;
    playingThisConnection = false;
    soundSeenAtSink = false;
    soundHeard = false;
    playingReported = false;
}

void GstMediaPlayer::Impl::Request(Command command, std::string address) {
    wanted = command;
    wantedAddress = std::move(address);
    if (applyScheduled)
        return;
    applyScheduled = true;
    const auto since =
        std::chrono::duration_cast<std::chrono::milliseconds>(Clock::now() - lastApplied);
    const auto wait = std::max(std::chrono::milliseconds(0), options.commandSpacing - since);
    QTimer::singleShot(wait, context.get(), [this] { ApplyRequested(); });
}

void GstMediaPlayer::Impl::ApplyRequested() {
    applyScheduled = false;
    lastApplied = Clock::now();
    const Command command = std::exchange(wanted, Command::None);
    const bool busy = phase == Phase::Resolving || phase == Phase::Starting ||
                      phase == Phase::Playing || phase == Phase::WaitingToReconnect;
    switch (command) {
        case Command::Play:
            if (!busy || wantedAddress != sessionAddress)
                StartSession(wantedAddress);  // else already on its way with this address
            break;
        case Command::Stop:
            StopSession();
            break;
        case Command::Refuse:
            FailWith(FailureKind::Connection, "not a network stream address");
            break;
        case Command::None:
            break;
    }
}

void GstMediaPlayer::Impl::StopSession() {
    ResetPipeline();
    pending.clear();
    phase = Phase::Stopped;
    EmitState(PlayState::Stopped);
}

void GstMediaPlayer::Impl::StartSession(const std::string& address) {
    ResetPipeline();
    sessionAddress = address;
    playingReachedNs = 0;
    soundAtSinkNs = 0;
    pending.clear();
    pending.push_back(Candidate{address});
    attempts = 0;
    reconnects = 0;
    failureReason.reset();
    bufferingReported = false;
    EmitState(PlayState::Transitioning);
    EmitOpenState(OpenState::MediaChanging);
    ArmStartDeadline();
    StartNextCandidate();
}

// Playlists, redirects, connecting and buffering all count against one deadline: whatever
// the server does, the listener hears sound or an error within it.
void GstMediaPlayer::Impl::ArmStartDeadline() {
    const unsigned attempt = ++startAttempt;
    QTimer::singleShot(options.startDeadline, context.get(), [this, attempt] {
        const bool starting = phase == Phase::Resolving || phase == Phase::Starting;
        if (attempt != startAttempt || !starting)
            return;
        NoteFailure(FailureKind::NoAnswer);  // nothing playable came in time
        if (current.everPlayed) {
            Reconnect();  // counts as one failed attempt to reopen a dropped stream
            return;
        }
        pending.clear();
        Fail();
    });
}

void GstMediaPlayer::Impl::StartNextCandidate() {
    ResetPipeline();
    if (pending.empty() || ++attempts > kMaxAttemptsPerSession) {
        Fail();
        return;
    }
    current = pending.front();
    pending.pop_front();
    if (!current.contentExamined &&
        PlaylistFormatFromAddress(current.address) != PlaylistFormat::None) {
        StartFetch(current);
        return;
    }
    StartPipeline();
}

void GstMediaPlayer::Impl::StartPipeline() {
    ResetPipeline();
    phase = Phase::Starting;
    item = MediaItem{};
    item.name = current.address;
    item.sourceUrl = current.address;
    item.attributes["SourceURL"] = current.address;
    Post([snapshot = item](MediaPlayerEvents& e) { e.OnMediaChange(snapshot); });
    EmitOpenState(OpenState::MediaConnecting);
    g_object_set(playbin, "uri", current.address.c_str(), nullptr);
    // Without a lead the pipeline goes on to playing by itself as soon as it has prerolled.
    SetPipelineState(options.prebuffer.count() > 0 ? GST_STATE_PAUSED : GST_STATE_PLAYING);
}

void GstMediaPlayer::Impl::SetPipelineState(GstState state) {
    // A refused change posts an ERROR on the bus, which decides what happens next.
    gst_element_set_state(playbin, state);
}

void GstMediaPlayer::Impl::Fail() {
    FailWith(failureReason.value_or(FailureKind::Connection), {});
}

void GstMediaPlayer::Impl::NoteFailure(std::optional<FailureKind> reason) {
    if (reason)
        failureReason = reason;
}

void GstMediaPlayer::Impl::FailWith(FailureKind kind, const std::string& detail) {
    ResetPipeline();
    pending.clear();
    phase = Phase::Failed;
    Post([kind, detail](MediaPlayerEvents& e) { e.OnFailure(kind, detail); });
    EmitState(PlayState::Ready);
}

void GstMediaPlayer::Impl::OnCandidateFailed(bool mayBePlaylist) {
    if (current.everPlayed) {
        Reconnect();
        return;
    }
    if (mayBePlaylist && !current.contentExamined) {
        // The address did not name what its extension (or lack of one) promised: read it,
        // it may be a playlist served under an audio name.
        current.contentExamined = true;
        ResetPipeline();
        StartFetch(current, kExamineLimits);
        return;
    }
    StartNextCandidate();
}

void GstMediaPlayer::Impl::Reconnect() {
    const bool recovered =
        playingThisConnection && Clock::now() - playingSince >= options.stableAfter;
    if (recovered)
        reconnects = 0;
    ResetPipeline();
    if (reconnects >= options.maxReconnects) {
        Fail();
        return;
    }
    const auto delay = options.firstReconnectDelay * (1 << std::min(reconnects, 10));
    ++reconnects;
    phase = Phase::WaitingToReconnect;
    EmitState(PlayState::Reconnecting);
    const unsigned expected = generation;
    QTimer::singleShot(delay, context.get(), [this, expected] {
        if (generation == expected && phase == Phase::WaitingToReconnect) {
            ArmStartDeadline();
            StartPipeline();
        }
    });
}

// --- playlists ------------------------------------------------------------------------

void GstMediaPlayer::Impl::StartFetch(Candidate candidate, const FetchLimits& limits) {
    phase = Phase::Resolving;
    EmitOpenState(OpenState::PlaylistChanging);
    candidate.contentExamined = true;
    Fetch fetch{
        std::make_shared<std::atomic<bool>>(false), std::make_shared<std::atomic<bool>>(false), {}};
    const unsigned expected = generation;
    fetch.thread =
        std::thread([this, candidate, expected, limits, cancel = fetch.cancel, done = fetch.done] {
            FetchedDocument document = FetchDocument(candidate.address, *cancel, limits);
            QMetaObject::invokeMethod(
                context.get(),
                [this, candidate, expected, document = std::move(document)] {
                    if (generation == expected && phase == Phase::Resolving)
                        OnFetched(candidate, document);
                },
                Qt::QueuedConnection);
            done->store(true);
        });
    fetches.push_back(std::move(fetch));
}

void GstMediaPlayer::Impl::ReapFetches(bool all) {
    for (auto it = fetches.begin(); it != fetches.end();) {
        if (all)
            it->cancel->store(true);
        if (all || it->done->load()) {
            it->thread.join();
            it = fetches.erase(it);
        } else {
            ++it;
        }
    }
}

void GstMediaPlayer::Impl::OnFetched(Candidate candidate, const FetchedDocument& document) {
    current = candidate;
    if (!document.ok) {
        NoteFailure(FailureFromFetch(document.curlCode, document.httpStatus));
        StartNextCandidate();
        return;
    }
    PlaylistFormat format = SniffPlaylistFormat(document.body);
    if (format == PlaylistFormat::None && !document.truncated) {
        format = PlaylistFormatFromContentType(document.contentType);
        if (format == PlaylistFormat::None)
            format = PlaylistFormatFromAddress(candidate.address);
    }
    if (format == PlaylistFormat::Hls) {
        StartPipeline();  // an HLS index: the player reads it itself
        return;
    }
    if (format == PlaylistFormat::None && document.truncated) {
        // Audio after all. An address read for its playlist extension is played; one read
        // because the player failed on it has nothing more to offer.
        if (PlaylistFormatFromAddress(candidate.address) != PlaylistFormat::None)
            StartPipeline();
        else
            StartNextCandidate();
        return;
    }
    if (format == PlaylistFormat::None)
        NoteFailure(FailureKind::NotAudio);  // text, but no playlist: a web page, say
    const auto entries = ParsePlaylist(format, document.body, document.effectiveAddress);
    std::vector<Candidate> found;
    for (const PlaylistEntry& entry : entries) {
        auto address = NormaliseStreamAddress(entry.address);
        if (!address || candidate.depth >= kMaxPlaylistDepth)
            continue;  // never a local file or a foreign scheme, whatever the list says
        Candidate next{*address, candidate.depth + 1};
        // An <entryref> is read as a list; any other entry is played, and read only if the
        // player cannot make sense of it.
        if (entry.isPlaylist)
            next.contentExamined = false;
        found.push_back(std::move(next));
    }
    if (!found.empty())
        EmitOpenState(OpenState::PlaylistChanged);
    pending.insert(pending.begin(), found.begin(), found.end());
    StartNextCandidate();
}

// --- bus ------------------------------------------------------------------------------

// A sync handler that answers "drop" owns the message and must release it; without that,
// every message, and through it the element that posted it, stayed allocated: a whole
// pipeline's worth per station start.
GstBusSyncReply GstMediaPlayer::Impl::OnSyncMessage(GstBus* bus, GstMessage* message,
                                                    gpointer data) {
    ForwardMessage(bus, message, data);
    gst_message_unref(message);
    return GST_BUS_DROP;
}

// Hands the messages the player acts on to its thread (with a reference of their own).
GstBusSyncReply GstMediaPlayer::Impl::ForwardMessage(GstBus*, GstMessage* message, gpointer data) {
    auto* self = static_cast<Impl*>(data);
    switch (GST_MESSAGE_TYPE(message)) {
        case GST_MESSAGE_STATE_CHANGED:
            if (GST_MESSAGE_SRC(message) != GST_OBJECT(self->playbin))
                return GST_BUS_DROP;
            {
                GstState oldState, newState, pendingState;
                gst_message_parse_state_changed(message, &oldState, &newState, &pendingState);
                if (newState == GST_STATE_PLAYING && self->playingReachedNs == 0)
                    self->playingReachedNs = NowNs();
            }
            break;
        case GST_MESSAGE_BUFFERING:
            // The fill level only matters before the first sound; once playing, the network
            // queue reports it dozens of times a second and nobody listens.
            if (self->playingReachedNs != 0)
                return GST_BUS_DROP;
            break;
        case GST_MESSAGE_ERROR:
        case GST_MESSAGE_EOS:
        case GST_MESSAGE_TAG:
        case GST_MESSAGE_ASYNC_DONE:
            break;
        default:
            return GST_BUS_DROP;
    }
    // Messages come from streaming threads; the player's state lives on the UI thread.
    const unsigned generation = self->generation;
    MessagePtr held(gst_message_ref(message), MessageDeleter{});
    QMetaObject::invokeMethod(
        self->context.get(),
        [self, held, generation] {
            if (generation == self->generation)
                self->HandleMessage(held.get());
        },
        Qt::QueuedConnection);
    return GST_BUS_DROP;
}

GstPadProbeReturn GstMediaPlayer::Impl::OnSinkBuffer(GstPad* pad, GstPadProbeInfo* info,
                                                     gpointer data) {
    auto* self = static_cast<Impl*>(data);
    if (GstBuffer* buffer = GST_PAD_PROBE_INFO_BUFFER(info)) {
        self->NoteFirstSoundAtSink(pad, buffer);
        self->CheckLateness(pad, buffer);
    }
    return GST_PAD_PROBE_OK;
}

// The pipeline says PLAYING before anything can be heard: the sink may still wait for its
// first buffer, or hold it until its time. The first buffer that reaches the sink while the
// sink plays marks the sound (the one prerolled before was rendered just ahead of it); it is
// heard when the clock reaches its time. Runs on the streaming thread.
void GstMediaPlayer::Impl::NoteFirstSoundAtSink(GstPad* pad, GstBuffer* buffer) {
    if (soundSeenAtSink.load(std::memory_order_relaxed))
        return;
    GST_OBJECT_LOCK(audioSink);
    const bool sinkPlaying = GST_STATE(audioSink) == GST_STATE_PLAYING;
    GST_OBJECT_UNLOCK(audioSink);
    if (!sinkPlaying || soundSeenAtSink.exchange(true))
        return;
    const auto wait =
        std::chrono::nanoseconds(std::max<GstClockTimeDiff>(0, TimeUntilHeard(pad, buffer)));
    int64_t unset = 0;
    soundAtSinkNs.compare_exchange_strong(unset, NowNs() + wait.count());
    const unsigned expected = generation;
    QMetaObject::invokeMethod(
        context.get(),
        [this, expected, wait] {
            QTimer::singleShot(std::chrono::ceil<std::chrono::milliseconds>(wait), context.get(),
                               [this, expected] {
                                   if (generation == expected)
                                       OnSoundAtSink();
                               });
        },
        Qt::QueuedConnection);
}

// The running time at which `buffer` is due (may be GST_CLOCK_TIME_NONE, outside its segment)
// and the pipeline's running time now; false without a clock, a segment or a timestamp.
bool GstMediaPlayer::Impl::DueAndNow(GstPad* pad, GstBuffer* buffer, GstClockTime& due,
                                     GstClockTime& now) {
    if (!GST_BUFFER_PTS_IS_VALID(buffer))
        return false;
    GstClock* clock = gst_element_get_clock(playbin);
    GstEvent* event = gst_pad_get_sticky_event(pad, GST_EVENT_SEGMENT, 0);
    bool known = false;
    if (clock && event) {
        const GstSegment* segment = nullptr;
        gst_event_parse_segment(event, &segment);
        due = gst_segment_to_running_time(segment, GST_FORMAT_TIME, GST_BUFFER_PTS(buffer));
        now = gst_clock_get_time(clock) - gst_element_get_base_time(playbin);
        known = true;
    }
    if (event)
        gst_event_unref(event);
    if (clock)
        gst_object_unref(clock);
    return known;
}

// How long until `buffer` is heard: its running time plus the pipeline's latency, against
// the clock; 0 when that cannot be told.
GstClockTimeDiff GstMediaPlayer::Impl::TimeUntilHeard(GstPad* pad, GstBuffer* buffer) {
    GstClockTime due = 0, now = 0;
    if (!DueAndNow(pad, buffer, due, now) || !GST_CLOCK_TIME_IS_VALID(due))
        return 0;
    return GST_CLOCK_DIFF(now, due + gst_pipeline_get_latency(GST_PIPELINE(playbin)));
}

// Runs on the streaming thread for every buffer that reaches the sink. Audio that arrives
// after the moment it should be heard means the listener heard a gap.
void GstMediaPlayer::Impl::CheckLateness(GstPad* pad, GstBuffer* buffer) {
    GST_OBJECT_LOCK(playbin);
    const bool playing = GST_STATE(playbin) == GST_STATE_PLAYING;
    GST_OBJECT_UNLOCK(playbin);
    GstClockTime due = 0, now = 0;
    if (!playing || !DueAndNow(pad, buffer, due, now))
        return;
    const bool late = GST_CLOCK_TIME_IS_VALID(due) && now > due + kLateness;
    if (late && !starving)
        ++underruns;
    starving = late;
}

void GstMediaPlayer::Impl::HandleMessage(GstMessage* message) {
    switch (GST_MESSAGE_TYPE(message)) {
        case GST_MESSAGE_STATE_CHANGED: {
            GstState oldState, newState, pendingState;
            gst_message_parse_state_changed(message, &oldState, &newState, &pendingState);
            if (newState == GST_STATE_PLAYING)
                OnPlayingReached();
            break;
        }
        case GST_MESSAGE_ASYNC_DONE:
            if (phase == Phase::Starting)
                OnPrerolled();
            break;
        case GST_MESSAGE_BUFFERING: {
            gint percent = 0;
            gst_message_parse_buffering(message, &percent);
            OnBuffering(percent);
            break;
        }
        case GST_MESSAGE_EOS:
            OnEndOfStream();
            break;
        case GST_MESSAGE_ERROR:
            OnError(message);
            break;
        case GST_MESSAGE_TAG:
            OnTags(message);
            break;
        default:
            break;
    }
}

void GstMediaPlayer::Impl::OnBuffering(int percent) {
    // The network queue's fill level is shown, not obeyed. While the pipeline prerolls, the
    // demuxer's queues take everything the network queue holds, so it reports 100 % only
    // after seconds of audio have piled up behind it (the bare playbin's slow start); and a
    // live stream arrives no faster than it plays, so later it hovers near empty and pausing
    // on it would stall the sound again and again. The lead is built in OnPrerolled instead.
    if (phase == Phase::Starting && percent < 100 && !bufferingReported) {
        bufferingReported = true;
        EmitState(PlayState::Buffering);
    }
}

void GstMediaPlayer::Impl::OnPrerolled() {
    if (prerollHandled || options.prebuffer.count() == 0)
        return;  // without a lead, playing was asked for at the start
    prerollHandled = true;
    // The first audio sits at the sink. While the clock stands still the stream keeps
    // arriving, so waiting here gives the sound a lead over the network of this length.
    const unsigned expected = generation;
    QTimer::singleShot(options.prebuffer, context.get(), [this, expected] {
        if (generation == expected && phase == Phase::Starting)
            SetPipelineState(GST_STATE_PLAYING);
    });
}

// Once the sound runs, the network queues' fill level matters to nobody, yet they report it
// dozens of times a second, and with GStreamer 1.22 those reports are never all freed even
// when our bus handler drops them at once (measured: about 5 MB a minute, so a radio left
// playing for a day would grow by gigabytes). Switching the reports off after the start
// keeps memory flat.
void GstMediaPlayer::Impl::StopBufferingReports() {
    GstIterator* it = gst_bin_iterate_recurse(GST_BIN(playbin));
    GValue item = G_VALUE_INIT;
    while (gst_iterator_next(it, &item) == GST_ITERATOR_OK) {
        GstElement* element = GST_ELEMENT(g_value_get_object(&item));
        if (g_object_class_find_property(G_OBJECT_GET_CLASS(element), "use-buffering"))
            g_object_set(element, "use-buffering", FALSE, nullptr);
        g_value_reset(&item);
    }
    g_value_unset(&item);
    gst_iterator_free(it);
}

void GstMediaPlayer::Impl::OnPlayingReached() {
    if (phase != Phase::Starting)
        return;
    playingThisConnection = true;
    playingSince = Clock::now();
    phase = Phase::Playing;
    current.everPlayed = true;
    StopBufferingReports();
    bufferingReported = false;
    EmitOpenState(OpenState::MediaOpen);
    ReportPlayingOnceHeard();
}

void GstMediaPlayer::Impl::OnSoundAtSink() {
    soundHeard = true;
    ReportPlayingOnceHeard();
}

// "Playing" needs both: the pipeline reached PLAYING, and its sound reached the sink. Either
// may come first.
void GstMediaPlayer::Impl::ReportPlayingOnceHeard() {
    if (phase != Phase::Playing || !soundHeard || playingReported)
        return;
    playingReported = true;
    EmitState(PlayState::Playing);
}

bool GstMediaPlayer::Impl::SourceHasKnownLength() const {
    GstElement* source = nullptr;
    g_object_get(playbin, "source", &source, nullptr);
    if (!source)
        return false;
    gint64 bytes = -1;
    const bool known = gst_element_query_duration(source, GST_FORMAT_BYTES, &bytes) && bytes > 0;
    gst_object_unref(source);
    return known;
}

void GstMediaPlayer::Impl::OnEndOfStream() {
    // The end comes after the last buffer reached the sink: a sink that does not wait for
    // the clock (a file) may get there before the first one was due.
    if (soundSeenAtSink)
        OnSoundAtSink();
    if (!current.everPlayed) {
        OnCandidateFailed(false);
        return;
    }
    // A live stream never ends by itself: its end is a dropped connection.
    if (!SourceHasKnownLength()) {
        Reconnect();
        return;
    }
    ResetPipeline();
    phase = Phase::Ended;
    EmitState(PlayState::MediaEnded);
}

void GstMediaPlayer::Impl::OnError(GstMessage* message) {
    GError* error = nullptr;
    gchar* debug = nullptr;
    gst_message_parse_error(message, &error, &debug);
    const GstStructure* details = nullptr;
    gst_message_parse_error_details(message, &details);
    const std::optional<FailureKind> reason = FailureFromStreamError(error, details);
    const long code = error ? error->code : 0;
    std::string description = error ? error->message : "unknown error";
    // Stream-format trouble may mean the address serves a playlist; network trouble does not.
    const bool mayBePlaylist =
        error &&
        (error->domain == GST_STREAM_ERROR ||
         (error->domain == GST_CORE_ERROR && error->code == GST_CORE_ERROR_MISSING_PLUGIN));
    const bool refusedSource = IsRefusedSourceError(error);
    const bool outputFailed = IsFromAudioOutput(message);
    if (error)
        g_error_free(error);
    g_free(debug);
    Post([code, description](MediaPlayerEvents& e) { e.OnError(code, description); });
    if (outputFailed && phase != Phase::Failed)
        FailWith(FailureKind::NoAudioOutput, description);  // no other address would help
    else if (refusedSource)
        OnSourceRefused();
    else if (phase == Phase::Starting || phase == Phase::Playing) {
        NoteFailure(reason);
        OnCandidateFailed(mayBePlaylist);
    }
}

bool GstMediaPlayer::Impl::IsFromAudioOutput(GstMessage* message) const {
    GstObject* source = GST_MESSAGE_SRC(message);
    return audioSink && source &&
           (source == GST_OBJECT(audioSink) ||
            gst_object_has_as_ancestor(source, GST_OBJECT(audioSink)));
}

void GstMediaPlayer::Impl::AttachAudioSink(GstElement* sink, bool automatic) {
    audioSink = GST_ELEMENT(gst_object_ref_sink(sink));
    GstElement* output = gst_bin_new("output");
    volumeElement = gst_element_factory_make("volume", "volume");
    gst_bin_add_many(GST_BIN(output), volumeElement, audioSink, nullptr);
    gst_element_link(volumeElement, audioSink);
    GstPad* volumeInput = gst_element_get_static_pad(volumeElement, "sink");
    gst_element_add_pad(output, gst_ghost_pad_new("sink", volumeInput));
    gst_object_unref(volumeInput);
    g_object_set(playbin, "audio-sink", output, nullptr);
    if (GstPad* pad = gst_element_get_static_pad(audioSink, "sink")) {
        gst_pad_add_probe(pad, GST_PAD_PROBE_TYPE_BUFFER, &Impl::OnSinkBuffer, this, nullptr);
        gst_object_unref(pad);
    }
    // A sink named by the user is their choice, even a dummy one (tests use fakesink).
    if (automatic)
        g_signal_connect(audioSink, "element-added", G_CALLBACK(&Impl::OnAutoSinkChildAdded), this);
}

// The desktop's automatic output tries every kind of device and, finding none that opens,
// quietly plays into a dummy. The radio must not claim to play then: nothing can be heard.
void GstMediaPlayer::Impl::OnAutoSinkChildAdded(GstBin*, GstElement* child, gpointer data) {
    auto* self = static_cast<Impl*>(data);
    GstElementFactory* factory = gst_element_get_factory(child);
    const bool dummy =
        factory &&
        std::string(gst_plugin_feature_get_name(GST_PLUGIN_FEATURE(factory))) == "fakesink";
    if (!dummy)
        return;
    // Streaming thread: the decision is taken on the player's thread, for this connection only.
    const unsigned generation = self->generation;
    QMetaObject::invokeMethod(
        self->context.get(),
        [self, generation] {
            if (generation == self->generation && self->phase != Phase::Failed)
                self->FailWith(FailureKind::NoAudioOutput, "no sound device found");
        },
        Qt::QueuedConnection);
}

// The stream asked for a local file (or another non-network source) somewhere inside. It is
// not reopened, since every attempt would ask again; a playlist's next entry may be tried.
void GstMediaPlayer::Impl::OnSourceRefused() {
    if (phase == Phase::Starting || phase == Phase::Playing)
        StartNextCandidate();
}

void GstMediaPlayer::Impl::OnTags(GstMessage* message) {
    GstTagList* tags = nullptr;
    gst_message_parse_tag(message, &tags);
    if (!tags)
        return;
    MediaItem updated = item;
    const auto copyText = [&](const char* tag, const char* attribute) {
        gchar* value = nullptr;
        if (gst_tag_list_get_string(tags, tag, &value) && value) {
            updated.attributes[attribute] = value;
        }
        g_free(value);
    };
    copyText(GST_TAG_TITLE, "Title");
    copyText(GST_TAG_ARTIST, "Author");
    copyText(GST_TAG_ORGANIZATION, "Name");
    guint bitrate = 0;
    if (gst_tag_list_get_uint(tags, GST_TAG_BITRATE, &bitrate) ||
        gst_tag_list_get_uint(tags, GST_TAG_NOMINAL_BITRATE, &bitrate))
        updated.attributes["Bitrate"] = std::to_string(bitrate);
    gst_tag_list_unref(tags);
    if (auto name = updated.attributes.find("Name"); name != updated.attributes.end())
        updated.name = name->second;
    // Demuxer and decoder both announce the same tags: report only what is new.
    if (updated.attributes == item.attributes && updated.name == item.name)
        return;
    item = updated;
    Post([snapshot = item](MediaPlayerEvents& e) { e.OnMediaChange(snapshot); });
}

// --- public face ----------------------------------------------------------------------

bool GstMediaPlayer::CheckAvailable(std::string* missing) {
    static std::once_flag once;
    static bool initialised = false;
    std::call_once(once, [] {
        initialised = gst_init_check(nullptr, nullptr, nullptr);
        if (initialised)
            InstallNetworkSourceGuard();
    });
    if (!initialised) {
        if (missing)
            *missing = "GStreamer";
        return false;
    }
    std::string absent;
    for (const char* name : {"playbin", "uridecodebin", "souphttpsrc", "queue2", "typefind",
                             "audioconvert", "audioresample", "volume", "autoaudiosink"}) {
        if (GstElementFactory* factory = gst_element_factory_find(name))
            gst_object_unref(factory);
        else
            absent += std::string(absent.empty() ? "" : ", ") + name;
    }
    bool anyDecoder = false;
    for (const char* name : {"mpg123audiodec", "avdec_mp3", "vorbisdec", "avdec_aac"}) {
        if (GstElementFactory* factory = gst_element_factory_find(name)) {
            gst_object_unref(factory);
            anyDecoder = true;
        }
    }
    if (!anyDecoder)
        absent += std::string(absent.empty() ? "" : ", ") + "an audio decoder";
    if (missing)
        *missing = absent;
    return absent.empty();
}

std::unique_ptr<GstMediaPlayer> GstMediaPlayer::Create(std::string* error,
                                                       GstPlayerOptions options) {
    std::string missing;
    if (!CheckAvailable(&missing)) {
        if (error)
            *error = "missing: " + missing;
        return nullptr;
    }
    const std::string description = SinkDescription(options);
    std::string descriptionError;
    GstElement* sink = MakeAudioSink(description, &descriptionError);
    GstElement* playbin = gst_element_factory_make("playbin", nullptr);
    if ((!sink && descriptionError.empty()) || !playbin) {
        if (error)
            *error = "cannot create the playback pipeline";
        if (sink)
            gst_object_unref(sink);
        if (playbin)
            gst_object_unref(playbin);
        return nullptr;
    }

    auto impl = std::make_unique<Impl>();
    impl->options = std::move(options);
    impl->playbin = GST_ELEMENT(gst_object_ref_sink(playbin));
    impl->sinkDescriptionError = descriptionError;
    const gint64 prebufferNs =
        std::chrono::duration_cast<std::chrono::nanoseconds>(impl->options.prebuffer).count();
    g_object_set(playbin, "flags", kPlayFlagAudio, "buffer-duration", prebufferNs, nullptr);
    if (sink)
        impl->AttachAudioSink(sink, description.empty());
    g_signal_connect(playbin, "source-setup",
                     G_CALLBACK(+[](GstElement*, GstElement* source, gpointer) {
                         GObjectClass* kind = G_OBJECT_GET_CLASS(source);
                         if (g_object_class_find_property(kind, "user-agent"))
                             g_object_set(source, "user-agent", "Tunelink/1.0", nullptr);
                         if (g_object_class_find_property(kind, "timeout"))
                             g_object_set(source, "timeout", kSourceTimeoutSeconds, nullptr);
                     }),
                     nullptr);
    GstBus* bus = gst_element_get_bus(playbin);
    gst_bus_set_sync_handler(bus, &Impl::OnSyncMessage, impl.get(), nullptr);
    gst_object_unref(bus);

    auto player = std::unique_ptr<GstMediaPlayer>(new GstMediaPlayer(std::move(impl)));
    player->SetVolume(100);
    return player;
}

GstMediaPlayer::GstMediaPlayer(std::unique_ptr<Impl> impl) : impl_(std::move(impl)) {}

GstMediaPlayer::~GstMediaPlayer() = default;

void GstMediaPlayer::SetEvents(MediaPlayerEvents* events) {
    impl_->events = events;
}

void GstMediaPlayer::Open(const std::string& address) {
    impl_->opened = address;
}

bool GstMediaPlayer::Play() {
    Impl& p = *impl_;
    if (!p.sinkDescriptionError.empty()) {
        p.Post([error = p.sinkDescriptionError](MediaPlayerEvents& e) { e.OnError(0, error); });
        p.FailWith(FailureKind::AudioOutputInvalid, SinkDescription(p.options));
        return false;
    }
    const auto address = NormaliseStreamAddress(p.opened);
    if (!address) {
        p.Request(Impl::Command::Refuse);
        return false;
    }
    p.Request(Impl::Command::Play, *address);
    return true;
}

bool GstMediaPlayer::Stop() {
    impl_->Request(Impl::Command::Stop);
    return true;
}

bool GstMediaPlayer::Muted() const {
    return impl_->muted;
}

void GstMediaPlayer::SetMuted(bool muted) {
    impl_->muted = muted;
    if (impl_->volumeElement)
        g_object_set(impl_->volumeElement, "mute", muted ? TRUE : FALSE, nullptr);
}

int GstMediaPlayer::Volume() const {
    return impl_->volume;
}

void GstMediaPlayer::SetVolume(int volume) {
    impl_->volume = std::clamp(volume, 0, 100);
    // The cubic scale follows loudness as heard: 50 sounds about half as loud as 100.
    if (impl_->volumeElement)
        gst_stream_volume_set_volume(GST_STREAM_VOLUME(impl_->volumeElement),
                                     GST_STREAM_VOLUME_FORMAT_CUBIC, impl_->volume / 100.0);
}

std::optional<std::chrono::steady_clock::time_point> GstMediaPlayer::SoundStartedAt() const {
    const int64_t sound = impl_->soundAtSinkNs;
    if (sound == 0)
        return std::nullopt;
    return Clock::time_point(std::chrono::nanoseconds(sound));
}

int GstMediaPlayer::UnderrunCount() const {
    return impl_->underruns;
}

std::string GstMediaPlayer::CurrentStreamAddress() const {
    return impl_->current.address;
}

}  // namespace platform::media
