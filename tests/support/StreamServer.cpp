#include "tests/support/StreamServer.h"
#include "tests/support/HlsStream.h"

#include <httplib.h>

#include <arpa/inet.h>
#include <netinet/in.h>
#include <sys/socket.h>
#include <unistd.h>
#include <QProcess>
#include <QStringList>
#include <QTemporaryDir>
#include <atomic>
#include <cstdint>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <map>
#include <mutex>
#include <random>
#include <sstream>
#include <stdexcept>
#include <thread>

namespace testsupport {

namespace {

using Clock = std::chrono::steady_clock;

constexpr int kFiniteSeconds = 4;
constexpr int kLiveSeconds = 60;
constexpr std::size_t kIcyInterval = 8000;
constexpr std::size_t kBurstBytes = 64 * 1024;
constexpr int kHlsSeconds = 12;
constexpr std::chrono::milliseconds kJitter{300};
constexpr int kToneHz = StreamServer::kToneHz;
constexpr int kOtherToneHz = StreamServer::kOtherToneHz;

void Generate(const std::string& path, int seconds, int hz, const QStringList& encoder) {
    QStringList arguments{"-q",
                          "audiotestsrc",
                          QString("num-buffers=%1").arg(seconds * 10),
                          "samplesperbuffer=4410",
                          QString("freq=%1").arg(hz),
                          "volume=0.5",
                          "!",
                          "audio/x-raw,rate=44100,channels=2",
                          "!",
                          "audioconvert",
                          "!"};
    arguments += encoder;
    arguments +=
        QStringList{"!", "filesink", QString("location=%1").arg(QString::fromStdString(path))};
    QProcess process;
    process.start("gst-launch-1.0", arguments);
    if (!process.waitForFinished(60000) || process.exitCode() != 0)
        throw std::runtime_error("cannot generate " + path + " with gst-launch-1.0");
}

std::string ReadFile(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    std::ostringstream out;
    out << in.rdbuf();
    return out.str();
}

struct AudioFiles {
    std::string folder;
    std::string toneOgg, toneMp3, liveOgg, liveMp3, otherOgg, otherMp3;
    std::size_t liveOggHeaders = 0, otherOggHeaders = 0;
    std::string hlsFolder;  // index.m3u8 and its MPEG-TS segments, as hlssink2 writes them
    std::string hlsIndex;
};

// Radio servers keep an Ogg stream's header pages and send them at once to every listener;
// only the audio after them is paced. The headers end where the first page with a granule
// position begins.
std::size_t OggHeaderBytes(const std::string& data) {
    for (std::size_t at = data.find("OggS"); at != std::string::npos && at + 14 <= data.size();
         at = data.find("OggS", at + 4)) {
        std::uint64_t granule = 0;
        for (int i = 7; i >= 0; --i)
            granule = (granule << 8) | static_cast<unsigned char>(data[at + 6 + i]);
        if (granule != 0 && granule != ~std::uint64_t{0})
            return at;
    }
    return 0;
}

// Test programs run once per test under CTest: the audio is made once per build folder
// (or once per process without one) and reused.
std::string AudioFolderPath() {
    static QTemporaryDir temporary;
    if (const char* binary = std::getenv("TUNELINK_BINARY_DIR")) {
        const std::string folder = std::string(binary) + "/test-audio";
        std::filesystem::create_directories(folder);
        return folder;
    }
    return temporary.path().toStdString();
}

// Writes through a private name and renames, so parallel test processes never read a file
// that is half written.
void GenerateOnce(const std::string& path, int seconds, const QStringList& encoder,
                  int hz = kToneHz) {
    if (std::filesystem::exists(path))
        return;
    const std::string partial = path + ".part" + std::to_string(::getpid());
    Generate(partial, seconds, hz, encoder);
    std::filesystem::rename(partial, path);
}

// The HLS stream is written into a private folder that is renamed into place when complete.
void WriteHlsStreamOnce(const std::string& folder) {
    if (std::filesystem::exists(folder + "/index.m3u8"))
        return;
    const std::string partial = folder + ".part" + std::to_string(::getpid());
    std::error_code ignored;
    try {
        WriteHlsStream(partial, kHlsSeconds);
    } catch (...) {
        std::filesystem::remove_all(partial, ignored);
        throw;
    }
    std::filesystem::rename(partial, folder, ignored);  // a parallel process may have won
    std::filesystem::remove_all(partial, ignored);
}

const AudioFiles& Audio() {
    static std::once_flag once;
    static AudioFiles files;
    std::call_once(once, [] {
        const std::string folder = AudioFolderPath();
        const QStringList ogg{"vorbisenc", "quality=0.2", "!", "oggmux"};
        const QStringList mp3{"lamemp3enc", "target=bitrate", "bitrate=128", "cbr=true"};
        GenerateOnce(folder + "/tone.ogg", kFiniteSeconds, ogg);
        GenerateOnce(folder + "/tone.mp3", kFiniteSeconds, mp3);
        GenerateOnce(folder + "/live.ogg", kLiveSeconds, ogg);
        GenerateOnce(folder + "/live.mp3", kLiveSeconds, mp3);
        GenerateOnce(folder + "/other.ogg", kLiveSeconds, ogg, kOtherToneHz);
        GenerateOnce(folder + "/other.mp3", kLiveSeconds, mp3, kOtherToneHz);
        WriteHlsStreamOnce(folder + "/hls");
        files.hlsFolder = folder + "/hls";
        files.hlsIndex = ReadFile(files.hlsFolder + "/index.m3u8");
        files.folder = folder;
        files.toneOgg = ReadFile(folder + "/tone.ogg");
        files.toneMp3 = ReadFile(folder + "/tone.mp3");
        files.liveOgg = ReadFile(folder + "/live.ogg");
        files.liveMp3 = ReadFile(folder + "/live.mp3");
        files.liveOggHeaders = OggHeaderBytes(files.liveOgg);
        files.otherOgg = ReadFile(folder + "/other.ogg");
        files.otherMp3 = ReadFile(folder + "/other.mp3");
        files.otherOggHeaders = OggHeaderBytes(files.otherOgg);
    });
    return files;
}

std::string IcyBlock(const std::string& title) {
    std::string text = "StreamTitle='" + title + "';";
    const std::size_t blocks = (text.size() + 15) / 16;
    text.resize(blocks * 16, '\0');
    return std::string(1, static_cast<char>(blocks)) + text;
}

// The index with every segment from `firstLocal` on named as a local file.
std::string WithLocalSegments(const std::string& index, const std::string& folder, int firstLocal) {
    std::istringstream in(index);
    std::string out, line;
    int segment = 0;
    while (std::getline(in, line)) {
        if (!line.empty() && line[0] != '#' && segment++ >= firstLocal)
            line = "file://" + folder + "/" + line;
        out += line + "\n";
    }
    return out;
}

}  // namespace

struct StreamServer::Impl {
    StreamServerOptions options;
    httplib::Server server;
    std::thread thread;
    int port = 0;
    std::atomic<bool> stopping{false};
    mutable std::mutex mutex;
    std::map<std::string, int> requests;

