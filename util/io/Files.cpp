#include "util/io/Files.h"

#include <glob.h>
#include <sys/stat.h>
#include <unistd.h>

#include <array>
#include <cerrno>
#include <cstdlib>

namespace util {

std::string GetProgramPath() {
    std::array<char, 4096> buffer{};
    const ssize_t n = readlink("/proc/self/exe", buffer.data(), buffer.size() - 1);
    if (n <= 0)
        return {};
    return std::string(buffer.data(), static_cast<std::size_t>(n));
}

std::string GetProgramFolder() {
    const std::string path = GetProgramPath();
    const auto slash = path.find_last_of('/');
    return slash == std::string::npos ? std::string() : path.substr(0, slash);
}

std::string GetAppName() {
    std::string name = GetProgramPath();
    const auto slash = name.find_last_of('/');
    if (slash != std::string::npos)
        name.erase(0, slash + 1);
    const auto dot = name.find_last_of('.');
    if (dot != std::string::npos && dot > 0)
        name.erase(dot);
    return name;
}

namespace {
std::string CacheHome() {
    const char* xdg = std::getenv("XDG_CACHE_HOME");
    if (xdg && *xdg == '/')
        return xdg;
    const char* home = std::getenv("HOME");
    return std::string(home && *home ? home : "/") + "/.cache";
}

void MakeFolder(const std::string& path, mode_t mode) {
    // Create every missing parent; an existing folder is fine.
    for (std::size_t pos = 1; pos <= path.size(); ++pos) {
        if (pos == path.size() || path[pos] == '/') {
            const std::string part = path.substr(0, pos);
            if (mkdir(part.c_str(), pos == path.size() ? mode : 0755) != 0 && errno != EEXIST)
                return;
        }
    }
}
}  // namespace

std::string GetTempFolder() {
    const std::string folder = CacheHome() + "/tunelink";
    MakeFolder(folder, 0700);
    return folder + "/";
}

// On Linux '*', '?' and '[' are ordinary characters of file names: a path is a path.
bool FileExists(const std::string& path) {
    struct stat st {};
    return !path.empty() && stat(path.c_str(), &st) == 0;
}

bool AnyFileMatches(const std::string& pattern) {
    if (FileExists(pattern))
        return true;
    if (pattern.empty() || pattern.find_first_of("*?[") == std::string::npos)
        return false;
    glob_t matches{};
    const int rc = glob(pattern.c_str(), GLOB_NOSORT, nullptr, &matches);
    const bool found = rc == 0 && matches.gl_pathc > 0;
    globfree(&matches);
    return found;
}

bool IsFolderUnusable(const std::string& folder) {
    struct stat st {};
    if (folder.empty() || stat(folder.c_str(), &st) != 0 || !S_ISDIR(st.st_mode))
        return true;
    return access(folder.c_str(), W_OK) != 0;
}

bool DeleteFileQuietly(const std::string& path) {
    return !path.empty() && unlink(path.c_str()) == 0;
}

}  // namespace util
