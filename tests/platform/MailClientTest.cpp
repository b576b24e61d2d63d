#include "platform/shell/MailClient.h"
#include "platform/shell/Mailto.h"

#include "tests/support/MailStandIns.h"

#include <gtest/gtest.h>
#include <QElapsedTimer>
#include <QFileInfo>
#include <QStandardPaths>
#include <QTest>
#include <optional>

using platform::shell::BuildMailtoUrl;
using platform::shell::IsSafeRecipient;
using platform::shell::MailRequest;
using platform::shell::XdgMailClient;
using platform::shell::XdgTimeouts;
namespace mapi = platform::shell::mapi;
using testing_mail::StandInTools;
using namespace std::chrono_literals;

namespace {

XdgTimeouts ShortTimeouts() {
    return XdgTimeouts{300ms, 400ms, 300ms};
}

// The Simple MAPI code a send gave: kSuccess, or its failure's code.
int CodeOf(const util::Status& sent) {
    if (sent)
        return mapi::kSuccess;
    EXPECT_NE(sent.error().code, mapi::kSuccess) << sent.error();
    EXPECT_FALSE(sent.error().message.empty());
    return sent.error().code;
}

}  // namespace

TEST(MailtoTest, EncodesEveryPartAsRfc6068Asks) {
    EXPECT_EQ(BuildMailtoUrl({}, "Tunelink", ""), "mailto:?subject=Tunelink");
    EXPECT_EQ(BuildMailtoUrl({"a@x.de", "b.c@y.org"}, "", ""), "mailto:a@x.de,b.c@y.org");
    EXPECT_EQ(BuildMailtoUrl({"a@x.de"}, "Hör mal & sieh", "1?2%3#4\nZeile"),
              "mailto:a@x.de?subject=H%C3%B6r%20mal%20%26%20sieh"
              "&body=1%3F2%253%234%0D%0AZeile");
    // One address can never add header fields or a second address of its own.
    EXPECT_EQ(BuildMailtoUrl({"a@x.de?attach=/etc/passwd,b@y.de"}, "", ""),
              "mailto:a@x.de%3Fattach%3D%2Fetc%2Fpasswd%2Cb@y.de");
    EXPECT_EQ(BuildMailtoUrl({}, "", "a\r\nb\rc"), "mailto:?body=a%0D%0Ab%0D%0Ac");
}

TEST(MailClientTest, RefusesRecipientsTheScriptWouldMisread) {
    EXPECT_TRUE(IsSafeRecipient("anna@example.org"));
    EXPECT_TRUE(IsSafeRecipient("o'neil+radio@example.org"));
    EXPECT_TRUE(IsSafeRecipient("$(id)@example.org"));  // harmless as an argument
    for (const char* bad :
         {"", "-x@example.org", "--attach=/etc/passwd", "a b@example.org",
          "a@example.org?attach=/etc/passwd", "a@example.org&cc=x@y.z", "a\n@example.org",
          "a\t@example.org", "mailto:a@example.org", "MAILTO:a@example.org", "a\x7f@example.org"})
        EXPECT_FALSE(IsSafeRecipient(bad)) << bad;
}

TEST(MailClientTest, ArgumentVectorLeavesOutEmptyTexts) {
    using platform::shell::XdgEmailArguments;
    EXPECT_EQ(XdgEmailArguments({{"a@x.de"}, "", ""}),
              (std::vector<std::string>{"--utf8", "a@x.de"}));
    EXPECT_EQ(XdgEmailArguments({{"a@x.de", "b@y.de"}, "-s", "-b"}),
              (std::vector<std::string>{"--utf8", "--subject", "-s", "--body", "-b", "a@x.de",
                                        "b@y.de"}));
}

TEST(MailClientTest, AvailableNeedsXdgEmailAndAMailtoHandler) {
    {
        StandInTools tools;
        tools.AddRecorder("xdg-email");
        tools.Add("xdg-mime", "printf 'thunderbird.desktop\\n'");
        EXPECT_TRUE(XdgMailClient(ShortTimeouts()).IsAvailable());
    }
    {
        StandInTools tools;
        tools.AddRecorder("xdg-mime", "printf '\\n'");
        tools.AddRecorder("xdg-email");
        XdgMailClient client(ShortTimeouts());
        EXPECT_FALSE(client.IsAvailable());
        EXPECT_EQ(tools.Arguments("xdg-mime"),
                  (std::vector<std::string>{"query", "default", "x-scheme-handler/mailto"}));
    }
    {
        StandInTools tools;  // a handler, but no xdg-email
        tools.Add("xdg-mime", "printf 'thunderbird.desktop\\n'");
        EXPECT_FALSE(XdgMailClient(ShortTimeouts()).IsAvailable());
    }
    {
        StandInTools tools;  // a query that never answers is given up in bounded time
        tools.AddRecorder("xdg-email");
        tools.Add("xdg-mime", "/bin/sleep 5");
        QElapsedTimer timer;
        timer.start();
        EXPECT_FALSE(XdgMailClient(ShortTimeouts()).IsAvailable());
        EXPECT_LT(timer.elapsed(), 3000);
    }
}

