#include "radio/core/PlayerEventSink.h"
#include "radio/core/PlayerHost.h"
#include "tests/support/LocaleScope.h"

#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <vector>

using namespace radio;
using platform::media::MediaItem;
using platform::media::MediaPlayer;
using platform::media::MediaPlayerEvents;

namespace {

struct FakePlayer final : MediaPlayer {
    MediaPlayerEvents* events = nullptr;
    std::vector<std::string> calls;
    bool playSucceeds = true;
    bool muted = false;
    int volume = -1;
    void SetEvents(MediaPlayerEvents* e) override { events = e; }
    void Open(const std::string& address) override { calls.push_back("Open " + address); }
    bool Play() override {
        calls.push_back(muted ? "Play muted" : "Play");
        return playSucceeds;
    }
    bool Stop() override {
        calls.push_back(muted ? "Stop muted" : "Stop");
        return true;
    }
    bool Muted() const override { return muted; }
    void SetMuted(bool m) override { muted = m; }
    int Volume() const override { return volume; }
    void SetVolume(int v) override { volume = v; }
};

// Records what reaches the radio, in order: "status:<text>" for each play state (the state
// itself in `states`) and the stream titles.
struct RecordingListener final : PlayerListener {
    std::vector<std::string> received;
    std::vector<platform::media::PlayState> states;
    std::vector<std::string> titles;
    void OnPlayState(platform::media::PlayState state, const std::string& text) override {
        received.push_back("status:" + text);
        states.push_back(state);
    }
    void OnMediaTitle(const std::string& title) override { titles.push_back(title); }
};

// The status texts are checked as a German user sees them, which must never change; the
// English ones where a test says so.
class PlayerHostTest : public ::testing::Test {
  protected:
    testsupport::LocaleScope german_{testsupport::kGerman};
    void SetUp() override {
        host = std::make_unique<PlayerHost>([this]() -> PlayerHost::MadePlayer {
            auto made = std::make_unique<FakePlayer>();
            player = made.get();
            return std::unique_ptr<MediaPlayer>(std::move(made));
        });
        ASSERT_TRUE(host->Create(&window));
    }

    RecordingListener window;
    FakePlayer* player = nullptr;
    std::unique_ptr<PlayerHost> host;
};

}  // namespace

TEST_F(PlayerHostTest, StartsWithEverythingOffAndPlaysAnOpenedAddress) {
    EXPECT_FALSE(host->IsPlaying() || host->IsStopped() || host->IsMuted() || host->IsPowerOn());
    host->Open("http://radio.example/a.pls ");
    host->Play();
    EXPECT_EQ(player->calls,
              (std::vector<std::string>{"Open http://radio.example/a.pls ", "Play"}));
    EXPECT_TRUE(host->IsPlaying());
    EXPECT_TRUE(host->IsPowerOn());
    EXPECT_FALSE(host->IsStopped());

    host->Stop();
    EXPECT_TRUE(host->IsStopped());
    EXPECT_FALSE(host->IsPlaying());
    EXPECT_TRUE(host->IsPowerOn()) << "Stop leaves the power alone";
}

TEST_F(PlayerHostTest, APlayRefusedAtOnceLeavesThePowerAsItWas) {
    player->playSucceeds = false;
    host->Play();
    EXPECT_FALSE(host->IsPlaying());
    EXPECT_TRUE(host->IsStopped());
    EXPECT_FALSE(host->IsPowerOn());

    player->playSucceeds = true;
    host->Play();
    ASSERT_TRUE(host->IsPowerOn());
    player->playSucceeds = false;
    host->Open("");
    host->Play();
    EXPECT_TRUE(host->IsPowerOn()) << "a bad station must not switch the radio off";
    EXPECT_FALSE(host->IsPlaying());
    EXPECT_TRUE(host->IsStopped());
}

TEST_F(PlayerHostTest, AMissingSoundOutputIsToldApartFromANetworkFailure) {
    using platform::media::FailureKind;
    using platform::media::PlayState;
    const auto ready = PlayState::Ready;
    host->Play();
    player->events->OnFailure(FailureKind::Connection, "");
    player->events->OnPlayStateChange(ready);
    EXPECT_EQ(window.received.back(), "status:Fertig - Verbindungsfehler");

    player->events->OnPlayStateChange(PlayState::Transitioning);
    player->events->OnFailure(FailureKind::NoAudioOutput, "no sound device found");
    player->events->OnPlayStateChange(ready);
    EXPECT_EQ(window.received.back(), "status:Fertig - Verbindungsfehler: keine Tonausgabe");
    EXPECT_FALSE(host->IsPlaying()) << "nothing can be heard: not playing, on the bus either";

    // The next start forgets the reason.
    host->Play();
    player->events->OnPlayStateChange(PlayState::Transitioning);
    EXPECT_TRUE(host->IsPlaying());
    player->events->OnFailure(FailureKind::AudioOutputInvalid, "nosuchsink\x1b[2J ! x");
    player->events->OnPlayStateChange(ready);
    EXPECT_EQ(window.received.back(),
              "status:Fertig - Verbindungsfehler: Tonausgabe \"nosuchsink[2J ! x\" ungültig "
              "(TUNELINK_AUDIO_SINK)");
    EXPECT_FALSE(host->IsPlaying());
}

