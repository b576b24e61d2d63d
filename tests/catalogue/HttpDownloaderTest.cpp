#include "catalogue/HttpDownloader.h"
#include "tests/support/HttpTestServer.h"

#include <arpa/inet.h>
#include <gtest/gtest.h>
#include <netinet/in.h>
#include <openssl/evp.h>
#include <openssl/pem.h>
#include <openssl/x509.h>
#include <openssl/x509v3.h>
#include <poll.h>
#include <sys/socket.h>
#include <unistd.h>

#include <QTemporaryDir>

#include <atomic>
#include <chrono>
#include <cstdio>
#include <memory>
#include <mutex>
#include <stdexcept>
#include <string>
#include <thread>
#include <vector>

using catalogue::CHttpDownloader;

using namespace std::chrono_literals;
using testsupport::HttpTestServer;

namespace {

constexpr const char* kAgent = "User-Agent: Torvane/1.0 (www.torvane.com)";

// What the completion function saw, written on the worker thread.
struct Completions {
    CHttpDownloader::Completion Record() {
        return [this](util::Result<std::string> content) {
            std::lock_guard lock(mutex);
            ++calls;
            lastFailed = !content;
            lastBytes = content ? *content : content.error().message;
            thread = std::this_thread::get_id();
        };
    }
    int Calls() {
        std::lock_guard lock(mutex);
        return calls;
    }

    std::mutex mutex;
    int calls = 0;
    bool lastFailed = false;
    std::string lastBytes;  // the whole buffer, or the error text
    std::thread::id thread;
};

// One whole download: start, wait for the worker, return what the completion received.
std::string Fetch(CHttpDownloader& downloader, const std::string& address, Completions& seen) {
    const int before = seen.Calls();
    EXPECT_TRUE(downloader.Start(address, seen.Record()));
    downloader.Wait();
    EXPECT_EQ(seen.Calls(), before + 1);
    std::lock_guard lock(seen.mutex);
    return seen.lastBytes;
}

// Sends one byte every 50 ms for as long as the client listens.
void ServeEndlessly(HttpTestServer& server, const std::string& path, std::atomic<int>& sent) {
    server.Server().Get(path, [&server, &sent](const httplib::Request&, httplib::Response& res) {
        res.set_chunked_content_provider("text/xml",
                                         [&server, &sent](size_t, httplib::DataSink& sink) {
                                             if (server.Stopping() || !sink.write("<", 1))
                                                 return false;
                                             ++sent;
                                             std::this_thread::sleep_for(50ms);
                                             return true;
                                         });
    });
}

// Accepts the request and then says nothing until the server stops.
void ServeSilently(HttpTestServer& server, const std::string& path) {
    server.Server().Get(path, [&server](const httplib::Request&, httplib::Response& res) {
        while (!server.Stopping()) std::this_thread::sleep_for(10ms);
        res.status = 503;
    });
}

template <typename Predicate>
bool WaitFor(Predicate predicate, std::chrono::milliseconds limit = 5s) {
    const auto end = std::chrono::steady_clock::now() + limit;
    while (!predicate()) {
        if (std::chrono::steady_clock::now() > end)
            return false;
        std::this_thread::sleep_for(5ms);
    }
    return true;
}

// A certificate for 127.0.0.1 that signs itself, as a man in the middle would offer: no
// authority on the machine vouches for it. Writes key.pem and cert.pem into `folder`.
bool WriteSelfSignedCertificate(const std::string& folder) {
    std::unique_ptr<EVP_PKEY, decltype(&EVP_PKEY_free)> key(EVP_RSA_gen(2048), EVP_PKEY_free);
    std::unique_ptr<X509, decltype(&X509_free)> cert(X509_new(), X509_free);
    if (!key || !cert)
        return false;
    X509_set_version(cert.get(), X509_VERSION_3);
    ASN1_INTEGER_set(X509_get_serialNumber(cert.get()), 1);
    X509_gmtime_adj(X509_getm_notBefore(cert.get()), -3600);
    X509_gmtime_adj(X509_getm_notAfter(cert.get()), 3600);
    X509_set_pubkey(cert.get(), key.get());
    X509_NAME* name = X509_get_subject_name(cert.get());
    X509_NAME_add_entry_by_txt(name, "CN", MBSTRING_ASC,
                               reinterpret_cast<const unsigned char*>("127.0.0.1"), -1, -1, 0);
    X509_set_issuer_name(cert.get(), name);
    // Right for the address, so that only the missing trust can refuse it.
    std::unique_ptr<X509_EXTENSION, decltype(&X509_EXTENSION_free)> altName(
        X509V3_EXT_conf_nid(nullptr, nullptr, NID_subject_alt_name, "IP:127.0.0.1"),
        X509_EXTENSION_free);
    if (!altName || X509_add_ext(cert.get(), altName.get(), -1) != 1)
        return false;
    if (X509_sign(cert.get(), key.get(), EVP_sha256()) == 0)
        return false;
    auto write = [&folder](const char* file, auto&& print) {
        std::unique_ptr<std::FILE, decltype(&std::fclose)> out(
            std::fopen((folder + "/" + file).c_str(), "w"), std::fclose);
        return out && print(out.get());
    };
    return write("key.pem",
                 [&](std::FILE* f) {
                     return PEM_write_PrivateKey(f, key.get(), nullptr, nullptr, 0, nullptr,
                                                 nullptr) == 1;
                 }) &&
           write("cert.pem", [&](std::FILE* f) { return PEM_write_X509(f, cert.get()) == 1; });
}

}  // namespace

