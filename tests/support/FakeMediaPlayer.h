#pragma once
// A player that plays nothing: it records what the radio asks of it and lets a test raise
// the events a real player would.

#include "platform/media/MediaPlayer.h"

#include <string>
#include <vector>

class FakeMediaPlayer : public platform::media::MediaPlayer {
  public:
    void SetEvents(platform::media::MediaPlayerEvents* events) override { events_ = events; }
    void Open(const std::string& address) override { opened.push_back(address); }
    bool Play() override {
        ++plays;
        return playSucceeds;
    }
    bool Stop() override {
        ++stops;
        return true;
    }
    bool Muted() const override { return muted; }
    void SetMuted(bool m) override { muted = m; }
    int Volume() const override { return volume; }
    void SetVolume(int v) override { volume = v; }

    void RaiseState(platform::media::PlayState state) {
        if (events_)
            events_->OnPlayStateChange(state);
    }

    void RaiseTitle(const std::string& title) {
        platform::media::MediaItem item;
        item.attributes["Title"] = title;
        if (events_)
            events_->OnMediaChange(item);
    }

    std::vector<std::string> opened;
    int plays = 0;
    int stops = 0;
    bool muted = false;
    int volume = -1;
    bool playSucceeds = true;

  private:
    platform::media::MediaPlayerEvents* events_ = nullptr;
};
