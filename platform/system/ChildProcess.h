#pragma once
// Starting a program of our own choosing without a shell: it starts with no signal blocked
// and default handling for the signals this process may have changed.

#include <spawn.h>
#include <sys/types.h>

#include <string>
#include <vector>

namespace platform {

// posix_spawn's error number (0 when started). `search`: look the program up in PATH.
int SpawnChild(const std::string& program, const std::vector<std::string>& arguments,
               const posix_spawn_file_actions_t* files, bool search, pid_t* pid);

}  // namespace platform
