#pragma once
// Why a stream could not be played, told from the errors of the two things that reach the
// server: GStreamer's HTTP source (its error domain and code, and the HTTP status it
// attaches) and the playlist reader (its curl result and HTTP status). Only codes are read,
// never the English error texts.

#include "platform/media/MediaPlayer.h"

#include <gst/gst.h>

#include <optional>

namespace platform::media {

// The reason a GStreamer error gives, or nothing when it does not tell (a source that only
// reports "streaming stopped" may have been refused, timed out or cut off).
std::optional<FailureKind> FailureFromStreamError(const GError* error, const GstStructure* details);

// The reason a failed playlist read gives: `curlCode` is the transfer's CURLcode, `httpStatus`
// the answer's status (0 when none came). Nothing when the read tells nothing.
std::optional<FailureKind> FailureFromFetch(int curlCode, long httpStatus);

}  // namespace platform::media
