#include "radio/core/PlayerHost.h"

#include "platform/media/GstMediaPlayer.h"

#include <algorithm>
#include <cstdio>

namespace radio {

namespace {

PlayerHost::MadePlayer MakeGstPlayer() {
    auto player = platform::media::GstMediaPlayer::Create();
    if (!player)
        return util::Error{player.error()};
    return std::unique_ptr<platform::media::MediaPlayer>(std::move(player).value());
}

}  // namespace

PlayerHost::PlayerHost(PlayerFactory factory)
    : factory_(factory ? std::move(factory) : PlayerFactory(MakeGstPlayer)) {}

PlayerHost::~PlayerHost() {
    Shutdown();
}

bool PlayerHost::Create(PlayerListener* listener) {
    if (created_)
        return true;
    MadePlayer made = factory_();
    if (!made) {
        std::fprintf(stderr, "Tunelink: no media player: %s\n", made.error().message.c_str());
        Shutdown();
        return false;
    }
    player_ = std::move(made).value();
    sink_.SetListener(listener);
    player_->SetEvents(&sink_);
    // The radio may have set the volume before the player existed.
    if (volumeSet_)
        player_->SetVolume(volume_);
    created_ = true;
    return true;
}
void PlayerHost::Open(const std::string& address) {
    opened_ = address;
    if (player_)
        player_->Open(address);
}

void PlayerHost::ToggleMuteIfMuted() {
    if (muted_)
        ToggleMute();
}

void PlayerHost::Play() {
    ToggleMuteIfMuted();
    if (player_ && player_->Play()) {
        playing_ = true;
        power_ = true;
        stopped_ = false;
        return;
    }
    // The player reports the refusal as a connection error. The power stays as it
    // is: switching it off here would close the radio over one bad station address.
    playing_ = false;
    stopped_ = true;
}

void PlayerHost::Stop() {
    ToggleMuteIfMuted();
    if (player_ && player_->Stop()) {
        stopped_ = true;
        playing_ = false;
        return;
    }
    stopped_ = false;
    playing_ = true;
}

void PlayerHost::ToggleMute() {
    if (!player_)
        return;
    player_->SetMuted(!player_->Muted());
    muted_ = player_->Muted();
}

void PlayerHost::SetVolume(int volume) {
    volume_ = std::clamp(volume, 0, 100);
    volumeSet_ = true;
    if (player_)
        player_->SetVolume(volume_);
}

void PlayerHost::TogglePower() {
    power_ = !power_;
    stopped_ = !power_;
}

void PlayerHost::Shutdown() {
    if (player_) {
        if (created_)
            player_->Stop();
        player_->SetEvents(nullptr);
        player_.reset();
    }
    sink_.SetListener(nullptr);
    created_ = false;
}

}  // namespace radio
