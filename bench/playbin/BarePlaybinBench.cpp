// The floor the player is measured against: a bare playbin as a player application would use
// it, timed on the same paced stream in the same run. It is GStreamer by definition, so it
// calls the library itself.
//
//   tunelink_bench --benchmark_filter=BarePlaybin

#include "bench/PlayerBenchSupport.h"

#include <benchmark/benchmark.h>
#include <gst/gst.h>

#include <atomic>
#include <optional>

namespace {

using namespace playerbench;

// A bare playbin as a player application would use it: default properties, paused while the
// buffering messages say it is below 100 %.
void BM_BarePlaybinTimeToSound(benchmark::State& state) {
    gst_init(nullptr, nullptr);
    const std::string url = Server().Url(kPaths[state.range(0)]);
    double soundTotal = 0, playingTotal = 0;
    for (auto _ : state) {
        GstElement* playbin = gst_element_factory_make("playbin", nullptr);
        GError* parseError = nullptr;
        GstElement* sink = gst_parse_bin_from_description(kSink, TRUE, &parseError);
        g_object_set(playbin, "uri", url.c_str(), "audio-sink", sink, nullptr);
        std::atomic<int64_t> firstBuffer{0};
        GstPad* pad = gst_element_get_static_pad(sink, "sink");
        gst_pad_add_probe(
            pad, GST_PAD_PROBE_TYPE_BUFFER,
            +[](GstPad*, GstPadProbeInfo*, gpointer data) {
                auto* first = static_cast<std::atomic<int64_t>*>(data);
                int64_t zero = 0;
                first->compare_exchange_strong(zero, Clock::now().time_since_epoch().count());
                return GST_PAD_PROBE_OK;
            },
            &firstBuffer, nullptr);
        gst_object_unref(pad);
        GstBus* bus = gst_element_get_bus(playbin);
        const auto start = Clock::now();
        gst_element_set_state(playbin, GST_STATE_PLAYING);
        std::optional<Clock::time_point> playing;
        while (Clock::now() - start < std::chrono::seconds(15) && !(playing && firstBuffer)) {
            GstMessage* message = gst_bus_timed_pop(bus, 5 * GST_MSECOND);
            if (!message)
                continue;
            if (GST_MESSAGE_TYPE(message) == GST_MESSAGE_BUFFERING) {
                gint percent = 0;
                gst_message_parse_buffering(message, &percent);
                gst_element_set_state(playbin,
                                      percent < 100 ? GST_STATE_PAUSED : GST_STATE_PLAYING);
            } else if (GST_MESSAGE_TYPE(message) == GST_MESSAGE_STATE_CHANGED &&
                       GST_MESSAGE_SRC(message) == GST_OBJECT(playbin)) {
                GstState oldState, newState;
                gst_message_parse_state_changed(message, &oldState, &newState, nullptr);
                if (newState == GST_STATE_PLAYING && !playing)
                    playing = Clock::now();
            }
            gst_message_unref(message);
        }
        gst_element_set_state(playbin, GST_STATE_NULL);
        gst_object_unref(bus);
        gst_object_unref(playbin);
        if (!playing || !firstBuffer) {
            state.SkipWithError("bare playbin: no sound within 15 s");
            return;
        }
        const auto buffer = Clock::time_point(Clock::duration(firstBuffer.load()));
        const double sound = Ms(std::max(buffer, *playing) - start);
        soundTotal += sound;
        playingTotal += Ms(*playing - start);
        state.SetIterationTime(sound / 1000.0);
    }
    state.counters["sound_ms"] = soundTotal / static_cast<double>(state.iterations());
    state.counters["playing_ms"] = playingTotal / static_cast<double>(state.iterations());
}
BENCHMARK(BM_BarePlaybinTimeToSound)
    ->Arg(0)
    ->Arg(1)
    ->Iterations(3)
    ->UseManualTime()
    ->Unit(benchmark::kMillisecond);

}  // namespace
