#pragma once
// Playlist files that stations publish instead of a stream address. The player cannot play
// them, so they are read here and their entries played in order.

#include <string>
#include <string_view>
#include <vector>

namespace platform::media {

enum class PlaylistFormat {
    None,          // not a playlist: play the address itself
    Pls,           // [playlist] File1=...
    M3u,           // one address a line, # comments
    Hls,           // an HTTP live stream index (.m3u8 with #EXT-X- tags): the player plays it
    Asx,           // <asx><entry><ref href=...>, <entryref href=...>
    AsfReference,  // [Reference] Ref1=...
    Xspf,          // <playlist><trackList><track><location>
};

struct PlaylistEntry {
    std::string address;      // absolute, as written (not yet checked as a stream address)
    bool isPlaylist = false;  // an ASX <entryref>: itself a playlist to read
};

// What the address's extension promises (ignoring query and fragment).
PlaylistFormat PlaylistFormatFromAddress(const std::string& address);
// What the server's Content-Type promises; None when it names no playlist or is ambiguous.
PlaylistFormat PlaylistFormatFromContentType(const std::string& contentType);
// What the content itself looks like; None for audio or unknown text.
PlaylistFormat SniffPlaylistFormat(std::string_view content);

// Reads the entries in document order, at most `maxEntries`. Relative entries are resolved
// against `baseAddress`. Lenient: tag and key names in any case, unquoted attributes,
// stray ampersands.
std::vector<PlaylistEntry> ParsePlaylist(PlaylistFormat format, std::string_view content,
                                         const std::string& baseAddress,
                                         std::size_t maxEntries = 32);

}  // namespace platform::media
