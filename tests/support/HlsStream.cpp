#include "tests/support/HlsStream.h"

#include <QProcess>

#include <filesystem>
#include <fstream>
#include <sstream>
#include <stdexcept>

namespace testsupport {

namespace {

constexpr std::chrono::milliseconds kPoll{50};
constexpr int kStopMs = 2000;

void Stop(QProcess& process) {
    if (process.state() == QProcess::NotRunning)
        return;
    process.terminate();
    if (!process.waitForFinished(kStopMs)) {
        process.kill();
        process.waitForFinished(kStopMs);
    }
}

bool NonEmptyFile(const std::filesystem::path& path) {
    std::error_code error;
    return std::filesystem::is_regular_file(path, error) &&
           std::filesystem::file_size(path, error) > 0 && !error;
}

}  // namespace

bool RunUntilDone(const QString& program, const QStringList& arguments,
                  const std::function<bool()>& done, std::chrono::milliseconds limit) {
    QProcess process;
    process.setProcessChannelMode(QProcess::ForwardedErrorChannel);
    process.start(program, arguments);
    if (!process.waitForStarted(static_cast<int>(limit.count())))
        return false;
    const auto deadline = std::chrono::steady_clock::now() + limit;
    while (std::chrono::steady_clock::now() < deadline) {
        if (process.waitForFinished(static_cast<int>(kPoll.count())))
            return process.exitStatus() == QProcess::NormalExit && process.exitCode() == 0;
        if (done()) {
            Stop(process);
            return true;
        }
    }
    Stop(process);
    return false;
}

bool HlsStreamComplete(const std::string& folder) {
    const std::filesystem::path base(folder);
    std::ifstream in(base / "index.m3u8");
    std::string line;
    bool ended = false, anySegment = false;
    while (std::getline(in, line)) {
        if (line == "#EXT-X-ENDLIST") {
            ended = true;
        } else if (!line.empty() && line[0] != '#') {
            if (!NonEmptyFile(base / line))
                return false;
            anySegment = true;
        }
    }
    return ended && anySegment;
}

// GStreamer 1.22's HLS sink now and then writes every segment and closes the index, and then
// never reports the end of the stream: gst-launch-1.0 waits for it forever. The index closed
// with #EXT-X-ENDLIST is written only after the last segment, so it is taken as the end.
void WriteHlsStream(const std::string& folder, int seconds) {
    std::filesystem::create_directories(folder);
    const QString base = QString::fromStdString(folder);
    const QStringList arguments{"-q",
                                "audiotestsrc",
                                QString("num-buffers=%1").arg(seconds * 10),
                                "samplesperbuffer=4410",
                                "freq=440",
                                "volume=0.5",
                                "!",
                                "audio/x-raw,rate=44100,channels=2",
                                "!",
                                "audioconvert",
                                "!",
                                "lamemp3enc",
                                "!",
                                "mpegaudioparse",
                                "!",
                                "hlssink2",
                                "location=" + base + "/segment%05d.ts",
                                "playlist-location=" + base + "/index.m3u8",
                                "target-duration=2",
                                "max-files=0",
                                "playlist-length=0"};
    const bool ran = RunUntilDone(
        "gst-launch-1.0", arguments, [&] { return HlsStreamComplete(folder); },
        std::chrono::seconds(60));
    if (!ran || !HlsStreamComplete(folder))
        throw std::runtime_error("cannot make an HLS stream with gst-launch-1.0 hlssink2");
}

}  // namespace testsupport
