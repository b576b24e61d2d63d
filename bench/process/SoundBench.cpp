#include "bench/process/SoundBench.h"

#include "radio/SkinGeometry.h"
#include "tests/support/RadioProcess.h"
#include "tests/support/SoundServer.h"
#include "tests/support/StreamServer.h"

#include <sys/socket.h>
#include <sys/un.h>
#include <unistd.h>
#include <QFile>
#include <QProcess>
#include <QStandardPaths>

#include <algorithm>
#include <cstdio>
#include <cstring>
#include <map>
#include <memory>
#include <optional>
#include <string>
#include <vector>

namespace bench {

namespace {

using testsupport::RadioProcess;
using testsupport::SoundClock;
using testsupport::SoundMonitor;
using testsupport::VirtualDisplay;
using Ms = std::chrono::milliseconds;

constexpr Ms kSoundLimit{20000};

double Milliseconds(SoundClock::duration d) {
    return std::chrono::duration<double, std::milli>(d).count();
}

// One player program, driven from outside the way a listener drives it.
class Contender {
  public:
    virtual ~Contender() = default;
    virtual const char* Name() const = 0;
    // Starts the program, ready to play `url` into the sound server's `sink`, and then, on
    // Switch, `next`.
    virtual bool Prepare(const std::string& url, const std::string& sink,
                         const std::string& next) = 0;
    // The listener's Play; returns when it was given.
    virtual SoundClock::time_point Play() = 0;
    // The listener's choice of the next station while one plays; returns when it was given.
    virtual SoundClock::time_point Switch() = 0;
    // Reads the program's output for `ms`.
    virtual void Pump(int ms) { process_->ReadLogFor(ms); }
    // When the program first said it plays, if it says so at all.
    virtual std::optional<SoundClock::time_point> SaidPlaying() { return std::nullopt; }
    virtual void End() { process_.reset(); }
    const QByteArray& Log() const { return process_->Log(); }

  protected:
    std::unique_ptr<RadioProcess> process_;
};

// The radio under Xvfb: favourite 1 holds the stream, a click on its dial sector plays it.
class RadioContender final : public Contender {
  public:
    RadioContender(const VirtualDisplay& display, const testsupport::PrivateSoundServer& sound)
        : display_(display), sound_(sound) {}
    const char* Name() const override { return "Tunelink"; }

    bool Prepare(const std::string& url, const std::string& sink,
                 const std::string& next) override {
        process_ = std::make_unique<RadioProcess>();
        saidPlaying_.reset();
        if (!process_->Ready())
            return false;
        process_->SetSetting("CStationData/1", QString::fromStdString(url));
        process_->SetSetting("CStationData/2", QString::fromStdString(next));
        auto env = process_->Environment(display_.Name(), "pulsesink");
        sound_.AddClientEnvironment(env, sink);
        if (!process_->Start(TUNELINK_PROGRAM, env))
            return false;
        const std::string window = display_.FindWindow("Orbifon 1.0", 20000);
        if (window.empty() ||
            process_->WaitForLog("tunelink.startup: first frame painted", 20000) < 0)
            return false;
        // A listener clicks a moment after the window came up, not within its first frame,
        // and once the start-up picture over the dial has gone.
        process_->ReadLogFor(1500);
        if (!display_.WaitUntilOnlyWindowOf(process_->Pid(), radio::geometry::kWindowWidth,
                                            radio::geometry::kWindowHeight, 20000)) {
            std::fprintf(stderr, "the start-up picture stayed over the radio\n");
            return false;
        }
        const testsupport::WindowGeometry g = display_.Geometry(window);
        first_ = QPoint(g.x, g.y) + InsideSector(30);   // favourite 1
        second_ = QPoint(g.x, g.y) + InsideSector(31);  // favourite 2
        logFrom_ = process_->Log().size();
        return StartPointer();
    }

    // Moves and clicks in one go: a pointer resting on the dial would bring up the start-up
    // hint, which can take the click.
    SoundClock::time_point Play() override { return Click(first_); }
    SoundClock::time_point Switch() override { return Click(second_); }

