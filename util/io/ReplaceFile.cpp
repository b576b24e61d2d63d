#include "util/io/ReplaceFile.h"

#include <dirent.h>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <atomic>
#include <cctype>
#include <cerrno>
#include <cstdio>
#include <system_error>

namespace util {

namespace {

constexpr std::size_t kTemporarySuffix = 7;  // ".XXXXXX"

long SystemWrite(int fd, const void* data, unsigned long size) {
    return static_cast<long>(::write(fd, data, size));
}

std::atomic<WriteFunction> g_write{&SystemWrite};
std::atomic<SyncFunction> g_sync{&::fsync};

bool WriteAll(int fd, std::string_view text) {
    const WriteFunction write = g_write.load();
    while (!text.empty()) {
        const long written = write(fd, text.data(), text.size());
        if (written < 0) {
            if (errno == EINTR)
                continue;
            return false;
        }
        if (written == 0)
            return false;
        text.remove_prefix(static_cast<std::size_t>(written));
    }
    return true;
}

std::string FolderOf(const std::string& path) {
    const auto slash = path.find_last_of('/');
    if (slash == std::string::npos)
        return ".";
    return slash == 0 ? "/" : path.substr(0, slash);
}

// The rename itself is only durable once the folder's entry is on the disk.
void SyncFolder(const std::string& folder) {
    const int fd = ::open(folder.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (fd < 0)
        return;
    ::fsync(fd);
    ::close(fd);
}

bool IsTemporaryOf(const std::string& entry, const std::string& name) {
    if (entry.size() != name.size() + kTemporarySuffix ||
        entry.compare(0, name.size(), name) != 0 || entry[name.size()] != '.')
        return false;
    return std::all_of(entry.begin() + static_cast<std::ptrdiff_t>(name.size()) + 1, entry.end(),
                       [](char c) { return std::isalnum(static_cast<unsigned char>(c)) != 0; });
}

Error SystemError(int number) {
    return Error{std::system_category().message(number), number};
}

}  // namespace

Status WriteFileReplacing(const std::string& path, std::string_view text, unsigned mode) {
    if (path.empty())
        return SystemError(ENOENT);
    std::string temporary = path + ".XXXXXX";
    const int fd = ::mkostemp(temporary.data(), O_CLOEXEC);
    if (fd < 0)
        return SystemError(errno);
    bool ok = ::fchmod(fd, static_cast<mode_t>(mode)) == 0 && WriteAll(fd, text) &&
              g_sync.load()(fd) == 0;
    ok = ::close(fd) == 0 && ok;
    ok = ok && std::rename(temporary.c_str(), path.c_str()) == 0;
    if (!ok) {
        const int error = errno;  // the reason, before the clean-up can change it
        ::unlink(temporary.c_str());
        return SystemError(error);
    }
    SyncFolder(FolderOf(path));
    return {};
}

WriteFunction SetWriteFunctionForTests(WriteFunction write) {
    return g_write.exchange(write ? write : &SystemWrite);
}

SyncFunction SetSyncFunctionForTests(SyncFunction sync) {
    return g_sync.exchange(sync ? sync : &::fsync);
}

int RemoveLeftoverTemporaries(const std::string& path) {
    const auto slash = path.find_last_of('/');
    const std::string folder = FolderOf(path);
    const std::string name = slash == std::string::npos ? path : path.substr(slash + 1);
    if (name.empty())
        return 0;
    DIR* dir = ::opendir(folder.c_str());
    if (!dir)
        return 0;
    int removed = 0;
    while (const dirent* entry = ::readdir(dir)) {
        const std::string entryName = entry->d_name;
        if (!IsTemporaryOf(entryName, name))
            continue;
        // Only plain files this program made; a folder or a link of that name is not ours.
        struct stat info {};
        const std::string full = folder + "/" + entryName;
        if (::lstat(full.c_str(), &info) == 0 && S_ISREG(info.st_mode) &&
            ::unlink(full.c_str()) == 0)
            ++removed;
    }
    ::closedir(dir);
    return removed;
}

}  // namespace util
