#include "platform/media/PlaylistResolver.h"

#include "platform/media/FailureReason.h"
#include "platform/media/Playlist.h"
#include "platform/media/StreamAddress.h"

#include <vector>

namespace platform::media {

namespace {

// Playlists may point at playlists; this bounds the nesting and the addresses tried.
constexpr int kMaxPlaylistDepth = 4;
constexpr int kMaxAttemptsPerSession = 24;

// A second read of an address the player already failed on only checks whether it serves a
// playlist; the server had its chance to answer already.
const FetchLimits kExamineLimits{256 * 1024, std::chrono::milliseconds(5000),
                                 std::chrono::milliseconds(5000)};

ResolverStep Step(ResolverStep::Action action, const FetchLimits& limits = {}) {
    return ResolverStep{action, limits, std::nullopt, false};
}

}  // namespace

void PlaylistResolver::Start(const std::string& address) {
    pending_.clear();
    pending_.push_back(Candidate{address});
    current_ = {};
    attempts_ = 0;
}

ResolverStep PlaylistResolver::Next() {
    if (pending_.empty() || ++attempts_ > kMaxAttemptsPerSession)
        return Step(ResolverStep::Action::GiveUp);
    current_ = pending_.front();
    pending_.pop_front();
    if (!current_.contentExamined &&
        PlaylistFormatFromAddress(current_.address) != PlaylistFormat::None) {
        current_.contentExamined = true;
        return Step(ResolverStep::Action::Read);
    }
    return Step(ResolverStep::Action::Play);
}

ResolverStep PlaylistResolver::OnFailed(bool mayBePlaylist) {
    if (mayBePlaylist && !current_.contentExamined) {
        // The address did not name what its extension (or lack of one) promised: read it,
        // it may be a playlist served under an audio name.
        current_.contentExamined = true;
        return Step(ResolverStep::Action::Read, kExamineLimits);
    }
    return Next();
}

ResolverStep PlaylistResolver::OnRead(const FetchedDocument& document) {
    if (!document.ok) {
        ResolverStep step = Next();
        step.failure = FailureFromFetch(document.curlCode, document.httpStatus);
        return step;
    }
    PlaylistFormat format = SniffPlaylistFormat(document.body);
    if (format == PlaylistFormat::None && !document.truncated) {
        format = PlaylistFormatFromContentType(document.contentType);
        if (format == PlaylistFormat::None)
            format = PlaylistFormatFromAddress(current_.address);
    }
    if (format == PlaylistFormat::Hls)
        return Step(ResolverStep::Action::Play);  // an HLS index: the player reads it itself
    if (format == PlaylistFormat::None && document.truncated) {
        // Audio after all. An address read for its playlist extension is played; one read
        // because the player failed on it has nothing more to offer.
        if (PlaylistFormatFromAddress(current_.address) != PlaylistFormat::None)
            return Step(ResolverStep::Action::Play);
        return Next();
    }
    return AddEntries(document, format);
}

ResolverStep PlaylistResolver::AddEntries(const FetchedDocument& document, PlaylistFormat format) {
    std::vector<Candidate> found;
    for (const PlaylistEntry& entry :
         ParsePlaylist(format, document.body, document.effectiveAddress)) {
        auto address = NormaliseStreamAddress(entry.address);
        if (!address || current_.depth >= kMaxPlaylistDepth)
            continue;  // never a local file or a foreign scheme, whatever the list says
        // An entry named like a playlist is read first; any other is played, and read only
        // if the player cannot make sense of it.
        found.push_back(Candidate{*address, current_.depth + 1, false});
    }
    pending_.insert(pending_.begin(), found.begin(), found.end());
    ResolverStep step = Next();
    if (format == PlaylistFormat::None)
        step.failure = FailureKind::NotAudio;  // text, but no playlist: a web page, say
    step.playlistChanged = !found.empty();
    return step;
}

}  // namespace platform::media
