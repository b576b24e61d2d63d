// Time to sound on a stream served like an internet radio server (no Content-Length, paced at
// real time), for our player next to a bare playbin with default settings, in the same run.
//
//   tunelink_bench --benchmark_filter=Player
//
// "sound" is the first audio buffer reaching the sink while the pipeline plays (with
// fakesink sync=true, which renders at clock time like a sound card).

#include "platform/media/GstMediaPlayer.h"
#include "tests/support/StreamServer.h"

#include <benchmark/benchmark.h>
#include <gst/gst.h>

#include <QCoreApplication>
#include <QGuiApplication>

#include <QEventLoop>
#include <QThread>
#include <atomic>
#include <chrono>
#include <cstdlib>
#include <memory>
#include <vector>

namespace {

using Clock = std::chrono::steady_clock;
using platform::media::GstMediaPlayer;
using platform::media::PlayState;

constexpr const char* kSink = "fakesink sync=true";
const char* const kPaths[] = {"/live.mp3", "/live.ogg"};

void EnsureApplication() {
    static int argc = 1;
    static char name[] = "tunelink_bench";
    static char* argv[] = {name, nullptr};
    // A GUI application (on the offscreen platform), so that the radio's benchmarks in the
    // same program can measure text too.
    setenv("QT_QPA_PLATFORM", "offscreen", 0);
    if (!QCoreApplication::instance())
        new QGuiApplication(argc, argv);
}

testsupport::StreamServer& Server() {
    static testsupport::StreamServer server;
    return server;
}

struct StateLog final : platform::media::MediaPlayerEvents {
    std::vector<std::pair<int, Clock::time_point>> states;
    void OnPlayStateChange(PlayState state) override {
        states.emplace_back(static_cast<int>(state), Clock::now());
    }
    void OnOpenStateChange(platform::media::OpenState) override {}
    void OnMediaChange(const platform::media::MediaItem&) override {}
    void OnError(long, const std::string&) override {}
    std::optional<Clock::time_point> First(PlayState state) const {
        for (const auto& [s, at] : states)
            if (s == static_cast<int>(state))
                return at;
        return std::nullopt;
    }
};

void PumpUntil(const std::function<bool()>& done, std::chrono::milliseconds limit) {
    const auto end = Clock::now() + limit;
    while (!done() && Clock::now() < end) {
        QCoreApplication::processEvents(QEventLoop::AllEvents, 5);
        QThread::msleep(1);
    }
}

double Ms(Clock::duration d) {
    return std::chrono::duration<double, std::milli>(d).count();
}

void BM_PlayerTimeToSound(benchmark::State& state) {
    EnsureApplication();
    const std::string url = Server().Url(kPaths[state.range(0)]);
    double soundTotal = 0, playingTotal = 0;
    for (auto _ : state) {
        std::string error;
        auto player = GstMediaPlayer::Create(&error, {.audioSink = kSink});
        if (!player) {
            state.SkipWithError(error.c_str());
            return;
        }
        StateLog log;
        player->SetEvents(&log);
        player->Open(url);
        const auto start = Clock::now();
        player->Play();
        PumpUntil([&] { return player->SoundStartedAt() && log.First(PlayState::Playing); },
                  std::chrono::seconds(15));
        if (!player->SoundStartedAt() || !log.First(PlayState::Playing)) {
            state.SkipWithError("no sound within 15 s");
            return;
        }
        const double sound = Ms(*player->SoundStartedAt() - start);
        soundTotal += sound;
        playingTotal += Ms(*log.First(PlayState::Playing) - start);
        state.SetIterationTime(sound / 1000.0);
    }
    state.counters["sound_ms"] = soundTotal / static_cast<double>(state.iterations());
    state.counters["spielt_ms"] = playingTotal / static_cast<double>(state.iterations());
}
BENCHMARK(BM_PlayerTimeToSound)
    ->Arg(0)
    ->Arg(1)
    ->Iterations(3)
    ->UseManualTime()
    ->Unit(benchmark::kMillisecond);

// A bare playbin as a player application would use it: default properties, paused while the
// buffering messages say it is below 100 %.
void BM_BarePlaybinTimeToSound(benchmark::State& state) {
    EnsureApplication();
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

// Plays the paced stream for 12 s and counts the gaps after sound started (audio reaching the
// sink after its time) and any return to "buffering": a live stream arriving at real-time rate
// must play on without them. The second argument is the lead in ms; 0 shows that the
// gap count does see gaps when the sound starts without one.
void BM_PlayerSteadyPlay(benchmark::State& state) {
    EnsureApplication();
    const std::string url = Server().Url(kPaths[state.range(0)]);
    int underruns = 0, bufferingAfterPlaying = 0;
    for (auto _ : state) {
        std::string error;
        platform::media::GstPlayerOptions options;
        options.audioSink = kSink;
        options.prebuffer = std::chrono::milliseconds(state.range(1));
        auto player = GstMediaPlayer::Create(&error, options);
        StateLog log;
        player->SetEvents(&log);
        player->Open(url);
        const auto start = Clock::now();
        player->Play();
        PumpUntil([] { return false; }, std::chrono::seconds(12));
        underruns += player->UnderrunCount();
        bool played = false;
        for (const auto& entry : log.states) {
            played = played || entry.first == static_cast<int>(PlayState::Playing);
            if (played && entry.first == static_cast<int>(PlayState::Buffering))
                ++bufferingAfterPlaying;
        }
        state.SetIterationTime(Ms(Clock::now() - start) / 1000.0);
    }
    state.counters["underruns"] = underruns;
    state.counters["buffering_after_spielt"] = bufferingAfterPlaying;
}
BENCHMARK(BM_PlayerSteadyPlay)
    ->Args({0, 300})
    ->Args({1, 300})
    ->Args({1, 0})
    ->Iterations(1)
    ->UseManualTime()
    ->Unit(benchmark::kMillisecond);

}  // namespace
