#include "platform/system/Memory.h"

#include <cstdlib>  // defines __GLIBC__ on the GNU C library; nothing above does

#if defined(__GLIBC__)
#include <malloc.h>
#endif

namespace platform {

void ReturnFreedMemory() {
#if defined(__GLIBC__)
    malloc_trim(0);
#endif
}

}  // namespace platform