    struct Pacing {
        const std::string* data;
        double bytesPerSecond;
        std::size_t burst = 0;
        std::chrono::milliseconds dropAfter{0};  // 0: never
        bool icy = false;
        std::chrono::milliseconds jitter{0};  // longest hold of a delayed chunk; 0: none
        bool stalls = false;                  // the fixed holds of /stalls.mp3
    };

    // A long stall that no player's start-up lead covers, then shorter ones at a steady pace.
    static bool Stalled(Clock::duration elapsed) {
        using std::chrono::milliseconds;
        const auto ms = std::chrono::duration_cast<milliseconds>(elapsed).count();
        if (ms < 2000)
            return false;
        if (ms < 5000)
            return true;
        return (ms - 5000) % 3000 >= 1200;
    }

    // Network jitter: now and then the stream is held for a random time of up to `jitter`,
    // then what was held comes at once. The same seed for every listener, so players
    // compared with each other meet the same holds.
    struct Jitter {
        std::mt19937 random{17};
        Clock::time_point nextHold;
        Clock::time_point heldUntil;

        Clock::duration Between(int fromMs, int toMs) {
            return std::chrono::milliseconds(
                std::uniform_int_distribution<int>(fromMs, toMs)(random));
        }
        bool Holding(Clock::time_point now, std::chrono::milliseconds longest) {
            if (now < heldUntil)
                return true;
            if (now < nextHold)
                return false;
            heldUntil = now + Between(0, static_cast<int>(longest.count()));
            nextHold = heldUntil + Between(300, 1500);
            return true;
        }
    };

