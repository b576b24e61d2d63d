// The HTTP sources an HLS station's demuxer fetches segments with close their connection
// after each segment, as the station's own source does.

#include "platform/media/GstMediaPlayer.h"
#include "platform/media/PlaybinPipeline.h"
#include "platform/media/SegmentSources.h"
#include "tests/support/StreamServer.h"

#include <gst/gst.h>
#include <gst/gsttracer.h>
#include <gtest/gtest.h>

#include <QTest>
#include <mutex>
#include <string>
#include <vector>

using namespace platform::media;
using namespace std::chrono_literals;

namespace {

GstElement* KeepingHttpSource() {
    GstElement* source = gst_element_factory_make("souphttpsrc", nullptr);
    if (source)
        g_object_set(source, "keep-alive", TRUE, nullptr);
    return source;
}

bool KeepsAlive(GstElement* source) {
    gboolean keepAlive = FALSE;
    g_object_get(source, "keep-alive", &keepAlive, nullptr);
    return keepAlive;
}

// Every HTTP source made in this process from the moment it is installed.
struct MadeSources {
    std::mutex lock;
    std::vector<GstElement*> sources;  // referenced

    static void OnElementNew(GObject* tracer, GstClockTime, GstElement* element) {
        auto* self = static_cast<MadeSources*>(g_object_get_data(tracer, "recorder"));
        GstElementFactory* factory = gst_element_get_factory(element);
        if (factory && std::string(GST_OBJECT_NAME(factory)) == "souphttpsrc") {
            std::lock_guard guard(self->lock);
            self->sources.push_back(GST_ELEMENT(gst_object_ref(element)));
        }
    }

    void Install() {
        static const GType type = g_type_register_static_simple(
            GST_TYPE_TRACER, "TunelinkTestSourceRecorder", sizeof(GstTracerClass), nullptr,
            sizeof(GstTracer), nullptr, static_cast<GTypeFlags>(0));
        auto* tracer = static_cast<GstTracer*>(g_object_new(type, nullptr));
        gst_object_ref_sink(tracer);
        g_object_set_data(G_OBJECT(tracer), "recorder", this);
        gst_tracing_register_hook(tracer, "element-new", G_CALLBACK(&MadeSources::OnElementNew));
    }

    // Those that sit in a playing pipeline now, and whether each keeps its connection.
    std::vector<bool> KeepAliveOfThoseInAPipeline() {
        std::lock_guard guard(lock);
        std::vector<bool> keepAlive;
        for (GstElement* source : sources) {
            GstObject* parent = gst_object_get_parent(GST_OBJECT(source));
            if (!parent)
                continue;
            gst_object_unref(parent);
            keepAlive.push_back(KeepsAlive(source));
        }
        return keepAlive;
    }
};

struct Quiet final : MediaPlayerEvents {
    bool playing = false;
    void OnPlayStateChange(PlayState state) override {
        playing = playing || state == PlayState::Playing;
    }
    void OnOpenStateChange(OpenState) override {}
    void OnMediaChange(const MediaItem&) override {}
    void OnError(long, const std::string&) override {}
};

}  // namespace

TEST(SegmentSources, SourcesInsideAddedBinsAndTheAddedSourceItselfStopKeepingAlive) {
    ASSERT_TRUE(PlaybinPipeline::CheckAvailable());
    GstElement* outer = gst_bin_new("srcbin");
    GstElement* inner = gst_bin_new("inner");
    GstElement* first = KeepingHttpSource();
    GstElement* nested = KeepingHttpSource();
    ASSERT_TRUE(first && nested);
    gst_bin_add_many(GST_BIN(outer), first, gst_element_factory_make("queue", nullptr), inner,
                     nullptr);
    gst_bin_add(GST_BIN(inner), nested);
    CloseConnectionAfterEachDownload(outer);
    EXPECT_FALSE(KeepsAlive(first));
    EXPECT_FALSE(KeepsAlive(nested));
    gst_object_unref(gst_object_ref_sink(outer));

    GstElement* alone = KeepingHttpSource();
    gst_object_ref_sink(alone);
    CloseConnectionAfterEachDownload(alone);
    EXPECT_FALSE(KeepsAlive(alone));
    gst_object_unref(alone);
    CloseConnectionAfterEachDownload(
        gst_element_factory_make("fakesink", nullptr));  // no such property
}

TEST(SegmentSources, AnHlsStationsSegmentSourcesCloseTheirConnectionAfterEachSegment) {
    ASSERT_TRUE(GstMediaPlayer::CheckAvailable());
    static MadeSources made;  // the hook lives as long as the process
    made.Install();
    testsupport::StreamServer server({.dropAfter = {}, .icyTitle = {}});
    GstPlayerOptions options;
    options.audioSink = "fakesink sync=true";
    auto created = GstMediaPlayer::Create(options);
    ASSERT_TRUE(created) << created.error();
    auto player = std::move(created).value();
    Quiet events;
    player->SetEvents(&events);
    player->Open(server.Url("/hls/index.m3u8"));
    ASSERT_TRUE(player->Play());
    ASSERT_TRUE(QTest::qWaitFor([&] { return events.playing; }, 10000));
    ASSERT_TRUE(
        QTest::qWaitFor([&] { return server.RequestCount("/hls/segment00001.ts") > 0; }, 10000));
    // The station's own source (the index) and the demuxer's segment source, at least.
    const std::vector<bool> keepAlive = made.KeepAliveOfThoseInAPipeline();
    EXPECT_GE(keepAlive.size(), 2u);
    for (bool keeps : keepAlive) EXPECT_FALSE(keeps);
    player.reset();
}
