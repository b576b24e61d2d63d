#pragma once
// The narrow player interface the radio plays streams through. One implementation drives
// GStreamer (GstMediaPlayer); tests of the radio's logic use a fake.

#include <map>
#include <memory>
#include <string>

namespace platform::media {

// The twelve play states the radio knows; the values are fixed, the radio's status texts
// are indexed by them.
enum class PlayState : int {
    Undefined = 0,
    Stopped = 1,
    Paused = 2,
    Playing = 3,
    ScanForward = 4,
    ScanReverse = 5,
    Buffering = 6,
    Waiting = 7,
    MediaEnded = 8,
    Transitioning = 9,
    Ready = 10,  // also: the address could not be played
    Reconnecting = 11,
};

// Open states, numbered like the classic media player's open states; the radio only
// looks at PlaylistChanged.
enum class OpenState : int {
    Undefined = 0,
    PlaylistChanging = 1,
    PlaylistLoading = 4,
    PlaylistChanged = 7,
    MediaChanging = 8,
    MediaConnecting = 10,
    MediaOpen = 13,
};

// Why the player gave up (PlayState::Ready): the listener is told which of these it was.
enum class FailureKind : int {
    Connection = 0,          // the address could not be reached or played, cause unknown
    NoAudioOutput = 1,       // no sound device, or the output could not be opened
    AudioOutputInvalid = 2,  // the configured output description names nothing usable
    NoAnswer = 3,            // connection refused, or no answer in time
    NotAudio = 4,            // the server answered with something that is not audio
    AddressNotFound = 5,     // the host name is unknown
    StationNotFound = 6,     // the server answered that the address does not exist (404)
};

// The failure is about the sound output, not about the station.
inline bool IsOutputFailure(FailureKind kind) {
    return kind == FailureKind::NoAudioOutput || kind == FailureKind::AudioOutputInvalid;
}

// What is known about the item being played. Attribute names follow the classic media
// player's ("Title", "Author", "Name", "SourceURL", "Bitrate").
struct MediaItem {
    std::string name;
    std::string sourceUrl;
    double durationSeconds = 0.0;  // 0 for live streams
    std::map<std::string, std::string> attributes;
};

// Receives the player's events, always on the thread that owns the player (the UI thread),
// never from inside a MediaPlayer call.
class MediaPlayerEvents {
  public:
    virtual ~MediaPlayerEvents() = default;
    virtual void OnPlayStateChange(PlayState state) = 0;
    virtual void OnOpenStateChange(OpenState state) = 0;
    // The item changed or learned something new about itself (for example an ICY title).
    virtual void OnMediaChange(const MediaItem& item) = 0;
    virtual void OnError(long code, const std::string& description) = 0;
    // Comes just before each PlayState::Ready. `detail` is for logs; for an unusable output
    // description it is the description itself, so the listener can be told which.
    virtual void OnFailure(FailureKind /*kind*/, const std::string& /*detail*/) {}
};

class MediaPlayer {
  public:
    virtual ~MediaPlayer() = default;

    // Events go to `events` (may be null); the receiver must outlive the player or be
    // replaced before it dies.
    virtual void SetEvents(MediaPlayerEvents* events) = 0;

    // Remembers the address to play; no network traffic happens before Play().
    virtual void Open(const std::string& address) = 0;
    // Starts playing the opened address. Returns false when the address is refused at once
    // (empty, not a network address); the refusal is also reported as PlayState::Ready.
    virtual bool Play() = 0;
    virtual bool Stop() = 0;

    virtual bool Muted() const = 0;
    virtual void SetMuted(bool muted) = 0;
    // 0-100.
    virtual int Volume() const = 0;
    virtual void SetVolume(int volume) = 0;
};

}  // namespace platform::media
