#include "tests/support/ProcessUsage.h"

#include <unistd.h>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <system_error>

namespace testsupport {

namespace {
long KiBAfter(const std::string& line, std::size_t prefix) {
    return std::strtol(line.c_str() + prefix, nullptr, 10);
}
}  // namespace

long long CpuTicksFromStat(const std::string& statLine) {
    // Fields after the command name: state is field 3, utime field 14, stime field 15.
    const auto close = statLine.rfind(')');
    if (close == std::string::npos)
        return -1;
    std::istringstream fields(statLine.substr(close + 1));
    std::string field;
    long long utime = -1, stime = -1;
    for (int number = 3; number <= 15 && fields >> field; ++number) {
        if (number == 14)
            utime = std::strtoll(field.c_str(), nullptr, 10);
        if (number == 15)
            stime = std::strtoll(field.c_str(), nullptr, 10);
    }
    return utime < 0 || stime < 0 ? -1 : utime + stime;
}

ProcessUsage MeasureProcess(long long pid) {
    ProcessUsage usage;
    const std::string folder = "/proc/" + std::to_string(pid);
    std::ifstream status(folder + "/status");
    for (std::string line; std::getline(status, line);) {
        if (line.rfind("VmRSS:", 0) == 0)
            usage.rssKiB = KiBAfter(line, 6);
        if (line.rfind("RssAnon:", 0) == 0)
            usage.anonKiB = KiBAfter(line, 8);
        if (line.rfind("Threads:", 0) == 0)
            usage.threads = static_cast<int>(KiBAfter(line, 8));
    }
    std::ifstream rollup(folder + "/smaps_rollup");
    for (std::string line; std::getline(rollup, line);) {
        if (line.rfind("Pss:", 0) == 0)
            usage.pssKiB = KiBAfter(line, 4);
    }
    std::error_code error;
    for (std::filesystem::directory_iterator entry(folder + "/fd", error), end;
         !error && entry != end; entry.increment(error))
        ++usage.descriptors;
    std::ifstream stat(folder + "/stat");
    std::string statLine;
    std::getline(stat, statLine);
    const long long ticks = CpuTicksFromStat(statLine);
    usage.valid = ticks >= 0 && usage.rssKiB > 0;
    if (ticks >= 0)
        usage.cpuSeconds = static_cast<double>(ticks) / static_cast<double>(sysconf(_SC_CLK_TCK));
    return usage;
}

}  // namespace testsupport
