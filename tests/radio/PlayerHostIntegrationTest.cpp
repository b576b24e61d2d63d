// The player host with the real GStreamer player and a recording window: what a listener
// sees on the status line, in order.

#include "radio/PlayerEventSink.h"
#include "radio/PlayerHost.h"
#include "radio/PlayerWindow.h"
#include "tests/support/StreamServer.h"

#include <gtest/gtest.h>

#include <QTest>
#include <algorithm>

using namespace radio;

namespace {

struct RecordingWindow final : PlayerWindow {
    std::vector<std::string> received;
    void OnPlayerStatus(const std::string& text) override { received.push_back(text); }
    void OnCommand(int id) override { received.push_back("#" + std::to_string(id)); }
    bool Has(const std::string& entry) const {
        return std::find(received.begin(), received.end(), entry) != received.end();
    }
};

std::string Joined(const std::vector<std::string>& items) {
    std::string text;
    for (const auto& item : items) text += "[" + item + "]";
    return text;
}

class PlayerHostIntegration : public ::testing::Test {
  protected:
    static void SetUpTestSuite() { server = new testsupport::StreamServer(); }
    static void TearDownTestSuite() {
        delete server;
        server = nullptr;
    }
    void SetUp() override {
        PlayerEventSink::ResetStatusText();
        ASSERT_TRUE(host.Create(&window)) << "GStreamer and its HTTP audio plugins are needed";
        host.SetVolume(50);
    }
    void TearDown() override {
        ClearPlayerWindow();
        host.Shutdown();
    }
    bool WaitFor(const std::function<bool()>& condition, int ms = 10000) {
        return QTest::qWaitFor(condition, ms);
    }

    static testsupport::StreamServer* server;
    RecordingWindow window;
    PlayerHost host;
};

testsupport::StreamServer* PlayerHostIntegration::server = nullptr;

TEST_F(PlayerHostIntegration, ChoosingAStationShowsItsStatesThenSpieltWithCommand184) {
    host.Open(server->Url("/station.pls") + " ");
    host.Play();
    EXPECT_TRUE(host.IsPlaying());
    EXPECT_TRUE(host.IsPowerOn());
    ASSERT_TRUE(WaitFor([&] { return window.Has("#184"); })) << Joined(window.received);
    ASSERT_GE(window.received.size(), 3u);
    EXPECT_EQ(window.received.front(), "Wechseln");
    // "Spielt" comes first, then the command.
    const auto playing = std::find(window.received.begin(), window.received.end(), "Spielt");
    ASSERT_NE(playing, window.received.end());
    ASSERT_NE(playing + 1, window.received.end());
    EXPECT_EQ(*(playing + 1), "#184");
    EXPECT_FALSE(window.Has("Fertig - Verbindungsfehler"));

    host.Stop();
    EXPECT_TRUE(host.IsStopped());
    ASSERT_TRUE(WaitFor([&] { return window.received.back() == "Gestoppt"; }, 3000));
}

TEST_F(PlayerHostIntegration, StreamTitlesLandInTheStatusBuffer) {
    host.Open(server->Url("/icy.mp3"));
    host.Play();
    ASSERT_TRUE(WaitFor([&] { return window.Has("#184"); })) << Joined(window.received);
    ASSERT_TRUE(WaitFor([] { return PlayerEventSink::StatusText().rfind("Song ", 0) == 0; }))
        << PlayerEventSink::StatusText();
    // Titles are kept for the window to read, not announced.
    EXPECT_EQ(std::count_if(window.received.begin(), window.received.end(),
                            [](const std::string& s) { return s.rfind("Song", 0) == 0; }),
              0);
}

TEST_F(PlayerHostIntegration, ALocalFileAddressIsAConnectionErrorAndThePowerStaysOn) {
    host.Open(server->Url("/live.mp3"));
    host.Play();
    ASSERT_TRUE(WaitFor([&] { return window.Has("#184"); })) << Joined(window.received);
    window.received.clear();

    host.Open("file:///etc/passwd");
    host.Play();
    EXPECT_FALSE(host.IsPlaying());
    EXPECT_TRUE(host.IsStopped());
    EXPECT_TRUE(host.IsPowerOn());
    ASSERT_TRUE(WaitFor([&] { return !window.received.empty(); }, 3000));
    EXPECT_EQ(window.received, std::vector<std::string>{"Fertig - Verbindungsfehler"});
}

TEST_F(PlayerHostIntegration, MutedPlayIsUnmutedAndANewStationReplacesTheOldOne) {
    host.Open(server->Url("/live.ogg"));
    host.Play();
    ASSERT_TRUE(WaitFor([&] { return window.Has("#184"); }));
    host.ToggleMute();
    EXPECT_TRUE(host.IsMuted());
    window.received.clear();
    host.Open(server->Url("/live.mp3"));
    host.Play();
    EXPECT_FALSE(host.IsMuted());
    ASSERT_TRUE(WaitFor([&] { return window.Has("#184"); })) << Joined(window.received);
    EXPECT_EQ(window.received.front(), "Wechseln");
}

}  // namespace
