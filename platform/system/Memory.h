#pragma once
// The C library keeps memory the program has freed for later use. A desktop radio runs for
// hours after short bursts of work (decoding the flap's pictures, starting up, connecting to
// a station), so what those bursts used should go back to the system.

namespace platform {

// Hands freed heap pages back to the system.
void ReturnFreedMemory();

}  // namespace platform
