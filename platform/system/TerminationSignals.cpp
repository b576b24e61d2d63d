#include "platform/system/TerminationSignals.h"

#include <QSocketNotifier>

#include <fcntl.h>
#include <signal.h>
#include <unistd.h>

#include <atomic>
#include <cerrno>

namespace platform {

namespace {

constexpr int kSignals[] = {SIGTERM, SIGINT, SIGHUP};
// Closing normally takes well under a second; one that hangs must not keep the session's
// logout waiting, so the process is ended after this long whatever it is doing.
constexpr unsigned kGiveUpSeconds = 5;

int g_pipe[2] = {-1, -1};
std::atomic<int> g_requests{0};

// Only async-signal-safe calls: a byte into the pipe, or the default action at once.
void OnSignal(int signal) {
    if (g_requests.fetch_add(1) > 0) {
        struct sigaction defaults {};
        defaults.sa_handler = SIG_DFL;
        sigemptyset(&defaults.sa_mask);
        sigaction(signal, &defaults, nullptr);
        raise(signal);
        return;
    }
    alarm(kGiveUpSeconds);
    const int saved = errno;
    const char byte = static_cast<char>(signal);
    [[maybe_unused]] const ssize_t written = write(g_pipe[1], &byte, 1);
    errno = saved;
}

bool OpenPipe() {
    if (pipe2(g_pipe, O_CLOEXEC | O_NONBLOCK) == 0)
        return true;
    g_pipe[0] = g_pipe[1] = -1;
    return false;
}

void ClosePipe() {
    for (int& fd : g_pipe) {
        if (fd >= 0)
            close(fd);
        fd = -1;
    }
}

void SetHandler(void (*handler)(int)) {
    struct sigaction action {};
    action.sa_handler = handler;
    sigemptyset(&action.sa_mask);
    action.sa_flags = SA_RESTART;
    for (int signal : kSignals) sigaction(signal, &action, nullptr);
}

}  // namespace

TerminationSignals::TerminationSignals(QObject* parent) : QObject(parent) {
    if (g_pipe[0] >= 0 || !OpenPipe())
        return;
    g_requests = 0;
    notifier_ = std::make_unique<QSocketNotifier>(g_pipe[0], QSocketNotifier::Read);
    connect(notifier_.get(), &QSocketNotifier::activated, this, &TerminationSignals::OnReadable);
    SetHandler(OnSignal);
    installed_ = true;
}

TerminationSignals::~TerminationSignals() {
    if (!installed_)
        return;
    SetHandler(SIG_DFL);
    notifier_.reset();
    ClosePipe();
}

void TerminationSignals::OnReadable() {
    char bytes[16];
    const ssize_t got = read(g_pipe[0], bytes, sizeof bytes);
    if (got <= 0 || reported_)
        return;
    reported_ = true;
    emit terminationRequested(static_cast<unsigned char>(bytes[0]));
}

}  // namespace platform