TEST(HttpDownloaderTest, AnswersTheChallengeWithTheCredentialsAndSendsAgentAndAccept) {
    HttpTestServer server;
    std::mutex mutex;
    int requests = 0;
    std::vector<std::string> agents, accepts;
    server.Server().Get("/tunelink/StationData.xml",
                        [&](const httplib::Request& req, httplib::Response& res) {
                            std::lock_guard lock(mutex);
                            ++requests;
                            agents.push_back(req.get_header_value("User-Agent"));
                            accepts.push_back(req.get_header_value("Accept"));
                            if (!HttpTestServer::HasBasicAuth(req, "tunelink", "9e21d07fa5c3b6"))
                                return HttpTestServer::Challenge(res);
                            res.set_content("<STATION/>", "text/xml");
                        });
    server.Start();
    ASSERT_NE(server.Port(), 80);  // the address's own port is the one used

    CHttpDownloader downloader(kAgent);
    downloader.SetUserName("tunelink");
    downloader.SetPassword("9e21d07fa5c3b6");
    Completions seen;
    const std::string address = server.Url("/tunelink/StationData.xml");
    EXPECT_EQ(Fetch(downloader, address, seen), std::string("<STATION/>\0", 11));

    EXPECT_EQ(seen.calls, 1);
    EXPECT_FALSE(seen.lastFailed);
    EXPECT_NE(seen.thread, std::this_thread::get_id());
    std::lock_guard lock(mutex);
    EXPECT_GE(requests, 1);
    for (const std::string& agent : agents) EXPECT_EQ(agent, kAgent);
    for (const std::string& accept : accepts) EXPECT_EQ(accept, "text/*, image/*");
}

TEST(HttpDownloaderTest, AStatusOtherThan200FailsWithItsNumber) {
    HttpTestServer server;
    std::atomic<bool> sawCredentials{false};
    server.Server().Get("/private", [&](const httplib::Request& req, httplib::Response& res) {
        if (req.has_header("Authorization"))
            sawCredentials = true;
        HttpTestServer::Challenge(res);
    });
    server.Start();

    CHttpDownloader downloader(kAgent);  // no user name, no password
    Completions seen;
    EXPECT_EQ(Fetch(downloader, server.Url("/missing"), seen), "HttpQueryInfo returned [404]");
    EXPECT_TRUE(seen.lastFailed);
    EXPECT_EQ(seen.calls, 1);

    EXPECT_EQ(Fetch(downloader, server.Url("/private"), seen), "HttpQueryInfo returned [401]");
    EXPECT_FALSE(sawCredentials);
}

TEST(HttpDownloaderTest, ASecondShorterBodyLeavesTheOlderTailBehindItsNul) {
    HttpTestServer server;
    std::string longBody;
    for (int i = 0; i < 2000; ++i) longBody += static_cast<char>('a' + i % 26);
    std::atomic<int> served{0};
    server.Server().Get("/doc", [&](const httplib::Request&, httplib::Response& res) {
        const int n = served++;
        res.set_content(n == 0   ? longBody
                        : n == 1 ? std::string("short")
                                 : std::string(),
                        "text/plain");
    });
    server.Start();

    CHttpDownloader downloader(kAgent);
    Completions seen;
    const std::string address = server.Url("/doc");
    EXPECT_EQ(Fetch(downloader, address, seen), longBody + '\0');
    const std::string second = Fetch(downloader, address, seen);
    EXPECT_EQ(second, "short" + std::string(1, '\0') + longBody.substr(6) + '\0');
    EXPECT_FALSE(seen.lastFailed);

    // An empty body is still a success and leaves a single NUL in front of the old content.
    const std::string empty = Fetch(downloader, address, seen);
    EXPECT_FALSE(seen.lastFailed);
    ASSERT_FALSE(empty.empty());
    EXPECT_EQ(empty[0], '\0');
    EXPECT_EQ(empty.substr(1), second.substr(1));

    CHttpDownloader fresh(kAgent);
    EXPECT_EQ(Fetch(fresh, address, seen), std::string(1, '\0'));
}

