#pragma once
// Turns a station address, as the station table holds it, into an address the player may
// open. Station addresses come from a catalogue on the network, so they are untrusted: only
// network streams are accepted, never local files or other schemes.

#include <optional>
#include <string>

namespace platform::media {

// Trims surrounding white space, decodes "&amp;" (catalogue documents carry it through),
// maps mms:// and mmsh:// to http:// (the server's HTTP streaming face) and accepts http,
// https and rtsp. Returns nothing for anything else (file://, empty text, control characters,
// missing host, over-long text).
std::optional<std::string> NormaliseStreamAddress(const std::string& address);

// Resolves a playlist entry against the playlist's own address; relative entries are allowed.
std::string ResolveAgainst(const std::string& base, const std::string& reference);

}  // namespace platform::media