// Each cause of a failed start has its reason after the "ready" text, in the user's language;
// a failure of unknown cause keeps the plain text, and the next start forgets the reason.
TEST_F(PlayerHostTest, AFailedStartNamesItsReasonInTheUsersLanguage) {
    using platform::media::FailureKind;
    using platform::media::PlayState;
    struct Case {
        FailureKind kind;
        const char* german;
        const char* english;
    };
    const Case cases[] = {
        {FailureKind::NoAnswer, "Fertig - Verbindungsfehler: Server antwortet nicht",
         "Connection error: server does not answer"},
        {FailureKind::NotAudio, "Fertig - Verbindungsfehler: kein Audio-Stream",
         "Connection error: not an audio stream"},
        {FailureKind::AddressNotFound, "Fertig - Verbindungsfehler: Adresse nicht gefunden",
         "Connection error: address not found"},
        {FailureKind::StationNotFound, "Fertig - Verbindungsfehler: Sender nicht gefunden",
         "Connection error: station not found"},
        {FailureKind::Connection, "Fertig - Verbindungsfehler", "Connection error"},
    };
    const auto failWith = [&](FailureKind kind) {
        host->Play();
        player->events->OnPlayStateChange(PlayState::Transitioning);
        player->events->OnFailure(kind, "");
        player->events->OnPlayStateChange(PlayState::Ready);
        return host->StatusText();
    };
    for (const Case& c : cases) {
        EXPECT_EQ(failWith(c.kind), c.german);
        EXPECT_TRUE(host->IsPlaying()) << "the sound output is not to blame";
        testsupport::LocaleScope english(testsupport::kEnglish);
        EXPECT_EQ(failWith(c.kind), c.english);
    }
    // A reason belongs to its own start: "switching" clears it.
    failWith(FailureKind::NoAnswer);
    player->events->OnPlayStateChange(PlayState::Transitioning);
    player->events->OnPlayStateChange(PlayState::Ready);
    EXPECT_EQ(host->StatusText(), "Fertig - Verbindungsfehler");
}

TEST_F(PlayerHostTest, PlayAndStopUnmuteFirst) {
    host->ToggleMute();
    EXPECT_TRUE(host->IsMuted());
    EXPECT_TRUE(player->muted);
    host->Play();
    EXPECT_EQ(player->calls.back(), "Play");
    EXPECT_FALSE(host->IsMuted());
    host->ToggleMute();
    host->Stop();
    EXPECT_EQ(player->calls.back(), "Stop");
    EXPECT_FALSE(host->IsMuted());
}

TEST_F(PlayerHostTest, VolumePowerAndShutdown) {
    host->SetVolume(81);
    EXPECT_EQ(player->volume, 81);
    host->SetVolume(140);
    EXPECT_EQ(player->volume, 100);
    host->TogglePower();
    EXPECT_TRUE(host->IsPowerOn());
    EXPECT_FALSE(host->IsStopped());
    host->TogglePower();
    EXPECT_FALSE(host->IsPowerOn());
    EXPECT_TRUE(host->IsStopped());

    host->Shutdown();
    EXPECT_FALSE(host->IsCreated());
    host->Play();  // after shutdown: nothing to play with, nothing crashes
    EXPECT_FALSE(host->IsPlaying());
    host->Shutdown();
}

TEST(PlayerHost, CreateFailsWithoutAPlayerAndShutdownOfANeverCreatedHostIsHarmless) {
    PlayerHost never([]() -> PlayerHost::MadePlayer { return util::Error{"no media library"}; });
    never.Shutdown();
    RecordingListener listener;
    EXPECT_FALSE(never.Create(&listener));
    EXPECT_FALSE(never.IsCreated());
    never.Play();
    EXPECT_FALSE(never.IsPlaying());
}

