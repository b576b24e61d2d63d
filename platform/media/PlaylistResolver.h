#pragma once
// Which address of a station to try next. A station's address may name a playlist, whose
// entries may name further playlists; some servers serve a playlist under an audio name.
// The resolver keeps the addresses still to try and decides, from what the player tells it,
// whether to read an address as a playlist, play it, or give up. It reads and plays nothing
// itself.

#include "platform/media/MediaPlayer.h"
#include "platform/media/Playlist.h"
#include "platform/media/PlaylistFetcher.h"

#include <deque>
#include <optional>
#include <string>

namespace platform::media {

// One address to try: the station's own, or an entry of a playlist it led to.
struct Candidate {
    std::string address;
    int depth = 0;                 // playlists read on the way here
    bool contentExamined = false;  // already read once to see whether it is a playlist
    bool everPlayed = false;       // a failure after this is a drop, not a bad address
};

// What to do next with the current candidate.
struct ResolverStep {
    enum class Action { Play, Read, GiveUp };
    Action action = Action::GiveUp;
    FetchLimits limits;                  // Read: how much of the document to take
    std::optional<FailureKind> failure;  // what this step learned about why the station fails
    bool playlistChanged = false;        // a playlist gave entries to try
};

class PlaylistResolver {
  public:
    // A new station: only its own address is left to try.
    void Start(const std::string& address);
    // Nothing more to try (stopped, failed).
    void Clear() { pending_.clear(); }

    // Moves on to the next address.
    [[nodiscard]] ResolverStep Next();
    // The current address failed before it ever played. `mayBePlaylist`: the player could
    // not make sense of the content, which may be a playlist under an audio name.
    [[nodiscard]] ResolverStep OnFailed(bool mayBePlaylist);
    // The document read for the current address (after Action::Read).
    [[nodiscard]] ResolverStep OnRead(const FetchedDocument& document);

    void MarkPlayed() { current_.everPlayed = true; }
    const Candidate& Current() const { return current_; }

  private:
    ResolverStep AddEntries(const FetchedDocument& document, PlaylistFormat format);

    std::deque<Candidate> pending_;
    Candidate current_;
    int attempts_ = 0;
};

}  // namespace platform::media
