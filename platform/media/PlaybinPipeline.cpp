#include "platform/media/PlaybinPipeline.h"

#include "platform/media/NetworkSourceGuard.h"
#include "platform/media/PluginWarmUp.h"
#include "platform/media/SegmentSources.h"

#include <gst/audio/streamvolume.h>
#include <gst/gst.h>
#include <gst/gsttracer.h>

#include <QMetaObject>
#include <QObject>
#include <QTimer>
#include <algorithm>
#include <mutex>
#include <vector>

namespace platform::media {

namespace ec = error_code;
template <class A, class B>
constexpr bool Same(A ours, B theirs) {
    return static_cast<int>(ours) == static_cast<int>(theirs);
}
static_assert(Same(ec::kStateChange, GST_CORE_ERROR_STATE_CHANGE) &&
              Same(ec::kMissingPlugin, GST_CORE_ERROR_MISSING_PLUGIN));
static_assert(Same(ec::kNotFound, GST_RESOURCE_ERROR_NOT_FOUND) &&
              Same(ec::kBusy, GST_RESOURCE_ERROR_BUSY) &&
              Same(ec::kOpenRead, GST_RESOURCE_ERROR_OPEN_READ) &&
              Same(ec::kRead, GST_RESOURCE_ERROR_READ) &&
              Same(ec::kNotAuthorized, GST_RESOURCE_ERROR_NOT_AUTHORIZED));
static_assert(Same(ec::kFailed, GST_STREAM_ERROR_FAILED) &&
              Same(ec::kTypeNotFound, GST_STREAM_ERROR_TYPE_NOT_FOUND) &&
              Same(ec::kWrongType, GST_STREAM_ERROR_WRONG_TYPE) &&
              Same(ec::kCodecNotFound, GST_STREAM_ERROR_CODEC_NOT_FOUND) &&
              Same(ec::kDecode, GST_STREAM_ERROR_DECODE) &&
              Same(ec::kDemux, GST_STREAM_ERROR_DEMUX) &&
              Same(ec::kFormat, GST_STREAM_ERROR_FORMAT));

void GstObjectUnref::operator()(void* object) const {
    gst_object_unref(object);
}

namespace {

using Clock = std::chrono::steady_clock;

template <class T>
using GstRef = std::unique_ptr<T, GstObjectUnref>;

// Takes over a newly made object, which may be floating.
template <class T>
GstRef<T> Sunk(T* object) {
    return GstRef<T>(object ? static_cast<T*>(gst_object_ref_sink(object)) : nullptr);
}

template <auto Free>
struct FreeWith {
    template <class T>
    void operator()(T* value) const {
        Free(value);
    }
};
template <class T, auto Free>
using Owned = std::unique_ptr<T, FreeWith<Free>>;

// playbin's flags: audio only. Volume and mute are a volume element of our own in front of
// the output (so they never touch the desktop's mixer): playbin's own soft volume left one
// volume element allocated per station start.
constexpr guint kPlayFlagAudio = 1u << 1;

// A server that has not answered the request within this many seconds is not going to: the
// HTTP source gives up then instead of after its default 15 s, so the listener learns it soon.
constexpr guint kSourceTimeoutSeconds = 8;

// Audio reaching the sink this long after its time was heard as a gap.
constexpr GstClockTime kLateness = 50 * GST_MSECOND;

constexpr const char* kDisarmedKey = "tunelink-disarmed-source";

int64_t NowNs() {
    return std::chrono::duration_cast<std::chrono::nanoseconds>(Clock::now().time_since_epoch())
        .count();
}

// Calls `visit` with each object `iterator` yields, then frees it.
template <class Visit>
void ForEachObject(GstIterator* iterator, Visit visit) {
    Owned<GstIterator, gst_iterator_free> owned(iterator);
    GValue item = G_VALUE_INIT;
    while (gst_iterator_next(iterator, &item) == GST_ITERATOR_OK) {
        visit(g_value_get_object(&item));
        g_value_reset(&item);
    }
    g_value_unset(&item);
}

// --- the guard that keeps every source on the network ---------------------------------

GQuark RefusedQuark() {
    return g_quark_from_static_string("tunelink-source-refused");
}

bool IsNetworkSource(GstElement* element) {
    if (!GST_IS_URI_HANDLER(element))
        return true;
    GstURIHandler* handler = GST_URI_HANDLER(element);
    if (gst_uri_handler_get_uri_type(handler) != GST_URI_SRC)
        return true;
    std::vector<std::string_view> protocols;
    for (const gchar* const* p = gst_uri_handler_get_protocols(handler); p && *p; ++p)
        protocols.emplace_back(*p);
    return SpeaksOnlyNetworkProtocols(protocols);
}

// Posted on the outermost bin, so a demuxer that retries its own failed downloads cannot
// swallow it: the pipeline's owner hears of the refusal at once.
void PostRefusal(GstElement* element) {
    GstRef<GstElement> outermost(GST_ELEMENT(gst_object_ref(element)));
    while (GstRef<GstObject> parent{gst_object_get_parent(GST_OBJECT(outermost.get()))}) {
        if (!GST_IS_ELEMENT(parent.get())) {
            outermost.reset(GST_ELEMENT(gst_object_ref(element)));
            break;
        }
        outermost.reset(GST_ELEMENT(parent.release()));
    }
    Owned<GError, g_error_free> error(g_error_new(
        RefusedQuark(), 1, "refused to open a non-network source (%s)", GST_ELEMENT_NAME(element)));
    gst_element_post_message(outermost.get(),
                             gst_message_new_error(GST_OBJECT(element), error.get(), nullptr));
}

// A base source opens its file while its pad is activated, in push mode by its own state
// change, or in pull mode by the element downstream. Refusing both keeps it from ever
// opening anything.
gboolean RefuseActivation(GstPad*, GstObject* parent) {
    if (parent && GST_IS_ELEMENT(parent))
        PostRefusal(GST_ELEMENT(parent));
    return FALSE;
}

gboolean RefuseActivationMode(GstPad*, GstObject* parent, GstPadMode, gboolean active) {
    if (!active)
        return TRUE;
    if (parent && GST_IS_ELEMENT(parent))
        PostRefusal(GST_ELEMENT(parent));
    return FALSE;
}

void DisarmPad(GstPad* pad) {
    gst_pad_set_activate_function_full(pad, RefuseActivation, nullptr, nullptr);
    gst_pad_set_activatemode_function_full(pad, RefuseActivationMode, nullptr, nullptr);
}

void OnElementNew(GObject*, GstClockTime, GstElement* element) {
    if (IsNetworkSource(element))
        return;
    g_object_set_data(G_OBJECT(element), kDisarmedKey, GINT_TO_POINTER(1));
    ForEachObject(gst_element_iterate_pads(element), [](gpointer pad) { DisarmPad(GST_PAD(pad)); });
}

// Sources that make their pads later are disarmed pad by pad.
void OnElementAddPad(GObject*, GstClockTime, GstElement* element, GstPad* pad) {
    if (g_object_get_data(G_OBJECT(element), kDisarmedKey))
        DisarmPad(pad);
}

// The tracer type is abstract; hooks need an instance of some subclass to belong to.
GType GuardTracerType() {
    static const GType type = g_type_register_static_simple(
        GST_TYPE_TRACER, "TunelinkNetworkSourceGuard", sizeof(GstTracerClass), nullptr,
        sizeof(GstTracer), nullptr, static_cast<GTypeFlags>(0));
    return type;
}

// Once per process, for every element made anywhere in it.
void InstallNetworkSourceGuard() {
    // Owned by the tracing hooks for the life of the process.
    GstRef<GstTracer> tracer(static_cast<GstTracer*>(g_object_new(GuardTracerType(), nullptr)));
    gst_object_ref_sink(tracer.get());
    gst_tracing_register_hook(tracer.get(), "element-new", G_CALLBACK(OnElementNew));
    gst_tracing_register_hook(tracer.get(), "element-add-pad", G_CALLBACK(OnElementAddPad));
}

// --- pieces of the pipeline -----------------------------------------------------------

// The desktop's output when `description` is empty. A description that does not parse gives
// null and the reason, naming the description.
GstRef<GstElement> MakeAudioSink(const std::string& description, std::string& error) {
    if (description.empty())
        return Sunk(gst_element_factory_make("autoaudiosink", nullptr));
    GError* parseError = nullptr;
    GstRef<GstElement> sink =
        Sunk(gst_parse_bin_from_description(description.c_str(), TRUE, &parseError));
    if (!parseError)
        return sink;
    Owned<GError, g_error_free> owned(parseError);
    error = "audio output \"" + description + "\": " + parseError->message;
    return nullptr;
}

bool HasElement(const char* name) {
    return GstRef<GstElementFactory>(gst_element_factory_find(name)) != nullptr;
}

// The elements playing audio over HTTP needs that this machine lacks.
std::string MissingElements() {
    std::string absent;
    const auto note = [&](const std::string& name) {
        absent += (absent.empty() ? "" : ", ") + name;
    };
    for (const char* name : {"playbin", "uridecodebin", "souphttpsrc", "queue2", "typefind",
                             "audioconvert", "audioresample", "volume", "autoaudiosink"}) {
        if (!HasElement(name))
            note(name);
    }
    const auto decoders = {"mpg123audiodec", "avdec_mp3", "vorbisdec", "avdec_aac"};
    if (std::none_of(decoders.begin(), decoders.end(), HasElement))
        note("an audio decoder");
    return absent;
}

std::map<std::string, std::string> ReadTags(GstMessage* message) {
    std::map<std::string, std::string> attributes;
    GstTagList* raw = nullptr;
    gst_message_parse_tag(message, &raw);
    Owned<GstTagList, gst_tag_list_unref> tags(raw);
    if (!tags)
        return attributes;
    for (const auto& [tag, attribute] :
         {std::pair{GST_TAG_TITLE, "Title"}, std::pair{GST_TAG_ARTIST, "Author"},
          std::pair{GST_TAG_ORGANIZATION, "Name"}}) {
        gchar* text = nullptr;
        gst_tag_list_get_string(tags.get(), tag, &text);
        if (Owned<gchar, g_free> value{text})
            attributes[attribute] = value.get();
    }
    guint bitrate = 0;
    if (gst_tag_list_get_uint(tags.get(), GST_TAG_BITRATE, &bitrate) ||
        gst_tag_list_get_uint(tags.get(), GST_TAG_NOMINAL_BITRATE, &bitrate))
        attributes["Bitrate"] = std::to_string(bitrate);
    return attributes;
}

StreamError::Domain DomainOf(GQuark domain) {
    if (domain == GST_CORE_ERROR)
        return StreamError::Domain::Core;
    if (domain == GST_RESOURCE_ERROR)
        return StreamError::Domain::Resource;
    if (domain == GST_STREAM_ERROR)
        return StreamError::Domain::Stream;
    if (domain == RefusedQuark())
        return StreamError::Domain::RefusedSource;
    return StreamError::Domain::Other;
}

using MessagePtr = std::shared_ptr<GstMessage>;

}  // namespace

StreamError ReadStreamError(GstMessage* message) {
    GError* raw = nullptr;
    gst_message_parse_error(message, &raw, nullptr);
    Owned<GError, g_error_free> error(raw);
    StreamError result;
    result.message = error ? error->message : "unknown error";
    if (!error)
        return result;
    result.domain = DomainOf(error->domain);
    result.code = error->code;
    const GstStructure* details = nullptr;
    gst_message_parse_error_details(message, &details);
    guint status = 0;
    if (details && gst_structure_get_uint(details, "http-status-code", &status))
        result.httpStatus = status;
    return result;
}

// GStreamer calls these on its own threads; they hand what matters to the owner's thread.
struct PipelineCallbacks {
    // A sync handler that answers "drop" owns the message and must release it; without that,
    // every message, and through it the element that posted it, stayed allocated: a whole
    // pipeline's worth per station start.
    static GstBusSyncReply OnSyncMessage(GstBus*, GstMessage* message, gpointer data) {
        Owned<GstMessage, gst_message_unref> owned(message);
        if (Wanted(*static_cast<PlaybinPipeline*>(data), message))
            static_cast<PlaybinPipeline*>(data)->Deliver(message);
        return GST_BUS_DROP;
    }

