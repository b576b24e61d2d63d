// The radio's rules with a fake player, a recording view and timers that run only when the
// test moves the clock: what the status line says, which station plays, the power and the
// volume, without a display and without waiting.

#include "radio/core/Commands.h"
#include "radio/core/Radio.h"
#include "tests/support/FakeMediaPlayer.h"
#include "tests/support/LocaleScope.h"
#include "util/Profile.h"

#include <gtest/gtest.h>

#include <map>
#include <optional>

using namespace radio;
using platform::media::PlayState;
using namespace std::chrono_literals;

namespace {

struct RecordingView final : RadioView {
    std::vector<std::string> statusTexts;
    Controls controls;
    int volume = -1;
    int dialShown = 0;
    bool pointerHeld = false;
    std::vector<int> editedUserSlots;
    std::vector<int> commands;
    int playerMissing = 0;
    int changes = 0;
    void ShowStatusText(const std::string& text) override { statusTexts.push_back(text); }
    void ShowControls(const Controls& c) override { controls = c; }
    void ShowVolume(int v) override { volume = v; }
    void ShowDial() override { ++dialShown; }
    void HoldPointer(bool hold) override { pointerHeld = hold; }
    void EditFavorite(int userSlot) override { editedUserSlots.push_back(userSlot); }
    void RunCommand(int id) override { commands.push_back(id); }
    void PlayerMissing() override { ++playerMissing; }
    void Changed() override { ++changes; }
};

// Timers on a clock of the test's own: Advance() fires whatever falls due.
struct FakeTimers final : RadioTimers {
    std::chrono::milliseconds now{0};
    std::map<RadioTimer, std::chrono::milliseconds> due;
    std::map<RadioTimer, std::chrono::milliseconds> intervals;
    Radio* radio = nullptr;
    void Start(RadioTimer timer, std::chrono::milliseconds after) override {
        due[timer] = now + after;
        intervals[timer] = after;
    }
    void Stop(RadioTimer timer) override { due.erase(timer); }
    bool IsActive(RadioTimer timer) const override { return due.count(timer) > 0; }
    void Advance(std::chrono::milliseconds by) {
        const auto end = now + by;
        for (;;) {
            std::optional<RadioTimer> next;
            for (const auto& [timer, at] : due)
                if (at <= end && (!next || at < due[*next]))
                    next = timer;
            if (!next)
                break;
            now = due[*next];
            radio->OnTimer(*next);
        }
        now = end;
    }
};

class RadioTest : public ::testing::Test {
  protected:
    testsupport::LocaleScope german_{testsupport::kGerman};  // the texts a German user sees
    RadioTest() {
        timers.radio = &radio;
        util::InstallProfile(&profile);
    }
    ~RadioTest() override { util::InstallProfile(nullptr); }

    PlayerHost::PlayerFactory Factory() {
        return [this]() -> PlayerHost::MadePlayer {
            ++playersMade;
            if (!playerAvailable)
                return util::Error{"no media library"};
            auto made = std::make_unique<FakeMediaPlayer>();
            player = made.get();
            return std::unique_ptr<platform::media::MediaPlayer>(std::move(made));
        };
    }
    void Choose(int slot) { radio.OnCommand(command::ForStation(Slot(slot))); }
    // Playing, then the station's name a second later.
    void Hear() {
        player->RaiseState(PlayState::Playing);
        timers.Advance(Radio::kNowPlayingDelay + 50ms);
    }
    const std::string& Name(int slot) const { return radio.Stations().name[Slot(slot).At()]; }

    util::MemoryProfile profile;
    RecordingView view;
    FakeTimers timers;
    FakeMediaPlayer* player = nullptr;
    int playersMade = 0;
    bool playerAvailable = true;
    Radio radio{view, timers, Factory()};
};

}  // namespace

TEST_F(RadioTest, StartsWithTheStoredSettingsChecked) {
    profile.WriteText(Radio::kSection, "LastStation", "40");
    profile.WriteText(Radio::kSection, "iVolume", "250");
    radio.ReadSettings(profile);
    EXPECT_EQ(radio.Stations().current, 0);
    EXPECT_EQ(radio.Volume(), 100);
    EXPECT_EQ(view.volume, 100);
    ASSERT_TRUE(radio.MakePlayer());
    EXPECT_EQ(player->volume, 100) << "the volume read before the player existed";

    profile.WriteText(Radio::kSection, "LastStation", "31");
    radio.ReadSettings(profile);
    EXPECT_EQ(radio.Stations().current, 31);
}

