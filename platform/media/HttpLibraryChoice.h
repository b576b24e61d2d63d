#pragma once
// GStreamer's HTTP source works on libsoup 2.4 or libsoup 3, whichever is already loaded
// in the process when the source is first made, and on libsoup 3 when neither is. The
// libsoup 3 of Debian 12 (3.2) crashes when a response body is closed after its request
// was already torn down; stopping an HLS station while a segment downloads does exactly
// that now and then. libsoup 2.4 answers the same close with an error. So the player
// loads libsoup 2.4 first where it is installed, and libsoup 3 remains the fallback.

namespace platform::media {

enum class HttpLibrary { Soup2, Soup3 };

// Once per process, before GStreamer's HTTP source is first loaded. Returns the library
// the source will run on; Soup3 also when libsoup 3 was loaded before this call.
HttpLibrary ChooseHttpLibrary();

// Which libsoup this process has loaded now, if any (for tests and diagnostics).
bool IsLoaded(HttpLibrary library);

}  // namespace platform::media