TEST(MailClientTest, SendReportsTheScriptsAnswerAsSimpleMapiCode) {
    const std::atomic<bool> noStop{false};
    const MailRequest request{{"a@x.de"}, "Betreff", "Text"};
    const std::vector<std::pair<int, int>> exits = {{0, mapi::kSuccess},
                                                    {1, mapi::kInvalidMessage},
                                                    {3, mapi::kNotSupported},
                                                    {4, mapi::kFailure},
                                                    {5, mapi::kAccessDenied}};
    for (const auto& [exitCode, expected] : exits) {
        StandInTools tools;
        tools.AddRecorder("xdg-email", "exit " + std::to_string(exitCode));
        EXPECT_EQ(CodeOf(XdgMailClient(ShortTimeouts()).SendMail(request, noStop)), expected)
            << exitCode;
        EXPECT_EQ(tools.Arguments("xdg-email"),
                  (std::vector<std::string>{"--utf8", "--subject", "Betreff", "--body", "Text",
                                            "a@x.de"}));
    }
    StandInTools none;
    EXPECT_EQ(CodeOf(XdgMailClient(ShortTimeouts()).SendMail(request, noStop)),
              mapi::kNotSupported);
}

TEST(MailClientTest, SendNeverStartsTheScriptForAnUnsafeRecipient) {
    StandInTools tools;
    tools.AddRecorder("xdg-email");
    const std::atomic<bool> noStop{false};
    EXPECT_EQ(CodeOf(XdgMailClient(ShortTimeouts())
                         .SendMail({{"a@x.de", "--attach=/etc/passwd"}, "s", "b"}, noStop)),
              mapi::kInvalidRecips);
    EXPECT_FALSE(tools.WasCalled("xdg-email"));
}

TEST(MailClientTest, ClientStillRunningCountsAsHandedOverAndStopEndsTheWait) {
    StandInTools tools;
    // A mail client started in the script's foreground keeps it running.
    tools.AddRecorder("xdg-email", "/bin/sleep 5");
    const MailRequest request{{"a@x.de"}, "s", "b"};
    QElapsedTimer timer;
    timer.start();
    const std::atomic<bool> noStop{false};
    EXPECT_EQ(CodeOf(XdgMailClient(ShortTimeouts()).SendMail(request, noStop)), mapi::kSuccess);
    EXPECT_GE(timer.elapsed(), 350);

    XdgTimeouts longWait = ShortTimeouts();
    longWait.handOff = 60s;
    const std::atomic<bool> stop{true};
    timer.restart();
    EXPECT_EQ(CodeOf(XdgMailClient(longWait).SendMail(request, stop)), mapi::kUserAbort);
    EXPECT_LT(timer.elapsed(), 2000);
}

TEST(MailClientTest, OpenAddressReportsLaterWhetherTheOpenerManaged) {
    auto open = [](XdgMailClient& client, const std::string& url) {
        std::optional<bool> answer;
        client.OpenAddress(url, [&answer](bool opened) { answer = opened; });
        EXPECT_FALSE(answer.has_value()) << "answered inside the call";
        EXPECT_TRUE(QTest::qWaitFor([&] { return answer.has_value(); }, 5000));
        return answer.value_or(false);
    };
    {
        StandInTools tools;
        tools.AddRecorder("xdg-open");
        XdgMailClient client(ShortTimeouts());
        EXPECT_TRUE(open(client, "mailto:?subject=Tunelink"));
        EXPECT_EQ(tools.Arguments("xdg-open"),
                  (std::vector<std::string>{"mailto:?subject=Tunelink"}));
        EXPECT_FALSE(open(client, "http://example.org/"));  // mail addresses only
        EXPECT_FALSE(open(client, "mailto:a b@x.de"));
    }
    {
        StandInTools tools;
        tools.AddRecorder("xdg-open", "exit 3");
        XdgMailClient client(ShortTimeouts());
        EXPECT_FALSE(open(client, "mailto:a@x.de"));
    }
    {
        StandInTools tools;  // no opener at all
        XdgMailClient client(ShortTimeouts());
        EXPECT_FALSE(open(client, "mailto:a@x.de"));
    }
    {
        StandInTools tools;  // still running after the grace time: the handler is up
        tools.AddRecorder("xdg-open", "/bin/sleep 5");
        XdgMailClient client(ShortTimeouts());
        EXPECT_TRUE(open(client, "mailto:a@x.de"));
    }
}

TEST(MailClientTest, RealXdgEmailTurnsTheArgumentsIntoOneMailtoAddress) {
    const QString real = QStandardPaths::findExecutable(QStringLiteral("xdg-email"));
    if (real.isEmpty())
        GTEST_SKIP() << "xdg-email is not installed";
    StandInTools tools;
    // xdg-email hands its finished address to a hook on PATH instead of the desktop.
    tools.AddRecorder("xdg-email-hook.sh");
    qputenv("PATH",
            (tools.Path("bin") + ":" + QFileInfo(real).path().toStdString() + ":/usr/bin:/bin")
                .c_str());
    const std::atomic<bool> noStop{false};
    const MailRequest request{{"o'neil@x.de", "$(id)@y.de"},
                              "It's \"fine\" $(id) & ?",
                              "Hör mal!\n`id`; exit 1\nViel Spaß damit!"};
    EXPECT_EQ(CodeOf(XdgMailClient().SendMail(request, noStop)), mapi::kSuccess);
    EXPECT_EQ(tools.Arguments("xdg-email-hook.sh"),
              (std::vector<std::string>{
                  "mailto:o%27neil@x.de?subject=It%27s%20%22fine%22%20%24%28id%29%20%26%20%3F"
                  "&body=H%C3%B6r%20mal%21%0D%0A%60id%60%3B%20exit%201%0D%0A"
                  "Viel%20Spa%C3%9F%20damit%21&to=%24%28id%29@y.de"}));
}