TEST_F(RadioTest, ChoosingAStationPlaysAndNamesItAfterSpielt) {
    Choose(4);
    ASSERT_EQ(player->opened.size(), 1u);
    EXPECT_EQ(player->opened[0], radio.Stations().address[4]);
    EXPECT_EQ(radio.Stations().current, 4);
    EXPECT_TRUE(radio.Switching());
    EXPECT_EQ(timers.intervals[RadioTimer::Switch], 100000ms);
    EXPECT_TRUE(view.controls.power) << "the flap opens";
    EXPECT_TRUE(view.controls.playing);
    EXPECT_GT(view.dialShown, 0) << "the needle moves";

    player->RaiseState(PlayState::Transitioning);
    EXPECT_EQ(radio.StatusText(), "Wechseln");
    player->RaiseState(PlayState::Playing);
    EXPECT_EQ(radio.StatusText(), "Spielt");
    EXPECT_TRUE(timers.IsActive(RadioTimer::NowPlaying));
    timers.Advance(999ms);
    EXPECT_EQ(radio.StatusText(), "Spielt");
    timers.Advance(1ms);
    EXPECT_EQ(radio.StatusText(), Name(4));
    EXPECT_FALSE(radio.Switching());
    EXPECT_EQ(view.statusTexts.back(), Name(4));
}

TEST_F(RadioTest, ASwitchThatNeverPlaysFreesTheDialAfter100Seconds) {
    Choose(6);
    timers.Advance(99999ms);
    EXPECT_TRUE(radio.Switching());
    timers.Advance(1ms);
    EXPECT_FALSE(radio.Switching());
    radio.PointerOverSector(9);
    EXPECT_TRUE(radio.PreviewActive());
}

TEST_F(RadioTest, PreviewRestoresTheTextIncludingLateStatuses) {
    ASSERT_TRUE(radio.MakePlayer());
    radio.SetStatusText("Gestoppt");
    radio.PointerOverSector(3);
    EXPECT_TRUE(radio.PreviewActive());
    EXPECT_EQ(radio.StatusText(), Name(2));
    player->RaiseState(PlayState::Buffering);  // arrives during the preview
    EXPECT_EQ(radio.StatusText(), Name(2));
    EXPECT_EQ(radio.SavedStatusText(), "Puffern");
    radio.PointerOverSector(0);  // off the dial: the hover ends
    radio.PointerOverSector(0);  // and the next move restores the line
    EXPECT_FALSE(radio.PreviewActive());
    EXPECT_EQ(radio.StatusText(), "Puffern");

    radio.PointerOverSector(5);
    radio.PointerLeft();  // leaving the window restores it at once
    EXPECT_EQ(radio.StatusText(), "Puffern");
}

TEST_F(RadioTest, StatusesShowDuringASwitchEvenInAPreview) {
    Choose(6);
    radio.PointerOverSector(9);  // previews are ignored while switching
    EXPECT_FALSE(radio.PreviewActive());
    player->RaiseState(PlayState::Buffering);
    EXPECT_EQ(radio.StatusText(), "Puffern");
}

TEST_F(RadioTest, EmptyFavouriteOpensTheEditorEmptyBuiltInStillPlays) {
    radio.Stations().address[3].clear();
    Choose(3);
    ASSERT_EQ(player->opened.size(), 1u);
    EXPECT_EQ(player->opened[0], "");

    radio.Stations().address[28].clear();
    Choose(28);  // the last built-in slot counts as user slot 0 while it is empty
    Choose(30);  // favourite 2, empty
    EXPECT_EQ(view.editedUserSlots, (std::vector<int>{0, 2}));
    EXPECT_EQ(player->opened.size(), 1u);
    EXPECT_EQ(radio.Stations().current, 3) << "the needle stays";

    radio.Stations().address[30] = "http://127.0.0.1:9/fav.mp3";
    Choose(30);
    EXPECT_EQ(player->opened.back(), "http://127.0.0.1:9/fav.mp3");
}

