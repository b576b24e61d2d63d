#include "radio/PlayerHost.h"

#include "platform/media/GstMediaPlayer.h"
#include "platform/shell/OpenUrl.h"
#include "radio/PlayerWindow.h"
#include "ui/Translator.h"
#include "util/MessageBox.h"
#include "util/Product.h"

#include <algorithm>
#include <cstdio>
#include <thread>

namespace radio {

namespace {

std::unique_ptr<platform::media::MediaPlayer> MakeGstPlayer(std::string* error) {
    auto player = platform::media::GstMediaPlayer::Create();
    if (!player)
        *error = player.error();
    return player ? std::move(player).value() : nullptr;
}

long long SteadyNowMs() {
    return std::chrono::duration_cast<std::chrono::milliseconds>(
               std::chrono::steady_clock::now().time_since_epoch())
        .count();
}

}  // namespace

PlayerHost::PlayerHost(PlayerFactory factory)
    : factory_(factory ? std::move(factory) : PlayerFactory(MakeGstPlayer)),
      constructionTimeMs_(SteadyNowMs()) {}

PlayerHost::~PlayerHost() {
    Shutdown();
}

bool PlayerHost::Create(PlayerWindow* window) {
    if (created_)
        return true;
    std::string error;
    player_ = factory_(&error);
    if (!player_) {
        std::fprintf(stderr, "Tunelink: no media player: %s\n", error.c_str());
        Shutdown();
        return false;
    }
    player_->SetEvents(&sink_);
    // The window may have set the volume before the player existed.
    if (volumeSet_)
        player_->SetVolume(volume_);
    SetPlayerWindow(window);
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
    created_ = false;
}

const char* PlayerHost::DownloadPage() {
    return "https://gstreamer.freedesktop.org/download/";
}

void PlayerHost::ShowPlayerMissingMessage(const std::function<bool(const std::string&)>& openUrl,
                                          std::chrono::milliseconds wait) {
    util::MessageRequest request;
    request.text = CTranslator::FillIn(
        CTranslator::InUiLanguage(
            "The version of GStreamer installed on this computer is out of date. %s therefore "
            "cannot run.\n\n\tDo you want to install a current version of the media player?"),
        util::kProductTitle);
    request.caption = util::kProductTitle;
    request.icon = util::MessageIcon::Question;
    request.buttons = util::MessageButtons::YesNo;
    if (util::ShowMessage(request) != util::MessageResult::Yes)
        return;
    const auto open =
        openUrl ? openUrl : [](const std::string& url) { return platform::shell::OpenUrl(url); };
    open(DownloadPage());
    // Give the browser time to come up before the program ends.
    std::this_thread::sleep_for(wait);
}

}  // namespace radio