    void Count(const std::string& path) {
        std::lock_guard lock(mutex);
        ++requests[path];
    }

    // Sends `data` no faster than real time; the provider runs on one of the server's
    // threads, so it sleeps in short steps and stops when the server stops.
    void ServePaced(httplib::Response& res, const std::string& type, Pacing pacing) {
        // httplib's offset counts metadata blocks too, so the audio position is kept here.
        struct Progress {
            Clock::time_point start = Clock::now();
            std::size_t audio = 0;
            std::size_t nextMeta = kIcyInterval;
            Jitter jitter;
        };
        const auto progress = std::make_shared<Progress>();
        progress->jitter.nextHold = progress->start + progress->jitter.Between(300, 1500);
        res.set_content_provider(
            type, [this, pacing, progress](std::size_t, httplib::DataSink& sink) {
                const std::string& data = *pacing.data;
                Progress& at = *progress;
                if (at.audio >= data.size()) {
                    sink.done();
                    return true;
                }
                const auto elapsed = Clock::now() - at.start;
                if (pacing.dropAfter.count() > 0 && elapsed >= pacing.dropAfter)
                    return false;  // the connection breaks
                const double seconds = std::chrono::duration<double>(elapsed).count();
                const auto allowed =
                    static_cast<std::size_t>(pacing.burst + seconds * pacing.bytesPerSecond);
                const bool held =
                    (pacing.jitter.count() > 0 && at.jitter.Holding(Clock::now(), pacing.jitter)) ||
                    (pacing.stalls && Stalled(elapsed));
                if (at.audio >= allowed || held || stopping) {
                    std::this_thread::sleep_for(std::chrono::milliseconds(10));
                    return !stopping;
                }
                std::size_t count =
                    std::min({allowed - at.audio, data.size() - at.audio, std::size_t{4096}});
                if (pacing.icy)
                    count = std::min(count, at.nextMeta - at.audio);
                if (!sink.write(data.data() + at.audio, count))
                    return false;
                at.audio += count;
                if (pacing.icy && at.audio == at.nextMeta) {
                    const std::string block =
                        IcyBlock(options.icyTitle.empty()
                                     ? "Song " + std::to_string(static_cast<int>(seconds))
                                     : options.icyTitle);
                    if (!sink.write(block.data(), block.size()))
                        return false;
                    at.nextMeta += kIcyInterval;
                }
                return true;
            });
    }

    void ServeLive(const std::string& path, const std::string* data, const std::string& type,
                   std::size_t burst, std::chrono::milliseconds dropAfter, double speed = 1.0,
                   std::chrono::milliseconds jitter = {}) {
        server.Get(path, [=, this](const httplib::Request& req, httplib::Response& res) {
            Count(req.path);
            Pacing pacing{data, speed * static_cast<double>(data->size()) / kLiveSeconds, burst,
                          dropAfter};
            pacing.jitter = jitter;
            ServePaced(res, type, pacing);
        });
    }