TEST_F(RadioTest, MuteTextsFollowThePlayer) {
    ASSERT_TRUE(radio.MakePlayer());
    radio.OnCommand(command::kMute);  // stopped, muted
    EXPECT_EQ(radio.StatusText(), "Stumm geschaltet");
    EXPECT_TRUE(view.controls.muted);
    radio.OnCommand(command::kMute);  // unmuted while not playing: empty line
    EXPECT_EQ(radio.StatusText(), "");
    radio.OnCommand(command::kPlay);
    radio.OnCommand(command::kMute);
    radio.OnCommand(command::kMute);  // unmuted while playing: the station's name
    EXPECT_EQ(radio.StatusText(), Name(0));
}

TEST_F(RadioTest, PowerAloneDoesNotPlayAndTheLastStationIsRemembered) {
    radio.OnCommand(command::kPower);
    EXPECT_TRUE(view.controls.power);
    EXPECT_EQ(player, nullptr) << "power alone makes no player and plays nothing";
    radio.OnCommand(command::kPower);
    EXPECT_FALSE(view.controls.power);

    Choose(9);
    radio.Shutdown(profile);
    EXPECT_EQ(profile.GetInt(Radio::kSection, "LastStation", -1), 9);
    EXPECT_FALSE(radio.Player().IsCreated());
    EXPECT_FALSE(timers.IsActive(RadioTimer::Switch));
}

TEST_F(RadioTest, VolumeFollowsOnlyADragThatStartedOnTheKnob) {
    EXPECT_FALSE(radio.DragVolume(40));
    EXPECT_EQ(radio.Volume(), 50);
    radio.OnCommand(command::kVolumeDrag);
    EXPECT_TRUE(view.pointerHeld);
    EXPECT_TRUE(radio.DragVolume(81));
    EXPECT_EQ(radio.Volume(), 81);
    EXPECT_EQ(view.volume, 81);
    EXPECT_TRUE(radio.EndVolumeDrag());
    EXPECT_FALSE(view.pointerHeld);
    EXPECT_FALSE(radio.EndVolumeDrag());
    EXPECT_FALSE(radio.DragVolume(0));
    EXPECT_EQ(radio.Volume(), 81);

    radio.SetVolume(140);  // from the desktop's controls
    EXPECT_EQ(radio.Volume(), 100);
    ASSERT_TRUE(radio.MakePlayer());
    EXPECT_EQ(player->volume, 100);
}

TEST_F(RadioTest, StreamTitlesFollowTheStationNameOnceItPlaysUndisturbed) {
    Choose(2);
    player->RaiseState(PlayState::Playing);
    player->RaiseTitle("Early Song");  // during the switch: kept, not shown
    EXPECT_EQ(radio.StatusText(), "Spielt");
    timers.Advance(1050ms);
    EXPECT_EQ(radio.StatusText(), Name(2) + " - Early Song");

    player->RaiseTitle("Playlist $Next");  // a server placeholder never shows
    EXPECT_EQ(radio.StreamTitle(), "Early Song");
    player->RaiseTitle("Next Song");
    EXPECT_EQ(radio.StatusText(), Name(2) + " - Next Song");

    radio.PointerOverSector(8);  // a preview keeps its text
    player->RaiseTitle("Third Song");
    EXPECT_EQ(radio.StatusText(), Name(7));
}

// The player carries on with an address it already plays and reports nothing new: the
// radio must not wait for a "Spielt" that never comes.
TEST_F(RadioTest, ReChoosingThePlayingStationKeepsItPlayingAndThePreviewAlive) {
    Choose(4);
    player->RaiseState(PlayState::Playing);
    player->RaiseTitle("Song");
    timers.Advance(1050ms);
    ASSERT_FALSE(radio.Switching());

    Choose(4);  // the same sector again
    EXPECT_FALSE(radio.Switching());
    EXPECT_FALSE(timers.IsActive(RadioTimer::Switch));
    EXPECT_EQ(player->plays, 1);  // not restarted
    EXPECT_TRUE(radio.Player().IsPlaying());
    EXPECT_EQ(radio.StatusText(), Name(4) + " - Song");
    radio.PointerOverSector(9);  // the dial previews at once
    EXPECT_TRUE(radio.PreviewActive());
    EXPECT_EQ(radio.StatusText(), Name(8));
    radio.PointerOverSector(0);
    radio.PointerOverSector(0);
    EXPECT_EQ(radio.StatusText(), Name(4) + " - Song");

    radio.OnCommand(command::kPlay);  // Play on it: the song stays
    EXPECT_EQ(player->plays, 1);
    EXPECT_EQ(radio.StreamTitle(), "Song");
    EXPECT_EQ(radio.StatusText(), Name(4) + " - Song");
}

