#pragma once
// Writing a file so that a crash, a full disk or a symbolic link at its place never costs
// the old content or writes elsewhere: the text goes to a temporary file beside the target
// (named "<target>.XXXXXX"), reaches the disk, and then replaces the target in one rename.
// Readers see either the old file or the new one; a link at the target's place is replaced
// by the new file, never followed.

#include "util/Result.h"

#include <string>
#include <string_view>

namespace util {

// How writes reach the disk; tests replace it to simulate a full disk.
using WriteFunction = long (*)(int fd, const void* data, unsigned long size);

// Fails (the old file untouched, no temporary file left) when anything fails; the error's
// code is the system's error number and its message the system's text for it. `mode` gives
// the new file's permissions.
Status WriteFileReplacing(const std::string& path, std::string_view text, unsigned mode = 0644);

// How a file is made to reach the disk; a full disk may first say so here.
using SyncFunction = int (*)(int fd);

// The functions used from now on; null restores the system's. Return the previous.
WriteFunction SetWriteFunctionForTests(WriteFunction write);
SyncFunction SetSyncFunctionForTests(SyncFunction sync);

// Deletes what a write cut off by a crash left beside `path`: files named
// "<name of path>.XXXXXX" (six letters or digits) in its folder. Returns how many.
int RemoveLeftoverTemporaries(const std::string& path);

}  // namespace util
