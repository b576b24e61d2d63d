#include "platform/fetch/helper/CurlLibrary.h"

#include <curl/curl.h>
#include <dlfcn.h>

#include <mutex>

namespace platform {

namespace {

// libssh2's flag for "do not initialise the crypto library"; libssh2 sets its crypto up only
// on its first initialisation, so a first call with this flag makes libcurl's later one cheap.
constexpr int kSshInitNoCrypto = 0x0001;

// libcurl may be built without SSH: the SSH library is looked up, not linked.
void InitialiseSshWithoutCrypto() {
    using SshInit = int (*)(int);
    if (auto* init = reinterpret_cast<SshInit>(dlsym(RTLD_DEFAULT, "libssh2_init")))
        init(kSshInitNoCrypto);
}

}  // namespace

void InitialiseCurlOnce() {
    static std::once_flag once;
    std::call_once(once, [] {
        InitialiseSshWithoutCrypto();
        curl_global_init(CURL_GLOBAL_DEFAULT);
    });
}

}  // namespace platform
