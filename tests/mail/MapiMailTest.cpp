#include "mail/IMapiThread.h"
#include "mail/MapiMail.h"
#include "tests/support/LocaleScope.h"

#include "MailTestSupport.h"
#include "mail/ProgressWnd.h"
#include "platform/shell/MailClient.h"
#include "ui/Translator.h"

#include <gtest/gtest.h>
#include <QElapsedTimer>
#include <QLabel>
#include <QTest>
#include <mutex>

using testing_mail::MailTestEnvironment;

namespace {

class RecordingClient : public platform::shell::MailClient {
  public:
    explicit RecordingClient(int answer) : answer_(answer) {}
    bool IsAvailable() override { return true; }
    util::Status SendMail(const platform::shell::MailRequest& request,
                          const std::atomic<bool>&) override {
        std::lock_guard lock(mutex);
        requests.push_back(request);
        if (answer_ == platform::shell::mapi::kSuccess)
            return {};
        return util::Error{"refused", answer_};
    }
    void OpenAddress(const std::string&, std::function<void(bool)>) override {}

    std::mutex mutex;
    std::vector<platform::shell::MailRequest> requests;

  private:
    int answer_;
};

}  // namespace

TEST(MapiMailTest, TrailerEndsTheNoteWithTheExactAdvertisingLines) {
    testsupport::LocaleScope german(testsupport::kGerman);
    const std::string trailer = mail::MailTrailer();
    const std::string start =
        "\n\n\n---------------\nSolvista Orbifon ist ein Screenmate exklusiv entwickelt für\n\n\t";
    EXPECT_EQ(trailer.rfind(start, 0), 0u);
    const std::string end =
        "\n\nBesuchen Sie bitte unsere Webseite.\n"
        "Dort können Sie den Solvista Orbifon downloaden.\n\nViel Spaß damit!";
    ASSERT_GE(trailer.size(), end.size());
    EXPECT_EQ(trailer.substr(trailer.size() - end.size()), end);
    // Between them one line: the web site after a tab.
    ASSERT_GT(trailer.size(), start.size() + end.size());
    const std::string site =
        trailer.substr(start.size(), trailer.size() - end.size() - start.size());
    EXPECT_EQ(site.find_first_of("\n\t "), std::string::npos) << site;
    EXPECT_EQ(site.rfind("https://", 0), 0u);
}

TEST(MapiMailTest, MessageRecordHoldsToRecipientsOriginatorAndNoAttachment) {
    testsupport::LocaleScope english(testsupport::kEnglish);
    RecordingClient client(0);
    ui::CTranslator translator;
    mail::CMapiMail mail(client, translator, ui::CTranslator::kEnglish);
    EXPECT_TRUE(mail.AddRecipient("anna@x.de"));
    mail.SetOriginatorName("tunelink@torvane.com");
    mail.SetSubject("Tunelink");
    mail.SetNoteText("Hallo" + mail::MailTrailer());
    EXPECT_EQ(mail.TakeError(), 0);
    const std::atomic<bool> noStop{false};
    EXPECT_EQ(mail.Send(0, noStop), 0);

    const mail::MapiMessage& message = mail.Message();
    ASSERT_EQ(message.recips.size(), 1u);
    EXPECT_EQ(message.recips[0].recipClass, mail::kMapiTo);
    EXPECT_EQ(message.recips[0].name, "anna@x.de");
    EXPECT_TRUE(message.recips[0].address.empty());
    EXPECT_EQ(message.originator.name, "tunelink@torvane.com");
    EXPECT_TRUE(message.originator.address.empty());
    EXPECT_TRUE(message.files.empty());
    EXPECT_EQ(message.flags, 0u);

    ASSERT_EQ(client.requests.size(), 1u);
    EXPECT_EQ(client.requests[0].recipients, std::vector<std::string>{"anna@x.de"});
    EXPECT_EQ(client.requests[0].subject, "Tunelink");
    const std::string& body = client.requests[0].body;
    EXPECT_EQ(body.rfind("Hallo\n\n\n", 0), 0u);
    EXPECT_TRUE(body.ends_with("\nHave fun with it!")) << "the mail is in the sender's language";
}

TEST(MapiMailTest, WorkerReportsItsStepsThenTheResultLast) {
    MailTestEnvironment environment;
    RecordingClient client(17);
    ui::CTranslator translator;
    mail::CProgressWnd progress(nullptr, "Verschicke Buddybox", false, false);
    mail::CIMapiThread worker(client, translator, ui::CTranslator::kGerman);
    std::mutex mutex;
    std::vector<std::string> events;
    worker.Mail().AttachProgress(&progress, nullptr, [&](const std::string& text, int percent) {
        std::lock_guard lock(mutex);
        events.push_back(text + " " + std::to_string(percent));
    });
    EXPECT_EQ(progress.StatusLabel()->text(), QStringLiteral("Initialisiere E-Mail Versandt..."));
    EXPECT_EQ(progress.windowTitle(), QStringLiteral("Verschicke Buddybox [10%]"));
    worker.Mail().AddRecipient("anna@x.de");
    worker.SetResultReceiver([&](int result) {
        std::lock_guard lock(mutex);
        events.push_back("result " + std::to_string(result));
    });
    worker.start();
    ASSERT_TRUE(worker.wait(5000));
    EXPECT_EQ(events, (std::vector<std::string>{"Beginne mit E-Mailversand… 80", "Fertig ! 100",
                                                "result 17"}));
}

TEST(MapiMailTest, StopEndsTheClosingPause) {
    MailTestEnvironment environment;
    RecordingClient client(0);
    ui::CTranslator translator;
    mail::CIMapiThread worker(client, translator, ui::CTranslator::kEnglish);
    mail::CProgressWnd progress(nullptr, "x", false, false);
    std::atomic<int> reports{0};
    worker.Mail().AttachProgress(&progress, nullptr, [&](const std::string&, int) { ++reports; });
    // Stopped before it starts, the worker still reports every step but does not linger
    // for the half second it otherwise leaves the finished progress on screen.
    worker.RequestStop();
    QElapsedTimer timer;
    timer.start();
    worker.start();
    ASSERT_TRUE(worker.wait(5000));
    EXPECT_LT(timer.elapsed(), 450);
    EXPECT_EQ(reports.load(), 2);
    EXPECT_EQ(client.requests.size(), 1u);
}