TEST_F(PlayerHostTest, EveryPlayStateBecomesItsTextForTheRadio) {
    const char* texts[] = {"Unbestimmt",
                           "Gestoppt",
                           "Pausiert",
                           "Spielt",
                           "Forlauf",
                           "Rücklauf",
                           "Puffern",
                           "Warte",
                           "Wiedergabe beendet",
                           "Wechseln",
                           "Fertig - Verbindungsfehler",
                           "Wieder verbindend"};
    for (int state = 0; state < 12; ++state) {
        window.received.clear();
        window.states.clear();
        player->events->OnPlayStateChange(static_cast<platform::media::PlayState>(state));
        EXPECT_EQ(host->StatusText(), texts[state]);
        EXPECT_EQ(window.received, std::vector<std::string>{std::string("status:") + texts[state]});
        EXPECT_EQ(window.states, std::vector<platform::media::PlayState>{
                                     static_cast<platform::media::PlayState>(state)});
    }
    window.received.clear();
    player->events->OnPlayStateChange(static_cast<platform::media::PlayState>(12));
    player->events->OnPlayStateChange(static_cast<platform::media::PlayState>(-1));
    EXPECT_TRUE(window.received.empty());
    EXPECT_EQ(host->StatusText(), "Wieder verbindend");

    testsupport::LocaleScope english(testsupport::kEnglish);
    const char* englishTexts[] = {
        "Undefined", "Stopped", "Paused",         "Playing",   "Scanning forward", "Scanning back",
        "Buffering", "Waiting", "Playback ended", "Switching", "Connection error", "Reconnecting"};
    for (int state = 0; state < 12; ++state) {
        player->events->OnPlayStateChange(static_cast<platform::media::PlayState>(state));
        EXPECT_EQ(host->StatusText(), englishTexts[state]);
    }
}

TEST_F(PlayerHostTest, NothingIsSentOnceTheRadioHasDetached) {
    host->Detach();
    player->events->OnPlayStateChange(platform::media::PlayState::Playing);
    EXPECT_EQ(host->StatusText(), "Spielt");
    MediaItem item;
    item.attributes["Title"] = "Artist - Song";
    player->events->OnMediaChange(item);
    EXPECT_TRUE(window.received.empty());
    EXPECT_TRUE(window.titles.empty());
}

TEST_F(PlayerHostTest, TitlesFillTheStatusBufferQuietlyUnlessTheyArePlaceholders) {
    player->events->OnPlayStateChange(static_cast<platform::media::PlayState>(3));
    window.received.clear();
    MediaItem item;
    item.attributes["Title"] = "Artist - Song";
    player->events->OnMediaChange(item);
    EXPECT_EQ(host->StatusText(), "Artist - Song");
    for (const char* placeholder : {"Playlist 1", "My Playlist", "$TITLE", "a$b"}) {
        item.attributes["Title"] = placeholder;
        player->events->OnMediaChange(item);
        EXPECT_EQ(host->StatusText(), "Artist - Song") << placeholder;
    }
    item.attributes.erase("Title");
    item.attributes["Author"] = "Someone";
    player->events->OnMediaChange(item);
    EXPECT_EQ(host->StatusText(), "Artist - Song");
    player->events->OnError(5, "error");
    player->events->OnOpenStateChange(platform::media::OpenState::PlaylistChanged);
    EXPECT_TRUE(window.received.empty()) << "titles, errors and open states are not announced";
}

// The stream's title is whatever the server sends. It reaches the window (and from there
// the status line, the window title, the session bus and the log) as one bounded line.
TEST_F(PlayerHostTest, AHostileTitleArrivesAsOneBoundedLineWithoutFormatting) {
    RecordingListener& titleWindow = window;
    MediaItem item;
    item.attributes["Title"] =
        "Song\x1b]0;owned\x07\r\nB\xE2\x80\xAE"
        "3pm.exe\xE2\x81\xA6" +
        std::string(100 * 1024, 'z');
    player->events->OnMediaChange(item);
    ASSERT_EQ(titleWindow.titles.size(), 1u);
    const std::string& title = titleWindow.titles[0];
    EXPECT_EQ(title.substr(0, 22), "Song]0;owned  B3pm.exe");
    EXPECT_EQ(title.size(), 255u + 3u);  // 255 characters and the ellipsis
    EXPECT_EQ(title.substr(255), "\xE2\x80\xA6");
    EXPECT_EQ(host->StatusText(), title);

    // A placeholder stays one after the cleaning.
    item.attributes["Title"] = "Play\xE2\x80\xAElist";
    player->events->OnMediaChange(item);
    EXPECT_EQ(titleWindow.titles.size(), 1u);
}
