#include "platform/system/InstanceLock.h"

#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdlib>

namespace platform {

std::string RuntimeFolder() {
    const char* xdg = std::getenv("XDG_RUNTIME_DIR");
    if (xdg && *xdg == '/')
        return xdg;
    const std::string folder = "/tmp/tunelink-" + std::to_string(getuid());
    mkdir(folder.c_str(), 0700);
    struct stat st {};
    // Somebody else's folder of that name must not decide whether we start.
    if (lstat(folder.c_str(), &st) != 0 || !S_ISDIR(st.st_mode) || st.st_uid != getuid())
        return {};
    return folder;
}

InstanceLock::InstanceLock(const std::string& baseName, const std::string& folder) {
    const std::string dir = folder.empty() ? RuntimeFolder() : folder;
    if (dir.empty()) {
        acquired_ = true;
        return;
    }
    path_ = dir + "/" + baseName + "Prevent.lock";
    fd_ = open(path_.c_str(), O_RDWR | O_CREAT | O_CLOEXEC | O_NOFOLLOW, 0600);
    if (fd_ < 0) {
        acquired_ = true;
        return;
    }
    acquired_ = flock(fd_, LOCK_EX | LOCK_NB) == 0;
    if (!acquired_ && errno != EWOULDBLOCK)
        acquired_ = true;  // no locking there: let it run
}

InstanceLock::~InstanceLock() {
    if (fd_ >= 0)
        close(fd_);  // closing releases the lock
}

}  // namespace platform