    void End() override {
        pointer_.closeWriteChannel();
        if (!pointer_.waitForFinished(2000))
            pointer_.kill();
        Contender::End();
    }

    void Pump(int ms) override {
        process_->ReadLogFor(ms);
        if (!saidPlaying_ && process_->Log().indexOf("tunelink.player: Spielt", logFrom_) >= 0)
            saidPlaying_ = SoundClock::now();
    }

    std::optional<SoundClock::time_point> SaidPlaying() override { return saidPlaying_; }

  private:
    static QPoint InsideSector(int sector) {
        const QPolygon triangle = radio::geometry::SectorTriangle(sector);
        return (triangle[0] + 3 * triangle[1] + 3 * triangle[2]) / 7;
    }
    // The pointer is driven by one xdotool that reads its commands as they come, started and
    // connected to the display beforehand: a click then reaches the radio as fast as a line
    // reaches the floor program or a command reaches mpv. Starting a new xdotool for each
    // click put its start-up (5-15 ms here) into the radio's time alone.
    bool StartPointer() {
        auto env = QProcessEnvironment::systemEnvironment();
        env.insert("DISPLAY", QString::fromStdString(display_.Name()));
        pointer_.setProcessEnvironment(env);
        pointer_.start("xdotool", {"-"});
        if (!pointer_.waitForStarted(5000))
            return false;
        pointer_.write("getmouselocation\n");
        for (int waited = 0; waited < 100 && !pointer_.canReadLine(); ++waited)
            pointer_.waitForReadyRead(100);
        if (!pointer_.canReadLine()) {
            std::fprintf(stderr, "xdotool does not answer on the display\n");
            return false;
        }
        pointer_.readAll();
        return true;
    }
    SoundClock::time_point Click(QPoint at) {
        const auto now = SoundClock::now();
        const QByteArray command = QByteArray("mousemove ") + QByteArray::number(at.x()) + " " +
                                   QByteArray::number(at.y()) + " click 1\n";
        pointer_.write(command);
        pointer_.waitForBytesWritten(1000);
        return now;
    }

    const VirtualDisplay& display_;
    const testsupport::PrivateSoundServer& sound_;
    QProcess pointer_;
    QPoint first_, second_;
    qsizetype logFrom_ = 0;
    std::optional<SoundClock::time_point> saidPlaying_;
};

// The bare Qt 6 playbin program: plays when a line reaches its standard input.
class FloorContender final : public Contender {
  public:
    FloorContender(const VirtualDisplay& display, const testsupport::PrivateSoundServer& sound)
        : display_(display), sound_(sound) {}
    const char* Name() const override { return "playbin floor"; }

    bool Prepare(const std::string& url, const std::string& sink,
                 const std::string& next) override {
        process_ = std::make_unique<RadioProcess>();
        auto env = process_->Environment(display_.Name(), "pulsesink");
        sound_.AddClientEnvironment(env, sink);
        QStringList arguments{QString::fromStdString(url), "--on-input"};
        if (!next.empty())
            arguments << QString::fromStdString(next);
        return process_->Ready() && process_->Start(TUNELINK_FLOOR_PROGRAM, env, arguments) &&
               process_->WaitForLog("ready", 20000) >= 0;
    }

    SoundClock::time_point Play() override { return Say("play\n"); }
    SoundClock::time_point Switch() override { return Say("next\n"); }

  private:
    SoundClock::time_point Say(const char* line) {
        const auto at = SoundClock::now();
        process_->Write(line);
        return at;
    }

    const VirtualDisplay& display_;
    const testsupport::PrivateSoundServer& sound_;
};

// mpv with its defaults, idle until a loadfile command arrives on its IPC socket.
class MpvContender final : public Contender {
  public:
    explicit MpvContender(const testsupport::PrivateSoundServer& sound) : sound_(sound) {}
    ~MpvContender() override { CloseSocket(); }
    const char* Name() const override { return "mpv"; }
    static bool Exists() { return !QStandardPaths::findExecutable("mpv").isEmpty(); }

