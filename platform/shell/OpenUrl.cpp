#include "platform/shell/OpenUrl.h"

#include "platform/system/ChildProcess.h"

#include <QProcess>
#include <QString>
#include <QStringList>

#include <fcntl.h>
#include <signal.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <cctype>
#include <cerrno>
#include <thread>
#include <vector>

namespace platform::shell {

namespace {

constexpr std::size_t kMaxUrlLength = 4096;
constexpr std::chrono::milliseconds kPoll{20};

bool StartsWithNoCase(const std::string& text, const std::string& prefix) {
    if (text.size() < prefix.size())
        return false;
    return std::equal(prefix.begin(), prefix.end(), text.begin(), [](char a, char b) {
        return std::tolower(static_cast<unsigned char>(a)) ==
               std::tolower(static_cast<unsigned char>(b));
    });
}

OpenResult ResultForSpawnError(int error) {
    switch (error) {
        case ENOENT:
        case ENOTDIR:
            return OpenResult::NotFound;
        case EACCES:
        case EPERM:
            return OpenResult::AccessDenied;
        case ENOMEM:
        case EAGAIN:
            return OpenResult::OutOfResources;
        default:
            return OpenResult::NoHandler;
    }
}

// xdg-open's exit codes: 0 done, 1 syntax, 2 missing file, 3 no tool or method to open
// it with, 4 the handler failed, 5 no permission. A shell reports 126/127 for a program
// it cannot run or find.
OpenResult ResultForExit(int status) {
    if (!WIFEXITED(status))
        return OpenResult::NoHandler;
    switch (WEXITSTATUS(status)) {
        case 0:
            return OpenResult::Opened;
        case 2:
        case 127:
            return OpenResult::NotFound;
        case 5:
        case 126:
            return OpenResult::AccessDenied;
        default:
            return OpenResult::NoHandler;
    }
}

// The opener gets no terminal input or chatter channel of ours but keeps stderr for its
// own error line, and starts with default signal handling whatever this process blocks.
int Spawn(const std::string& program, const std::string& argument, pid_t* pid) {
    posix_spawn_file_actions_t files;
    posix_spawn_file_actions_init(&files);
    posix_spawn_file_actions_addopen(&files, STDIN_FILENO, "/dev/null", O_RDONLY, 0);
    posix_spawn_file_actions_addopen(&files, STDOUT_FILENO, "/dev/null", O_WRONLY, 0);
    const int error = platform::SpawnChild(program, {argument}, &files, true, pid);
    posix_spawn_file_actions_destroy(&files);
    return error;
}

// Waits up to `grace` for the child; true with its status when it ended.
bool WaitFor(pid_t pid, std::chrono::milliseconds grace, int* status) {
    const auto deadline = std::chrono::steady_clock::now() + grace;
    while (true) {
        const pid_t done = waitpid(pid, status, WNOHANG);
        if (done == pid)
            return true;
        if (done < 0 && errno != EINTR) {
            *status = 0;  // reaped elsewhere: nothing says it failed
            return true;
        }
        if (std::chrono::steady_clock::now() >= deadline)
            return false;
        std::this_thread::sleep_for(kPoll);
    }
}

void ReapLater(pid_t pid) {
    std::thread([pid] {
        int status = 0;
        while (waitpid(pid, &status, 0) < 0 && errno == EINTR) {
        }
    }).detach();
}

}  // namespace

bool IsOpenableUrl(const std::string& url) {
    if (url.empty() || url.size() > kMaxUrlLength)
        return false;
    // Control characters and spaces have no place in an address; a leading '-' would
    // be read as an option by the opener.
    if (std::any_of(url.begin(), url.end(),
                    [](char c) { return static_cast<unsigned char>(c) <= 0x20 || c == 0x7f; }))
        return false;
    return StartsWithNoCase(url, "http://") || StartsWithNoCase(url, "https://") ||
           StartsWithNoCase(url, "mailto:");
}

util::Status OpenUrl(const std::string& url) {
    if (!IsOpenableUrl(url))
        return util::Error{"not an address that is opened"};
    if (!QProcess::startDetached(QStringLiteral("xdg-open"),
                                 QStringList{QString::fromStdString(url)}))
        return util::Error{"xdg-open could not be started"};
    return {};
}

OpenResult OpenUrlAndWait(const std::string& url, const std::string& program,
                          std::chrono::milliseconds grace) {
    if (!IsOpenableUrl(url))
        return OpenResult::Refused;
    pid_t pid = 0;
    if (const int error = Spawn(program.empty() ? "xdg-open" : program, url, &pid)) {
        // Without an opener at all, nothing on this desktop can open the address.
        return program.empty() && error == ENOENT ? OpenResult::NoHandler
                                                  : ResultForSpawnError(error);
    }
    int status = 0;
    if (WaitFor(pid, grace, &status))
        return ResultForExit(status);
    ReapLater(pid);
    return OpenResult::Opened;
}

}  // namespace platform::shell
