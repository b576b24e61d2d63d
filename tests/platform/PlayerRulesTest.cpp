// The player's rules without a pipeline, a network or an event loop: which address of a
// station is tried next, when a dropped stream is reopened, and which sources may open.

#include "platform/media/NetworkSourceGuard.h"
#include "platform/media/PlaylistResolver.h"
#include "platform/media/ReconnectPolicy.h"

#include <gtest/gtest.h>

#include <vector>

using namespace platform::media;
using namespace std::chrono_literals;
using Action = ResolverStep::Action;

namespace {

FetchedDocument Document(std::string body, std::string address, bool truncated = false) {
    FetchedDocument document;
    document.ok = true;
    document.httpStatus = 200;
    document.effectiveAddress = std::move(address);
    document.body = std::move(body);
    document.truncated = truncated;
    return document;
}

}  // namespace

TEST(ReconnectPolicy, WaitsDoubleUntilItGivesUp) {
    ReconnectPolicy policy;
    std::vector<std::chrono::milliseconds> waits;
    while (auto wait = policy.OnDrop(2s)) waits.push_back(*wait);
    EXPECT_EQ(waits, (std::vector<std::chrono::milliseconds>{500ms, 1000ms, 2000ms, 4000ms}));
    EXPECT_FALSE(policy.OnDrop(std::nullopt)) << "a reopening that never played also counts";
    policy.Reset();
    EXPECT_EQ(policy.OnDrop(std::nullopt), 500ms) << "a new station starts afresh";
}

TEST(ReconnectPolicy, AStreamThatPlayedLongEnoughHasRecovered) {
    ReconnectPolicy policy({.maxReconnects = 2, .firstDelay = 100ms, .stableAfter = 10s});
    EXPECT_EQ(policy.OnDrop(30s), 100ms);
    EXPECT_EQ(policy.OnDrop(9999ms), 200ms) << "short of stable: the count goes on";
    EXPECT_EQ(policy.OnDrop(10s), 100ms) << "stable: the count starts again";
    EXPECT_EQ(policy.OnDrop(std::nullopt), 200ms);
    EXPECT_EQ(policy.OnDrop(std::nullopt), std::nullopt);

    ReconnectPolicy patient({.maxReconnects = 40, .firstDelay = 1ms, .stableAfter = 10s});
    std::chrono::milliseconds last{};
    while (auto wait = patient.OnDrop(std::nullopt)) last = *wait;
    EXPECT_EQ(last, 1024ms) << "the doubling stops at 2^10";
}

TEST(PlaylistResolver, PlaysAnAudioAddressAndReadsAPlaylistFirst) {
    PlaylistResolver resolver;
    resolver.Start("http://radio.example/live.mp3");
    EXPECT_EQ(resolver.Next().action, Action::Play);
    EXPECT_EQ(resolver.Current().address, "http://radio.example/live.mp3");
    EXPECT_EQ(resolver.OnFailed(false).action, Action::GiveUp) << "nothing else to try";

    resolver.Start("http://radio.example/station.pls");
    EXPECT_EQ(resolver.Next().action, Action::Read);
    const ResolverStep step = resolver.OnRead(Document(
        "[playlist]\nFile1=file:///etc/passwd\nFile2=a.ogg\nFile3=http://b.example/b.mp3\n",
        "http://radio.example/station.pls"));
    EXPECT_EQ(step.action, Action::Play);
    EXPECT_TRUE(step.playlistChanged);
    EXPECT_EQ(resolver.Current().address, "http://radio.example/a.ogg")
        << "relative entries resolved, local files never tried";
    EXPECT_EQ(resolver.OnFailed(false).action, Action::Play);
    EXPECT_EQ(resolver.Current().address, "http://b.example/b.mp3");
    EXPECT_EQ(resolver.OnFailed(false).action, Action::GiveUp);
}

