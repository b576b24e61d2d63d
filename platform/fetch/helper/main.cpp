// tunelink-fetch: runs one HTTP transfer for the radio. It reads one order from its standard
// input until the end, writes one answer to its standard output and exits. The radio stops a
// transfer by killing it, and it dies with the radio.

#include "platform/fetch/FetchWire.h"
#include "platform/fetch/helper/CurlTransfers.h"

#include <signal.h>
#include <sys/prctl.h>
#include <unistd.h>

#include <cerrno>
#include <cstdio>
#include <string>
#include <string_view>

namespace {

// Exit codes the radio reads: the order could not be read, or the answer not written.
constexpr int kBadOrder = 2;
constexpr int kWriteFailed = 3;

bool ReadOrderBytes(std::string& bytes) {
    char buffer[16384];
    for (;;) {
        const ssize_t got = read(STDIN_FILENO, buffer, sizeof buffer);
        if (got == 0)
            return true;
        if (got < 0) {
            if (errno == EINTR)
                continue;
            return false;
        }
        bytes.append(buffer, static_cast<std::size_t>(got));
        if (bytes.size() > platform::fetch::kMaxOrderBytes)
            return false;
    }
}

bool WriteAll(std::string_view bytes) {
    while (!bytes.empty()) {
        const ssize_t put = write(STDOUT_FILENO, bytes.data(), bytes.size());
        if (put < 0) {
            if (errno == EINTR)
                continue;
            return false;
        }
        bytes.remove_prefix(static_cast<std::size_t>(put));
    }
    return true;
}

}  // namespace

int main() {
    // A radio that ends (or crashes) takes its transfer with it.
    const pid_t parent = getppid();
    prctl(PR_SET_PDEATHSIG, SIGKILL);
    if (getppid() != parent)
        return kBadOrder;
    signal(SIGPIPE, SIG_IGN);

    std::string bytes;
    if (!ReadOrderBytes(bytes)) {
        std::fputs("tunelink-fetch: the order could not be read\n", stderr);
        return kBadOrder;
    }
    const auto order = platform::fetch::DecodeOrder(bytes);
    if (!order) {
        std::fputs("tunelink-fetch: the order is not one this helper understands\n", stderr);
        return kBadOrder;
    }
    return WriteAll(platform::fetch::EncodeAnswer(platform::fetch::PerformFetch(*order)))
               ? 0
               : kWriteFailed;
}
