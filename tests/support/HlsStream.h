#pragma once
// An HTTP live stream on disk for the stream server: MP3 in MPEG-TS segments with their index,
// written by GStreamer's HLS sink.

#include <QString>
#include <QStringList>

#include <chrono>
#include <functional>
#include <string>

namespace testsupport {

// Writes `seconds` of a 440 Hz tone as segments of about 2 s and index.m3u8 into `folder`,
// which is made. Throws std::runtime_error when it cannot.
void WriteHlsStream(const std::string& folder, int seconds);

// True when `folder`/index.m3u8 is closed with #EXT-X-ENDLIST and every segment it names
// exists and is not empty.
bool HlsStreamComplete(const std::string& folder);

// Runs `program` until it exits or `done` reports its work complete, then stops it. True when
// it exited successfully or its work was done; false when it failed, could not start or
// neither happened within `limit` (it is then killed as well).
bool RunUntilDone(const QString& program, const QStringList& arguments,
                  const std::function<bool()>& done, std::chrono::milliseconds limit);

}  // namespace testsupport
