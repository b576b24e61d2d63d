#include "platform/media/GstMediaPlayer.h"

#include "platform/media/FailureReason.h"
#include "platform/media/PlaybinPipeline.h"
#include "platform/media/PlaylistFetcher.h"
#include "platform/media/PlaylistResolver.h"
#include "platform/media/ReconnectPolicy.h"
#include "platform/media/StreamAddress.h"

#include <QMetaObject>
#include <QObject>
#include <QTimer>
#include <algorithm>
#include <cstdlib>
#include <functional>
#include <optional>

namespace platform::media {

namespace {

using Clock = std::chrono::steady_clock;

std::string SinkDescription(const GstPlayerOptions& options) {
    if (!options.audioSink.empty())
        return options.audioSink;
    const char* fromEnvironment = std::getenv("TUNELINK_AUDIO_SINK");
    return fromEnvironment ? fromEnvironment : "";
}

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

}  // namespace

struct GstMediaPlayer::Impl final : PipelineListener {
    explicit Impl(GstPlayerOptions playerOptions)
        : options(std::move(playerOptions)),
          sinkDescription(SinkDescription(options)),
          reconnects({options.maxReconnects, options.firstReconnectDelay, options.stableAfter}) {}

    GstPlayerOptions options;
    std::string sinkDescription;
    std::unique_ptr<PlaybinPipeline> pipeline;
    std::unique_ptr<QObject> context = std::make_unique<QObject>();
    MediaPlayerEvents* events = nullptr;

    std::string opened;
    std::string sessionAddress;  // what the current session was started with
    Phase phase = Phase::Idle;
    PlaylistResolver resolver;
    ReconnectPolicy reconnects;
    bool prerollHandled = false;
    bool bufferingReported = false;
    bool rebuffering = false;
    bool playingThisConnection = false;
    bool soundHeard = false;       // this connection's sound reached the listener
    bool playingReported = false;  // "playing" was reported for this connection
    Clock::time_point playingSince;
    // What the last failed attempt of this session told about its cause, if anything.
    std::optional<FailureKind> failureReason;
    unsigned startAttempt = 0;  // moves on with every start, so older deadlines lapse
    bool muted = false;
    int volume = 100;
    MediaItem item;
    FetchThreads reads;

    // Play and Stop are requests: a burst of them (media keys held down, a flood of bus
    // calls) changes the pipeline at most once per spacing, ending in its last command, not
    // once per call.
    enum class Command { None, Play, Stop, Refuse };
    Command wanted = Command::None;
    std::string wantedAddress;
    bool applyScheduled = false;
    Clock::time_point lastApplied{};

    ~Impl() override;

    // --- events, always delivered later from the event loop
    void Post(std::function<void(MediaPlayerEvents&)> call);
    void EmitState(PlayState state);
    void EmitOpenState(OpenState state);

    // --- session control
    void Request(Command command, std::string address = {});
    void ApplyRequested();
    void StartSession(const std::string& address);
    void StopSession();
    void ArmStartDeadline();
    void Act(const ResolverStep& step);
    void StartPipeline();
    void ResetPipeline();
    void Fail();
    void FailWith(FailureKind kind, const std::string& detail);
    void OnCandidateFailed(bool mayBePlaylist);
    void Reconnect();
    void ReportPlayingOnceHeard();

    // --- playlists
    void StartRead(const FetchLimits& limits);

