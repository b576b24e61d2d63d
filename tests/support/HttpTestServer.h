#pragma once
// A local HTTP server for tests: cpp-httplib on 127.0.0.1 at a free port, serving from a
// thread of its own from Start() until destruction. Register handlers on Server() before
// Start(). Handlers that stream or wait must return once Stopping() is true.

#include <httplib.h>

#include <atomic>
#include <string>
#include <thread>

namespace testsupport {

class HttpTestServer {
  public:
    HttpTestServer();
    ~HttpTestServer();
    HttpTestServer(const HttpTestServer&) = delete;
    HttpTestServer& operator=(const HttpTestServer&) = delete;

    httplib::Server& Server() { return server_; }
    // Binds to a free port and serves; the port is known when this returns.
    void Start();
    int Port() const { return port_; }
    // "http://127.0.0.1:<port><path>"
    std::string Url(const std::string& path) const;
    bool Stopping() const { return stopping_.load(); }

    // True when the request carries "Authorization: Basic" with exactly these credentials.
    static bool HasBasicAuth(const httplib::Request& request, const std::string& user,
                             const std::string& password);
    // Answers 401 with a Basic challenge.
    static void Challenge(httplib::Response& response);

  private:
    httplib::Server server_;
    std::thread thread_;
    std::atomic<bool> stopping_{false};
    int port_ = 0;
};

}  // namespace testsupport
