#pragma once
// A file that exists but that nobody, not even root, can open for reading: a socket.

#include <string>

namespace testsupport {

// Binds a socket at `path`; returns its descriptor (close it when done), or -1.
int MakeUnopenableFile(const std::string& path);

}  // namespace testsupport