    // --- the pipeline's news
    void OnPlayingReached() override;
    void OnPrerolled() override;
    void OnBuffering(int percent) override;
    void OnSoundHeard() override;
    void OnEndOfStream(bool soundReachedSink) override;
    void OnStreamError(const StreamError& error) override;
    void OnTags(const std::map<std::string, std::string>& attributes) override;
    void OnNoSoundDevice() override;
    void OnStarved() override;
};

GstMediaPlayer::Impl::~Impl() {
    pipeline.reset();  // its streaming threads end first
    reads.JoinAll();
    // Queued calls still waiting for this player die with the context object.
    context.reset();
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
    reads.CancelAll();
    pipeline->Reset();
    prerollHandled = false;
    rebuffering = false;
    playingThisConnection = false;
    soundHeard = false;
    playingReported = false;
}

void GstMediaPlayer::Impl::Request(Command command, std::string address) {
    wanted = command;
    wantedAddress = std::move(address);
    if (applyScheduled)
        return;
    const auto since =
        std::chrono::duration_cast<std::chrono::milliseconds>(Clock::now() - lastApplied);
    const auto wait = std::max(std::chrono::milliseconds(0), options.commandSpacing - since);
    // The first command after a quiet spell is carried out at once: handed to the event loop,
    // it waited behind the window's repaint for the click before the stream was even asked
    // for. Its events still arrive through the loop.
    if (wait.count() == 0) {
        ApplyRequested();
        return;
    }
    applyScheduled = true;
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
    resolver.Clear();
    phase = Phase::Stopped;
    EmitState(PlayState::Stopped);
}

void GstMediaPlayer::Impl::StartSession(const std::string& address) {
    ResetPipeline();
    sessionAddress = address;
    pipeline->ForgetSoundStart();
    resolver.Start(address);
    reconnects.Reset();
    failureReason.reset();
    bufferingReported = false;
    EmitState(PlayState::Transitioning);
    EmitOpenState(OpenState::MediaChanging);
    ArmStartDeadline();
    Act(resolver.Next());
}

// Playlists, redirects, connecting and buffering all count against one deadline: whatever
// the server does, the listener hears sound or an error within it.
void GstMediaPlayer::Impl::ArmStartDeadline() {
    const unsigned attempt = ++startAttempt;
    QTimer::singleShot(options.startDeadline, context.get(), [this, attempt] {
        const bool starting = phase == Phase::Resolving || phase == Phase::Starting;
        if (attempt != startAttempt || !starting)
            return;
        failureReason = FailureKind::NoAnswer;  // nothing playable came in time
        if (resolver.Current().everPlayed) {
            Reconnect();  // counts as one failed attempt to reopen a dropped stream
            return;
        }
        resolver.Clear();
        Fail();
    });
}

// Does what the resolver decided, after noting what it learned.
void GstMediaPlayer::Impl::Act(const ResolverStep& step) {
    if (step.failure)
        failureReason = step.failure;
    if (step.playlistChanged)
        EmitOpenState(OpenState::PlaylistChanged);
    ResetPipeline();
    switch (step.action) {
        case ResolverStep::Action::Read:
            StartRead(step.limits);
            break;
        case ResolverStep::Action::Play:
            StartPipeline();
            break;
        case ResolverStep::Action::GiveUp:
            Fail();
            break;
    }
}

void GstMediaPlayer::Impl::StartPipeline() {
    ResetPipeline();
    phase = Phase::Starting;
    const std::string& address = resolver.Current().address;
    item = MediaItem{};
    item.name = address;
    item.sourceUrl = address;
    item.attributes["SourceURL"] = address;
    Post([snapshot = item](MediaPlayerEvents& e) { e.OnMediaChange(snapshot); });
    EmitOpenState(OpenState::MediaConnecting);
    pipeline->Open(address);
}

void GstMediaPlayer::Impl::Fail() {
    FailWith(failureReason.value_or(FailureKind::Connection), {});
}

void GstMediaPlayer::Impl::FailWith(FailureKind kind, const std::string& detail) {
    ResetPipeline();
    resolver.Clear();
    phase = Phase::Failed;
    Post([kind, detail](MediaPlayerEvents& e) { e.OnFailure(kind, detail); });
    EmitState(PlayState::Ready);
}

void GstMediaPlayer::Impl::OnCandidateFailed(bool mayBePlaylist) {
    if (resolver.Current().everPlayed)
        Reconnect();
    else
        Act(resolver.OnFailed(mayBePlaylist));
}

void GstMediaPlayer::Impl::Reconnect() {
    std::optional<std::chrono::milliseconds> uptime;
    if (playingThisConnection)
        uptime = std::chrono::duration_cast<std::chrono::milliseconds>(Clock::now() - playingSince);
    ResetPipeline();
    const auto delay = reconnects.OnDrop(uptime);
    if (!delay) {
        Fail();
        return;
    }
    phase = Phase::WaitingToReconnect;
    EmitState(PlayState::Reconnecting);
    const unsigned expected = pipeline->Connection();
    QTimer::singleShot(*delay, context.get(), [this, expected] {
        if (pipeline->Connection() == expected && phase == Phase::WaitingToReconnect) {
            ArmStartDeadline();
            StartPipeline();
        }
    });
}

// "Playing" needs both: the pipeline reached PLAYING, and its sound reached the listener.
// Either may come first.
void GstMediaPlayer::Impl::ReportPlayingOnceHeard() {
    if (phase != Phase::Playing || !soundHeard || playingReported)
        return;
    playingReported = true;
    EmitState(PlayState::Playing);
}

// --- playlists ------------------------------------------------------------------------

void GstMediaPlayer::Impl::StartRead(const FetchLimits& limits) {
    phase = Phase::Resolving;
    EmitOpenState(OpenState::PlaylistChanging);
    const unsigned expected = pipeline->Connection();
    reads.Start(resolver.Current().address, limits, [this, expected](FetchedDocument document) {
        QMetaObject::invokeMethod(
            context.get(),
            [this, expected, document = std::move(document)] {
                if (pipeline->Connection() == expected && phase == Phase::Resolving)
                    Act(resolver.OnRead(document));
            },
            Qt::QueuedConnection);
    });
}

// --- the pipeline's news --------------------------------------------------------------

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
    if (phase != Phase::Starting || prerollHandled || options.prebuffer.count() == 0)
        return;  // without a lead, playing was asked for at the start
    prerollHandled = true;
    // The first audio sits at the sink. While the clock stands still the stream keeps
    // arriving, so waiting here gives the sound a lead over the network of this length.
    const unsigned expected = pipeline->Connection();
    QTimer::singleShot(options.prebuffer, context.get(), [this, expected] {
        if (pipeline->Connection() == expected && phase == Phase::Starting)
            pipeline->Resume();
    });
}

