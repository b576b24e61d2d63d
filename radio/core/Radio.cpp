#include "radio/core/Radio.h"

#include "platform/system/Memory.h"
#include "radio/core/Commands.h"
#include "ui/Translator.h"
#include "util/Profile.h"

#include <QLoggingCategory>

#include <algorithm>

Q_LOGGING_CATEGORY(lcStatus, "tunelink.status")
Q_LOGGING_CATEGORY(lcCommand, "tunelink.command")
Q_LOGGING_CATEGORY(lcPlayer, "tunelink.player")

namespace radio {

namespace cmd = command;
using platform::media::PlayState;

Radio::Radio(RadioView& view, RadioTimers& timers, PlayerHost::PlayerFactory factory)
    : view_(view),
      timers_(timers),
      stations_(&ui::CTranslator::InUiLanguage),
      player_(std::move(factory)) {}

Radio::~Radio() {
    player_.Shutdown();
}

void Radio::ReadSettings(util::Profile& profile) {
    volume_ = std::clamp(profile.GetInt(kSection, "iVolume", 50), 0, 100);
    const int last = profile.GetInt(kSection, "LastStation", 0);
    stations_.current = Slot::IsValid(last) ? last : 0;
    ApplyVolume(volume_);
}

void Radio::Shutdown(util::Profile& profile) {
    timers_.Stop(RadioTimer::NowPlaying);
    timers_.Stop(RadioTimer::Switch);
    profile.WriteInt(kSection, "LastStation", stations_.current);
    // What the player says while it stops is of no interest any more.
    player_.Detach();
    player_.Stop();
    RefreshControls();
    player_.Shutdown();
}

bool Radio::MakePlayer() {
    return player_.IsCreated() || player_.Create(this);
}

bool Radio::EnsurePlayer() {
    if (MakePlayer())
        return true;
    view_.PlayerMissing();
    return false;
}

void Radio::OnCommand(int id) {
    qCInfo(lcCommand, "%d", id);
    if (id >= cmd::kPreviewFirst && id <= cmd::kPreviewLast) {
        Preview(Slot(id - cmd::kPreviewFirst));
    } else if (id >= cmd::kStationFirst && id <= cmd::kStationLast) {
        ChooseStation(Slot(id - cmd::kStationFirst));
    } else {
        switch (id) {
            case cmd::kStop:
                player_.Stop();
                RefreshControls();
                break;
            case cmd::kPlay:
                Play();
                break;
            case cmd::kMute:
                ToggleMute();
                break;
            case cmd::kPower:
                player_.TogglePower();
                RefreshControls();
                break;
            case cmd::kNowPlaying:
                OnNowPlaying();
                break;
            case cmd::kVolumeDrag:
                StartVolumeDrag();
                break;
            default:
                view_.RunCommand(id);
                break;
        }
    }
    view_.Changed();
}

void Radio::OnTimer(RadioTimer timer) {
    timers_.Stop(timer);
    if (timer == RadioTimer::NowPlaying) {
        ShowNowPlaying();
    } else {
        switching_ = false;
    }
}

void Radio::Play() {
    const Slot current(stations_.current);
    if (SoundsNow(current)) {
        ShowSoundingStation();
        return;
    }
    StartStation(AddressOf(current));
}

// Plays `address` as the dial's station: the finder's listening, if any, ends.
void Radio::StartStation(const std::string& address) {
    streamTitle_.clear();
    finderListening_ = false;
    if (!EnsurePlayer())
        return;
    player_.Open(address);
    player_.Play();
    RefreshControls();
}

void Radio::ChooseStation(Slot slot) {
    if (SoundsNow(slot)) {
        ShowSoundingStation();
    } else if (!AddressOf(slot).empty() || !slot.MayBeEdited()) {
        sounding_ = false;
        switching_ = true;
        timers_.Start(RadioTimer::Switch, kSwitchTimeout);
        stations_.current = slot.Index();
        StartStation(AddressOf(slot));
        if (player_.IsCreated())
            view_.ShowDial();
    } else {
        view_.EditFavorite(slot.UserSlot());
    }
}

// The player carries on with an address it already plays and reports nothing new, so no
// "playing" would ever end a switch begun for it.
bool Radio::SoundsNow(Slot slot) const {
    return sounding_ && player_.IsPlaying() && slot.Index() == stations_.current &&
           !AddressOf(slot).empty() && player_.OpenedAddress() == AddressOf(slot);
}

// What a finished switch shows: the station (and its song), with the dial free to preview.
void Radio::ShowSoundingStation() {
    timers_.Stop(RadioTimer::Switch);
    ShowNowPlaying();
    RefreshControls();
}

// A station heard from the finder plays without moving the dial or changing a favourite; an
// empty address ends the listening, and the radio goes back to what it did before.
void Radio::ListenFromFinder(const std::string& address, const std::string& name) {
    if (address.empty()) {
        if (!finderListening_)
            return;
        finderListening_ = false;
        finderStation_.clear();
        OnCommand(resumeAfterFinder_ ? cmd::kPlay : cmd::kStop);
        return;
    }
    if (!finderListening_)
        resumeAfterFinder_ = player_.IsPlaying();
    if (!EnsurePlayer())
        return;
    finderListening_ = true;
    finderStation_ = name;
    sounding_ = false;
    streamTitle_.clear();
    player_.Open(address);
    player_.Play();
    RefreshControls();
}

void Radio::Preview(Slot slot) {
    if (switching_)
        return;
    if (!previewActive_) {
        previewActive_ = true;
        savedStatus_ = statusText_;
    }
    SetStatusText(NameOf(slot));
}

void Radio::EndPreviewIfLeft() {
    if (previewActive_ && !hover_) {
        previewActive_ = false;
        SetStatusText(savedStatus_);
    }
}

void Radio::PointerOverSector(int sector) {
    EndPreviewIfLeft();
    hover_ = sector != 0;
    if (hover_)
        OnCommand(cmd::ForPreview(Slot::OfSector(sector)));
}

void Radio::PointerLeft() {
    hover_ = false;
    EndPreviewIfLeft();
}

void Radio::ToggleMute() {
    player_.ToggleMute();
    if (player_.IsMuted()) {
        SetStatusText(ui::CTranslator::InUiLanguage("Muted"));
    } else if (player_.IsPlaying()) {
        SetStatusText(NameOf(Slot(stations_.current)));
    } else {
        SetStatusText("");
    }
    RefreshControls();
}

void Radio::OnPlayState(PlayState state, const std::string& statusText) {
    qCInfo(lcPlayer, "%s", statusText.c_str());
    sounding_ = false;  // "playing" is followed by the now-playing command, which sets it
    if (!previewActive_ || switching_) {
        SetStatusText(statusText);
    } else {
        savedStatus_ = statusText;
    }
    view_.Changed();  // a failed start is no longer "playing" on the desktop's controls
    if (state == PlayState::Playing)
        OnCommand(cmd::kNowPlaying);
}

void Radio::OnNowPlaying() {
    sounding_ = true;
    timers_.Start(RadioTimer::NowPlaying, kNowPlayingDelay);
}

void Radio::OnMediaTitle(const std::string& title) {
    if (title.empty() || title == streamTitle_)
        return;
    streamTitle_ = title;
    qCInfo(lcPlayer, "title: %s", title.c_str());
    // Only over the station's name: a switch, a preview or a pending name keep their text.
    if (player_.IsPlaying() && !switching_ && !previewActive_ &&
        !timers_.IsActive(RadioTimer::NowPlaying)) {
        SetStatusText(NowPlayingText());
    }
    view_.Changed();
}

void Radio::ShowNowPlaying() {
    timers_.Stop(RadioTimer::NowPlaying);
    SetStatusText(NowPlayingText());
    switching_ = false;
    previewActive_ = false;
    platform::ReturnFreedMemory();  // what connecting to the station needed has gone
}

std::string Radio::NowPlayingText() const {
    const std::string& name = finderListening_ ? finderStation_ : NameOf(Slot(stations_.current));
    return streamTitle_.empty() ? name : name + " - " + streamTitle_;
}

void Radio::SetStatusText(const std::string& text) {
    if (text == statusText_)
        return;
    statusText_ = text;
    qCInfo(lcStatus, "%s", text.c_str());
    view_.ShowStatusText(text);
}

Controls Radio::CurrentControls() const {
    return {player_.IsStopped(), player_.IsPlaying(), player_.IsMuted(), player_.IsPowerOn()};
}

void Radio::RefreshControls() {
    view_.ShowControls(CurrentControls());
}

void Radio::StartVolumeDrag() {
    volumeDrag_ = true;
    view_.HoldPointer(true);
}

bool Radio::DragVolume(int volume) {
    if (!volumeDrag_)
        return false;
    ApplyVolume(volume);
    view_.ShowDial();
    view_.Changed();
    return true;
}

bool Radio::EndVolumeDrag() {
    if (!volumeDrag_)
        return false;
    volumeDrag_ = false;
    view_.HoldPointer(false);
    return true;
}

void Radio::SetVolume(int volume) {
    ApplyVolume(std::clamp(volume, 0, 100));
    view_.ShowDial();
    view_.Changed();
}

void Radio::ApplyVolume(int volume) {
    volume_ = volume;
    player_.SetVolume(volume);
    view_.ShowVolume(volume);
}

const std::string& Radio::NameOf(Slot slot) const {
    return stations_.name[slot.At()];
}

const std::string& Radio::AddressOf(Slot slot) const {
    return stations_.address[slot.At()];
}

}  // namespace radio
