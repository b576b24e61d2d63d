#include "tests/support/SoundServer.h"

#include <fcntl.h>
#include <poll.h>
#include <signal.h>
#include <spawn.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>
#include <QStandardPaths>
#include <QThread>

#include <algorithm>
#include <atomic>
#include <cmath>
#include <cstdint>
#include <cstring>
#include <limits>
#include <mutex>
#include <thread>

extern char** environ;

namespace testsupport {

namespace {

constexpr int kRate = 44100;
constexpr int kChannels = 2;
constexpr std::size_t kBlockFrames = kRate / 100;  // 10 ms
constexpr std::size_t kBlockBytes = kBlockFrames * kChannels * sizeof(std::int16_t);

// The process environment with `overrides` replacing or adding variables.
std::vector<std::string> EnvironmentWith(const std::vector<std::string>& overrides) {
    std::vector<std::string> result = overrides;
    for (char** entry = environ; *entry; ++entry) {
        const std::string line(*entry);
        const std::string name = line.substr(0, line.find('='));
        bool replaced = false;
        for (const std::string& o : overrides) replaced = replaced || o.rfind(name + "=", 0) == 0;
        if (!replaced)
            result.push_back(line);
    }
    return result;
}

std::vector<char*> Pointers(std::vector<std::string>& texts) {
    std::vector<char*> pointers;
    for (std::string& text : texts) pointers.push_back(text.data());
    pointers.push_back(nullptr);
    return pointers;
}

// Starts `arguments[0]` from PATH with its output to `outFd` (or /dev/null when -1).
pid_t Spawn(std::vector<std::string> arguments, std::vector<std::string> environment, int outFd) {
    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    posix_spawn_file_actions_addopen(&actions, 0, "/dev/null", O_RDONLY, 0);
    if (outFd >= 0)
        posix_spawn_file_actions_adddup2(&actions, outFd, 1);
    else
        posix_spawn_file_actions_addopen(&actions, 1, "/dev/null", O_WRONLY, 0);
    posix_spawn_file_actions_addopen(&actions, 2, "/dev/null", O_WRONLY, 0);
    auto argv = Pointers(arguments);
    auto envp = Pointers(environment);
    pid_t pid = -1;
    if (posix_spawnp(&pid, argv[0], &actions, nullptr, argv.data(), envp.data()) != 0)
        pid = -1;
    posix_spawn_file_actions_destroy(&actions);
    return pid;
}

void EndProcess(pid_t pid) {
    if (pid <= 0)
        return;
    ::kill(pid, SIGTERM);
    for (int waited = 0; waited < 300; ++waited) {
        if (::waitpid(pid, nullptr, WNOHANG) == pid)
            return;
        QThread::msleep(10);
    }
    ::kill(pid, SIGKILL);
    ::waitpid(pid, nullptr, 0);
}

}  // namespace

double LevelDbfs(const std::int16_t* samples, std::size_t count) {
    if (count == 0)
        return -std::numeric_limits<double>::infinity();
    double sum = 0;
    for (std::size_t i = 0; i < count; ++i) {
        const double s = samples[i] / 32768.0;
        sum += s * s;
    }
    const double rms = std::sqrt(sum / static_cast<double>(count));
    return rms > 0 ? 20.0 * std::log10(rms) : -std::numeric_limits<double>::infinity();
}

double ToneShare(const std::int16_t* samples, std::size_t frames, int channels, double hz,
                 int rate) {
    if (frames == 0 || channels <= 0 || rate <= 0)
        return 0;
    const double coefficient = 2.0 * std::cos(2.0 * M_PI * hz / rate);
    double s1 = 0, s2 = 0, energy = 0;
    for (std::size_t frame = 0; frame < frames; ++frame) {
        double x = 0;
        for (int c = 0; c < channels; ++c)
            x += samples[frame * static_cast<std::size_t>(channels) + static_cast<std::size_t>(c)];
        x /= channels * 32768.0;
        energy += x * x;
        const double s = x + coefficient * s1 - s2;
        s2 = s1;
        s1 = s;
    }
    if (energy <= 0)
        return 0;
    // A sine of amplitude a over n samples has power (a n / 2)^2 at its frequency and energy
    // a^2 n / 2, hence the scale.
    const double power = s1 * s1 + s2 * s2 - coefficient * s1 * s2;
    return std::min(1.0, 2.0 * power / (static_cast<double>(frames) * energy));
}

int CountGapsIn(const std::vector<bool>& loud) {
    return static_cast<int>(GapLengthsIn(loud).size());
}

std::vector<int> GapLengthsIn(const std::vector<bool>& loud, int shortestSound) {
    std::vector<std::pair<bool, int>> runs;  // loud or not, and for how many blocks
    for (bool block : loud) {
        if (!runs.empty() && runs.back().first == block)
            ++runs.back().second;
        else
            runs.emplace_back(block, 1);
    }
    std::vector<int> gaps;
    bool heard = false;
    int gap = 0;
    for (std::size_t i = 0; i < runs.size(); ++i) {
        const auto [isLoud, length] = runs[i];
        const bool click = isLoud && gap > 0 && length < shortestSound && i + 1 < runs.size();
        if (!isLoud || click) {
            if (heard)
                gap += length;
            continue;
        }
        if (gap > 0)
            gaps.push_back(gap);
        gap = 0;
        heard = true;
    }
    return gaps;
}

// --- server --------------------------------------------------------------------------

PrivateSoundServer::PrivateSoundServer(std::vector<std::string> sinks) {
    if (!folder_.isValid() || !ToolsExist())
        return;
    const std::string folder = folder_.path().toStdString();
    ::chmod(folder.c_str(), 0700);
    std::vector<std::string> arguments{"pulseaudio", "--system=false", "--daemonize=no",
                                       "--exit-idle-time=-1", "-n"};
    for (const std::string& sink : sinks)
        arguments.push_back("--load=module-null-sink sink_name=" + sink);
    arguments.push_back("--load=module-native-protocol-unix auth-anonymous=1 socket=" + folder +
                        "/native");
    pid_ = Spawn(arguments,
                 EnvironmentWith({"XDG_RUNTIME_DIR=" + folder, "HOME=" + folder,
                                  "XDG_CONFIG_HOME=" + folder + "/config"}),
                 -1);
    // Up when the socket exists.
    for (int waited = 0; pid_ > 0 && waited < 1000; ++waited) {
        struct stat info {};
        if (::stat((folder + "/native").c_str(), &info) == 0 && S_ISSOCK(info.st_mode))
            return;
        if (::waitpid(pid_, nullptr, WNOHANG) == pid_) {
            pid_ = -1;
            return;
        }
        QThread::msleep(10);
    }
    EndProcess(pid_);
    pid_ = -1;
}

PrivateSoundServer::~PrivateSoundServer() {
    EndProcess(pid_);
}

std::string PrivateSoundServer::Address() const {
    return "unix:" + folder_.path().toStdString() + "/native";
}

void PrivateSoundServer::AddClientEnvironment(QProcessEnvironment& environment,
                                              const std::string& sink) const {
    environment.insert("PULSE_SERVER", QString::fromStdString(Address()));
    environment.insert("PULSE_SINK", QString::fromStdString(sink));
}

bool PrivateSoundServer::ToolsExist() {
    return !QStandardPaths::findExecutable("pulseaudio").isEmpty() &&
           !QStandardPaths::findExecutable("parec").isEmpty();
}

// --- monitor -------------------------------------------------------------------------

struct SoundMonitor::Impl {
    pid_t pid = -1;
    int readFd = -1;
    std::thread reader;
    std::atomic<bool> stopping{false};
    mutable std::mutex mutex;
    std::vector<double> tones;
    std::vector<SoundClock::time_point> times;
    std::vector<bool> loud;
    std::vector<int> tone;  // index into `tones`, -1 for none

