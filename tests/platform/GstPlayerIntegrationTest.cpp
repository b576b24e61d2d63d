// The GStreamer player against a local stream server: states in the order a listener sees
// them, playlists, titles, drops, dead and missing addresses, and the sound itself.

#include "platform/media/GstMediaPlayer.h"
#include "platform/media/PlaybinPipeline.h"
#include "platform/media/Playlist.h"
#include "platform/media/PlaylistFetcher.h"
#include "tests/support/IcecastServer.h"
#include "tests/support/ProcessUsage.h"
#include "tests/support/SoundServer.h"
#include "tests/support/StreamServer.h"

#include <gst/gst.h>
#include <gtest/gtest.h>

#include <malloc.h>
#include <unistd.h>
#include <QElapsedTimer>
#include <QTest>
#include <algorithm>
#include <cmath>
#include <cstring>
#include <fstream>
#include <iterator>

using namespace platform::media;
using namespace std::chrono_literals;

namespace {

struct Recorder final : MediaPlayerEvents {
    std::vector<int> states;
    std::vector<std::string> titles;
    std::vector<int> openStates;
    int errors = 0;
    std::vector<std::string> errorTexts;
    std::vector<std::pair<FailureKind, std::string>> failures;
    void OnPlayStateChange(PlayState state) override { states.push_back(static_cast<int>(state)); }
    void OnOpenStateChange(OpenState state) override {
        openStates.push_back(static_cast<int>(state));
    }
    void OnMediaChange(const MediaItem& item) override {
        auto title = item.attributes.find("Title");
        if (title != item.attributes.end() && (titles.empty() || titles.back() != title->second))
            titles.push_back(title->second);
    }
    void OnError(long, const std::string& text) override {
        ++errors;
        errorTexts.push_back(text);
    }
    void OnFailure(FailureKind kind, const std::string& detail) override {
        failures.emplace_back(kind, detail);
    }
    bool Saw(PlayState state) const {
        return std::count(states.begin(), states.end(), static_cast<int>(state)) > 0;
    }
    int Count(PlayState state) const {
        return static_cast<int>(std::count(states.begin(), states.end(), static_cast<int>(state)));
    }
};

bool WaitFor(const std::function<bool()>& condition, std::chrono::milliseconds limit) {
    return QTest::qWaitFor(condition, static_cast<int>(limit.count()));
}

// True when `expected` occurs in `states` in this order (other states may come between).
bool InOrder(const std::vector<int>& states, std::vector<PlayState> expected) {
    auto at = states.begin();
    for (PlayState state : expected) {
        at = std::find(at, states.end(), static_cast<int>(state));
        if (at == states.end())
            return false;
        ++at;
    }
    return true;
}

std::string Describe(const std::vector<int>& states) {
    std::string text;
    for (int s : states) text += std::to_string(s) + " ";
    return text;
}

GstPlayerOptions WithSink(const std::string& sink) {
    GstPlayerOptions options;
    options.audioSink = sink;
    return options;
}

GstPlayerOptions MeasuringGaps() {
    GstPlayerOptions options;
    options.measureGaps = true;
    return options;
}

class GstPlayerIntegration : public ::testing::Test {
  protected:
    static void SetUpTestSuite() {
        server = new testsupport::StreamServer({.dropAfter = 1500ms, .icyTitle = {}});
    }
    static void TearDownTestSuite() {
        delete server;
        server = nullptr;
    }

    std::unique_ptr<GstMediaPlayer> Make(GstPlayerOptions options = {}) {
        if (options.audioSink.empty())
            options.audioSink = "fakesink sync=true";
        auto created = GstMediaPlayer::Create(options);
        EXPECT_TRUE(created) << created.error();
        if (!created)
            return nullptr;
        auto player = std::move(created).value();
        player->SetEvents(&events);
        return player;
    }

    // Plays `address` and waits for "playing"; the states must start with "transitioning".
    void ExpectPlays(GstMediaPlayer& player, const std::string& address) {
        player.Open(address);
        ASSERT_TRUE(player.Play());
        ASSERT_TRUE(WaitFor([&] { return events.Saw(PlayState::Playing); }, 10s))
            << address << ": " << Describe(events.states);
        ASSERT_FALSE(events.states.empty());
        EXPECT_EQ(events.states.front(), static_cast<int>(PlayState::Transitioning));
        EXPECT_FALSE(events.Saw(PlayState::Ready)) << Describe(events.states);
    }

