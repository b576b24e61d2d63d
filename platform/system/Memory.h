#pragma once
// The C library keeps heap pages it has been given back for later use, so a burst of work
// (decoding the flap's pictures, the start-up) would stay in the resident set for the rest
// of the run. This returns them to the system.

namespace platform {

void ReturnFreedMemory();

}  // namespace platform