    static bool Wanted(PlaybinPipeline& self, GstMessage* message) {
        switch (GST_MESSAGE_TYPE(message)) {
            case GST_MESSAGE_STATE_CHANGED: {
                if (GST_MESSAGE_SRC(message) != GST_OBJECT(self.playbin_.get()))
                    return false;
                GstState oldState, newState, pendingState;
                gst_message_parse_state_changed(message, &oldState, &newState, &pendingState);
                if (newState == GST_STATE_PLAYING && self.playingReachedNs_ == 0)
                    self.playingReachedNs_ = NowNs();
                return true;
            }
            case GST_MESSAGE_BUFFERING:
                // The fill level only matters before the first sound; once playing, the
                // network queue reports it dozens of times a second and nobody listens.
                return self.playingReachedNs_ == 0;
            case GST_MESSAGE_ERROR:
            case GST_MESSAGE_EOS:
            case GST_MESSAGE_TAG:
            case GST_MESSAGE_ASYNC_DONE:
                return true;
            default:
                return false;
        }
    }

    static GstPadProbeReturn OnSinkBuffer(GstPad* pad, GstPadProbeInfo* info, gpointer data) {
        auto* self = static_cast<PlaybinPipeline*>(data);
        if (GstBuffer* buffer = GST_PAD_PROBE_INFO_BUFFER(info)) {
            self->NoteFirstSoundAtSink(pad, buffer);
            if ((self->settings_.measureGaps || self->settings_.rebuffer.count() > 0) &&
                self->CheckLateness(pad, buffer))
                return GST_PAD_PROBE_DROP;
        }
        return GST_PAD_PROBE_OK;
    }

