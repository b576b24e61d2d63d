#pragma once
// A local audio stream server for tests and benchmarks: cpp-httplib on 127.0.0.1 with a free
// port, serving generated audio the way internet radio servers do. Started by the
// constructor, stopped by the destructor.
//
// Paths (all audio is a 440 Hz sine at half scale, generated with GStreamer at first use,
// but for the /other streams):
//   /tone.ogg, /tone.mp3     finite files with Content-Length (4 s), Range honoured
//   /live.ogg, /live.mp3     no Content-Length, paced at real time (Ogg header pages sent at
//                            once, as radio servers do), 60 s, then the end
//   /other.ogg, /other.mp3   like the live streams at 880 Hz: a second station to switch to
//   /icy.mp3                 like /live.mp3; with "Icy-MetaData: 1" it interleaves ICY
//                            metadata every 8000 bytes, StreamTitle "Song N" (N = second of
//                            the stream) or the options' icyTitle, and sends icy-name
//                            "Tunelink Test FM"
//   /drop.ogg                like /live.ogg but the connection breaks after dropAfter
//   /station.pls, /station.m3u, /station.xspf   one entry each, pointing at /live.ogg
//   /station.asx             <ASX> in mixed case: a missing entry first, then /live.mp3
//   /nested.asx              an <entryref> to /station.asx
//   /unsafe.pls              a file:// entry first, then /live.ogg
//   /audio.pls               an MP3 stream under a playlist name
//   /lying.mp3               a .pls playlist served under an audio name and type
//   /slow.mp3                like /live.mp3 but at 70 % of real time: the sound must break up
//   /jitter.mp3, /jitter.ogg like the live streams, but held now and then (every 0.3-1.5 s)
//                            for up to 300 ms, as a congested network does; the held audio
//                            then comes at once
//   /stalls.mp3              like /live.mp3, but held for 3 s after 2 s, then for 1.8 s every
//                            3 s; the held audio then comes at once
//   /burst.mp3               like /live.mp3 after an initial burst of 64 KB
//   /hang.pls, /hang.mp3     accept the request and never answer
//   /page.html               a web page (text/html), not audio
//   /trickle.mp3             answers at once, then sends one byte of MP3 every 2 s
//   /hls/index.m3u8          an HTTP live stream (12 s of MP3 in MPEG-TS segments of 2 s,
//                            made with hlssink2), its segments under /hls/segmentNNNNN.ts
//   /hls/local.m3u8          the same index with every segment named as a local file://
//   /hls/mixed.m3u8          two segments over HTTP, then local files
//   /hls/master-local.m3u8   a variant list whose only variant is a local file
//   anything else            404

#include <chrono>
#include <memory>
#include <string>

namespace testsupport {

struct StreamServerOptions {
    std::chrono::milliseconds dropAfter{2500};
    // The StreamTitle of /icy.mp3; empty: "Song N".
    std::string icyTitle;
};

class StreamServer {
  public:
    explicit StreamServer(StreamServerOptions options = {});
    ~StreamServer();
    StreamServer(const StreamServer&) = delete;
    StreamServer& operator=(const StreamServer&) = delete;

    // The tones of the streams; the second station's is an octave above, told apart by ear.
    static constexpr int kToneHz = 440;
    static constexpr int kOtherToneHz = 880;

    int Port() const;
    // "http://127.0.0.1:<port><path>"
    std::string Url(const std::string& path) const;
    // How many requests reached `path` so far.
    int RequestCount(const std::string& path) const;

    // An http address on 127.0.0.1 where nothing listens.
    static std::string DeadAddress();
    // A port on 127.0.0.1 that was free a moment ago (bound, then closed again).
    static int FreePort();
    // The folder with the generated audio files: $TUNELINK_BINARY_DIR/test-audio, made once
    // per build folder, or a temporary folder for the process.
    static std::string AudioFolder();

  private:
    struct Impl;
    std::unique_ptr<Impl> impl_;
};

}  // namespace testsupport
