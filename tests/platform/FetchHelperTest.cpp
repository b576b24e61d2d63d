// The radio's side of the download helper: what crosses between them, and a helper that is
// missing, stuck or talks nonsense. The transfers themselves are tested through the
// downloader and the playlist reads, against local servers.

#include "platform/fetch/FetchHelper.h"
#include "platform/fetch/FetchWire.h"
#include "platform/fetch/helper/CurlTransfers.h"

#include <gtest/gtest.h>
#include <QProcess>

#include <netinet/in.h>
#include <sys/socket.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cerrno>
#include <chrono>
#include <string>
#include <thread>

using namespace platform::fetch;

namespace {

FetchOrder FullOrder() {
    FetchOrder order;
    order.kind = FetchKind::Playlist;
    order.address = "http://127.0.0.1:8000/stream.pls?a=1&b=\xC3\xA4";
    order.agent = "Tunelink/1.0";
    order.userName = "listener";
    order.password = std::string("p\0ss", 4);
    order.maxBytes = 262144;
    order.connectMs = 5000;
    order.totalMs = 10000;
    order.lowSpeedSeconds = 30;
    order.lowSpeedBytes = 1;
    return order;
}

FetchAnswer FullAnswer() {
    FetchAnswer answer;
    answer.ok = true;
    answer.truncated = true;
    answer.curlCode = 23;
    answer.httpStatus = 200;
    answer.contentType = "audio/x-scpls";
    answer.effectiveAddress = "http://127.0.0.1:8000/moved.pls";
    answer.error = "cut short";
    answer.body = std::string("[playlist]\nFile1=http://a/\0b", 29);
    return answer;
}

// No child of this test is left, running or unreaped.
bool NoChildLeft() {
    int status = 0;
    return waitpid(-1, &status, WNOHANG) < 0 && errno == ECHILD;
}

// Accepts connections into its backlog and never answers them.
class SilentServer {
  public:
    SilentServer() {
        socket_ = ::socket(AF_INET, SOCK_STREAM, 0);
        sockaddr_in address{};
        address.sin_family = AF_INET;
        address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
        bind(socket_, reinterpret_cast<sockaddr*>(&address), sizeof address);
        listen(socket_, 4);
        socklen_t length = sizeof address;
        getsockname(socket_, reinterpret_cast<sockaddr*>(&address), &length);
        port_ = ntohs(address.sin_port);
    }
    ~SilentServer() { close(socket_); }
    std::string Url() const { return "http://127.0.0.1:" + std::to_string(port_) + "/"; }

  private:
    int socket_ = -1;
    int port_ = 0;
};

}  // namespace

TEST(FetchWire, OrdersAndAnswersCrossWhole) {
    const FetchOrder order = FullOrder();
    const auto bytes = EncodeOrder(order);
    ASSERT_TRUE(bytes);
    EXPECT_EQ(DecodeOrder(*bytes), order);

    const FetchAnswer answer = FullAnswer();
    EXPECT_EQ(DecodeAnswer(EncodeAnswer(answer), answer.body.size()), answer);
}

// Every cut, every extra byte and every length that overstates what follows is refused, as
// is a body above what the order allowed.
TEST(FetchWire, BrokenOrLongMessagesAreRefused) {
    const std::string order = *EncodeOrder(FullOrder());
    for (std::size_t cut = 0; cut < order.size(); ++cut)
        EXPECT_FALSE(DecodeOrder(order.substr(0, cut))) << cut;
    EXPECT_FALSE(DecodeOrder(order + "x"));
    std::string otherKind = order;
    otherKind[5] = 'X';
    EXPECT_FALSE(DecodeOrder(otherKind));
    std::string hugeAddress = order;
    hugeAddress[6 + 7] = '\x7f';  // the address's length, most significant byte
    EXPECT_FALSE(DecodeOrder(hugeAddress));

    FetchOrder tooLong = FullOrder();
    tooLong.address.assign(kMaxWireText + 1, 'a');
    EXPECT_FALSE(EncodeOrder(tooLong));

    const FetchAnswer full = FullAnswer();
    const std::string answer = EncodeAnswer(full);
    for (std::size_t cut = 0; cut < answer.size(); ++cut)
        EXPECT_FALSE(DecodeAnswer(answer.substr(0, cut), full.body.size())) << cut;
    EXPECT_FALSE(DecodeAnswer(answer + "x", full.body.size()));
    EXPECT_FALSE(DecodeAnswer(answer, full.body.size() - 1));
    std::string badFlag = answer;
    badFlag[5] = 2;
    EXPECT_FALSE(DecodeAnswer(badFlag, full.body.size()));

    // A text too long for the wire is cut, not refused: the answer still arrives.
    FetchAnswer wordy = full;
    wordy.error.assign(kMaxWireText + 100, 'e');
    const auto cut = DecodeAnswer(EncodeAnswer(wordy), full.body.size());
    ASSERT_TRUE(cut);
    EXPECT_EQ(cut->error.size(), kMaxWireText);
}

