#pragma once
// libcurl's one-time set-up, shared by everything that downloads.
//
// The radio only speaks HTTP and HTTPS, yet libcurl also starts the SSH library it is built
// with, and that starts the system's second TLS library (OpenSSL, with all its ciphers,
// digests and engines): 1.7 MB of the process's memory for a protocol the radio never
// allows. libcurl is linked in its GnuTLS build, the TLS library the media stack loads
// anyway, and the SSH library is told to leave its crypto alone.

namespace platform {

// Safe to call from any thread, any number of times; the set-up runs once.
void InitialiseCurlOnce();

}  // namespace platform
