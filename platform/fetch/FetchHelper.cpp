#include "platform/fetch/FetchHelper.h"

#include "platform/system/ChildProcess.h"

#include <fcntl.h>
#include <poll.h>
#include <signal.h>
#include <sys/socket.h>
#include <sys/wait.h>
#include <unistd.h>

#include <limits.h>
#include <algorithm>
#include <array>
#include <cerrno>
#include <chrono>
#include <cstring>
#include <string_view>

namespace platform::fetch {

namespace {

constexpr int kPollMs = 20;
constexpr const char* kHelperName = "tunelink-fetch";
// Nothing the radio fetches comes near this.
constexpr std::uint64_t kMaxBody = 64u << 20;

std::string ErrorText(int error) {
    return std::strerror(error);
}

class Descriptor {
  public:
    explicit Descriptor(int fd = -1) : fd_(fd) {}
    ~Descriptor() { Close(); }
    Descriptor(const Descriptor&) = delete;
    Descriptor& operator=(const Descriptor&) = delete;
    int Get() const { return fd_; }
    void Close() {
        if (fd_ >= 0)
            close(fd_);
        fd_ = -1;
    }

  private:
    int fd_;
};

// A helper that is still running when its result is no longer wanted is killed; none is
// left behind unreaped.
class HelperProcess {
  public:
    explicit HelperProcess(pid_t pid) : pid_(pid) {}
    ~HelperProcess() {
        if (pid_ > 0) {
            kill(pid_, SIGKILL);
            int status = 0;
            while (waitpid(pid_, &status, 0) < 0 && errno == EINTR) {
            }
        }
    }
    HelperProcess(const HelperProcess&) = delete;
    HelperProcess& operator=(const HelperProcess&) = delete;

    // Waits for the helper to end after its answer; false when cancelled first or when it
    // does not end within a few seconds.
    bool Reap(const std::atomic<bool>& cancel, int& status) {
        const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(5);
        while (!cancel && std::chrono::steady_clock::now() < deadline) {
            const pid_t done = waitpid(pid_, &status, WNOHANG);
            if (done == pid_ || (done < 0 && errno != EINTR)) {
                pid_ = -1;
                return true;
            }
            poll(nullptr, 0, 1);
        }
        return false;
    }

