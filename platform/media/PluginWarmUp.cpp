#include "platform/media/PluginWarmUp.h"

#include <gio/gio.h>
#include <gst/gst.h>

#include <memory>

namespace platform::media {

namespace {

// How stations' streams arrive: Ogg, MP3, MP3 with interleaved titles.
constexpr const char* kArrivingMedia[] = {"application/ogg", "audio/mpeg", "application/x-icy"};
// The converters the player puts in front of every output.
constexpr const char* kConverters[] = {"audioconvert", "audioresample"};

struct ListFree {
    void operator()(GList* list) const { gst_plugin_feature_list_free(list); }
};
using FeatureList = std::unique_ptr<GList, ListFree>;
// Loads the plugin `feature` belongs to, when it is not loaded yet.
void Load(GstPluginFeature* feature) {
    if (GstPluginFeature* loaded = gst_plugin_feature_load(feature))
        gst_object_unref(loaded);
}

struct CapsFree {
    void operator()(GstCaps* caps) const { gst_caps_unref(caps); }
};

// Makes one element and drops it: the plugin is loaded and its element class set up, which
// is where some plugins load their libraries.
void MakeOnce(GstElement* element) {
    if (element)
        gst_object_unref(gst_object_ref_sink(element));
}

// The plugin the typefinder that recognises `media` lives in.
void LoadTypeFinders(const char* media) {
    std::unique_ptr<GstCaps, CapsFree> wanted(gst_caps_from_string(media));
    FeatureList finders(gst_type_find_factory_get_list());
    for (GList* item = finders.get(); item && wanted; item = item->next) {
        auto* finder = GST_TYPE_FIND_FACTORY(item->data);
        const GstCaps* caps = gst_type_find_factory_get_caps(finder);
        if (caps && gst_caps_can_intersect(caps, wanted.get()))
            Load(GST_PLUGIN_FEATURE(finder));
    }
}

// The desktop's output tries the audio sinks by rank; the first is the one that opens
// almost always.
void LoadFirstAudioSink() {
    FeatureList sinks(gst_element_factory_list_get_elements(
        GST_ELEMENT_FACTORY_TYPE_SINK | GST_ELEMENT_FACTORY_TYPE_MEDIA_AUDIO, GST_RANK_MARGINAL));
    sinks.reset(g_list_sort(sinks.release(), gst_plugin_feature_rank_compare_func));
    if (sinks)
        Load(GST_PLUGIN_FEATURE(sinks->data));
}

}  // namespace

PluginWarmUp::PluginWarmUp(bool withAudioOutput, std::function<void()> done)
    : thread_([this, withAudioOutput, done = std::move(done)] { Run(withAudioOutput, done); }) {}

PluginWarmUp::~PluginWarmUp() {
    stopping_ = true;
    thread_.join();
}

bool PluginWarmUp::WaitUntilDone(std::chrono::milliseconds timeout) const {
    const auto until = std::chrono::steady_clock::now() + timeout;
    while (!done_ && std::chrono::steady_clock::now() < until)
        std::this_thread::sleep_for(std::chrono::milliseconds(5));
    return done_;
}

void PluginWarmUp::Run(bool withAudioOutput, const std::function<void()>& done) {
    // Nothing is opened: a source connects only when it starts.
    MakeOnce(gst_element_make_from_uri(GST_URI_SRC, "http://127.0.0.1/", nullptr, nullptr));
    if (stopping_)
        return;
    // The HTTP source asks for the desktop's proxy settings as it first connects, which loads
    // GIO's proxy modules and the settings backend; the answer stays cached for the process.
    g_proxy_resolver_get_default();
    for (const char* media : kArrivingMedia) {
        if (stopping_)
            return;
        LoadTypeFinders(media);
    }
    for (const char* name : kConverters) {
        if (stopping_)
            return;
        MakeOnce(gst_element_factory_make(name, nullptr));
    }
    if (withAudioOutput && !stopping_)
        LoadFirstAudioSink();
    done_ = true;
    if (done && !stopping_)
        done();
}

}  // namespace platform::media