TEST(CurlTransfers, ErrorTextsAreReadableAndBounded) {
    EXPECT_EQ(CurlErrorText(7, "Failed to connect\r\nto host"),
              "Couldn't connect to server: Failed to connect  to host");
    EXPECT_EQ(CurlErrorText(7, std::string(2000, 'e')).size(), kMaxErrorText);
}

TEST(FetchHelper, TheBuiltHelperIsFound) {
    EXPECT_EQ(access(FetchHelperPath().c_str(), X_OK), 0) << FetchHelperPath();
}

TEST(FetchHelper, AMissingHelperIsNamedInTheError) {
    const std::atomic<bool> cancel{false};
    const auto answer = RunFetchHelper("/nonexistent/tunelink-fetch", FullOrder(), cancel);
    ASSERT_FALSE(answer);
    EXPECT_NE(answer.error().message.find("/nonexistent/tunelink-fetch"), std::string::npos)
        << answer.error().message;
    EXPECT_NE(answer.error().message.find("could not be started"), std::string::npos);
    EXPECT_TRUE(NoChildLeft());
}

// A program that answers with something else, or without end, is refused and ended; the
// radio never holds more than the order allows.
TEST(FetchHelper, AHelperThatTalksNonsenseIsRefusedAndEnded) {
    const std::atomic<bool> cancel{false};
    const auto echoed = RunFetchHelper("/bin/cat", FullOrder(), cancel);  // sends the order back
    ASSERT_FALSE(echoed);
    EXPECT_EQ(echoed.error().message, "The download helper's answer could not be read");
    EXPECT_TRUE(NoChildLeft());

    const auto start = std::chrono::steady_clock::now();
    const auto endless = RunFetchHelper("/usr/bin/yes", FullOrder(), cancel);
    ASSERT_FALSE(endless);
    EXPECT_EQ(endless.error().message, "The download helper's answer is longer than allowed");
    EXPECT_LT(std::chrono::steady_clock::now() - start, std::chrono::seconds(5));
    EXPECT_TRUE(NoChildLeft());

    const auto failing = RunFetchHelper("/bin/false", FullOrder(), cancel);
    ASSERT_FALSE(failing);
    EXPECT_NE(failing.error().message.find("exit status 1"), std::string::npos)
        << failing.error().message;
}

TEST(FetchHelper, TheHelperRefusesAnOrderItCannotRead) {
    QProcess helper;
    helper.start(QString::fromStdString(FetchHelperPath()), {});
    ASSERT_TRUE(helper.waitForStarted());
    helper.write("TLFA1 this is no order");
    helper.closeWriteChannel();
    ASSERT_TRUE(helper.waitForFinished(5000));
    EXPECT_EQ(helper.exitCode(), 2);
    EXPECT_TRUE(helper.readAllStandardOutput().isEmpty());
}

TEST(FetchHelper, TheHelperFetchesNothingButHttp) {
    const std::atomic<bool> cancel{false};
    for (FetchKind kind : {FetchKind::Document, FetchKind::Playlist}) {
        FetchOrder order = FullOrder();
        order.kind = kind;
        order.address = "file:///etc/hostname";
        const auto answer = RunFetchHelper(order, cancel);
        ASSERT_TRUE(answer) << answer.error().message;
        EXPECT_FALSE(answer->ok);
        EXPECT_TRUE(answer->body.empty());
        EXPECT_NE(answer->error.find("Unsupported protocol"), std::string::npos) << answer->error;
    }
}

// Stopping a transfer that waits on a silent server ends the helper at once, not at the
// server's time-out.
TEST(FetchHelper, CancellingEndsAWaitingHelperAtOnce) {
    SilentServer server;
    FetchOrder order = FullOrder();
    order.kind = FetchKind::Document;
    order.address = server.Url();
    order.totalMs = 60000;
    std::atomic<bool> cancel{false};
    std::thread canceller([&cancel] {
        std::this_thread::sleep_for(std::chrono::milliseconds(300));
        cancel = true;
    });
    const auto start = std::chrono::steady_clock::now();
    const auto answer = RunFetchHelper(order, cancel);
    const auto took = std::chrono::steady_clock::now() - start;
    canceller.join();
    ASSERT_FALSE(answer);
    EXPECT_EQ(answer.error().message, kCancelledText);
    EXPECT_LT(took, std::chrono::milliseconds(800));
    EXPECT_TRUE(NoChildLeft());
}
