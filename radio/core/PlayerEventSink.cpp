#include "radio/core/PlayerEventSink.h"

#include "ui/Translator.h"
#include "util/text/DisplayText.h"

#include <array>

namespace radio {

namespace {

// English keys of the translator, indexed by play state; shown in the user's language.
constexpr std::array<const char*, 12> kStateTexts = {
    "Undefined",         // 0
    "Stopped",           // 1
    "Paused",            // 2
    "Playing",           // 3
    "Scanning forward",  // 4
    "Scanning back",     // 5
    "Buffering",         // 6
    "Waiting",           // 7
    "Playback ended",    // 8
    "Switching",         // 9 transitioning
    "Connection error",  // 10 ready: nothing could be played
    "Reconnecting",      // 11
};

// What follows the "ready" text after a failure, as "<state>: <reason>".
std::string FailureReasonKey(platform::media::FailureKind kind) {
    using platform::media::FailureKind;
    switch (kind) {
        case FailureKind::NoAnswer:
            return "server does not answer";
        case FailureKind::NotAudio:
            return "not an audio stream";
        case FailureKind::AddressNotFound:
            return "address not found";
        case FailureKind::StationNotFound:
            return "station not found";
        case FailureKind::NoAudioOutput:
            return "no sound output";
        case FailureKind::AudioOutputInvalid:
            return "sound output \"%s\" unusable (TUNELINK_AUDIO_SINK)";
        case FailureKind::Connection:
            break;
    }
    return {};
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

const char* PlayStateKey(int state) {
    if (state < 0 || state >= static_cast<int>(kStateTexts.size()))
        return nullptr;
    return kStateTexts[static_cast<std::size_t>(state)];
}

std::string PlayStateText(int state) {
    const char* key = PlayStateKey(state);
    return key ? ui::CTranslator::InUiLanguage(key) : std::string();
}

std::string FailureReasonText(platform::media::FailureKind kind, const std::string& detail) {
    const std::string key = FailureReasonKey(kind);
    if (key.empty())
        return {};
    return ui::CTranslator::FillIn(ui::CTranslator::InUiLanguage(key), detail);
}

void PlayerEventSink::OnPlayStateChange(platform::media::PlayState state) {
    using platform::media::PlayState;
    const std::string text = PlayStateText(static_cast<int>(state));
    if (text.empty())
        return;
    statusText_ = text;
    if (state == PlayState::Ready && !failureReason_.empty())
        statusText_ += ": " + failureReason_;
    if (state == PlayState::Transitioning) {
        failureReason_.clear();
        noSoundOutput_ = false;
    }
    if (listener_)
        listener_->OnPlayState(state, statusText_);
}

void PlayerEventSink::OnOpenStateChange(platform::media::OpenState) {}

void PlayerEventSink::OnMediaChange(const platform::media::MediaItem& item) {
    // Stream titles are kept as the status text, and offered to the listener as "now
    // playing". Titles that name a playlist or carry '$' are server placeholders,
    // not songs. A title is whatever the stream sends: from here on it is one bounded line
    // for the status line, the window title, the session bus and the log.
    auto title = item.attributes.find("Title");
    if (title == item.attributes.end())
        return;
    const std::string value = util::DisplayLine(title->second);
    if (value.find("Playlist") != std::string::npos || value.find('$') != std::string::npos)
        return;
    statusText_ = value;
    if (listener_)
        listener_->OnMediaTitle(value);
}

void PlayerEventSink::OnError(long, const std::string&) {
    // Errors show up as the play state that follows them, with the failure's reason.
}

// The reason is appended to the "ready" text that follows; a failure of unknown cause keeps
// the plain text.
void PlayerEventSink::OnFailure(platform::media::FailureKind kind, const std::string& detail) {
    constexpr std::size_t kMaxShownDescription = 60;
    noSoundOutput_ = platform::media::IsOutputFailure(kind);
    failureReason_ = FailureReasonText(kind, ShownDescription(detail, kMaxShownDescription));
}

}  // namespace radio
