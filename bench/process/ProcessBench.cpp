// The real program measured from outside, on private X displays:
//   start-up   from exec to the first frame handed to the display server, several runs;
//   footprint  resident memory and CPU over 30 s while it plays a local MP3 stream whose long
//              title keeps the marquee running, next to a bare Qt 6 playbin program playing
//              the same stream at the same time; once without a compositor (outline window)
//              and once with one (translucent window). Beside them, for reference only, the
//              bare program once more with a window of the radio's size showing a picture.
//   sound      time from Play to the first sound heard through a private PulseAudio server
//              and from choosing another station to hearing it, next to the bare program and
//              mpv, and gaps on a jittery stream (SoundBench)
// Prints a report. Exits with 1 when the radio needs more than 1.09 times the bare program's
// memory or 1.3 times its CPU, with 2 when a measurement could not be made.
//
//   tunelink_process_bench [--seconds 30] [--startups 5] [--runs 5] [--only
//   startup|sound|footprint] [--smaps DIR]
// With --smaps, both processes' memory maps at the end of each footprint run are kept in DIR,
// to see which libraries and heaps make the difference.
#include "bench/process/SoundBench.h"
#include "radio/SkinGeometry.h"
#include "tests/support/ProcessUsage.h"
#include "tests/support/RadioProcess.h"
#include "tests/support/SessionBus.h"
#include "tests/support/StreamServer.h"
#include "tests/support/VirtualDisplay.h"

#include <QCoreApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QStringList>
#include <QThread>

#include <algorithm>
#include <cstdio>
#include <cstring>
#include <optional>
#include <string>
#include <vector>