    bool Prepare(const std::string& url, const std::string& sink,
                 const std::string& next) override {
        process_ = std::make_unique<RadioProcess>();
        url_ = url;
        next_ = next;
        if (!process_->Ready())
            return false;
        socketPath_ = (process_->Home() + "/mpv.socket").toStdString();
        auto env = process_->Environment("", "");
        sound_.AddClientEnvironment(env, sink);
        if (!process_->Start("mpv", env,
                             {"--no-config", "--idle=yes", "--no-video", "--ao=pulse",
                              "--input-ipc-server=" + QString::fromStdString(socketPath_)}))
            return false;
        for (int waited = 0; waited < 200 && !Connect(); ++waited) process_->ReadLogFor(50);
        return socket_ >= 0;
    }

    SoundClock::time_point Play() override { return Load(url_); }
    // A new file replaces the one playing, as mpv's playlist does by default.
    SoundClock::time_point Switch() override { return Load(next_); }

    void End() override {
        CloseSocket();
        Contender::End();
    }

  private:
    SoundClock::time_point Load(const std::string& url) {
        const auto at = SoundClock::now();
        const std::string command = "{\"command\":[\"loadfile\",\"" + url + "\"]}\n";
        if (::write(socket_, command.data(), command.size()) < 0)
            std::fprintf(stderr, "mpv: cannot send the command\n");
        return at;
    }
    bool Connect() {
        const int fd = ::socket(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC, 0);
        sockaddr_un address{};
        address.sun_family = AF_UNIX;
        std::strncpy(address.sun_path, socketPath_.c_str(), sizeof address.sun_path - 1);
        if (::connect(fd, reinterpret_cast<sockaddr*>(&address), sizeof address) != 0) {
            ::close(fd);
            return false;
        }
        socket_ = fd;
        return true;
    }
    void CloseSocket() {
        if (socket_ >= 0)
            ::close(socket_);
        socket_ = -1;
    }