TEST(PlaylistResolver, ReadsWhatTheAddressDidNotPromiseOnlyOnce) {
    PlaylistResolver resolver;
    resolver.Start("http://radio.example/lying.mp3");
    ASSERT_EQ(resolver.Next().action, Action::Play);
    const ResolverStep read = resolver.OnFailed(true);
    EXPECT_EQ(read.action, Action::Read) << "content trouble: it may be a playlist";
    EXPECT_EQ(read.limits.totalTimeout, 5000ms) << "a second look, shorter";
    EXPECT_EQ(resolver.OnRead(Document("\xff\xfb binary", "", true)).action, Action::GiveUp)
        << "audio after all, which already failed";

    resolver.Start("http://radio.example/audio.pls");
    ASSERT_EQ(resolver.Next().action, Action::Read);
    EXPECT_EQ(resolver.OnRead(Document("\xff\xfb binary", "", true)).action, Action::Play)
        << "named like a playlist but serving audio: played as it is";
    EXPECT_EQ(resolver.OnFailed(true).action, Action::GiveUp) << "already read once";
}

TEST(PlaylistResolver, TellsWhyAStationCannotBeFound) {
    PlaylistResolver resolver;
    resolver.Start("http://radio.example/missing.pls");
    ASSERT_EQ(resolver.Next().action, Action::Read);
    FetchedDocument missing;
    missing.httpStatus = 404;
    const ResolverStep gone = resolver.OnRead(missing);
    EXPECT_EQ(gone.action, Action::GiveUp);
    EXPECT_EQ(gone.failure, FailureKind::StationNotFound);

    resolver.Start("http://radio.example/stream");
    ASSERT_EQ(resolver.Next().action, Action::Play);
    ASSERT_EQ(resolver.OnFailed(true).action, Action::Read);
    const ResolverStep page =
        resolver.OnRead(Document("<html><body>Welcome</body></html>", "http://radio.example/"));
    EXPECT_EQ(page.failure, FailureKind::NotAudio) << "text, but no playlist";
    EXPECT_EQ(page.action, Action::GiveUp);

    resolver.Start("http://radio.example/hls.m3u");
    ASSERT_EQ(resolver.Next().action, Action::Read);
    EXPECT_EQ(resolver
                  .OnRead(Document("#EXTM3U\n#EXT-X-TARGETDURATION:2\nseg0.ts\n",
                                   "http://radio.example/hls.m3u"))
                  .action,
              Action::Play)
        << "an HLS index is the player's to read";
}

TEST(PlaylistResolver, NestingAndAttemptsAreBounded) {
    // Each playlist names the next one: reading stops four levels down.
    PlaylistResolver resolver;
    resolver.Start("http://radio.example/0.pls");
    ResolverStep step = resolver.Next();
    int reads = 0;
    while (step.action == Action::Read) {
        ++reads;
        step = resolver.OnRead(Document("[playlist]\nFile1=" + std::to_string(reads) + ".pls\n",
                                        "http://radio.example/"));
    }
    EXPECT_EQ(reads, 5);
    EXPECT_EQ(step.action, Action::GiveUp);

    // A long list of dead entries is given up after 24 addresses in all.
    std::string list = "[playlist]\n";
    for (int i = 1; i <= 32; ++i)
        list += "File" + std::to_string(i) + "=s" + std::to_string(i) + "\n";
    resolver.Start("http://radio.example/long.pls");
    ASSERT_EQ(resolver.Next().action, Action::Read);
    int played = 0;
    for (step = resolver.OnRead(Document(list, "http://radio.example/"));
         step.action == Action::Play; step = resolver.OnFailed(false))
        ++played;
    EXPECT_EQ(played, 23) << "the list itself was the first of 24";
}

TEST(NetworkSourceGuard, OnlySourcesThatSpeakNothingButNetworkProtocolsPass) {
    EXPECT_TRUE(SpeaksOnlyNetworkProtocols({"http", "HTTPS", "icy"}));
    EXPECT_TRUE(SpeaksOnlyNetworkProtocols({"rtsp", "rtspt"}));
    EXPECT_FALSE(SpeaksOnlyNetworkProtocols({"http", "file"})) << "could be pointed at either";
    EXPECT_FALSE(SpeaksOnlyNetworkProtocols({"data"}));
    EXPECT_FALSE(SpeaksOnlyNetworkProtocols({"httpx"}));
    EXPECT_FALSE(SpeaksOnlyNetworkProtocols({})) << "names none";
}