namespace {

using testsupport::RadioProcess;
using testsupport::VirtualDisplay;

constexpr double kMemoryLimit = 1.09;
constexpr double kCpuLimit = 1.3;
constexpr int kWarmUpMs = 5000;
const char* const kSink = "fakesink sync=true";
const char* const kTitle =
    "The Northern Lights Orchestra - Variations on a Theme for Long Winter Nights (Live)";

struct Settings {
    int seconds = 30;
    int startups = 5;
    int runs = 5;
    std::string only;  // empty: every part
    QString smapsDir;  // empty: memory maps are not kept
    bool Runs(const char* part) const { return only.empty() || only == part; }
};

struct Footprint {
    double meanRssMiB = 0;
    double peakRssMiB = 0;
    double meanPssMiB = 0;
    double meanAnonMiB = 0;  // the process's own pages: what no other process could share
    double cpuPercent = 0;   // of one core
};

double MiB(long kib) {
    return static_cast<double>(kib) / 1024.0;
}

// Samples the processes four times a second for `seconds`, reading their output meanwhile.
std::optional<std::vector<Footprint>> Sample(const std::vector<RadioProcess*>& processes,
                                             int seconds) {
    std::vector<testsupport::ProcessUsage> first, last;
    for (RadioProcess* process : processes) {
        first.push_back(testsupport::MeasureProcess(process->Pid()));
        if (!first.back().valid)
            return std::nullopt;
    }
    last = first;
    std::vector<Footprint> results(processes.size());
    QElapsedTimer clock;
    clock.start();
    int samples = 0;
    while (clock.elapsed() < seconds * 1000LL) {
        for (RadioProcess* process : processes) process->ReadLogFor(250 / processes.size());
        for (std::size_t i = 0; i < processes.size(); ++i) {
            last[i] = testsupport::MeasureProcess(processes[i]->Pid());
            if (!last[i].valid)
                return std::nullopt;
            results[i].meanRssMiB += MiB(last[i].rssKiB);
            results[i].meanPssMiB += MiB(last[i].pssKiB);
            results[i].meanAnonMiB += MiB(last[i].anonKiB);
            results[i].peakRssMiB = std::max(results[i].peakRssMiB, MiB(last[i].rssKiB));
        }
        ++samples;
    }
    const double elapsed = static_cast<double>(clock.elapsed()) / 1000.0;
    for (std::size_t i = 0; i < processes.size(); ++i) {
        results[i].meanRssMiB /= samples;
        results[i].meanPssMiB /= samples;
        results[i].meanAnonMiB /= samples;
        results[i].cpuPercent = 100.0 * (last[i].cpuSeconds - first[i].cpuSeconds) / elapsed;
    }
    return results;
}

bool WaitForRequest(const testsupport::StreamServer& server, int before, int timeoutMs) {
    QElapsedTimer clock;
    clock.start();
    while (server.RequestCount("/icy.mp3") == before && clock.elapsed() < timeoutMs)
        QThread::msleep(50);
    return server.RequestCount("/icy.mp3") > before;
}

// `window` empty: the bare program's own small window; else its size, as "606x520".
bool StartFloor(const VirtualDisplay& display, const testsupport::StreamServer& server,
                RadioProcess& floor, const QString& window = {}) {
    const int before = server.RequestCount("/icy.mp3");
    QStringList arguments{QString::fromStdString(server.Url("/icy.mp3"))};
    if (!window.isEmpty())
        arguments << "--window" << window;
    if (!floor.Ready() ||
        !floor.Start(TUNELINK_FLOOR_PROGRAM, floor.Environment(display.Name(), kSink), arguments))
        return false;
    if (!WaitForRequest(server, before, 15000)) {
        std::fprintf(stderr, "the bare program never asked for the stream\n%s\n",
                     floor.Log().constData());
        return false;
    }
    return true;
}

// Starts the radio, clicks favourite 1 (the stream) and waits for the title on the status
// line, so the marquee runs.
bool StartRadio(const VirtualDisplay& display, const testsupport::StreamServer& server,
                const testsupport::SessionBus& bus, RadioProcess& radio) {
    if (!radio.Ready())
        return false;
    radio.SetSetting("CStationData/1", QString::fromStdString(server.Url("/icy.mp3")));
    auto env = radio.Environment(display.Name(), kSink);
    if (bus.Available())
        env.insert("DBUS_SESSION_BUS_ADDRESS", bus.Address());
    if (!radio.Start(TUNELINK_PROGRAM, env))
        return false;
    const std::string window = display.FindWindow("Orbifon 1.0", 20000);
    if (window.empty() || radio.WaitForLog("tunelink.startup: first frame painted", 20000) < 0) {
        std::fprintf(stderr, "the radio did not show its window\n%s\n", radio.Log().constData());
        return false;
    }
    // The dial is clicked once the start-up picture over it has gone.
    if (!display.WaitUntilOnlyWindowOf(radio.Pid(), radio::geometry::kWindowWidth,
                                       radio::geometry::kWindowHeight, 20000)) {
        std::fprintf(stderr, "the start-up picture stayed over the radio\n");
        return false;
    }
    const testsupport::WindowGeometry g = display.Geometry(window);
    const QPolygon sector = radio::geometry::SectorTriangle(30);
    const QPoint target = (sector[0] + 3 * sector[1] + 3 * sector[2]) / 7;
    display.Pointer(g.x + target.x(), g.y + target.y(), true);
    // Then the pointer goes elsewhere, as a listener's does: no preview, no tooltip.
    display.Pointer(5, 5, false);
    const QByteArray shown = QByteArray("tunelink.status: Benutzerdefiniert 1 - ") + kTitle;
    if (radio.WaitForLog(shown, 20000) < 0) {
        std::fprintf(stderr, "the radio did not play the stream\n%s\n", radio.Log().constData());
        return false;
    }
    return true;
}

struct SideBySide {
    Footprint floor, radio;
    Footprint sizedFloor;  // the bare program with a window of the radio's size
};

// Copies the process's memory map to DIR/NAME.smaps; nothing when no DIR was asked for.
void KeepMemoryMap(qint64 pid, const QString& dir, const QString& name) {
    if (dir.isEmpty())
        return;
    // /proc files report a size of 0, so they are read to the end rather than copied.
    QFile map(QString("/proc/%1/smaps").arg(pid));
    QFile kept(dir + "/" + name + ".smaps");
    if (!QDir().mkpath(dir) || !map.open(QIODevice::ReadOnly) ||
        !kept.open(QIODevice::WriteOnly | QIODevice::Truncate) || kept.write(map.readAll()) < 0)
        std::fprintf(stderr, "could not keep the memory map of %lld\n", pid);
}

// The bare program and the radio play the same stream at the same time, so that both see
// the same load on the machine.
std::optional<SideBySide> MeasureSideBySide(const VirtualDisplay& display,
                                            const testsupport::StreamServer& server, int seconds,
                                            const QString& smapsDir, const QString& mode) {
    testsupport::SessionBus bus;
    RadioProcess radio, floor, sizedFloor;
    const QString radioSize =
        QString("%1x%2").arg(radio::geometry::kWindowWidth).arg(radio::geometry::kWindowHeight);
    if (!StartRadio(display, server, bus, radio) || !StartFloor(display, server, floor) ||
        !StartFloor(display, server, sizedFloor, radioSize))
        return std::nullopt;
    for (int waited = 0; waited < kWarmUpMs; waited += 500) {
        radio.ReadLogFor(250);
        floor.ReadLogFor(250);
        sizedFloor.ReadLogFor(250);
    }
    const auto footprints = Sample({&floor, &radio, &sizedFloor}, seconds);
    if (!footprints)
        return std::nullopt;
    KeepMemoryMap(floor.Pid(), smapsDir, mode + "-floor");
    KeepMemoryMap(radio.Pid(), smapsDir, mode + "-radio");
    KeepMemoryMap(sizedFloor.Pid(), smapsDir, mode + "-sized-floor");
    return SideBySide{(*footprints)[0], (*footprints)[1], (*footprints)[2]};
}

// Milliseconds from exec to the first painted frame, once per run. With `newUser` GStreamer
// finds no registry and has to build one, as on the first start after installation.
std::vector<double> MeasureStartUps(const VirtualDisplay& display, int runs, bool newUser) {
    std::vector<double> times;
    testsupport::SessionBus bus;
    for (int run = 0; run < runs; ++run) {
        RadioProcess radio;
        auto env = radio.Environment(display.Name(), kSink);
        if (bus.Available())
            env.insert("DBUS_SESSION_BUS_ADDRESS", bus.Address());
        if (newUser)
            env.insert("GST_REGISTRY", radio.Home() + "/gstreamer-registry.bin");
        QElapsedTimer clock;
        clock.start();
        if (!radio.Ready() || !radio.Start(TUNELINK_PROGRAM, env))
            break;
        if (radio.WaitForLog("tunelink.startup: first frame painted", 30000) < 0) {
            std::fprintf(stderr, "no first frame\n%s\n", radio.Log().constData());
            break;
        }
        times.push_back(static_cast<double>(clock.nsecsElapsed()) / 1e6);
        radio.Stop();
    }
    return times;
}

void ReportStartUps(const char* mode, std::vector<double> times) {
    if (times.empty())
        return;
    std::printf("start-up to first frame, %-11s runs:", mode);
    for (double t : times) std::printf(" %.0f", t);
    std::sort(times.begin(), times.end());
    std::printf(" ms; median %.0f ms, best %.0f ms\n", times[times.size() / 2], times.front());
}

void ReportFootprint(const char* name, const Footprint& f) {
    std::printf("%-24s %9.1f %9.1f %9.1f %9.1f %8.2f\n", name, f.meanRssMiB, f.peakRssMiB,
                f.meanPssMiB, f.meanAnonMiB, f.cpuPercent);
}

// Below this a process cannot be a Qt program playing sound: something else was measured.
constexpr double kPlausibleMiB = 20;

// True when the radio stays within the limits against the floor.
bool Compare(const char* mode, const Footprint& radio, const Footprint& floor) {
    const double memory = radio.meanRssMiB / floor.meanRssMiB;
    // Below a tenth of a percent of a core, tick resolution dominates; the limit is moot.
    const double cpu = floor.cpuPercent > 0.1 ? radio.cpuPercent / floor.cpuPercent : 1.0;
    // Most of the resident set is library code shared with the page cache; the process's
    // own pages are shown beside it, without a limit.
    const double own = radio.meanAnonMiB / floor.meanAnonMiB;
    const bool fits = memory <= kMemoryLimit && cpu <= kCpuLimit;
    std::printf(
        "%-11s memory %.2f x (limit %.2f), own memory %.2f x, CPU %.2f x (limit %.2f): %s\n", mode,
        memory, kMemoryLimit, own, cpu, kCpuLimit, fits ? "within" : "OVER");
    return fits;
}

// The radio against the bare program with a window of its size: shown, never limited.
void CompareWithSizedWindow(const char* mode, const Footprint& radio, const Footprint& sized) {
    std::printf(
        "%-11s memory %.2f x the bare program with a window of the radio's size "
        "(for reference)\n",
        mode, radio.meanRssMiB / sized.meanRssMiB);
}

Settings ReadArguments(int argc, char** argv) {
    Settings settings;
    for (int i = 1; i + 1 < argc; i += 2) {
        if (std::strcmp(argv[i], "--only") == 0) {
            settings.only = argv[i + 1];
            continue;
        }
        if (std::strcmp(argv[i], "--smaps") == 0) {
            settings.smapsDir = QString::fromLocal8Bit(argv[i + 1]);
            continue;
        }
        const int value = std::max(1, std::atoi(argv[i + 1]));
        if (std::strcmp(argv[i], "--seconds") == 0)
            settings.seconds = value;
        else if (std::strcmp(argv[i], "--startups") == 0)
            settings.startups = value;
        else if (std::strcmp(argv[i], "--runs") == 0)
            settings.runs = value;
    }
    return settings;
}

int MeasureFootprints(const VirtualDisplay& outline, const VirtualDisplay& translucent,
                      const Settings& settings) {
    testsupport::StreamServer server({.dropAfter = {}, .icyTitle = kTitle});
    const auto outlineRun =
        MeasureSideBySide(outline, server, settings.seconds, settings.smapsDir, "outline");
    const auto translucentRun =
        MeasureSideBySide(translucent, server, settings.seconds, settings.smapsDir, "translucent");
    if (!outlineRun || !translucentRun)
        return 2;
    for (const SideBySide* run : {&*outlineRun, &*translucentRun}) {
        if (run->floor.meanRssMiB < kPlausibleMiB || run->radio.meanRssMiB < kPlausibleMiB ||
            run->sizedFloor.meanRssMiB < kPlausibleMiB) {
            std::fprintf(stderr, "implausible measurement: %.1f, %.1f and %.1f MiB\n",
                         run->floor.meanRssMiB, run->radio.meanRssMiB, run->sizedFloor.meanRssMiB);
            return 2;
        }
    }
    std::printf(
        "\nplaying an MP3 stream for %d s     RSS MiB  peak MiB   PSS MiB   own MiB   CPU %%\n",
        settings.seconds);
    ReportFootprint("bare Qt 6 playbin", outlineRun->floor);
    ReportFootprint("radio, outline", outlineRun->radio);
    ReportFootprint("bare Qt 6 playbin", translucentRun->floor);
    ReportFootprint("radio, translucent", translucentRun->radio);
    ReportFootprint("bare, radio-sized window", outlineRun->sizedFloor);
    ReportFootprint("the same, compositor on", translucentRun->sizedFloor);
    const bool outlineFits = Compare("outline", outlineRun->radio, outlineRun->floor);
    const bool translucentFits =
        Compare("translucent", translucentRun->radio, translucentRun->floor);
    CompareWithSizedWindow("outline", outlineRun->radio, outlineRun->sizedFloor);
    CompareWithSizedWindow("translucent", translucentRun->radio, translucentRun->sizedFloor);
    return outlineFits && translucentFits ? 0 : 1;
}

}  // namespace

int main(int argc, char** argv) {
    QCoreApplication app(argc, argv);
    const Settings settings = ReadArguments(argc, argv);
    for (const char* tool : {"Xvfb", "xdotool"}) {
        if (!VirtualDisplay::ToolExists(tool)) {
            std::fprintf(stderr, "%s is needed\n", tool);
            return 2;
        }
    }
    VirtualDisplay outline(1280, 1024, false);
    VirtualDisplay translucent(1280, 1024, true);
    if (!outline.Available() || !translucent.Available())
        return 2;

    if (settings.Runs("startup")) {
        ReportStartUps("outline", MeasureStartUps(outline, settings.startups, false));
        ReportStartUps("translucent", MeasureStartUps(translucent, settings.startups, false));
        ReportStartUps("new user", MeasureStartUps(outline, settings.startups, true));
    }
    if (settings.Runs("sound") &&
        !bench::MeasureTimeToSound(outline, {.runs = settings.runs, .jitterSeconds = 30}))
        return 2;
    if (settings.Runs("footprint"))
        return MeasureFootprints(outline, translucent, settings);
    return 0;
}