    static testsupport::StreamServer* server;
    Recorder events;
};

testsupport::StreamServer* GstPlayerIntegration::server = nullptr;

TEST_F(GstPlayerIntegration, LiveOggAndMp3StreamsPlayAndStop) {
    for (const char* path : {"/live.ogg", "/live.mp3"}) {
        events = {};
        auto player = Make();
        const auto start = std::chrono::steady_clock::now();
        ExpectPlays(*player, server->Url(path));
        ASSERT_TRUE(player->SoundStartedAt());
        EXPECT_LT(*player->SoundStartedAt() - start, 2s) << path;
        // Before the sound: "changing", then at most one "buffering", then "playing".
        const auto playing = std::find(events.states.begin(), events.states.end(),
                                       static_cast<int>(PlayState::Playing));
        std::vector<int> before(events.states.begin(), playing);
        const std::vector<int> withBuffering{9, 6};
        EXPECT_TRUE(before == std::vector<int>{9} || before == withBuffering)
            << path << ": " << Describe(events.states);
        player->Stop();
        ASSERT_TRUE(WaitFor([&] { return events.Saw(PlayState::Stopped); }, 2s));
        const auto countAfterStop = events.states.size();
        QTest::qWait(300);
        EXPECT_EQ(events.states.size(), countAfterStop) << "nothing follows Stop";
    }
}

TEST_F(GstPlayerIntegration, PlaylistsArePlayedByTheirFirstWorkingEntry) {
    const std::vector<std::pair<std::string, std::string>> cases = {
        {"/station.pls", "/live.ogg"},
        {"/station.m3u", "/live.ogg"},
        {"/station.xspf", "/live.ogg"},
        {"/station.asx", "/live.mp3?a=1&b=2"},  // its first entry is missing
        {"/nested.asx", "/live.mp3?a=1&b=2"},
        {"/unsafe.pls", "/live.ogg"},  // the file:// entry is never opened
        {"/lying.mp3", "/live.mp3"},   // a playlist under an audio name
    };
    for (const auto& [playlist, stream] : cases) {
        events = {};
        auto player = Make();
        // Station tables hold addresses with a trailing space and "&amp;".
        ExpectPlays(*player, server->Url(playlist) + " ");
        EXPECT_EQ(player->CurrentStreamAddress(), server->Url(stream)) << playlist;
        EXPECT_TRUE(std::count(events.openStates.begin(), events.openStates.end(),
                               static_cast<int>(OpenState::PlaylistChanged)))
            << playlist;
    }
    // And an address named like a playlist that serves audio is played as it is.
    events = {};
    auto player = Make();
    ExpectPlays(*player, server->Url("/audio.pls"));
    EXPECT_EQ(player->CurrentStreamAddress(), server->Url("/audio.pls"));
}

TEST_F(GstPlayerIntegration, GapsAreCountedOnlyWhenTheStreamCannotKeepUp) {
    auto player = Make(MeasuringGaps());
    ExpectPlays(*player, server->Url("/live.mp3"));
    QTest::qWait(3000);
    EXPECT_EQ(player->UnderrunCount(), 0) << "a stream at real-time rate plays on";
    EXPECT_LE(events.Count(PlayState::Buffering), 1) << Describe(events.states);

    events = {};
    auto slow = Make(MeasuringGaps());
    ExpectPlays(*slow, server->Url("/slow.mp3"));
    EXPECT_TRUE(WaitFor([&] { return slow->UnderrunCount() > 0; }, 4s))
        << "a stream at 70 % of real time must be heard to break up";
}

// The stream stalls for 3 s, longer than any start gave a lead for, then for 1.8 s every 3 s
// and sends what it held each time. A player that plays on from the lead it started with
// breaks up at every stall; one that holds its sound for a moment when it runs dry gathers a
// lead meanwhile and plays the later stalls through.
TEST_F(GstPlayerIntegration, ASoundThatRanDryIsHeldOnceAndThenPlaysThroughTheStalls) {
    GstPlayerOptions unheldOptions = MeasuringGaps();
    unheldOptions.rebuffer = 0ms;
    GstPlayerOptions heldOptions = MeasuringGaps();
    heldOptions.rebuffer = 2500ms;
    {
        // The plugins are loaded first: a start slowed by that would give a lead of seconds.
        auto warmUp = Make();
        ExpectPlays(*warmUp, server->Url("/live.mp3"));
    }
    events = {};
    auto unheld = Make(unheldOptions);
    auto held = Make(heldOptions);
    ExpectPlays(*unheld, server->Url("/stalls.mp3"));
    events = {};
    ExpectPlays(*held, server->Url("/stalls.mp3"));
    QTest::qWait(13000);
    // On a busy machine the sink that does not hold may come out of the first stall with a
    // lead long enough for the others; on a quiet one it breaks up at each of them.
    EXPECT_GE(unheld->UnderrunCount(), 1) << "the first stall must be heard";
    EXPECT_EQ(held->UnderrunCount(), 1) << "not held: " << unheld->UnderrunCount();
    EXPECT_EQ(events.states.back(), static_cast<int>(PlayState::Playing))
        << "holding the sound is not a change the listener is told about: "
        << Describe(events.states);
}

// The same, heard through a sound server: the sink of the desktop's sound server has a buffer
// of its own, and the hold must still come out as one gap and not as a stutter.
TEST_F(GstPlayerIntegration, TheListenerHearsOneGapWhereTheStreamStalledAgainAndAgain) {
    if (!testsupport::PrivateSoundServer::ToolsExist())
        GTEST_SKIP() << "pulseaudio and parec are not installed";
    testsupport::PrivateSoundServer sound({"held"});
    ASSERT_TRUE(sound.Available());
    testsupport::SoundMonitor monitor(sound, "held");
    ASSERT_TRUE(monitor.WaitUntilRecording(5s));
    GstPlayerOptions options;
    options.audioSink = "pulsesink server=" + sound.Address() + " device=held";
    options.rebuffer = 2500ms;
    auto player = Make(options);
    const auto play = testsupport::SoundClock::now();
    ExpectPlays(*player, server->Url("/stalls.mp3"));
    QTest::qWait(13000);
    const auto heard = monitor.FirstSoundAfter(play);
    ASSERT_TRUE(heard);
    // A stall is heard as a gap of a second or more. On a busy machine the sound server may
    // also drop a few blocks of 10 ms, or play a click of one block as the hold begins; those
    // are not what this counts.
    const std::vector<int> gaps = monitor.GapBlocks(*heard, testsupport::SoundClock::now(), 3);
    const auto stallGaps = std::count_if(gaps.begin(), gaps.end(), [](int g) { return g >= 30; });
    EXPECT_EQ(stallGaps, 1) << "gaps in blocks of 10 ms: " << ::testing::PrintToString(gaps);
    // The sound device's clock, just playing again after the hold, is no reason for another.
    EXPECT_EQ(player->UnderrunCount(), 1);
}

TEST_F(GstPlayerIntegration, IcyTitlesArriveAsMediaChanges) {
    auto player = Make();
    ExpectPlays(*player, server->Url("/icy.mp3"));
    ASSERT_TRUE(WaitFor([&] { return events.titles.size() >= 2; }, 8s))
        << "titles: " << events.titles.size();
    EXPECT_EQ(events.titles[0].rfind("Song ", 0), 0u) << events.titles[0];
    EXPECT_NE(events.titles[0], events.titles[1]);
}

TEST_F(GstPlayerIntegration, ADroppedStreamIsReopenedThenGivenUp) {
    GstPlayerOptions options;
    options.maxReconnects = 2;
    options.firstReconnectDelay = 100ms;
    auto player = Make(options);
    ExpectPlays(*player, server->Url("/drop.ogg"));
    ASSERT_TRUE(WaitFor([&] { return events.Saw(PlayState::Ready); }, 20s))
        << Describe(events.states);
    using S = PlayState;
    EXPECT_TRUE(InOrder(events.states, {S::Transitioning, S::Playing, S::Reconnecting, S::Playing,
                                        S::Reconnecting, S::Playing, S::Ready}))
        << Describe(events.states);
    EXPECT_EQ(events.Count(S::Reconnecting), 2);
    EXPECT_EQ(events.states.back(), static_cast<int>(S::Ready));
    EXPECT_EQ(server->RequestCount("/drop.ogg"), 3);
}

TEST_F(GstPlayerIntegration, UnreachableAndMissingAddressesEndInReady) {
    for (const std::string& address : {testsupport::StreamServer::DeadAddress(),
                                       server->Url("/missing.mp3"), server->Url("/missing.pls")}) {
        events = {};
        auto player = Make();
        player->Open(address);
        EXPECT_TRUE(player->Play());
        ASSERT_TRUE(WaitFor([&] { return events.Saw(PlayState::Ready); }, 10s)) << address;
        EXPECT_EQ(events.states.front(), static_cast<int>(PlayState::Transitioning));
        EXPECT_FALSE(events.Saw(PlayState::Playing)) << address;
    }
}

TEST_F(GstPlayerIntegration, AStreamThatNeverStartsFailsAtTheDeadline) {
    GstPlayerOptions options;
    options.startDeadline = 3s;
    auto player = Make(options);
    player->Open(server->Url("/trickle.mp3"));
    const auto start = std::chrono::steady_clock::now();
    ASSERT_TRUE(player->Play());
    ASSERT_TRUE(WaitFor([&] { return events.Saw(PlayState::Ready); }, 12s))
        << Describe(events.states);
    EXPECT_GE(std::chrono::steady_clock::now() - start, 2500ms) << "not before the deadline";
    EXPECT_FALSE(events.Saw(PlayState::Playing)) << Describe(events.states);
    const auto countAtFailure = events.states.size();
    QTest::qWait(500);
    EXPECT_EQ(events.states.size(), countAtFailure) << "nothing follows the failure";
    EXPECT_EQ(server->RequestCount("/trickle.mp3"), 1) << "given up, not retried";
}

TEST_F(GstPlayerIntegration, RefusedAddressesFailAtOnceWithReady) {
    for (const char* address : {"", "   ", "file:///etc/passwd", "ftp://127.0.0.1/x.mp3"}) {
        events = {};
        auto player = Make();
        player->Open(address);
        EXPECT_FALSE(player->Play()) << address;
        ASSERT_TRUE(WaitFor([&] { return !events.states.empty(); }, 2s));
        EXPECT_EQ(events.states, std::vector<int>{static_cast<int>(PlayState::Ready)}) << address;
    }
}

TEST_F(GstPlayerIntegration, AFiniteFileEndsWithMediaEnded) {
    auto player = Make(WithSink("fakesink sync=false"));
    ExpectPlays(*player, server->Url("/tone.mp3"));
    ASSERT_TRUE(WaitFor([&] { return events.Saw(PlayState::MediaEnded); }, 10s))
        << Describe(events.states);
    EXPECT_FALSE(events.Saw(PlayState::Reconnecting));
}

TEST_F(GstPlayerIntegration, SwitchingStationsAndDestroyingWhilePlayingAreSafe) {
    auto player = Make();
    ExpectPlays(*player, server->Url("/live.mp3"));
    events = {};
    player->Open(server->Url("/station.pls"));
    player->Play();
    player->Open(server->Url("/live.ogg"));  // a second switch before the first resolved
    player->Play();
    ASSERT_TRUE(WaitFor([&] { return events.Saw(PlayState::Playing); }, 10s));
    EXPECT_EQ(player->CurrentStreamAddress(), server->Url("/live.ogg"));
    player.reset();  // while playing: no hang, no late events
    QTest::qWait(200);
}

TEST_F(GstPlayerIntegration, PlaylistReadsAreBoundedAndStopEarlyOnAudio) {
    std::atomic<bool> cancel{false};
    const auto start = std::chrono::steady_clock::now();
    const FetchedDocument audio = FetchDocument(server->Url("/live.mp3"), cancel);
    EXPECT_TRUE(audio.ok);
    EXPECT_TRUE(audio.truncated);
    EXPECT_LT(std::chrono::steady_clock::now() - start, 2s) << "an endless stream is not read on";

    const FetchedDocument list = FetchDocument(server->Url("/station.pls"), cancel);
    EXPECT_TRUE(list.ok);
    EXPECT_FALSE(list.truncated);
    EXPECT_EQ(list.contentType, "audio/x-scpls");
    EXPECT_EQ(SniffPlaylistFormat(list.body), PlaylistFormat::Pls);

    EXPECT_FALSE(FetchDocument(server->Url("/missing.pls"), cancel).ok);
    EXPECT_FALSE(FetchDocument("file:///etc/passwd", cancel).ok);
    cancel = true;
    EXPECT_FALSE(FetchDocument(server->Url("/live.ogg"), cancel).ok);
}

// Least-squares slope of `values` taken at equal steps.
double Slope(const std::vector<double>& values) {
    const double n = static_cast<double>(values.size());
    const double meanX = (n - 1) / 2.0;
    double meanY = 0, num = 0, den = 0;
    for (double v : values) meanY += v / n;
    for (std::size_t i = 0; i < values.size(); ++i) {
        num += (static_cast<double>(i) - meanX) * (values[i] - meanY);
        den += (static_cast<double>(i) - meanX) * (static_cast<double>(i) - meanX);
    }
    return num / den;
}

// Memory per station start, as a straight line through samples: a leak of a few KB per start
// is millions of bytes over a day of switching. The heap in use is what leaks show in; the
// resident set also moves with the allocator's caches, so it gets more room.
TEST_F(GstPlayerIntegration, StationStartsDoNotGrowMemory) {
#if defined(__SANITIZE_ADDRESS__) || defined(__SANITIZE_THREAD__)
    // The sanitizers hold freed memory in quarantine, so every start looks like a leak.
    GTEST_SKIP() << "memory growth is not measurable under a sanitizer";
#endif
    constexpr int kWarmUp = 25, kSamples = 8, kCyclesPerSample = 10;
    auto player = Make();
    int cycle = 0;
    const auto startAndStop = [&] {
        events = {};
        // Two addresses, so every start is a new connection.
        player->Open(server->Url(++cycle % 2 ? "/live.mp3" : "/live.mp3?other"));
        player->Play();
        ASSERT_TRUE(WaitFor([&] { return events.Saw(PlayState::Playing); }, 10s))
            << Describe(events.states);
        player->Stop();
        ASSERT_TRUE(WaitFor([&] { return events.Saw(PlayState::Stopped); }, 5s));
    };
    for (int i = 0; i < kWarmUp; ++i) ASSERT_NO_FATAL_FAILURE(startAndStop());
    std::vector<double> heapKiB, rssKiB;
    for (int sample = 0; sample < kSamples; ++sample) {
        for (int i = 0; i < kCyclesPerSample; ++i) ASSERT_NO_FATAL_FAILURE(startAndStop());
        QTest::qWait(100);  // the last stop's queued calls run
        heapKiB.push_back(static_cast<double>(mallinfo2().uordblks) / 1024.0);
        rssKiB.push_back(static_cast<double>(testsupport::MeasureProcess(::getpid()).rssKiB));
    }
    // The media library's own tables settle slowly and a busy machine measured up to 1.07 KiB
    // and 4.06 KiB per start; a leak of one bus message per start is 170 KiB.
    EXPECT_LT(Slope(heapKiB) / kCyclesPerSample, 2.0)
        << "heap KiB per station start; 2,000 starts must stay under 4 MB";
    EXPECT_LT(Slope(rssKiB) / kCyclesPerSample, 8.0) << "resident KiB per station start";
}

// A listener's Play after a quiet spell starts the stream before the window gets to repaint
// for the click; commands following within the spacing are still merged into the last one.
TEST_F(GstPlayerIntegration, APlayAfterAQuietSpellStartsAtOnceAndWhatFollowsIsMerged) {
    auto player = Make();
    const std::string url = server->Url("/other.ogg");
    const int before = server->RequestCount("/other.ogg");
    player->Open(url);
    ASSERT_TRUE(player->Play());
    EXPECT_EQ(player->CurrentStreamAddress(), url) << "started before the event loop ran";
    player->Stop();
    ASSERT_TRUE(player->Play());
    ASSERT_TRUE(WaitFor([&] { return events.Saw(PlayState::Playing); }, 10s))
        << Describe(events.states);
    QTest::qWait(500);
    EXPECT_EQ(server->RequestCount("/other.ogg") - before, 1)
        << "the Stop and Play after the first one were merged: it plays on";
    EXPECT_FALSE(events.Saw(PlayState::Stopped)) << Describe(events.states);
}

TEST_F(GstPlayerIntegration, AFloodOfCommandsEndsInTheLastOneWithFewRestarts) {
    auto player = Make();
    const auto connections = [&] {
        return server->RequestCount("/live.mp3") + server->RequestCount("/live.ogg");
    };
    const int before = connections();
    // 10,000 calls in bursts of 200, as a held media key or a flood of bus calls sends them.
    for (int i = 0; i < 10000; ++i) {
        switch (i % 4) {
            case 0:
                player->Open(server->Url("/live.mp3"));
                player->Play();
                break;
            case 1:
                player->Stop();
                break;
            case 2:
                player->Open(server->Url("/live.ogg"));
                player->Play();
                break;
            default:
                player->Play();
                break;
        }
        if (i % 200 == 199)
            QTest::qWait(2);
    }
    // The last command was Play with /live.ogg open. A burst the player took up before the flood
    // ended may already play when it ends, and the last one start after that: the player
    // has settled once it plays and no state has come for half a second.
    std::size_t statesSeen = 0;
    auto lastChange = std::chrono::steady_clock::now();
    const auto settled = [&] {
        if (events.states.size() != statesSeen) {
            statesSeen = events.states.size();
            lastChange = std::chrono::steady_clock::now();
        }
        return !events.states.empty() &&
               events.states.back() == static_cast<int>(PlayState::Playing) &&
               std::chrono::steady_clock::now() - lastChange >= 500ms;
    };
    ASSERT_TRUE(WaitFor(settled, 10s))
        << Describe(events.states) << " connections mp3 " << server->RequestCount("/live.mp3")
        << ", ogg " << server->RequestCount("/live.ogg");
    EXPECT_EQ(player->CurrentStreamAddress(), server->Url("/live.ogg"));
    EXPECT_LT(connections() - before, 40) << "bursts are merged, not replayed one by one";
}

TEST_F(GstPlayerIntegration, PlaylistReadsUseAFewThreadsWhateverTheFlood) {
    auto player = Make();
    const int threadsBefore = testsupport::MeasureProcess(::getpid()).threads;
    int most = threadsBefore;
    // Playlists on a server that never answers: every read hangs until it is abandoned.
    for (int i = 0; i < 2000; ++i) {
        player->Open(server->Url("/hang.pls?" + std::to_string(i)));
        player->Play();
        if (i % 100 == 99) {
            QTest::qWait(20);
            most = std::max(most, testsupport::MeasureProcess(::getpid()).threads);
        }
    }
    QTest::qWait(1000);
    most = std::max(most, testsupport::MeasureProcess(::getpid()).threads);
    EXPECT_LE(most - threadsBefore, 8) << "threads in use beyond the player's own";
    player->Stop();
}

TEST_F(GstPlayerIntegration, HlsPlaysOverHttpButNeverFromLocalFiles) {
    auto player = Make();
    ExpectPlays(*player, server->Url("/hls/index.m3u8"));
    EXPECT_GE(server->RequestCount("/hls/segment00000.ts"), 1);
    player.reset();

    // Whatever part of the stream names a local file (every segment, a later segment, the
    // only variant), the stream ends in the connection-error state and is not reopened.
    for (const char* path : {"/hls/local.m3u8", "/hls/master-local.m3u8", "/hls/mixed.m3u8"}) {
        events = {};
        auto hostile = Make();
        hostile->Open(server->Url(path));
        ASSERT_TRUE(hostile->Play());
        ASSERT_TRUE(WaitFor([&] { return events.Saw(PlayState::Ready); }, 20s))
            << path << ": " << Describe(events.states);
        if (std::string(path) != "/hls/mixed.m3u8") {
            EXPECT_FALSE(events.Saw(PlayState::Playing)) << path << ": " << Describe(events.states);
        }
        EXPECT_FALSE(events.Saw(PlayState::Reconnecting)) << path;
        EXPECT_FALSE(events.Saw(PlayState::MediaEnded)) << path;
        EXPECT_EQ(events.states.back(), static_cast<int>(PlayState::Ready)) << path;
    }
}

// The guard holds for any source made anywhere in the process, not just the player's own.
TEST(NetworkSourceGuard, NonNetworkSourcesCannotStartButHttpCan) {
    const auto available = GstMediaPlayer::CheckAvailable();
    ASSERT_TRUE(available) << available.error();
    const auto tryToStart = [](const std::string& uri, bool* refused) {
        GstElement* source = gst_element_make_from_uri(GST_URI_SRC, uri.c_str(), nullptr, nullptr);
        if (!source)
            return GST_STATE_CHANGE_FAILURE;
        GstElement* pipeline = gst_pipeline_new(nullptr);
        GstElement* sink = gst_element_factory_make("fakesink", nullptr);
        gst_bin_add_many(GST_BIN(pipeline), source, sink, nullptr);
        gst_element_link(source, sink);
        const GstStateChangeReturn result = gst_element_set_state(pipeline, GST_STATE_PAUSED);
        GstBus* bus = gst_element_get_bus(pipeline);
        GstMessage* message = gst_bus_pop_filtered(bus, GST_MESSAGE_ERROR);
        *refused = false;
        if (message) {
            *refused = ReadStreamError(message).domain == StreamError::Domain::RefusedSource;
            gst_message_unref(message);
        }
        gst_object_unref(bus);
        gst_element_set_state(pipeline, GST_STATE_NULL);
        gst_object_unref(pipeline);
        return result;
    };
    for (const std::string uri : {"file:///etc/hostname", "data:text/plain,hello"}) {
        bool refused = false;
        EXPECT_EQ(tryToStart(uri, &refused), GST_STATE_CHANGE_FAILURE) << uri;
        EXPECT_TRUE(refused) << uri;
    }
    bool refused = true;
    EXPECT_NE(tryToStart(testsupport::StreamServer::DeadAddress(), &refused),
              GST_STATE_CHANGE_FAILURE);
    EXPECT_FALSE(refused);
}

// Notes, at each "playing", whether the player's sound had reached the sink by then.
struct HonestyCheck final : MediaPlayerEvents {
    const GstMediaPlayer* player = nullptr;
    std::vector<bool> soundBeforePlaying;
    void OnPlayStateChange(PlayState state) override {
        if (state != PlayState::Playing)
            return;
        const auto sound = player->SoundStartedAt();
        soundBeforePlaying.push_back(sound && *sound <= std::chrono::steady_clock::now());
    }
    void OnOpenStateChange(OpenState) override {}
    void OnMediaChange(const MediaItem&) override {}
    void OnError(long, const std::string&) override {}
};

// "Playing" tells the listener the sound has begun. This sink renders every buffer a second
// after its time, as a sound server with a long queue would: the pipeline is PLAYING long
// before anything reaches the listener, and "playing" must wait for the sound, with or
// without a lead held before the start.
TEST_F(GstPlayerIntegration, PlayingIsNeverReportedBeforeSoundReachedTheSink) {
    for (const auto lead : {0ms, 300ms}) {
        for (const char* path : {"/live.mp3", "/live.ogg"}) {
            auto options = WithSink("fakesink sync=true ts-offset=1000000000");
            options.prebuffer = lead;
            auto created = GstMediaPlayer::Create(options);
            ASSERT_TRUE(created) << created.error();
            auto player = std::move(created).value();
            HonestyCheck check;
            check.player = player.get();
            player->SetEvents(&check);
            player->Open(server->Url(path));
            ASSERT_TRUE(player->Play());
            ASSERT_TRUE(WaitFor([&] { return !check.soundBeforePlaying.empty(); }, 10s))
                << path << ": never reported playing";
            EXPECT_EQ(check.soundBeforePlaying, std::vector<bool>{true})
                << path << ", lead " << lead.count() << " ms";
        }
    }
}

TEST_F(GstPlayerIntegration, AnUnusableAudioSinkDescriptionIsNamedOnPlay) {
    auto player = Make(WithSink("nosuchsinkelement"));
    ASSERT_TRUE(player) << "a bad output description leaves the radio running";
    player->Open(server->Url("/live.mp3"));
    EXPECT_FALSE(player->Play());
    ASSERT_TRUE(WaitFor([&] { return events.Saw(PlayState::Ready); }, 2s));
    EXPECT_EQ(events.states, std::vector<int>{static_cast<int>(PlayState::Ready)});
    ASSERT_EQ(events.failures.size(), 1u);
    EXPECT_EQ(events.failures[0].first, FailureKind::AudioOutputInvalid);
    EXPECT_EQ(events.failures[0].second, "nosuchsinkelement");
    ASSERT_FALSE(events.errorTexts.empty());
    EXPECT_NE(events.errorTexts[0].find("nosuchsinkelement"), std::string::npos);
}

TEST_F(GstPlayerIntegration, AnOutputThatCannotOpenIsNotANetworkFailure) {
    const int requestsBefore = server->RequestCount("/live.mp3");
    auto player = Make(WithSink("wavenc ! filesink location=/nonexistent-folder/out.wav"));
    player->Open(server->Url("/live.mp3"));
    ASSERT_TRUE(player->Play());
    ASSERT_TRUE(WaitFor([&] { return events.Saw(PlayState::Ready); }, 10s))
        << Describe(events.states);
    EXPECT_FALSE(events.Saw(PlayState::Playing));
    ASSERT_FALSE(events.failures.empty());
    EXPECT_EQ(events.failures.back().first, FailureKind::NoAudioOutput);
    EXPECT_LE(server->RequestCount("/live.mp3") - requestsBefore, 1)
        << "another try at the address would not help the output";
}

// True when the desktop's automatic output would find a real device here.
bool HasRealSoundDevice() {
    GstElement* sink = gst_element_factory_make("autoaudiosink", nullptr);
    gst_object_ref_sink(sink);
    gst_element_set_state(sink, GST_STATE_READY);
    bool real = false;
    GstIterator* children = gst_bin_iterate_elements(GST_BIN(sink));
    GValue item = G_VALUE_INIT;
    while (gst_iterator_next(children, &item) == GST_ITERATOR_OK) {
        GstElementFactory* factory =
            gst_element_get_factory(GST_ELEMENT(g_value_get_object(&item)));
        real = real ||
               (factory && std::string(gst_plugin_feature_get_name(GST_PLUGIN_FEATURE(factory))) !=
                               "fakesink");
        g_value_reset(&item);
    }
    g_value_unset(&item);
    gst_iterator_free(children);
    gst_element_set_state(sink, GST_STATE_NULL);
    gst_object_unref(sink);
    return real;
}

TEST_F(GstPlayerIntegration, NoSoundDeviceIsReportedInsteadOfPlayingIntoNothing) {
    // No sound server answers here; the machine may still have a sound card.
    qputenv("PULSE_SERVER", "unix:/nonexistent/pulse/native");
    qunsetenv("TUNELINK_AUDIO_SINK");
    if (HasRealSoundDevice())
        GTEST_SKIP() << "this machine has a sound device the automatic output can open";
    auto created = GstMediaPlayer::Create();
    ASSERT_TRUE(created) << created.error();
    auto player = std::move(created).value();
    player->SetEvents(&events);
    player->Open(server->Url("/live.mp3"));
    ASSERT_TRUE(player->Play());
    ASSERT_TRUE(WaitFor([&] { return events.Saw(PlayState::Ready); }, 10s))
        << Describe(events.states);
    EXPECT_FALSE(events.Saw(PlayState::Playing)) << Describe(events.states);
    ASSERT_FALSE(events.failures.empty());
    EXPECT_EQ(events.failures.back().first, FailureKind::NoAudioOutput);
}

// --- sound ----------------------------------------------------------------------------

struct Wave {
    std::vector<double> samples;  // all channels, -1..1
};

Wave ReadWave(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    const std::string data((std::istreambuf_iterator<char>(in)), {});
    Wave wave;
    if (data.size() < 12 || data.compare(0, 4, "RIFF") || data.compare(8, 4, "WAVE"))
        return wave;
    const auto u16 = [&](std::size_t at) {
        return static_cast<unsigned>(static_cast<unsigned char>(data[at]) |
                                     static_cast<unsigned char>(data[at + 1]) << 8);
    };
    const auto u32 = [&](std::size_t at) { return u16(at) | u16(at + 2) << 16; };
    unsigned format = 0, bits = 0;
    for (std::size_t at = 12; at + 8 <= data.size();) {
        const std::string id = data.substr(at, 4);
        std::size_t size = u32(at + 4);
        if (id == "fmt ") {
            format = u16(at + 8);
            bits = u16(at + 22);
        } else if (id == "data") {
            // A file cut short keeps a zero or oversized length: take what is there.
            size = std::min(size == 0 ? data.size() : size, data.size() - at - 8);
            const char* p = data.data() + at + 8;
            const std::size_t step = bits / 8;
            for (std::size_t i = 0; step && i + step <= size; i += step) {
                if (format == 3 && bits == 32) {
                    float f;
                    std::memcpy(&f, p + i, 4);
                    wave.samples.push_back(f);
                } else if (format == 1 && bits == 16) {
                    wave.samples.push_back(static_cast<int16_t>(u16(at + 8 + i)) / 32768.0);
                } else if (format == 1 && bits == 32) {
                    wave.samples.push_back(static_cast<int32_t>(u32(at + 8 + i)) / 2147483648.0);
                }
            }
            break;
        }
        at += 8 + size + (size & 1);
    }
    return wave;
}

double Rms(const Wave& wave) {
    // The middle half: away from the codec's start-up and fade at the end.
    const std::size_t n = wave.samples.size();
    double sum = 0;
    for (std::size_t i = n / 4; i < n * 3 / 4; ++i) sum += wave.samples[i] * wave.samples[i];
    return n >= 4 ? std::sqrt(sum / static_cast<double>(n / 2)) : 0.0;
}

class GstPlayerSound : public GstPlayerIntegration {
  protected:
    // Plays the finite tone into a WAV file and returns the file's RMS level.
    double RecordRms(int volume, bool muted) {
        const std::string path = testsupport::StreamServer::AudioFolder() + "/recorded-" +
                                 std::to_string(volume) + (muted ? "-muted" : "") + ".wav";
        events = {};
        auto player = Make(WithSink("wavenc ! filesink location=" + path));
        player->SetVolume(volume);
        player->SetMuted(muted);
        player->Open(server->Url("/tone.ogg"));
        player->Play();
        EXPECT_TRUE(WaitFor([&] { return events.Saw(PlayState::MediaEnded); }, 15s))
            << Describe(events.states);
        player.reset();
        const Wave wave = ReadWave(path);
        EXPECT_GT(wave.samples.size(), 44100u * 2 * 3) << "at least 3 s of stereo sound";
        return Rms(wave);
    }
};

TEST_F(GstPlayerSound, SoundFollowsVolumeAndMute) {
    // The tone is a sine at half scale: RMS 0.5 / sqrt(2).
    const double full = RecordRms(100, false);
    EXPECT_NEAR(full, 0.3536, 0.035);
    // Volume follows a cubic curve: 50 is (0.5)^3 of full amplitude.
    const double half = RecordRms(50, false);
    EXPECT_NEAR(half / full, 0.125, 0.0125);
    EXPECT_LT(RecordRms(100, true), 1e-4);
}

}  // namespace

