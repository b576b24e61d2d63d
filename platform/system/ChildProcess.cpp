#include "platform/system/ChildProcess.h"

#include <signal.h>

extern char** environ;

namespace platform {

int SpawnChild(const std::string& program, const std::vector<std::string>& arguments,
               const posix_spawn_file_actions_t* files, bool search, pid_t* pid) {
    posix_spawnattr_t attributes;
    posix_spawnattr_init(&attributes);
    sigset_t none;
    sigset_t defaults;
    sigemptyset(&none);
    sigemptyset(&defaults);
    for (int signal : {SIGTERM, SIGINT, SIGHUP, SIGPIPE, SIGCHLD}) sigaddset(&defaults, signal);
    posix_spawnattr_setsigmask(&attributes, &none);
    posix_spawnattr_setsigdefault(&attributes, &defaults);
    posix_spawnattr_setflags(&attributes, POSIX_SPAWN_SETSIGMASK | POSIX_SPAWN_SETSIGDEF);

    std::vector<char*> argv{const_cast<char*>(program.c_str())};
    for (const std::string& argument : arguments)
        argv.push_back(const_cast<char*>(argument.c_str()));
    argv.push_back(nullptr);
    const int error =
        search ? posix_spawnp(pid, program.c_str(), files, &attributes, argv.data(), environ)
               : posix_spawn(pid, program.c_str(), files, &attributes, argv.data(), environ);
    posix_spawnattr_destroy(&attributes);
    return error;
}

}  // namespace platform
