#pragma once
// Why a stream could not be played, told from the errors of the two things that reach the
// server: the pipeline's HTTP source (its error domain and code, and the HTTP status it
// attaches) and the playlist reader (its curl result and HTTP status). Only codes are read,
// never the English error texts.

#include "platform/media/MediaPlayer.h"

#include <optional>
#include <string>

namespace platform::media {

// An error the pipeline reported, in plain values.
struct StreamError {
    enum class Domain { Core, Resource, Stream, RefusedSource, Other };
    Domain domain = Domain::Other;
    int code = 0;  // the media library's numbering within the domain (error_code)
    // The HTTP status the source attached; 0 when none. libsoup 2 also puts its transport
    // codes (below 100, such as "cannot resolve") here.
    unsigned httpStatus = 0;
    std::string message;
    bool fromOutput = false;  // raised by the sound output, not by the stream
};

// The codes that tell a reason, numbered as the media library numbers them (the pipeline
// checks the numbers when it is compiled).
namespace error_code {
enum Core : int { kStateChange = 4, kMissingPlugin = 12 };
enum Resource : int { kNotFound = 3, kBusy = 4, kOpenRead = 5, kRead = 9, kNotAuthorized = 15 };
enum Stream : int {
    kFailed = 1,
    kTypeNotFound = 4,
    kWrongType = 5,
    kCodecNotFound = 6,
    kDecode = 7,
    kDemux = 9,
    kFormat = 11,
};
}  // namespace error_code

// The reason an error gives, or nothing when it does not tell (a source that only reports
// "streaming stopped" may have been refused, timed out or cut off).
std::optional<FailureKind> FailureFromStreamError(const StreamError& error);

// Stream-format trouble may mean the address serves a playlist; network trouble does not.
bool MayMeanPlaylist(const StreamError& error);

// The reason a failed playlist read gives: `curlCode` is the transfer's CURLcode, `httpStatus`
// the answer's status (0 when none came). Nothing when the read tells nothing.
std::optional<FailureKind> FailureFromFetch(int curlCode, long httpStatus);

}  // namespace platform::media