TEST(HttpDownloaderTest, DestructionStopsAnEndlessBodyAtOnceWithoutCompletion) {
    HttpTestServer server;
    std::atomic<int> sent{0};
    ServeEndlessly(server, "/endless", sent);
    server.Start();

    auto downloader = std::make_unique<CHttpDownloader>(kAgent);
    Completions seen;
    ASSERT_TRUE(downloader->Start(server.Url("/endless"), seen.Record()));
    ASSERT_TRUE(WaitFor([&] { return sent >= 3; }));
    // Only one download at a time.
    const util::Status second = downloader->Start(server.Url("/other"), seen.Record());
    EXPECT_FALSE(second);
    EXPECT_FALSE(second.error().message.empty());

    const auto start = std::chrono::steady_clock::now();
    downloader.reset();
    EXPECT_LT(std::chrono::steady_clock::now() - start, 1s);
    EXPECT_EQ(seen.Calls(), 0);
}

TEST(HttpDownloaderTest, StopLeavesASilentServerAtOnceAndRefusesLaterStarts) {
    HttpTestServer server;
    ServeSilently(server, "/silent");
    server.Start();

    CHttpDownloader downloader(kAgent);
    Completions seen;
    ASSERT_TRUE(downloader.Start(server.Url("/silent"), seen.Record()));
    std::this_thread::sleep_for(300ms);
    const auto start = std::chrono::steady_clock::now();
    downloader.Stop();
    EXPECT_LT(std::chrono::steady_clock::now() - start, 500ms);
    EXPECT_EQ(seen.Calls(), 0);
    EXPECT_FALSE(downloader.Start(server.Url("/silent"), seen.Record()));
}

TEST(HttpDownloaderTest, ASilentServerTimesOut) {
    HttpTestServer server;
    ServeSilently(server, "/silent");
    server.Start();

    CHttpDownloader downloader(kAgent);
    CHttpDownloader::Timeouts timeouts;
    timeouts.lowSpeedTime = 1s;
    timeouts.total = 1500ms;
    downloader.SetTimeouts(timeouts);
    Completions seen;
    const auto start = std::chrono::steady_clock::now();
    const std::string error = Fetch(downloader, server.Url("/silent"), seen);
    EXPECT_LT(std::chrono::steady_clock::now() - start, 4s);
    EXPECT_TRUE(seen.lastFailed);
    EXPECT_NE(error.find("imeout"), std::string::npos) << error;
}

TEST(HttpDownloaderTest, ABodyAboveTheLimitFailsWhetherItsLengthIsAnnouncedOrNot) {
    HttpTestServer server;
    const std::string limit(CHttpDownloader::kMaxBodyBytes, 'x');
    server.Server().Get("/fits", [&](const httplib::Request&, httplib::Response& res) {
        res.set_content(limit, "text/plain");
    });
    server.Server().Get("/announced", [&](const httplib::Request&, httplib::Response& res) {
        res.set_content(limit + "y", "text/plain");
    });
    server.Server().Get("/chunked", [&](const httplib::Request&, httplib::Response& res) {
        res.set_chunked_content_provider("text/plain", [&](size_t offset, httplib::DataSink& sink) {
            const std::string piece(4096, 'z');
            if (server.Stopping() || offset > 2 * CHttpDownloader::kMaxBodyBytes)
                return false;
            return sink.write(piece.data(), piece.size());
        });
    });
    server.Start();

    CHttpDownloader downloader(kAgent);
    Completions seen;
    EXPECT_EQ(Fetch(downloader, server.Url("/fits"), seen), limit + '\0');
    EXPECT_FALSE(seen.lastFailed);
    for (const char* path : {"/announced", "/chunked"}) {
        EXPECT_EQ(Fetch(downloader, server.Url(path), seen),
                  "The document is larger than 1048576 bytes")
            << path;
        EXPECT_TRUE(seen.lastFailed) << path;
    }
}

