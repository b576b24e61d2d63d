#include "catalogue/HttpDownloader.h"
#include "tests/support/HttpTestServer.h"

#include <gtest/gtest.h>

#include <chrono>
#include <memory>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

using namespace std::chrono_literals;
using testsupport::HttpTestServer;

namespace {

constexpr const char* kAgent = "User-Agent: Torvane/1.0 (www.torvane.com)";

// What the completion function saw, written on the worker thread.
struct Completions {
    CHttpDownloader::Completion Record() {
        return [this](const std::string& address, bool failed, void* context) {
            std::lock_guard lock(mutex);
            ++calls;
            lastAddress = address;
            lastFailed = failed;
            lastContext = context;
            thread = std::this_thread::get_id();
        };
    }
    int Calls() {
        std::lock_guard lock(mutex);
        return calls;
    }

    std::mutex mutex;
    int calls = 0;
    std::string lastAddress;
    bool lastFailed = false;
    void* lastContext = nullptr;
    std::thread::id thread;
};

// One whole download: start, wait for the worker, fetch the result.
std::string Fetch(CHttpDownloader& downloader, const std::string& address, Completions& seen) {
    EXPECT_TRUE(downloader.Start(address, seen.Record(), &seen));
    downloader.Wait();
    std::string bytes;
    EXPECT_TRUE(downloader.GetResult(address, bytes));
    return bytes;
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
    EXPECT_EQ(seen.lastAddress, address);
    EXPECT_EQ(seen.lastContext, &seen);
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
    EXPECT_EQ(downloader.GetLastError(), "HttpQueryInfo returned [404]");

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
    ASSERT_TRUE(downloader->Start(server.Url("/endless"), seen.Record(), &seen));
    ASSERT_TRUE(WaitFor([&] { return sent >= 3; }));
    // Only one download at a time.
    EXPECT_FALSE(downloader->Start(server.Url("/other"), seen.Record(), &seen));
    EXPECT_FALSE(downloader->GetLastError().empty());

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
    ASSERT_TRUE(downloader.Start(server.Url("/silent"), seen.Record(), &seen));
    std::this_thread::sleep_for(300ms);
    const auto start = std::chrono::steady_clock::now();
    downloader.Stop();
    EXPECT_LT(std::chrono::steady_clock::now() - start, 500ms);
    EXPECT_EQ(seen.Calls(), 0);
    EXPECT_FALSE(downloader.Start(server.Url("/silent"), seen.Record(), &seen));
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

TEST(HttpDownloaderTest, ErrorTextsAreReadableAndBounded) {
    EXPECT_EQ(CHttpDownloader::GetErrorText(7, "Failed to connect\r\nto host"),
              "Couldn't connect to server: Failed to connect  to host");
    EXPECT_EQ(CHttpDownloader::GetErrorText(7, std::string(2000, 'e')).size(),
              CHttpDownloader::kMaxErrorText);

    // A refused connection names its reason.
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
