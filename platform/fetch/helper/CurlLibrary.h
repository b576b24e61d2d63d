#pragma once
// libcurl's one-time set-up in the download helper.
//
// The helper only speaks HTTP and HTTPS, yet libcurl also starts the SSH library it is built
// with, and that starts a second TLS library (OpenSSL, with all its ciphers, digests and
// engines): 1.7 MB and its start-up time for a protocol never allowed. libcurl is linked in
// its GnuTLS build, and the SSH library is told to leave its crypto alone.

namespace platform {

// Safe to call from any thread, any number of times; the set-up runs once.
void InitialiseCurlOnce();

}  // namespace platform