    // The desktop's automatic output tries every kind of device and, finding none that
    // opens, quietly plays into a dummy. The radio must not claim to play then.
    static void OnAutoSinkChildAdded(GstBin*, GstElement* child, gpointer data) {
        auto* self = static_cast<PlaybinPipeline*>(data);
        GstElementFactory* factory = gst_element_get_factory(child);
        const bool dummy =
            factory &&
            std::string(gst_plugin_feature_get_name(GST_PLUGIN_FEATURE(factory))) == "fakesink";
        if (!dummy)
            return;
        const unsigned generation = self->generation_;
        QMetaObject::invokeMethod(
            self->context_.get(),
            [self, generation] {
                if (generation == self->generation_)
                    self->listener_.OnNoSoundDevice();
            },
            Qt::QueuedConnection);
    }

    static void OnDeepElementAdded(GstBin*, GstBin*, GstElement* element, gpointer) {
        CloseConnectionAfterEachDownload(element);
    }

    static void OnSourceSetup(GstElement*, GstElement* source, gpointer) {
        GObjectClass* kind = G_OBJECT_GET_CLASS(source);
        if (g_object_class_find_property(kind, "user-agent"))
            g_object_set(source, "user-agent", "Tunelink/1.0", nullptr);
        if (g_object_class_find_property(kind, "timeout"))
            g_object_set(source, "timeout", kSourceTimeoutSeconds, nullptr);
    }
};

// --- the pipeline ---------------------------------------------------------------------

util::Status PlaybinPipeline::CheckAvailable() {
    static std::once_flag once;
    static bool initialised = false;
    std::call_once(once, [] {
        initialised = gst_init_check(nullptr, nullptr, nullptr);
        if (initialised)
            InstallNetworkSourceGuard();
    });
    if (!initialised)
        return util::Error{"GStreamer"};
    if (std::string absent = MissingElements(); !absent.empty())
        return util::Error{absent};
    return {};
}

util::Result<std::unique_ptr<PlaybinPipeline>> PlaybinPipeline::Create(
    const PipelineSettings& settings, PipelineListener& listener) {
    if (auto available = CheckAvailable(); !available)
        return util::Error{"missing: " + available.error().message};
    std::unique_ptr<PlaybinPipeline> pipeline(new PlaybinPipeline(settings, listener));
    if (!pipeline->playbin_ || (!pipeline->audioSink_ && pipeline->outputError_.empty()))
        return util::Error{"cannot create the playback pipeline"};
    return pipeline;
}

PlaybinPipeline::PlaybinPipeline(const PipelineSettings& settings, PipelineListener& listener)
    : settings_(settings), listener_(listener), context_(std::make_unique<QObject>()) {
    GstRef<GstElement> sink = MakeAudioSink(settings.sinkDescription, outputError_);
    if (!sink && outputError_.empty())
        return;
    playbin_ = Sunk(gst_element_factory_make("playbin", nullptr));
    if (!playbin_)
        return;
    const gint64 prebufferNs =
        std::chrono::duration_cast<std::chrono::nanoseconds>(settings.prebuffer).count();
    g_object_set(playbin_.get(), "flags", kPlayFlagAudio, "buffer-duration", prebufferNs, nullptr);
    if (sink)
        AttachAudioSink(std::move(sink), settings.sinkDescription.empty());
    g_signal_connect(playbin_.get(), "source-setup", G_CALLBACK(&PipelineCallbacks::OnSourceSetup),
                     nullptr);
    g_signal_connect(playbin_.get(), "deep-element-added",
                     G_CALLBACK(&PipelineCallbacks::OnDeepElementAdded), nullptr);
    GstRef<GstBus> bus(gst_element_get_bus(playbin_.get()));
    gst_bus_set_sync_handler(bus.get(), &PipelineCallbacks::OnSyncMessage, this, nullptr);
    // The first station's start would otherwise load the plugins while the listener waits.
    // Once done, the warm-up is let go on this thread, which ends its own.
    warmUp_ = std::make_unique<PluginWarmUp>(settings.sinkDescription.empty(), [this] {
        QMetaObject::invokeMethod(
            context_.get(), [this] { warmUp_.reset(); }, Qt::QueuedConnection);
    });
}

PlaybinPipeline::~PlaybinPipeline() {
    warmUp_.reset();
    if (playbin_) {
        gst_element_set_state(playbin_.get(), GST_STATE_NULL);
        GstRef<GstBus> bus(gst_element_get_bus(playbin_.get()));
        gst_bus_set_sync_handler(bus.get(), nullptr, nullptr, nullptr);
    }
    // Queued calls still waiting for this pipeline die with the context object.
    context_.reset();
}

void PlaybinPipeline::AttachAudioSink(ElementRef sink, bool automatic) {
    audioSink_ = std::move(sink);
    GstElement* const sinkElement = audioSink_.get();
    GstElement* output = gst_bin_new("output");
    volumeElement_ = gst_element_factory_make("volume", "volume");
    gst_bin_add_many(GST_BIN(output), volumeElement_, sinkElement, nullptr);
    gst_element_link(volumeElement_, sinkElement);
    GstRef<GstPad> volumeInput(gst_element_get_static_pad(volumeElement_, "sink"));
    gst_element_add_pad(output, gst_ghost_pad_new("sink", volumeInput.get()));
    g_object_set(playbin_.get(), "audio-sink", output, nullptr);
    if (GstRef<GstPad> pad{gst_element_get_static_pad(sinkElement, "sink")})
        gst_pad_add_probe(pad.get(), GST_PAD_PROBE_TYPE_BUFFER, &PipelineCallbacks::OnSinkBuffer,
                          this, nullptr);
    // A sink named by the user is their choice, even a dummy one (tests use fakesink).
    if (automatic)
        g_signal_connect(sinkElement, "element-added",
                         G_CALLBACK(&PipelineCallbacks::OnAutoSinkChildAdded), this);
}

void PlaybinPipeline::Reset() {
    // Setting NULL waits for the streaming threads, so nothing of the old connection is
    // posted after the generation moves on; what was already posted is ignored.
    gst_element_set_state(playbin_.get(), GST_STATE_NULL);
    ++generation_;
    soundSeenAtSink_ = false;
    holdAskedUs_ = 0;
}

void PlaybinPipeline::ForgetSoundStart() {
    playingReachedNs_ = 0;
    soundAtSinkNs_ = 0;
}

void PlaybinPipeline::Open(const std::string& uri) {
    // The warm-up has done its work long before a listener's first click. Should a station
    // start sooner, the warm-up stops after the plugin it is loading: the streaming threads
    // load plugins of their own, and the two are not to load them at the same time.
    warmUp_.reset();
    g_object_set(playbin_.get(), "uri", uri.c_str(), nullptr);
    // A refused change posts an ERROR on the bus, which decides what happens next. Without
    // a lead the pipeline goes on to playing by itself as soon as it has prerolled.
    gst_element_set_state(playbin_.get(),
                          settings_.prebuffer.count() > 0 ? GST_STATE_PAUSED : GST_STATE_PLAYING);
}

void PlaybinPipeline::Resume() {
    gst_element_set_state(playbin_.get(), GST_STATE_PLAYING);
}

void PlaybinPipeline::Hold() {
    gst_element_set_state(playbin_.get(), GST_STATE_PAUSED);
    holdAskedUs_ = 0;  // paused: what comes now prerolls the sink, unheard
}

void PlaybinPipeline::DeclineHold() {
    holdAskedUs_ = 0;
}

// Messages come from streaming threads; the owner's state lives on its own thread.
void PlaybinPipeline::Deliver(GstMessage* message) {
    const unsigned generation = generation_;
    MessagePtr held(gst_message_ref(message), FreeWith<gst_message_unref>{});
    QMetaObject::invokeMethod(
        context_.get(),
        [this, held, generation] {
            if (generation == generation_)
                Handle(held.get());
        },
        Qt::QueuedConnection);
}

void PlaybinPipeline::Handle(GstMessage* message) {
    switch (GST_MESSAGE_TYPE(message)) {
        case GST_MESSAGE_STATE_CHANGED: {
            GstState oldState, newState, pendingState;
            gst_message_parse_state_changed(message, &oldState, &newState, &pendingState);
            if (newState == GST_STATE_PLAYING)
                listener_.OnPlayingReached();
            break;
        }
        case GST_MESSAGE_ASYNC_DONE:
            listener_.OnPrerolled();
            break;
        case GST_MESSAGE_BUFFERING: {
            gint percent = 0;
            gst_message_parse_buffering(message, &percent);
            listener_.OnBuffering(percent);
            break;
        }
        case GST_MESSAGE_EOS:
            listener_.OnEndOfStream(soundSeenAtSink_);
            break;
        case GST_MESSAGE_ERROR: {
            StreamError error = ReadStreamError(message);
            GstObject* source = GST_MESSAGE_SRC(message);
            error.fromOutput = audioSink_ && source &&
                               (source == GST_OBJECT(audioSink_.get()) ||
                                gst_object_has_as_ancestor(source, GST_OBJECT(audioSink_.get())));
            listener_.OnStreamError(error);
            break;
        }
        case GST_MESSAGE_TAG:
            listener_.OnTags(ReadTags(message));
            break;
        default:
            break;
    }
}

// Once the sound runs, the network queues' fill level matters to nobody, yet they report it
// dozens of times a second, and with GStreamer 1.22 those reports are never all freed even
// when our bus handler drops them at once (measured: about 5 MB a minute, so a radio left
// playing for a day would grow by gigabytes). Switching the reports off keeps memory flat.
void PlaybinPipeline::StopBufferingReports() {
    ForEachObject(gst_bin_iterate_recurse(GST_BIN(playbin_.get())), [](gpointer element) {
        if (g_object_class_find_property(G_OBJECT_GET_CLASS(element), "use-buffering"))
            g_object_set(element, "use-buffering", FALSE, nullptr);
    });
}

bool PlaybinPipeline::SourceHasKnownLength() const {
    GstElement* raw = nullptr;
    g_object_get(playbin_.get(), "source", &raw, nullptr);
    GstRef<GstElement> source(raw);
    gint64 bytes = -1;
    return source && gst_element_query_duration(source.get(), GST_FORMAT_BYTES, &bytes) &&
           bytes > 0;
}

void PlaybinPipeline::SetVolume(int volume) {
    // The cubic scale follows loudness as heard: 50 sounds about half as loud as 100.
    if (volumeElement_)
        gst_stream_volume_set_volume(GST_STREAM_VOLUME(volumeElement_),
                                     GST_STREAM_VOLUME_FORMAT_CUBIC, volume / 100.0);
}

void PlaybinPipeline::SetMuted(bool muted) {
    if (volumeElement_)
        g_object_set(volumeElement_, "mute", muted ? TRUE : FALSE, nullptr);
}

std::optional<Clock::time_point> PlaybinPipeline::SoundStartedAt() const {
    const int64_t sound = soundAtSinkNs_;
    if (sound == 0)
        return std::nullopt;
    return Clock::time_point(std::chrono::nanoseconds(sound));
}

// The pipeline says PLAYING before anything can be heard: the sink may still wait for its
// first buffer, or hold it until its time. The first buffer that reaches the sink while the
// sink plays marks the sound (the one prerolled before was rendered just ahead of it); it is
// heard when the clock reaches its time plus the pipeline's latency. Streaming thread.
void PlaybinPipeline::NoteFirstSoundAtSink(GstPad* pad, GstBuffer* buffer) {
    if (soundSeenAtSink_.load(std::memory_order_relaxed))
        return;
    GST_OBJECT_LOCK(audioSink_.get());
    const bool sinkPlaying = GST_STATE(audioSink_.get()) == GST_STATE_PLAYING;
    GST_OBJECT_UNLOCK(audioSink_.get());
    if (!sinkPlaying || soundSeenAtSink_.exchange(true))
        return;
    GstClockTime due = 0, now = 0;
    GstClockTimeDiff untilHeard = 0;
    if (DueAndNow(pad, buffer, due, now) && GST_CLOCK_TIME_IS_VALID(due))
        untilHeard =
            GST_CLOCK_DIFF(now, due + gst_pipeline_get_latency(GST_PIPELINE(playbin_.get())));
    const auto wait = std::chrono::nanoseconds(std::max<GstClockTimeDiff>(0, untilHeard));
    int64_t unset = 0;
    soundAtSinkNs_.compare_exchange_strong(unset, NowNs() + wait.count());
    const unsigned expected = generation_;
    QMetaObject::invokeMethod(
        context_.get(),
        [this, expected, wait] {
            QTimer::singleShot(std::chrono::ceil<std::chrono::milliseconds>(wait), context_.get(),
                               [this, expected] {
                                   if (generation_ == expected)
                                       listener_.OnSoundHeard();
                               });
        },
        Qt::QueuedConnection);
}

// The running time at which `buffer` is due (may be GST_CLOCK_TIME_NONE, outside its segment)
// and the pipeline's running time now; false without a clock, a segment or a timestamp.
bool PlaybinPipeline::DueAndNow(GstPad* pad, GstBuffer* buffer, uint64_t& due,
                                uint64_t& now) const {
    if (!GST_BUFFER_PTS_IS_VALID(buffer))
        return false;
    GstRef<GstClock> clock(gst_element_get_clock(playbin_.get()));
    Owned<GstEvent, gst_event_unref> event(gst_pad_get_sticky_event(pad, GST_EVENT_SEGMENT, 0));
    if (!clock || !event)
        return false;
    const GstSegment* segment = nullptr;
    gst_event_parse_segment(event.get(), &segment);
    due = gst_segment_to_running_time(segment, GST_FORMAT_TIME, GST_BUFFER_PTS(buffer));
    // Just as a held pipeline plays again, the audio device's clock may not tell the time yet
    // (it gives none, or one below zero): the running time has not begun, and nothing can be
    // late.
    const GstClockTime clockTime = gst_clock_get_time(clock.get());
    const GstClockTime base = gst_element_get_base_time(playbin_.get());
    constexpr GstClockTime kLatest = G_MAXINT64;
    if (clockTime > kLatest || base > kLatest || clockTime < base)
        return false;
    now = clockTime - base;
    return true;
}

// For every buffer that reaches the sink, when gaps are measured or the sound is held once it
// ran dry. Audio that arrives after the moment it should be heard means the listener heard a
// gap. Streaming thread.
//
// The first late buffer is the stream coming back. Until the owner's thread has held the
// pipeline, late audio is dropped rather than played: on a busy machine that thread may take
// a while, and a moment of sound before the hold would break one pause into two.
bool PlaybinPipeline::CheckLateness(GstPad* pad, GstBuffer* buffer) {
    GST_OBJECT_LOCK(playbin_.get());
    const bool playing = GST_STATE(playbin_.get()) == GST_STATE_PLAYING;
    GST_OBJECT_UNLOCK(playbin_.get());
    GstClockTime due = 0, now = 0;
    if (!playing || !DueAndNow(pad, buffer, due, now))
        return false;
    const bool late = GST_CLOCK_TIME_IS_VALID(due) && now > due + kLateness;
    const bool ranDry = late && !starving_;
    starving_ = late;
    if (ranDry) {
        ++underruns_;
        if (settings_.rebuffer.count() > 0)
            holdAskedUs_ = g_get_monotonic_time();
        const unsigned expected = generation_;
        QMetaObject::invokeMethod(
            context_.get(),
            [this, expected] {
                if (generation_ == expected)
                    listener_.OnStarved();
            },
            Qt::QueuedConnection);
    }
    return late && HoldPending();
}

// A hold that never comes must not silence the station: late audio is dropped for a second
// at most.
bool PlaybinPipeline::HoldPending() const {
    constexpr int64_t kLongestWaitUs = 1000000;
    const int64_t asked = holdAskedUs_;
    return asked != 0 && g_get_monotonic_time() - asked < kLongestWaitUs;
}

}  // namespace platform::media
