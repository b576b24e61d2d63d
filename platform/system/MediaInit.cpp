#include "platform/system/MediaInit.h"

#include <gst/gst.h>

#include <atomic>

namespace platform {

namespace {
std::atomic<bool> g_initialised{false};
}

bool InitMediaLibrary() {
    GError* error = nullptr;
    const bool ok = gst_init_check(nullptr, nullptr, &error);
    if (error)
        g_error_free(error);
    g_initialised = ok;
    return ok;
}

bool MediaLibraryInitialised() {
    return g_initialised;
}

}  // namespace platform
