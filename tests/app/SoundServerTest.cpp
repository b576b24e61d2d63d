// The ear the benchmarks listen with: a private PulseAudio server and a recorder on its null
// sink that tells sound from silence.
#include "tests/support/SoundServer.h"

#include <gtest/gtest.h>
#include <QProcess>

#include <cmath>
#include <cstdint>
#include <vector>

namespace {

using testsupport::CountGapsIn;
using testsupport::LevelDbfs;
using namespace std::chrono_literals;

std::vector<std::int16_t> Sine(double amplitude, std::size_t samples) {
    std::vector<std::int16_t> out(samples);
    for (std::size_t i = 0; i < samples; ++i)
        out[i] = static_cast<std::int16_t>(amplitude * 32767.0 * std::sin(i * 2 * M_PI / 100.0));
    return out;
}

TEST(SoundLevel, FullScaleSineIsThreeDecibelsBelowFullScaleAndSilenceHasNoLevel) {
    const auto full = Sine(1.0, 882);
    EXPECT_NEAR(LevelDbfs(full.data(), full.size()), -3.0, 0.1);
    const auto quiet = Sine(0.005, 882);  // about -49 dBFS: silence to a listener
    EXPECT_LT(LevelDbfs(quiet.data(), quiet.size()), testsupport::SoundMonitor::kSoundDbfs);
    const auto soft = Sine(0.05, 882);  // about -29 dBFS: heard
    EXPECT_GT(LevelDbfs(soft.data(), soft.size()), testsupport::SoundMonitor::kSoundDbfs);
    const std::vector<std::int16_t> zeros(882, 0);
    EXPECT_TRUE(std::isinf(LevelDbfs(zeros.data(), zeros.size())));
    EXPECT_TRUE(std::isinf(LevelDbfs(nullptr, 0)));
}

// 10 ms of a tone on both channels of 44.1 kHz stereo, as the monitor reads it.
std::vector<std::int16_t> StereoTone(double hz, double amplitude, double phase = 0.3) {
    std::vector<std::int16_t> out;
    for (int i = 0; i < 441; ++i) {
        const auto s = static_cast<std::int16_t>(amplitude * 32767.0 *
                                                 std::sin(phase + i * 2 * M_PI * hz / 44100));
        out.push_back(s);
        out.push_back(s);
    }
    return out;
}

double Share(const std::vector<std::int16_t>& block, double hz) {
    return testsupport::ToneShare(block.data(), block.size() / 2, 2, hz, 44100);
}

// Two stations a listener tells apart by their tones: 440 Hz and 880 Hz, at any phase and
// level, in blocks of 10 ms that do not hold whole periods.
TEST(SoundLevel, ABlockIsKnownByItsToneAndNotTakenForAnOctaveAway) {
    for (double phase : {0.0, 1.0, 2.5}) {
        for (double amplitude : {0.5, 0.05}) {
            EXPECT_GT(Share(StereoTone(440, amplitude, phase), 440), 0.9);
            EXPECT_LT(Share(StereoTone(440, amplitude, phase), 880), 0.1);
            EXPECT_GT(Share(StereoTone(880, amplitude, phase), 880), 0.9);
            EXPECT_LT(Share(StereoTone(880, amplitude, phase), 440), 0.1);
        }
    }
    // Half of each: neither tone dominates.
    auto mixed = StereoTone(440, 0.25);
    const auto other = StereoTone(880, 0.25);
    for (std::size_t i = 0; i < mixed.size(); ++i)
        mixed[i] = static_cast<std::int16_t>(mixed[i] + other[i]);
    EXPECT_LT(Share(mixed, 440), 0.7);
    EXPECT_LT(Share(mixed, 880), 0.7);
    const std::vector<std::int16_t> zeros(882, 0);
    EXPECT_EQ(Share(zeros, 440), 0.0);
    EXPECT_EQ(testsupport::ToneShare(nullptr, 0, 2, 440, 44100), 0.0);
}

TEST(SoundLevel, GapsAreSilentRunsBetweenSoundNotTheSilenceBeforeOrAfter) {
    EXPECT_EQ(CountGapsIn({}), 0);
    EXPECT_EQ(CountGapsIn({false, false, true, true, false}), 0);
    EXPECT_EQ(CountGapsIn({true, false, true}), 1);
    EXPECT_EQ(CountGapsIn({false, true, false, false, false, true, true, false, true, false}), 2);
    EXPECT_EQ(testsupport::GapLengthsIn(
                  {false, true, false, false, false, true, true, false, true, false}),
              (std::vector<int>{3, 1}));
    // A click of less than three blocks inside a gap does not end it; sound at the end does.
    EXPECT_EQ(testsupport::GapLengthsIn(
                  {true, false, true, false, false, true, true, true, false, true}, 3),
              (std::vector<int>{4, 1}));
}

// A real server: a tone played into one null sink is heard on its monitor, as that tone, and
// not on the other sink's.
TEST(PrivateSoundServer, HearsWhatIsPlayedIntoItsSinkAndOnlyThere) {
    if (!testsupport::PrivateSoundServer::ToolsExist())
        GTEST_SKIP() << "pulseaudio and parec are not installed";
    testsupport::PrivateSoundServer server({"one", "two"});
    ASSERT_TRUE(server.Available());
    testsupport::SoundMonitor one(server, "one", {440, 880}), two(server, "two");
    ASSERT_TRUE(one.WaitUntilRecording(5s));
    ASSERT_TRUE(two.WaitUntilRecording(5s));
    const auto start = testsupport::SoundClock::now();
    EXPECT_FALSE(one.FirstSoundAfter(start));

    QProcess player;
    auto env = QProcessEnvironment::systemEnvironment();
    server.AddClientEnvironment(env, "one");
    player.setProcessEnvironment(env);
    player.start("gst-launch-1.0", {"-q", "audiotestsrc", "num-buffers=50", "freq=880",
                                    "volume=0.3", "!", "audioconvert", "!", "pulsesink"});
    ASSERT_TRUE(player.waitForFinished(20000));
    EXPECT_EQ(player.exitCode(), 0) << player.readAll().constData();
    EXPECT_TRUE(one.WaitForSilence(200ms, 5s));

    const auto heard = one.FirstSoundAfter(start);
    ASSERT_TRUE(heard);
    EXPECT_FALSE(two.FirstSoundAfter(start));
    EXPECT_TRUE(one.FirstToneAfter(start, 880));
    EXPECT_FALSE(one.FirstToneAfter(start, 440));
    EXPECT_FALSE(one.FirstToneAfter(start, 1000)) << "not a tone the monitor listens for";
    // About a second of tone; on a busy machine the player may fall behind the server once.
    EXPECT_LE(one.CountGaps(*heard, testsupport::SoundClock::now()), 1);
}

}  // namespace