    const testsupport::PrivateSoundServer& sound_;
    std::string url_, next_, socketPath_;
    int socket_ = -1;
};

struct Stream {
    const char* label;
    const char* path;
    const char* otherPath;  // the station switched to, in another tone
    const char* jitterPath;
};
constexpr Stream kStreams[] = {{"MP3 128 kbit/s", "/live.mp3", "/other.mp3", "/jitter.mp3"},
                               {"Ogg Vorbis q0.2", "/live.ogg", "/other.ogg", "/jitter.ogg"}};

// How long a listener stays on the first station before choosing the next.
constexpr Ms kListenBeforeSwitch{2000};

struct Timing {
    std::vector<double> soundMs;
    std::vector<double> saidEarlyMs;  // how long "playing" was reported before the sound
    std::vector<double> switchMs;     // from choosing the next station to hearing its tone
};

// While the first station plays, the listener chooses the next; timed until its tone is
// heard. False when it never was.
bool TimeSwitch(Contender& player, const SoundMonitor& monitor, Timing& timing) {
    for (const auto until = SoundClock::now() + kListenBeforeSwitch; SoundClock::now() < until;)
        player.Pump(5);
    const auto chosen = player.Switch();
    const auto limit = SoundClock::now() + kSoundLimit;
    std::optional<SoundClock::time_point> heard;
    while (!heard && SoundClock::now() < limit) {
        player.Pump(5);
        heard = monitor.FirstToneAfter(chosen, testsupport::StreamServer::kOtherToneHz);
    }
    if (!heard) {
        std::fprintf(stderr, "%s: the next station was not heard within %lld s\n%s\n",
                     player.Name(), static_cast<long long>(kSoundLimit.count() / 1000),
                     player.Log().constData());
        return false;
    }
    timing.switchMs.push_back(Milliseconds(*heard - chosen));
    return true;
}

// One Play, timed by ear, then a switch to `next`. False when no sound came.
bool TimeOnce(Contender& player, const SoundMonitor& monitor, const std::string& url,
              const std::string& next, Timing& timing) {
    monitor.WaitForSilence(Ms(300), Ms(10000));
    if (!player.Prepare(url, "nul", next)) {
        std::fprintf(stderr, "%s did not start\n%s\n", player.Name(), player.Log().constData());
        return false;
    }
    const auto play = player.Play();
    std::optional<SoundClock::time_point> sound;
    const auto limit = SoundClock::now() + kSoundLimit;
    // Waits for the sound and, a little longer, for the program's own word that it plays.
    while (SoundClock::now() < limit) {
        player.Pump(5);
        sound = monitor.FirstSoundAfter(play);
        if (sound && (player.SaidPlaying() || SoundClock::now() - *sound > Ms(3000)))
            break;
    }
    if (!sound) {
        std::fprintf(stderr, "%s: no sound within %lld s\n%s\n", player.Name(),
                     static_cast<long long>(kSoundLimit.count() / 1000), player.Log().constData());
        player.End();
        return false;
    }
    timing.soundMs.push_back(Milliseconds(*sound - play));
    if (const auto said = player.SaidPlaying())
        timing.saidEarlyMs.push_back(Milliseconds(*sound - *said));
    const bool switched = TimeSwitch(player, monitor, timing);
    player.End();
    return switched;
}

double Median(std::vector<double> values) {
    if (values.empty())
        return 0;
    std::sort(values.begin(), values.end());
    const std::size_t n = values.size();
    return n % 2 ? values[n / 2] : (values[n / 2 - 1] + values[n / 2]) / 2;
}

std::string Cell(const std::vector<double>& ms) {
    if (ms.empty())
        return "-";
    char text[64];
    std::snprintf(text, sizeof text, "%.3f s (%.3f-%.3f)", Median(ms) / 1000,
                  *std::min_element(ms.begin(), ms.end()) / 1000,
                  *std::max_element(ms.begin(), ms.end()) / 1000);
    return text;
}

std::string Ratio(const std::vector<double>& a, const std::vector<double>& b) {
    if (a.empty() || b.empty())
        return "-";
    char text[32];
    std::snprintf(text, sizeof text, "%.3f x", Median(a) / Median(b));
    return text;
}

// Every player plays the jittery stream at once, each into its own sink; gaps are counted
// over the first `seconds` of each one's sound.
bool CountUnderruns(const std::vector<Contender*>& players,
                    const testsupport::PrivateSoundServer& sound,
                    const testsupport::StreamServer& server, const Stream& stream, int seconds,
                    std::vector<int>& gaps) {
    std::vector<std::unique_ptr<SoundMonitor>> monitors;
    for (std::size_t i = 0; i < players.size(); ++i) {
        monitors.push_back(std::make_unique<SoundMonitor>(sound, "side" + std::to_string(i)));
        if (!monitors.back()->WaitUntilRecording(Ms(5000)))
            return false;
        if (!players[i]->Prepare(server.Url(stream.jitterPath), "side" + std::to_string(i), {}))
            return false;
    }
    std::vector<SoundClock::time_point> plays;
    for (Contender* player : players) plays.push_back(player->Play());
    const auto end = SoundClock::now() + Ms(seconds * 1000) + kSoundLimit;
    std::vector<std::optional<SoundClock::time_point>> first(players.size());
    while (SoundClock::now() < end) {
        bool all = true;
        for (std::size_t i = 0; i < players.size(); ++i) {
            players[i]->Pump(5);
            first[i] = monitors[i]->FirstSoundAfter(plays[i]);
            all = all && first[i] && SoundClock::now() - *first[i] > Ms(seconds * 1000 + 100);
        }
        if (all)
            break;
    }
    gaps.clear();
    for (std::size_t i = 0; i < players.size(); ++i) {
        gaps.push_back(first[i] ? monitors[i]->CountGaps(*first[i], *first[i] + Ms(seconds * 1000))
                                : -1);
        players[i]->End();
    }
    return true;
}

using Timings = std::map<std::pair<std::string, std::string>, Timing>;

// One row per stream: each player's times, the radio's ratios to the floor and to mpv, and,
// given `base`, the radio's `series` against its own `base`.
void PrintTimes(Timings& timings, std::vector<double> Timing::*series, bool withMpv,
                std::vector<double> Timing::*base = nullptr) {
    std::printf("%-16s %-25s %-25s %-25s %-10s %-10s %s\n", "", "Tunelink", "playbin floor",
                withMpv ? "mpv" : "mpv (not installed)", "vs floor", "vs mpv",
                base ? "vs first Play" : "");
    for (const Stream& stream : kStreams) {
        const Timing& own = timings[{stream.label, "Tunelink"}];
        const auto& bare = timings[{stream.label, "playbin floor"}].*series;
        const auto& other = timings[{stream.label, "mpv"}].*series;
        std::printf("%-16s %-25s %-25s %-25s %-10s %-10s %s\n", stream.label,
                    Cell(own.*series).c_str(), Cell(bare).c_str(), Cell(other).c_str(),
                    Ratio(own.*series, bare).c_str(), Ratio(own.*series, other).c_str(),
                    base ? Ratio(own.*series, own.*base).c_str() : "");
    }
}

}  // namespace

bool MeasureTimeToSound(const VirtualDisplay& display, const SoundBenchSettings& settings) {
    if (!testsupport::PrivateSoundServer::ToolsExist()) {
        std::fprintf(stderr, "time to sound needs pulseaudio and parec (pulseaudio-utils)\n");
        return false;
    }
    testsupport::PrivateSoundServer sound({"nul", "side0", "side1", "side2"});
    SoundMonitor monitor(
        sound, "nul",
        {testsupport::StreamServer::kToneHz, testsupport::StreamServer::kOtherToneHz});
    if (!sound.Available() || !monitor.WaitUntilRecording(Ms(5000))) {
        std::fprintf(stderr, "the private sound server did not start\n");
        return false;
    }
    testsupport::StreamServer server;
    RadioContender radio(display, sound);
    FloorContender floor(display, sound);
    MpvContender mpv(sound);
    std::vector<Contender*> players{&radio, &floor};
    const bool withMpv = MpvContender::Exists();
    if (withMpv)
        players.push_back(&mpv);

    Timings timings;
    for (int run = 0; run < settings.runs; ++run) {
        for (const Stream& stream : kStreams) {
            for (Contender* player : players) {
                if (!TimeOnce(*player, monitor, server.Url(stream.path),
                              server.Url(stream.otherPath),
                              timings[{stream.label, player->Name()}]))
                    return false;
            }
        }
    }

    std::printf(
        "\ntime from Play to first sound, heard on a PulseAudio null sink (first 10 ms above "
        "-40 dBFS),\nstreams paced at real time without Content-Length; median (min-max) of %d "
        "runs, players taking turns\n",
        settings.runs);
    PrintTimes(timings, &Timing::soundMs, withMpv);
    for (const Stream& stream : kStreams) {
        const auto& early = timings[{stream.label, "Tunelink"}].saidEarlyMs;
        if (early.empty())
            continue;
        std::printf("\"Spielt\" shown before the sound, %s: median %.0f ms (%.0f to %.0f)\n",
                    stream.label, Median(early), *std::min_element(early.begin(), early.end()),
                    *std::max_element(early.begin(), early.end()));
    }

    std::printf(
        "\ntime from choosing another station while one plays (%.0f s in) to hearing the new "
        "one\n(first 10 ms of its %d Hz tone; the first plays %d Hz); last column: Tunelink's "
        "switch against its first Play\n",
        std::chrono::duration<double>(kListenBeforeSwitch).count(),
        testsupport::StreamServer::kOtherToneHz, testsupport::StreamServer::kToneHz);
    PrintTimes(timings, &Timing::switchMs, withMpv, &Timing::soundMs);
    std::printf(
        "\ngaps in the first %d s on a stream held for up to 300 ms now and then, "
        "players side by side:\n",
        settings.jitterSeconds);
    for (const Stream& stream : kStreams) {
        std::vector<int> gaps;
        if (!CountUnderruns(players, sound, server, stream, settings.jitterSeconds, gaps))
            return false;
        std::printf("%-16s", stream.label);
        for (std::size_t i = 0; i < players.size(); ++i)
            std::printf("  %s %d", players[i]->Name(), gaps[i]);
        std::printf("\n");
    }
    return true;
}

}  // namespace bench