    void ServeText(const std::string& path, const std::string& type, std::string body) {
        server.Get(path, [=, this](const httplib::Request& req, httplib::Response& res) {
            Count(req.path);
            res.set_content(body, type);
        });
    }
};

StreamServer::StreamServer(StreamServerOptions options) : impl_(std::make_unique<Impl>()) {
    const AudioFiles& audio = Audio();
    Impl& p = *impl_;
    p.options = options;
    p.port = p.server.bind_to_any_port("127.0.0.1");
    if (p.port <= 0)
        throw std::runtime_error("cannot bind the stream server");

    for (const auto& [path, data, type] : {std::tuple{"/tone.ogg", &audio.toneOgg, "audio/ogg"},
                                           std::tuple{"/tone.mp3", &audio.toneMp3, "audio/mpeg"}}) {
        p.server.Get(path, [&p, data = data, type = std::string(type)](const httplib::Request& req,
                                                                       httplib::Response& res) {
            p.Count(req.path);
            res.set_content(*data, type);
        });
    }
    p.ServeLive("/live.ogg", &audio.liveOgg, "audio/ogg", audio.liveOggHeaders, {});
    p.ServeLive("/live.mp3", &audio.liveMp3, "audio/mpeg", 0, {});
    p.ServeLive("/other.ogg", &audio.otherOgg, "audio/ogg", audio.otherOggHeaders, {});
    p.ServeLive("/other.mp3", &audio.otherMp3, "audio/mpeg", 0, {});
    p.ServeLive("/audio.pls", &audio.liveMp3, "audio/mpeg", 0, {});
    p.ServeLive("/slow.mp3", &audio.liveMp3, "audio/mpeg", 0, {}, 0.7);
    p.ServeLive("/burst.mp3", &audio.liveMp3, "audio/mpeg", kBurstBytes, {});
    for (const char* path : {"/hang.pls", "/hang.mp3"}) {
        p.server.Get(path, [&p](const httplib::Request& req, httplib::Response&) {
            p.Count(req.path);
            // Never answers: the connection is held until the client gives up or the server
            // stops.
            while (!p.stopping) std::this_thread::sleep_for(std::chrono::milliseconds(20));
        });
    }
    p.server.Get("/page.html", [&p](const httplib::Request& req, httplib::Response& res) {
        p.Count(req.path);
        std::string page = "<!DOCTYPE html>\n<html><head><title>Radio</title></head><body>";
        for (int i = 0; i < 200; ++i) page += "<p>Listen to our station on the web.</p>\n";
        res.set_content(page + "</body></html>\n", "text/html");
    });
    p.server.Get("/trickle.mp3", [&p, &audio](const httplib::Request& req, httplib::Response& res) {
        p.Count(req.path);
        // One byte every two seconds: the connection stays alive, no sound ever comes.
        const auto next = std::make_shared<Clock::time_point>(Clock::now());
        res.set_content_provider("audio/mpeg", [&p, &audio, next](std::size_t offset,
                                                                  httplib::DataSink& sink) {
            while (Clock::now() < *next) {
                if (p.stopping)
                    return false;
                std::this_thread::sleep_for(std::chrono::milliseconds(10));
            }
            *next += std::chrono::seconds(2);
            return offset < audio.liveMp3.size() && sink.write(audio.liveMp3.data() + offset, 1);
        });
    });
    p.ServeLive("/jitter.mp3", &audio.liveMp3, "audio/mpeg", 0, {}, 1.0, kJitter);
    p.ServeLive("/jitter.ogg", &audio.liveOgg, "audio/ogg", audio.liveOggHeaders, {}, 1.0, kJitter);
    p.server.Get("/stalls.mp3", [&p, &audio](const httplib::Request& req, httplib::Response& res) {
        p.Count(req.path);
        Impl::Pacing pacing{&audio.liveMp3,
                            static_cast<double>(audio.liveMp3.size()) / kLiveSeconds};
        pacing.stalls = true;
        p.ServePaced(res, "audio/mpeg", pacing);
    });
    p.ServeLive("/drop.ogg", &audio.liveOgg, "audio/ogg", audio.liveOggHeaders, options.dropAfter);
    p.server.Get("/icy.mp3", [&p, &audio](const httplib::Request& req, httplib::Response& res) {
        p.Count(req.path);
        Impl::Pacing pacing{&audio.liveMp3,
                            static_cast<double>(audio.liveMp3.size()) / kLiveSeconds};
        if (req.get_header_value("Icy-MetaData") == "1") {
            pacing.icy = true;
            res.set_header("icy-metaint", std::to_string(kIcyInterval));
            res.set_header("icy-name", "Tunelink Test FM");
        }
        p.ServePaced(res, "audio/mpeg", pacing);
    });

    const std::string live = Url("/live.ogg");
    p.ServeText("/station.pls", "audio/x-scpls",
                "[playlist]\nNumberOfEntries=1\nFile1=" + live + "\nTitle1=Test\nLength1=-1\n");
    p.ServeText("/station.m3u", "audio/x-mpegurl", "#EXTM3U\n#EXTINF:-1,Test\n" + live + "\n");
    p.ServeText("/station.xspf", "application/xspf+xml",
                "<?xml version=\"1.0\"?>\n<playlist version=\"1\" "
                "xmlns=\"http://xspf.org/ns/0/\"><trackList><track><location>" +
                    live + "</location></track></trackList></playlist>\n");
    p.ServeText("/station.asx", "video/x-ms-asf",
                "<ASX Version=\"3.0\">\n<Title>Test & more</Title>\n<Entry>\n<Ref HREF=\"" +
                    Url("/missing.mp3") + "\" />\n<REF href='" + Url("/live.mp3?a=1&amp;b=2") +
                    "'/>\n</Entry>\n</asx>\n");
    p.ServeText("/nested.asx", "video/x-ms-asx",
                "<asx version=\"3.0\"><ENTRYREF HREF=\"/station.asx\"/></asx>");
    p.ServeText("/unsafe.pls", "audio/x-scpls",
                "[playlist]\nFile1=file:///etc/passwd\nFile2=" + live + "\n");
    p.ServeText("/lying.mp3", "audio/mpeg", "[playlist]\nFile1=" + Url("/live.mp3") + "\n");

    const std::string hlsType = "application/vnd.apple.mpegurl";
    p.ServeText("/hls/index.m3u8", hlsType, audio.hlsIndex);
    p.server.Get(R"(/hls/(segment\d{5}\.ts))", [&p, &audio](const httplib::Request& req,
                                                            httplib::Response& res) {
        p.Count(req.path);
        res.set_content(ReadFile(audio.hlsFolder + "/" + req.matches[1].str()), "video/mp2t");
    });
    p.ServeText("/hls/local.m3u8", hlsType, WithLocalSegments(audio.hlsIndex, audio.hlsFolder, 0));
    p.ServeText("/hls/mixed.m3u8", hlsType, WithLocalSegments(audio.hlsIndex, audio.hlsFolder, 2));
    p.ServeText("/hls/master-local.m3u8", hlsType,
                "#EXTM3U\n#EXT-X-STREAM-INF:BANDWIDTH=128000,CODECS=\"mp4a.40.34\"\nfile://" +
                    audio.hlsFolder + "/index.m3u8\n");

    p.thread = std::thread([&p] { p.server.listen_after_bind(); });
    while (!p.server.is_running()) std::this_thread::sleep_for(std::chrono::milliseconds(1));
}

StreamServer::~StreamServer() {
    impl_->stopping = true;
    impl_->server.stop();
    if (impl_->thread.joinable())
        impl_->thread.join();
}

int StreamServer::Port() const {
    return impl_->port;
}

std::string StreamServer::Url(const std::string& path) const {
    return "http://127.0.0.1:" + std::to_string(impl_->port) + path;
}

int StreamServer::RequestCount(const std::string& path) const {
    std::lock_guard lock(impl_->mutex);
    auto found = impl_->requests.find(path);
    return found == impl_->requests.end() ? 0 : found->second;
}

std::string StreamServer::DeadAddress() {
    // Nothing listens on a port that was bound and closed again.
    return "http://127.0.0.1:" + std::to_string(FreePort()) + "/stream.mp3";
}

int StreamServer::FreePort() {
    const int fd = ::socket(AF_INET, SOCK_STREAM, 0);
    sockaddr_in address{};
    address.sin_family = AF_INET;
    address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    socklen_t length = sizeof address;
    ::bind(fd, reinterpret_cast<sockaddr*>(&address), sizeof address);
    ::getsockname(fd, reinterpret_cast<sockaddr*>(&address), &length);
    ::close(fd);
    return ntohs(address.sin_port);
}

std::string StreamServer::AudioFolder() {
    return Audio().folder;
}

}  // namespace testsupport