TEST(HttpDownloaderTest, FollowsUpToTenRedirectsAndOnlyHttp) {
    HttpTestServer server;
    std::atomic<int> loops{0};
    server.Server().Get(
        "/old", [](const httplib::Request&, httplib::Response& res) { res.set_redirect("/new"); });
    server.Server().Get("/new", [](const httplib::Request&, httplib::Response& res) {
        res.set_content("moved", "text/plain");
    });
    server.Server().Get("/loop", [&](const httplib::Request&, httplib::Response& res) {
        ++loops;
        res.set_redirect("/loop");
    });
    server.Server().Get("/to-file", [](const httplib::Request&, httplib::Response& res) {
        res.set_redirect("file:///etc/hostname");
    });
    server.Start();

    CHttpDownloader downloader(kAgent);
    Completions seen;
    EXPECT_EQ(Fetch(downloader, server.Url("/old"), seen), std::string("moved\0", 6));
    EXPECT_FALSE(seen.lastFailed);

    Fetch(downloader, server.Url("/loop"), seen);
    EXPECT_TRUE(seen.lastFailed);
    EXPECT_EQ(loops, 1 + CHttpDownloader::kMaxRedirects);

    for (const std::string& address :
         {server.Url("/to-file"), std::string("file:///etc/hostname")}) {
        const std::string error = Fetch(downloader, address, seen);
        EXPECT_TRUE(seen.lastFailed) << address;
        EXPECT_FALSE(error.empty()) << address;
    }
}

TEST(HttpDownloaderTest, ARefusedConnectionNamesItsReason) {
    int closedPort = 0;
    {
        HttpTestServer server;
        server.Start();
        closedPort = server.Port();
    }
    CHttpDownloader downloader(kAgent);
    Completions seen;
    const std::string error =
        Fetch(downloader, "http://127.0.0.1:" + std::to_string(closedPort) + "/", seen);
    EXPECT_TRUE(seen.lastFailed);
    EXPECT_NE(error.find("connect"), std::string::npos) << error;
}

namespace {

// A minimal server on 127.0.0.1 that writes the same answer head to every connection and
// then body bytes as fast as the client takes them, counting what it sent. httplib closes
// after each answer, which makes libcurl skip a redirect's body; this one keeps the
// connection open, so the body of an answer that is followed has to be read.
class FloodServer {
  public:
    explicit FloodServer(std::string head, std::string piece = std::string(16384, 'x'))
        : head_(std::move(head)), piece_(std::move(piece)) {
        listener_ = ::socket(AF_INET, SOCK_STREAM, 0);
        sockaddr_in address{};
        address.sin_family = AF_INET;
        address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
        socklen_t length = sizeof address;
        if (listener_ < 0 ||
            ::bind(listener_, reinterpret_cast<sockaddr*>(&address), sizeof address) != 0 ||
            ::listen(listener_, 4) != 0 ||
            ::getsockname(listener_, reinterpret_cast<sockaddr*>(&address), &length) != 0)
            throw std::runtime_error("the flood server cannot listen on 127.0.0.1");
        port_ = ntohs(address.sin_port);
        thread_ = std::thread([this] { Serve(); });
    }
    ~FloodServer() {
        stopping_ = true;
        ::shutdown(listener_, SHUT_RDWR);
        thread_.join();
        ::close(listener_);
    }
    std::string Url(const std::string& path) const {
        return "http://127.0.0.1:" + std::to_string(port_) + path;
    }
    long long BodyBytesSent() const { return sent_.load(); }

  private:
    void Serve() {
        while (!stopping_) {
            pollfd waiting{listener_, POLLIN, 0};
            if (::poll(&waiting, 1, 50) <= 0)
                continue;
            const int connection = ::accept(listener_, nullptr, nullptr);
            if (connection < 0)
                continue;
            Flood(connection);
            ::close(connection);
        }
    }
    void Flood(int connection) {
        char request[4096];
        if (::recv(connection, request, sizeof request, 0) <= 0)
            return;
        if (::send(connection, head_.data(), head_.size(), MSG_NOSIGNAL) < 0)
            return;
        while (!stopping_) {
            pollfd writable{connection, POLLOUT, 0};
            if (::poll(&writable, 1, 50) <= 0)
                continue;
            const ssize_t n = ::send(connection, piece_.data(), piece_.size(), MSG_NOSIGNAL);
            if (n <= 0)
                return;  // the client has gone
            sent_ += n;
        }
    }

    std::string head_;
    std::string piece_;
    int listener_ = -1;
    int port_ = 0;
    std::atomic<bool> stopping_{false};
    std::atomic<long long> sent_{0};
    std::thread thread_;
};

}  // namespace

