// Time to sound on a stream served like an internet radio server (no Content-Length, paced at
// real time), for our player next to a bare playbin with default settings, in the same run.
//
//   tunelink_bench --benchmark_filter=Player
//
// "sound" is the first audio buffer reaching the sink while the pipeline plays (with
// fakesink sync=true, which renders at clock time like a sound card). The bare playbin is
// in bench/playbin/.

#include "bench/PlayerBenchSupport.h"
#include "platform/media/GstMediaPlayer.h"

#include <benchmark/benchmark.h>

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

using namespace playerbench;
using platform::media::GstMediaPlayer;
using platform::media::PlayState;

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

void BM_PlayerTimeToSound(benchmark::State& state) {
    EnsureApplication();
    const std::string url = Server().Url(kPaths[state.range(0)]);
    double soundTotal = 0, playingTotal = 0;
    for (auto _ : state) {
        auto created = GstMediaPlayer::Create({.audioSink = kSink});
        if (!created) {
            state.SkipWithError(created.error().message.c_str());
            return;
        }
        auto player = std::move(created).value();
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

// Plays the paced stream for 12 s and counts the gaps after sound started (audio reaching the
// sink after its time) and any return to "buffering": a live stream arriving at real-time rate
// must play on without them. The second argument is the lead in ms; 0 shows that the
// gap count does see gaps when the sound starts without one.
void BM_PlayerSteadyPlay(benchmark::State& state) {
    EnsureApplication();
    const std::string url = Server().Url(kPaths[state.range(0)]);
    int underruns = 0, bufferingAfterPlaying = 0;
    for (auto _ : state) {
        platform::media::GstPlayerOptions options;
        options.audioSink = kSink;
        options.prebuffer = std::chrono::milliseconds(state.range(1));
        options.measureGaps = true;
        auto created = GstMediaPlayer::Create(options);
        if (!created) {
            state.SkipWithError(created.error().message.c_str());
            return;
        }
        auto player = std::move(created).value();
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
