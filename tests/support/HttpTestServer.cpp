#include "tests/support/HttpTestServer.h"

#include <chrono>
#include <stdexcept>

namespace testsupport {

namespace {
std::string Base64(const std::string& in) {
    static constexpr char kAlphabet[] =
        "ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz0123456789+/";
    std::string out;
    std::size_t i = 0;
    for (; i + 2 < in.size(); i += 3) {
        const unsigned v = (static_cast<unsigned char>(in[i]) << 16) |
                           (static_cast<unsigned char>(in[i + 1]) << 8) |
                           static_cast<unsigned char>(in[i + 2]);
        out += kAlphabet[(v >> 18) & 63];
        out += kAlphabet[(v >> 12) & 63];
        out += kAlphabet[(v >> 6) & 63];
        out += kAlphabet[v & 63];
    }
    if (i < in.size()) {
        unsigned v = static_cast<unsigned char>(in[i]) << 16;
        if (i + 1 < in.size())
            v |= static_cast<unsigned char>(in[i + 1]) << 8;
        out += kAlphabet[(v >> 18) & 63];
        out += kAlphabet[(v >> 12) & 63];
        out += i + 1 < in.size() ? kAlphabet[(v >> 6) & 63] : '=';
        out += '=';
    }
    return out;
}
}  // namespace

HttpTestServer::HttpTestServer() {
    // One request per connection, so stopping never waits for an idle keep-alive.
    server_.set_keep_alive_max_count(1);
}

HttpTestServer::~HttpTestServer() {
    stopping_ = true;
    if (thread_.joinable()) {
        server_.stop();
        thread_.join();
    }
}

void HttpTestServer::Start() {
    port_ = server_.bind_to_any_port("127.0.0.1");
    if (port_ <= 0)
        throw std::runtime_error("the test server cannot bind to 127.0.0.1");
    thread_ = std::thread([this] { server_.listen_after_bind(); });
    // stop() only works once the accept loop runs.
    for (int waited = 0; !server_.is_running(); ++waited) {
        if (waited == 5000)
            throw std::runtime_error("the test server does not start");
        std::this_thread::sleep_for(std::chrono::milliseconds(1));
    }
}

std::string HttpTestServer::Url(const std::string& path) const {
    return "http://127.0.0.1:" + std::to_string(port_) + path;
}

bool HttpTestServer::HasBasicAuth(const httplib::Request& request, const std::string& user,
                                  const std::string& password) {
    return request.get_header_value("Authorization") == "Basic " + Base64(user + ":" + password);
}

void HttpTestServer::Challenge(httplib::Response& response) {
    response.status = 401;
    response.set_header("WWW-Authenticate", "Basic realm=\"tunelink\"");
    response.set_content("authorisation required", "text/plain");
}

}  // namespace testsupport
