#pragma once
// One running copy per user and program name: an exclusive flock on
// `$XDG_RUNTIME_DIR/<name>Prevent.lock`, held until the process ends. The kernel drops
// the lock when the process dies, so a crash never blocks the next start.

#include <string>

namespace platform {

class InstanceLock {
  public:
    // `folder` empty: $XDG_RUNTIME_DIR, or a private folder under /tmp named after the user
    // when the desktop provides none.
    explicit InstanceLock(const std::string& baseName, const std::string& folder = {});
    ~InstanceLock();
    InstanceLock(const InstanceLock&) = delete;
    InstanceLock& operator=(const InstanceLock&) = delete;

    // True when this process holds the lock. False when another copy holds it. When the
    // lock file cannot be made at all, the check passes: refusing to start over a missing
    // runtime folder would be worse than a second copy.
    bool Acquired() const { return acquired_; }
    const std::string& Path() const { return path_; }

  private:
    int fd_ = -1;
    bool acquired_ = false;
    std::string path_;
};

// $XDG_RUNTIME_DIR, or /tmp/tunelink-<uid> (created 0700, must be ours) without it.
std::string RuntimeFolder();

}  // namespace platform