// A live stream arrives no faster than it plays, so the sound's lead over the network is only
// what it had when it started; every stall longer than that is heard. Holding the sound for a
// moment once it ran dry turns the stutter to come into one pause: the stream fills the
// queue meanwhile, and the next stalls are played through.
void GstMediaPlayer::Impl::OnStarved() {
    if (phase != Phase::Playing || rebuffering || options.rebuffer.count() == 0) {
        pipeline->DeclineHold();
        return;
    }
    rebuffering = true;
    pipeline->Hold();
    const unsigned expected = pipeline->Connection();
    QTimer::singleShot(options.rebuffer, context.get(), [this, expected] {
        if (pipeline->Connection() != expected)
            return;
        rebuffering = false;
        if (phase == Phase::Playing)
            pipeline->Resume();
    });
}

void GstMediaPlayer::Impl::OnPlayingReached() {
    if (phase != Phase::Starting)
        return;
    playingThisConnection = true;
    playingSince = Clock::now();
    phase = Phase::Playing;
    resolver.MarkPlayed();
    pipeline->StopBufferingReports();
    bufferingReported = false;
    EmitOpenState(OpenState::MediaOpen);
    ReportPlayingOnceHeard();
}

void GstMediaPlayer::Impl::OnSoundHeard() {
    soundHeard = true;
    ReportPlayingOnceHeard();
}

