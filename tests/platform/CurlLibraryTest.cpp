#include "platform/fetch/helper/CurlLibrary.h"

#include <gtest/gtest.h>

#include <dlfcn.h>

// Starting OpenSSL loads its built-in engines: after libcurl's set-up there must be none,
// or the process carries a second TLS library's 1.7 MB for nothing. Both ways back to that
// fail here: libcurl's OpenSSL build (its set-up starts OpenSSL itself) and the SSH library
// left to start its crypto.
TEST(CurlLibrary, SetUpDoesNotStartASecondTlsLibrary) {
    platform::InitialiseCurlOnce();
    platform::InitialiseCurlOnce();  // a second call changes nothing
    using GetFirstEngine = void* (*)();
    using FreeEngine = int (*)(void*);
    const auto first = reinterpret_cast<GetFirstEngine>(dlsym(RTLD_DEFAULT, "ENGINE_get_first"));
    const auto release = reinterpret_cast<FreeEngine>(dlsym(RTLD_DEFAULT, "ENGINE_free"));
    if (!first || !release)
        GTEST_SKIP() << "OpenSSL is not in this process, so nothing can have started it";
    void* engine = first();
    if (engine)
        release(engine);
    EXPECT_EQ(engine, nullptr) << "OpenSSL was started while libcurl was set up";
}