    // The tone `block` is, if it is loud and one of `tones`.
    int ToneOf(const std::int16_t* block) const {
        for (std::size_t i = 0; i < tones.size(); ++i)
            if (ToneShare(block, kBlockFrames, kChannels, tones[i], kRate) > kToneShare)
                return static_cast<int>(i);
        return -1;
    }

    void Read() {
        std::vector<char> block(kBlockBytes);
        std::size_t filled = 0;
        while (!stopping) {
            pollfd poll{readFd, POLLIN, 0};
            if (::poll(&poll, 1, 50) <= 0)
                continue;
            const ssize_t got = ::read(readFd, block.data() + filled, kBlockBytes - filled);
            if (got <= 0)
                return;
            filled += static_cast<std::size_t>(got);
            if (filled < kBlockBytes)
                continue;
            filled = 0;
            const auto now = SoundClock::now();
            std::int16_t samples[kBlockFrames * kChannels];
            std::memcpy(samples, block.data(), kBlockBytes);
            const bool isLoud = LevelDbfs(samples, kBlockFrames * kChannels) > kSoundDbfs;
            const int isTone = isLoud ? ToneOf(samples) : -1;
            std::lock_guard lock(mutex);
            times.push_back(now);
            loud.push_back(isLoud);
            tone.push_back(isTone);
        }
    }
};

SoundMonitor::SoundMonitor(const PrivateSoundServer& server, const std::string& sink,
                           std::vector<double> tones)
    : impl_(std::make_unique<Impl>()) {
    impl_->tones = std::move(tones);
    if (!server.Available())
        return;
    int fds[2];
    if (::pipe2(fds, O_CLOEXEC) != 0)
        return;
    impl_->pid = Spawn({"parec", "-d", sink + ".monitor", "--raw", "--format=s16le",
                        "--rate=" + std::to_string(kRate),
                        "--channels=" + std::to_string(kChannels), "--latency-msec=10"},
                       EnvironmentWith({"PULSE_SERVER=" + server.Address()}), fds[1]);
    ::close(fds[1]);
    impl_->readFd = fds[0];
    if (impl_->pid > 0)
        impl_->reader = std::thread([impl = impl_.get()] { impl->Read(); });
}

SoundMonitor::~SoundMonitor() {
    impl_->stopping = true;
    EndProcess(impl_->pid);
    if (impl_->reader.joinable())
        impl_->reader.join();
    if (impl_->readFd >= 0)
        ::close(impl_->readFd);
}

bool SoundMonitor::WaitUntilRecording(std::chrono::milliseconds timeout) const {
    const auto end = SoundClock::now() + timeout;
    while (SoundClock::now() < end) {
        {
            std::lock_guard lock(impl_->mutex);
            if (impl_->times.size() >= 10)
                return true;
        }
        QThread::msleep(10);
    }
    return false;
}

std::optional<SoundClock::time_point> SoundMonitor::FirstSoundAfter(
    SoundClock::time_point since) const {
    std::lock_guard lock(impl_->mutex);
    const auto first =
        std::lower_bound(impl_->times.begin(), impl_->times.end(), since) - impl_->times.begin();
    for (auto i = static_cast<std::size_t>(first); i < impl_->times.size(); ++i)
        if (impl_->loud[i])
            return impl_->times[i];
    return std::nullopt;
}

std::optional<SoundClock::time_point> SoundMonitor::FirstToneAfter(SoundClock::time_point since,
                                                                   double hz) const {
    const auto wanted = std::find(impl_->tones.begin(), impl_->tones.end(), hz);
    if (wanted == impl_->tones.end())
        return std::nullopt;
    const int index = static_cast<int>(wanted - impl_->tones.begin());
    std::lock_guard lock(impl_->mutex);
    const auto first =
        std::lower_bound(impl_->times.begin(), impl_->times.end(), since) - impl_->times.begin();
    for (auto i = static_cast<std::size_t>(first); i < impl_->times.size(); ++i)
        if (impl_->tone[i] == index)
            return impl_->times[i];
    return std::nullopt;
}

bool SoundMonitor::WaitForSilence(std::chrono::milliseconds quiet,
                                  std::chrono::milliseconds timeout,
                                  const std::function<void()>& idle) const {
    const auto end = SoundClock::now() + timeout;
    while (SoundClock::now() < end) {
        {
            std::lock_guard lock(impl_->mutex);
            const auto now = SoundClock::now();
            bool silent = !impl_->times.empty() && now - impl_->times.front() >= quiet;
            for (std::size_t i = impl_->times.size(); silent && i-- > 0;) {
                if (now - impl_->times[i] > quiet)
                    break;
                silent = !impl_->loud[i];
            }
            if (silent)
                return true;
        }
        if (idle)
            idle();
        else
            QThread::msleep(20);
    }
    return false;
}

int SoundMonitor::CountGaps(SoundClock::time_point from, SoundClock::time_point to) const {
    return static_cast<int>(GapBlocks(from, to).size());
}

std::vector<int> SoundMonitor::GapBlocks(SoundClock::time_point from, SoundClock::time_point to,
                                         int shortestSound) const {
    std::vector<bool> window;
    std::lock_guard lock(impl_->mutex);
    for (std::size_t i = 0; i < impl_->times.size(); ++i)
        if (impl_->times[i] >= from && impl_->times[i] <= to)
            window.push_back(impl_->loud[i]);
    return GapLengthsIn(window, shortestSound);
}

}  // namespace testsupport
