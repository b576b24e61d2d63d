#include "platform/system/Memory.h"

#if defined(__GLIBC__)
#include <malloc.h>
#endif

namespace platform {

namespace {
constexpr int kLargeBlockBytes = 128 * 1024;
}

void KeepLargeBlocksOutOfTheHeap() {
#if defined(__GLIBC__)
    mallopt(M_MMAP_THRESHOLD, kLargeBlockBytes);
#endif
}

void ReturnFreedMemory() {
#if defined(__GLIBC__)
    malloc_trim(0);
#endif
}

}  // namespace platform
