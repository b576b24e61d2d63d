#pragma once
// The C library keeps memory the program has freed for later use. A desktop radio runs for
// hours after short bursts of work (decoding the flap's pictures, starting up), so what those
// bursts used should go back to the system.

namespace platform {

// Large blocks (pictures, audio buffers) get pages of their own, returned when freed.
// Without this the C library raises that limit after the first large block is freed, and
// later pictures land in the heap, where they stay after use. Called once, at start.
void KeepLargeBlocksOutOfTheHeap();

// Hands freed heap pages back to the system.
void ReturnFreedMemory();

}  // namespace platform