TEST_F(RadioTest, ReChoosingAStationThatIsNotSoundingStartsItAgain) {
    Choose(4);
    Choose(4);  // still connecting: the first Play's "Spielt" will end the switch
    EXPECT_EQ(player->plays, 2);
    EXPECT_TRUE(radio.Switching());

    Hear();
    player->RaiseState(PlayState::Ready);  // the stream failed since
    Choose(4);
    EXPECT_EQ(player->plays, 3);
    EXPECT_TRUE(radio.Switching());

    player->RaiseState(PlayState::Playing);
    radio.OnCommand(command::kStop);  // stopped: Play starts it again
    radio.OnCommand(command::kPlay);
    EXPECT_EQ(player->plays, 4);
}

// Listening from the station finder leaves the dial and the favourites alone, names the
// finder's station, and the radio goes back to its own station when the finder closes.
TEST_F(RadioTest, ListeningFromTheFinderComesBackToThePlayingStation) {
    Choose(5);
    Hear();
    const std::string ownAddress = radio.Stations().address[5];
    const catalogue::CStationData before = radio.Stations();

    radio.ListenFromFinder("http://127.0.0.1:9/found.mp3", "Jazz Welle");
    EXPECT_EQ(player->opened.back(), "http://127.0.0.1:9/found.mp3");
    Hear();
    EXPECT_EQ(radio.StatusText(), "Jazz Welle");
    EXPECT_EQ(radio.Stations().current, 5);
    for (int slot = Slot::kUserSlotBase; slot < Slot::kCount; ++slot)
        EXPECT_EQ(radio.Stations().address[Slot(slot).At()], before.address[Slot(slot).At()]);

    radio.ListenFromFinder({}, {});
    EXPECT_EQ(player->opened.back(), ownAddress);
    Hear();
    EXPECT_EQ(radio.StatusText(), Name(5));

    // From a stopped radio the listening ends in silence.
    radio.OnCommand(command::kStop);
    player->RaiseState(PlayState::Stopped);
    const std::size_t opens = player->opened.size();
    radio.ListenFromFinder("http://127.0.0.1:9/found.mp3", "Jazz Welle");
    radio.ListenFromFinder({}, {});
    EXPECT_EQ(player->opened.size(), opens + 1) << "only the finder's station was opened";
    EXPECT_FALSE(radio.Player().IsPlaying());
}

TEST_F(RadioTest, APlayerIsMadeOnceWhenFirstNeededAndItsAbsenceIsReported) {
    Choose(0);
    Choose(1);
    EXPECT_EQ(playersMade, 1);
    EXPECT_EQ(player->plays, 2);

    RecordingView otherView;
    FakeTimers otherTimers;
    playerAvailable = false;
    Radio without(otherView, otherTimers, Factory());
    otherTimers.radio = &without;
    without.OnCommand(command::ForStation(Slot(3)));
    EXPECT_EQ(otherView.playerMissing, 1);
    EXPECT_EQ(without.Stations().current, 3);
    EXPECT_FALSE(without.MakePlayer());
    EXPECT_EQ(otherView.playerMissing, 1) << "MakePlayer leaves the telling to its caller";
}

TEST_F(RadioTest, CommandsTheRulesDoNotOwnGoToTheWindowAndEveryCommandIsAnnounced) {
    for (int id : {command::kWeb, command::kSend, command::kAbout, command::kTopMost,
                   command::kFavorite1, command::kStationsChanged, command::kAppExit})
        radio.OnCommand(id);
    EXPECT_EQ(view.commands, (std::vector<int>{command::kWeb, command::kSend, command::kAbout,
                                               command::kTopMost, command::kFavorite1,
                                               command::kStationsChanged, command::kAppExit}));
    EXPECT_EQ(view.changes, 7);
    EXPECT_EQ(command::ForStation(Slot::OfSector(1)), 152);
    EXPECT_EQ(command::kStationLast, 183);
    EXPECT_EQ(command::kPreviewLast, 150);
}
