#pragma once
// What a running process uses, read from /proc: memory, threads, descriptors, CPU time.

#include <string>

namespace testsupport {

struct ProcessUsage {
    bool valid = false;  // false once the process has gone
    long rssKiB = 0;     // resident set
    long anonKiB = 0;    // the part of it that is the process's own memory (heap, stacks)
    long pssKiB = 0;     // proportional set: shared pages divided among their users
    int threads = 0;
    int descriptors = 0;
    double cpuSeconds = 0;  // user plus system time of all its threads so far
};

ProcessUsage MeasureProcess(long long pid);

// The CPU time fields of a /proc/<pid>/stat line, in clock ticks (user + system); -1 if the
// line is malformed. The command name may hold blanks and parentheses.
long long CpuTicksFromStat(const std::string& statLine);

}  // namespace testsupport