// --- a real Icecast 2 server ----------------------------------------------------------

TEST_F(GstPlayerIntegration, PlaysARealIcecastMountWithItsTitlesAndItsPlaylists) {
    testsupport::IcecastServer icecast;
    if (!icecast.Running())
        GTEST_SKIP() << "no Icecast server to test against: " << icecast.Problem();
    const std::string mount = icecast.Url(testsupport::IcecastServer::kMount);
    // The source client sends its own "Unknown - Unknown" whenever its encoder's tags reach
    // it, which may come after a title set by hand: the title is set again until it shows,
    // as a station's title is whatever was set last.
    auto titleShown = [&](const std::string& title) {
        QElapsedTimer sinceSet;
        return WaitFor(
            [&] {
                if (!events.titles.empty() && events.titles.back() == title)
                    return true;
                if (!sinceSet.isValid() || sinceSet.hasExpired(3000)) {
                    EXPECT_TRUE(icecast.SetTitle(title));
                    sinceSet.start();
                }
                return false;
            },
            30s);
    };
    {
        auto player = Make();
        ExpectPlays(*player, mount);
        ASSERT_TRUE(titleShown("Erste Sendung"))
            << (events.titles.empty() ? "no title" : events.titles.back());
        // The station changes its title while we listen.
        EXPECT_TRUE(titleShown("Zweite Sendung & mehr")) << events.titles.back();
    }
    // The playlists Icecast itself generates for the mount.
    for (const char* playlist : {".m3u", ".xspf"}) {
        events = {};
        auto player = Make();
        ExpectPlays(*player, mount + playlist);
        EXPECT_EQ(player->CurrentStreamAddress(), mount) << playlist;
    }
}
