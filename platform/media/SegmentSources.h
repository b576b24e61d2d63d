#pragma once
// An HLS station's demuxer fetches its segments with an HTTP source of its own, which it
// keeps connected from one segment to the next. The libsoup 3.2 of Debian 12 crashes now
// and then when such a source stops after a finished segment: it cancels the request it
// has read to the end while a last read of it is still being wound up on the library's
// thread. The station's own source closes its connection whenever it stops and never
// showed the crash; segment sources are made to do the same. The price is a new connection
// per segment, one every few seconds.

typedef struct _GstElement GstElement;

namespace platform::media {

// For an element just added anywhere in the pipeline: it, or any element inside it, that
// would keep its connection between downloads no longer does.
void CloseConnectionAfterEachDownload(GstElement* added);

}  // namespace platform::media