// A failed answer is not read on: its status decides, whatever body follows. Before, the
// body of a 404 was discarded without being counted and pulled at full speed until the
// total time-out.
TEST(HttpDownloaderTest, AFailedAnswerWithAnEndlessBodyEndsAtOnce) {
    FloodServer server("HTTP/1.1 404 Not Found\r\nContent-Type: text/html\r\n\r\n");
    CHttpDownloader downloader(kAgent);
    CHttpDownloader::Timeouts timeouts;
    timeouts.total = 8s;  // a bound for the test itself, far beyond what a fix needs
    downloader.SetTimeouts(timeouts);
    Completions seen;
    const auto start = std::chrono::steady_clock::now();
    EXPECT_EQ(Fetch(downloader, server.Url("/tunelink/StationData.xml"), seen),
              "HttpQueryInfo returned [404]");
    EXPECT_LT(std::chrono::steady_clock::now() - start, 3s);
    EXPECT_TRUE(seen.lastFailed);
    // What the loopback socket buffers hold, not what a reader pulls.
    EXPECT_LT(server.BodyBytesSent(), 8ll << 20);
}

// The cap on received bytes holds for every answer of a transfer, also for the body of a
// redirect that libcurl reads only to keep the connection.
TEST(HttpDownloaderTest, AnEndlessBodyOfAFollowedRedirectHitsTheSizeLimit) {
    // Chunked, so the connection could be used again after the body: libcurl reads it.
    FloodServer server(
        "HTTP/1.1 302 Found\r\nLocation: /elsewhere\r\n"
        "Transfer-Encoding: chunked\r\n\r\n",
        "4000\r\n" + std::string(0x4000, 'x') + "\r\n");
    CHttpDownloader downloader(kAgent);
    CHttpDownloader::Timeouts timeouts;
    timeouts.total = 8s;
    downloader.SetTimeouts(timeouts);
    Completions seen;
    const auto start = std::chrono::steady_clock::now();
    EXPECT_EQ(Fetch(downloader, server.Url("/old"), seen),
              "The document is larger than 1048576 bytes");
    EXPECT_LT(std::chrono::steady_clock::now() - start, 3s);
    EXPECT_TRUE(seen.lastFailed);
    EXPECT_LT(server.BodyBytesSent(), 16ll << 20);
}

// Header lines without end are bounded too (by libcurl itself).
TEST(HttpDownloaderTest, EndlessHeadersFailTheDownload) {
    std::string lines;
    while (lines.size() < 16384) lines += "X-Filler: " + std::string(40, 'x') + "\r\n";
    FloodServer server("HTTP/1.1 200 OK\r\n", lines);  // never the blank line
    CHttpDownloader downloader(kAgent);
    CHttpDownloader::Timeouts timeouts;
    timeouts.total = 8s;
    downloader.SetTimeouts(timeouts);
    Completions seen;
    const auto start = std::chrono::steady_clock::now();
    const std::string error = Fetch(downloader, server.Url("/"), seen);
    EXPECT_LT(std::chrono::steady_clock::now() - start, 3s) << error;
    EXPECT_TRUE(seen.lastFailed);
}

// The directory and the catalogue may be fetched over HTTPS: a server whose certificate no
// authority on the machine vouches for is refused before anything is asked of it.
TEST(HttpDownloaderTest, AnHttpsServerNobodyVouchesForIsRefusedBeforeItIsAsked) {
    QTemporaryDir folder;
    ASSERT_TRUE(folder.isValid());
    const std::string path = folder.path().toStdString();
    ASSERT_TRUE(WriteSelfSignedCertificate(path));
    httplib::SSLServer server((path + "/cert.pem").c_str(), (path + "/key.pem").c_str());
    ASSERT_TRUE(server.is_valid());
    std::atomic<int> asked{0};
    server.Get("/catalogue.xml", [&asked](const httplib::Request&, httplib::Response& res) {
        ++asked;
        res.set_content("<stations/>", "text/xml");
    });
    const int port = server.bind_to_any_port("127.0.0.1");
    ASSERT_GT(port, 0);
    std::thread serving([&server] { server.listen_after_bind(); });

    CHttpDownloader downloader(kAgent);
    Completions seen;
    const std::string result =
        Fetch(downloader, "https://127.0.0.1:" + std::to_string(port) + "/catalogue.xml", seen);
    server.stop();
    serving.join();

    EXPECT_TRUE(seen.lastFailed);
    EXPECT_NE(result.find("certificate"), std::string::npos) << result;
    EXPECT_EQ(asked.load(), 0);
}
