#include "radio/PlayerEventSink.h"

#include "radio/PlayerWindow.h"
#include "util/text/DisplayText.h"

#include <array>

namespace radio {

namespace {

constexpr std::array<const char*, 12> kStateTexts = {
    "Unbestimmt",                  // 0 undefined
    "Gestoppt",                    // 1 stopped
    "Pausiert",                    // 2 paused
    "Spielt",                      // 3 playing
    "Forlauf",                     // 4 scan forward
    "Rücklauf",                    // 5 scan reverse
    "Puffern",                     // 6 buffering
    "Warte",                       // 7 waiting
    "Wiedergabe beendet",          // 8 media ended
    "Wechseln",                    // 9 transitioning
    "Fertig - Verbindungsfehler",  // 10 ready: nothing could be played
    "Wieder verbindend",           // 11 reconnecting
};

std::string& Buffer() {
    static std::string text;
    return text;
}

// The description as typed, cut short and without control characters.
std::string ShownDescription(const std::string& text, std::size_t limit) {
    std::string shown;
    for (char c : text) {
        if (shown.size() >= limit)
            break;
        if (static_cast<unsigned char>(c) >= 0x20 && c != 0x7f)
            shown += c;
    }
    return shown;
}

}  // namespace

const char* PlayStateText(int state) {
    if (state < 0 || state >= static_cast<int>(kStateTexts.size()))
        return nullptr;
    return kStateTexts[static_cast<std::size_t>(state)];
}

const std::string& PlayerEventSink::StatusText() {
    return Buffer();
}

void PlayerEventSink::ResetStatusText() {
    Buffer().clear();
}

void PlayerEventSink::OnPlayStateChange(int state) {
    using platform::media::PlayState;
    const char* text = PlayStateText(state);
    if (!text)
        return;
    Buffer() = text;
    if (state == static_cast<int>(PlayState::Ready) && !failureReason_.empty())
        Buffer() += " (" + failureReason_ + ")";
    if (state == static_cast<int>(PlayState::Transitioning)) {
        failureReason_.clear();
        noSoundOutput_ = false;
    }
    PlayerWindow* window = LivePlayerWindow();
    if (!window)
        return;
    window->OnPlayerStatus(Buffer());
    // The window may have gone away while it handled the status text.
    if (state == static_cast<int>(platform::media::PlayState::Playing) && LivePlayerWindow())
        LivePlayerWindow()->OnCommand(kCommandNowPlaying);
}

void PlayerEventSink::OnOpenStateChange(int) {}

void PlayerEventSink::OnMediaChange(const platform::media::MediaItem& item) {
    // Stream titles are kept for whoever reads the buffer next, and offered to the window
    // as "now playing". Titles that name a playlist or carry '$' are server placeholders,
    // not songs. A title is whatever the stream sends: from here on it is one bounded line
    // for the status line, the window title, the session bus and the log.
    auto title = item.attributes.find("Title");
    if (title == item.attributes.end())
        return;
    const std::string value = util::DisplayLine(title->second);
    if (value.find("Playlist") != std::string::npos || value.find('$') != std::string::npos)
        return;
    Buffer() = value;
    if (PlayerWindow* window = LivePlayerWindow())
        window->OnMediaTitle(value);
}

void PlayerEventSink::OnError(long, const std::string&) {
    // Errors show up as the play state that follows them ("Fertig - Verbindungsfehler").
}

// A network failure keeps the plain "ready" text; a missing or unusable sound output says so.
void PlayerEventSink::OnFailure(platform::media::FailureKind kind, const std::string& detail) {
    using platform::media::FailureKind;
    constexpr std::size_t kMaxShownDescription = 60;
    noSoundOutput_ = kind != FailureKind::Connection;
    switch (kind) {
        case FailureKind::Connection:
            failureReason_.clear();
            break;
        case FailureKind::NoAudioOutput:
            failureReason_ = "keine Tonausgabe";
            break;
        case FailureKind::AudioOutputInvalid:
            failureReason_ = "Tonausgabe \"" + ShownDescription(detail, kMaxShownDescription) +
                             "\" ungültig (TUNELINK_AUDIO_SINK)";
            break;
    }
}

}  // namespace radio