  private:
    pid_t pid_;
};

// The helper's standard input and output are both its end of the socket pair.
int SpawnHelper(const std::string& helper, int socket, pid_t* pid) {
    posix_spawn_file_actions_t files;
    posix_spawn_file_actions_init(&files);
    posix_spawn_file_actions_adddup2(&files, socket, STDIN_FILENO);
    posix_spawn_file_actions_adddup2(&files, socket, STDOUT_FILENO);
    const int error = platform::SpawnChild(helper, {}, &files, false, pid);
    posix_spawn_file_actions_destroy(&files);
    return error;
}

// Sends the order and reads the answer, up to `bound` bytes.
util::Result<std::string> Exchange(int socket, std::string_view order, std::size_t bound,
                                   const std::atomic<bool>& cancel) {
    std::string received;
    bool sending = true;
    std::array<char, 65536> buffer;
    for (;;) {
        if (cancel)
            return util::Error{kCancelledText};
        pollfd watch{socket, static_cast<short>(POLLIN | (sending ? POLLOUT : 0)), 0};
        const int ready = poll(&watch, 1, kPollMs);
        if (ready < 0 && errno != EINTR)
            return util::Error{"Waiting for the download helper failed: " + ErrorText(errno)};
        if (ready <= 0)
            continue;
        if (sending && (watch.revents & (POLLOUT | POLLERR | POLLHUP))) {
            const ssize_t sent = send(socket, order.data(), order.size(), MSG_NOSIGNAL);
            if (sent > 0)
                order.remove_prefix(static_cast<std::size_t>(sent));
            // Done, or the helper stopped reading: what it says (or does not) tells why.
            if (order.empty() || (sent < 0 && errno != EAGAIN && errno != EINTR)) {
                shutdown(socket, SHUT_WR);
                sending = false;
            }
        }
        if (watch.revents & (POLLIN | POLLERR | POLLHUP)) {
            const ssize_t got = recv(socket, buffer.data(), buffer.size(), 0);
            // A helper that ended without reading all of its order resets the connection:
            // that too is the end of what it says, and its exit status tells why.
            if (got == 0 || (got < 0 && errno == ECONNRESET))
                return received;
            if (got < 0) {
                if (errno == EAGAIN || errno == EINTR)
                    continue;
                return util::Error{"Reading from the download helper failed: " + ErrorText(errno)};
            }
            if (received.size() + static_cast<std::size_t>(got) > bound)
                return util::Error{"The download helper's answer is longer than allowed"};
            received.append(buffer.data(), static_cast<std::size_t>(got));
        }
    }
}

std::string DescribeEnd(int status) {
    if (WIFSIGNALED(status))
        return "The download helper ended on signal " + std::to_string(WTERMSIG(status));
    if (WIFEXITED(status) && WEXITSTATUS(status) == 2)
        return "The download helper did not understand its order";
    return "The download helper failed (exit status " +
           std::to_string(WIFEXITED(status) ? WEXITSTATUS(status) : -1) + ")";
}

std::string ProgramFolder() {
    std::array<char, PATH_MAX> path{};
    const ssize_t length = readlink("/proc/self/exe", path.data(), path.size() - 1);
    if (length <= 0)
        return ".";
    std::string program(path.data(), static_cast<std::size_t>(length));
    const auto slash = program.rfind('/');
    return slash == std::string::npos ? "." : program.substr(0, slash);
}

std::string FindHelper() {
    const std::string folder = ProgramFolder();
    const std::string besideProgram = folder + "/" + kHelperName;
    for (const std::string& candidate :
         {besideProgram, folder + "/../libexec/tunelink/" + kHelperName,
          std::string(TUNELINK_FETCH_HELPER_BUILT)}) {
        if (access(candidate.c_str(), X_OK) == 0)
            return candidate;
    }
    return besideProgram;  // named in the error when it cannot be started
}

}  // namespace

const std::string& FetchHelperPath() {
    static const std::string path = FindHelper();
    return path;
}

util::Result<FetchAnswer> RunFetchHelper(const FetchOrder& order, const std::atomic<bool>& cancel) {
    return RunFetchHelper(FetchHelperPath(), order, cancel);
}

util::Result<FetchAnswer> RunFetchHelper(const std::string& helper, const FetchOrder& order,
                                         const std::atomic<bool>& cancel) {
    const auto request = EncodeOrder(order);
    if (!request)
        return util::Error{"The address is too long"};
    int pair[2];
    if (socketpair(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC, 0, pair) != 0)
        return util::Error{"The download helper could not be started: " + ErrorText(errno)};
    Descriptor ours(pair[0]);
    Descriptor theirs(pair[1]);
    fcntl(ours.Get(), F_SETFL, fcntl(ours.Get(), F_GETFL) | O_NONBLOCK);
    pid_t pid = 0;
    if (const int error = SpawnHelper(helper, theirs.Get(), &pid); error != 0) {
        return util::Error{"The download helper " + helper +
                           " could not be started: " + ErrorText(error)};
    }
    HelperProcess process(pid);
    theirs.Close();

    const std::size_t bound =
        static_cast<std::size_t>(std::min<std::uint64_t>(order.maxBytes, kMaxBody)) +
        kMaxAnswerOverhead;
    util::Result<std::string> received = Exchange(ours.Get(), *request, bound, cancel);
    if (!received)
        return received.error();
    int status = 0;
    if (!process.Reap(cancel, status))
        return util::Error{cancel ? kCancelledText : "The download helper did not end"};
    if (!WIFEXITED(status) || WEXITSTATUS(status) != 0)
        return util::Error{DescribeEnd(status)};
    auto answer = DecodeAnswer(*received, static_cast<std::size_t>(order.maxBytes));
    if (!answer)
        return util::Error{"The download helper's answer could not be read"};
    return std::move(*answer);
}

}  // namespace platform::fetch