void GstMediaPlayer::Impl::OnEndOfStream(bool soundReachedSink) {
    // The end comes after the last buffer reached the sink: a sink that does not wait for
    // the clock (a file) may get there before the first one was due.
    if (soundReachedSink)
        OnSoundHeard();
    if (!resolver.Current().everPlayed) {
        OnCandidateFailed(false);
        return;
    }
    // A live stream never ends by itself: its end is a dropped connection.
    if (!pipeline->SourceHasKnownLength()) {
        Reconnect();
        return;
    }
    ResetPipeline();
    phase = Phase::Ended;
    EmitState(PlayState::MediaEnded);
}

void GstMediaPlayer::Impl::OnStreamError(const StreamError& error) {
    Post([code = long{error.code}, text = error.message](MediaPlayerEvents& e) {
        e.OnError(code, text);
    });
    const bool connecting = phase == Phase::Starting || phase == Phase::Playing;
    if (error.fromOutput && phase != Phase::Failed) {
        FailWith(FailureKind::NoAudioOutput, error.message);  // no other address would help
    } else if (error.domain == StreamError::Domain::RefusedSource) {
        // The stream asked for a local file (or another non-network source) somewhere
        // inside. It is not reopened, since every attempt would ask again; a playlist's next
        // entry may be tried.
        if (connecting)
            Act(resolver.Next());
    } else if (connecting) {
        if (auto reason = FailureFromStreamError(error))
            failureReason = reason;
        OnCandidateFailed(MayMeanPlaylist(error));
    }
}

void GstMediaPlayer::Impl::OnTags(const std::map<std::string, std::string>& attributes) {
    MediaItem updated = item;
    for (const auto& [name, value] : attributes) updated.attributes[name] = value;
    if (auto name = updated.attributes.find("Name"); name != updated.attributes.end())
        updated.name = name->second;
    // Demuxer and decoder both announce the same tags: report only what is new.
    if (updated.attributes == item.attributes && updated.name == item.name)
        return;
    item = updated;
    Post([snapshot = item](MediaPlayerEvents& e) { e.OnMediaChange(snapshot); });
}

// The radio must not claim to play when nothing can be heard.
void GstMediaPlayer::Impl::OnNoSoundDevice() {
    if (phase != Phase::Failed)
        FailWith(FailureKind::NoAudioOutput, "no sound device found");
}

// --- public face ----------------------------------------------------------------------

util::Status GstMediaPlayer::CheckAvailable() {
    return PlaybinPipeline::CheckAvailable();
}

util::Result<std::unique_ptr<GstMediaPlayer>> GstMediaPlayer::Create(GstPlayerOptions options) {
    auto impl = std::make_unique<Impl>(std::move(options));
    auto pipeline = PlaybinPipeline::Create({impl->sinkDescription, impl->options.prebuffer,
                                             impl->options.rebuffer, impl->options.measureGaps},
                                            *impl);
    if (!pipeline)
        return util::Error{pipeline.error()};
    impl->pipeline = std::move(pipeline).value();
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
    if (const std::string& error = p.pipeline->OutputError(); !error.empty()) {
        p.Post([error](MediaPlayerEvents& e) { e.OnError(0, error); });
        p.FailWith(FailureKind::AudioOutputInvalid, p.sinkDescription);
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
    impl_->pipeline->SetMuted(muted);
}

int GstMediaPlayer::Volume() const {
    return impl_->volume;
}

void GstMediaPlayer::SetVolume(int volume) {
    impl_->volume = std::clamp(volume, 0, 100);
    impl_->pipeline->SetVolume(impl_->volume);
}

std::optional<std::chrono::steady_clock::time_point> GstMediaPlayer::SoundStartedAt() const {
    return impl_->pipeline->SoundStartedAt();
}

int GstMediaPlayer::UnderrunCount() const {
    return impl_->pipeline->UnderrunCount();
}

std::string GstMediaPlayer::CurrentStreamAddress() const {
    return impl_->resolver.Current().address;
}

}  // namespace platform::media
