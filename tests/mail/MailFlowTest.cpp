// The whole "send me to a friend" flow against stand-ins for the desktop's helpers.
#include "mail/MailFlow.h"

#include "MailTestSupport.h"
#include "mail/MapiMail.h"
#include "mail/ProgressWnd.h"
#include "tests/support/MailStandIns.h"
#include "ui/Translator.h"

#include <gtest/gtest.h>
#include <QElapsedTimer>
#include <QFile>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QSignalSpy>
#include <QTest>
#include <QTextEdit>

using mail::MailFlow;
using testing_mail::DialogWatcher;
using testing_mail::MailTestEnvironment;
using testing_mail::StandInTools;
using Strings = std::vector<std::string>;

namespace {

const std::string kNoClientWarning =
    "Es ist kein Emailprogramm installiert oder es ist nicht richtig konfiguriert :(";

// A desktop with a registered mail client whose xdg-email ends with `then`.
void AddMailClient(StandInTools& tools, const std::string& then = "exit 0") {
    tools.Add("xdg-mime", "printf 'thunderbird.desktop\\n'");
    tools.AddRecorder("xdg-email", then);
}

void Fill(mail::CSendMailDlg& dialog, const QString& recipients, const QString& subject,
          const QString& message) {
    dialog.RecipientsEdit()->setText(recipients);
    dialog.SubjectEdit()->setText(subject);
    dialog.MessageEdit()->setPlainText(message);
    dialog.SendButton()->click();
}

// Records each caption change of the progress window with the status shown at that moment.
struct ProgressLog {
    void Follow(mail::CProgressWnd* progress) {
        ASSERT_NE(progress, nullptr);
        QObject::connect(progress, &QWidget::windowTitleChanged, progress,
                         [this, progress](const QString& title) {
                             steps.push_back(title.toStdString() + " | " +
                                             progress->StatusLabel()->text().toStdString());
                         });
    }
    Strings steps;
};

}  // namespace

TEST(MailFlowTest, TextsReachXdgEmailAsSeparateArgumentsAndNothingIsExecuted) {
    MailTestEnvironment environment("de_DE.UTF-8");
    StandInTools tools;
    AddMailClient(tools);
    const std::string canary = tools.Path("executed");
    const QString recipients = QStringLiteral("o'neil@x.de,$(id)@y.de;`id`@z.de; \"q\\\"t\"@w.de");
    const QString subject = QString::fromStdString("It's \"fine\" $(touch " + canary + ") `touch " +
                                                   canary + "`; exit 1 & | >x");
    const QString message = QString::fromStdString("Hör mal!\n$(touch " + canary + ")\n`touch " +
                                                   canary + "`; rm -rf x\n'quote' \"dq\" C:\\new");

    ui::CTranslator translator;
    MailFlow flow(nullptr, translator);
    flow.SetMessagePresenter(environment.Presenter());
    QSignalSpy handled(&flow, &MailFlow::ResultHandled);
    DialogWatcher watcher(
        [&](mail::CSendMailDlg& dialog) { Fill(dialog, recipients, subject, message); });
    flow.OnSendCommand();
    ASSERT_TRUE(watcher.Seen());
    ASSERT_NE(flow.Progress(), nullptr);
    EXPECT_EQ(flow.Progress()->windowTitle(), QStringLiteral("Verschicke Buddybox [10%]"));
    EXPECT_EQ(flow.Progress()->StatusLabel()->text(),
              QStringLiteral("Initialisiere E-Mail Versandt..."));
    ProgressLog log;
    log.Follow(flow.Progress());
    ASSERT_TRUE(handled.wait(10000));
    EXPECT_EQ(handled.at(0).at(0).toInt(), 0);

    EXPECT_EQ(log.steps, (Strings{"Verschicke Buddybox [80%] | Beginne mit E-Mailversand…",
                                  "Verschicke Buddybox [100%] | Fertig !"}));
    EXPECT_EQ(tools.Arguments("xdg-email"),
              (Strings{"--utf8", "--subject", subject.toStdString(), "--body",
                       message.toStdString() + mail::MailTrailer(), "o'neil@x.de", "$(id)@y.de",
                       "`id`@z.de", "\"q\\\"t\"@w.de"}));
    EXPECT_FALSE(QFile::exists(QString::fromStdString(canary)));
    EXPECT_FALSE(tools.WasCalled("xdg-open"));
    EXPECT_EQ(flow.Progress(), nullptr);
    EXPECT_FALSE(flow.IsSendUnderWay());
    EXPECT_TRUE(environment.messages.empty());
}

// Owned by the radio's window, the progress window stands above a radio that stays on top.
TEST(MailFlowTest, ProgressWindowBelongsToTheRadioWindow) {
    MailTestEnvironment environment("en_US.UTF-8");
    StandInTools tools;
    AddMailClient(tools);
    QWidget radio(nullptr, Qt::Window | Qt::WindowStaysOnTopHint);
    radio.show();
    ui::CTranslator translator;
    MailFlow flow(&radio, translator);
    QSignalSpy handled(&flow, &MailFlow::ResultHandled);
    DialogWatcher watcher(
        [&](mail::CSendMailDlg& dialog) { Fill(dialog, "a@b.de", "Hi", "Listen"); });
    flow.OnSendCommand();
    ASSERT_TRUE(watcher.Seen());
    ASSERT_NE(flow.Progress(), nullptr);
    EXPECT_EQ(flow.Progress()->parentWidget(), &radio);
    EXPECT_TRUE(flow.Progress()->isWindow());
    EXPECT_TRUE(flow.Progress()->isVisible());
    ASSERT_TRUE(handled.wait(10000));
    EXPECT_EQ(flow.Progress(), nullptr);
}

TEST(MailFlowTest, EnglishProgressTextsAndTheListEndingAtAnEmptyField) {
    MailTestEnvironment environment("en_US.UTF-8");
    StandInTools tools;
    AddMailClient(tools);
    ui::CTranslator translator;
    MailFlow flow(nullptr, translator);
    QSignalSpy handled(&flow, &MailFlow::ResultHandled);
    DialogWatcher watcher([](mail::CSendMailDlg& dialog) {
        Fill(dialog, QStringLiteral("anna@x.de;;ben@y.de"), QStringLiteral("Tunelink"), QString());
    });
    flow.OnSendCommand();
    ASSERT_NE(flow.Progress(), nullptr);
    EXPECT_EQ(flow.Progress()->windowTitle(), QStringLiteral("Send Buddybox [10%]"));
    ProgressLog log;
    log.Follow(flow.Progress());
    ASSERT_TRUE(handled.wait(10000));
    EXPECT_EQ(log.steps, (Strings{"Send Buddybox [80%] | Start sending mail...",
                                  "Send Buddybox [100%] | Done !"}));
    const Strings args = tools.Arguments("xdg-email");
    ASSERT_FALSE(args.empty());
    EXPECT_EQ(args.back(), "anna@x.de");
    EXPECT_EQ(std::count(args.begin(), args.end(), "ben@y.de"), 0);
}

TEST(MailFlowTest, FailedHandOverOpensMailtoWithWhatTheUserTyped) {
    MailTestEnvironment environment;
    StandInTools tools;
    AddMailClient(tools, "exit 4");
    tools.AddRecorder("xdg-open");
    ui::CTranslator translator;
    MailFlow flow(nullptr, translator);
    flow.SetMessagePresenter(environment.Presenter());
    QSignalSpy handled(&flow, &MailFlow::ResultHandled);
    QSignalSpy opened(&flow, &MailFlow::FallbackFinished);
    DialogWatcher watcher([](mail::CSendMailDlg& dialog) {
        Fill(dialog, QStringLiteral("anna@x.de, ben@y.de"), QStringLiteral("Gute Musik"),
             QStringLiteral("Hör mal!"));
    });
    flow.OnSendCommand();
    ASSERT_TRUE(handled.wait(10000));
    EXPECT_NE(handled.at(0).at(0).toInt(), 0);
    ASSERT_TRUE(opened.count() > 0 || opened.wait(10000));
    EXPECT_TRUE(opened.at(0).at(0).toBool());

    const Strings args = tools.Arguments("xdg-open");
    ASSERT_EQ(args.size(), 1u);
    EXPECT_EQ(args[0].rfind("mailto:anna@x.de,ben@y.de?subject=Gute%20Musik&body=H%C3%B6r%20mal%21"
                            "%0D%0A%0D%0A%0D%0A---------------%0D%0A",
                            0),
              0u)
        << args[0];
    EXPECT_TRUE(args[0].ends_with("Viel%20Spa%C3%9F%20damit%21")) << args[0];
    EXPECT_TRUE(environment.messages.empty());
    EXPECT_EQ(flow.Progress(), nullptr);
}

TEST(MailFlowTest, WithoutMailClientTheMailtoAddressOpensAtOnceWithoutTheDialog) {
    MailTestEnvironment environment;
    StandInTools tools;
    tools.Add("xdg-mime", "exit 0");  // no handler for mailto
    tools.AddRecorder("xdg-email");
    tools.AddRecorder("xdg-open");
    ui::CTranslator translator;
    MailFlow flow(nullptr, translator);
    flow.SetMessagePresenter(environment.Presenter());
    QSignalSpy opened(&flow, &MailFlow::FallbackFinished);
    DialogWatcher watcher([](mail::CSendMailDlg& dialog) { dialog.reject(); });
    flow.OnSendCommand();
    EXPECT_FALSE(watcher.Seen());
    ASSERT_TRUE(opened.wait(10000));
    EXPECT_EQ(tools.Arguments("xdg-open"), Strings{"mailto:?subject=Tunelink"});
    EXPECT_FALSE(tools.WasCalled("xdg-email"));
    EXPECT_TRUE(environment.messages.empty());
}

TEST(MailFlowTest, NoMailHandlerAtAllShowsTheWarning) {
    MailTestEnvironment environment;
    StandInTools tools;  // nothing on PATH
    ui::CTranslator translator;
    MailFlow flow(nullptr, translator);
    flow.SetMessagePresenter(environment.Presenter());
    QSignalSpy opened(&flow, &MailFlow::FallbackFinished);
    DialogWatcher watcher([](mail::CSendMailDlg& dialog) { dialog.reject(); });
    flow.OnSendCommand();
    ASSERT_TRUE(opened.wait(10000));
    EXPECT_FALSE(watcher.Seen());
    EXPECT_FALSE(opened.at(0).at(0).toBool());
    ASSERT_EQ(environment.messages.size(), 1u);
    EXPECT_EQ(environment.messages[0].text, kNoClientWarning);
    EXPECT_EQ(environment.messages[0].caption, "Warnung");
    EXPECT_EQ(environment.messages[0].icon, util::MessageIcon::Warning);
}

TEST(MailFlowTest, FailingOpenerAfterAFailedHandOverShowsTheWarning) {
    MailTestEnvironment environment;
    StandInTools tools;
    AddMailClient(tools, "exit 3");
    tools.AddRecorder("xdg-open", "exit 3");
    ui::CTranslator translator;
    MailFlow flow(nullptr, translator);
    flow.SetMessagePresenter(environment.Presenter());
    QSignalSpy opened(&flow, &MailFlow::FallbackFinished);
    DialogWatcher watcher([](mail::CSendMailDlg& dialog) {
        Fill(dialog, QStringLiteral("anna@x.de"), QStringLiteral("s"), QStringLiteral("m"));
    });
    flow.OnSendCommand();
    ASSERT_TRUE(opened.wait(10000));
    EXPECT_TRUE(tools.WasCalled("xdg-open"));
    ASSERT_EQ(environment.messages.size(), 1u);
    EXPECT_EQ(environment.messages[0].text, kNoClientWarning);
}

TEST(MailFlowTest, CancelSendsNothing) {
    MailTestEnvironment environment;
    StandInTools tools;
    AddMailClient(tools);
    tools.AddRecorder("xdg-open");
    ui::CTranslator translator;
    MailFlow flow(nullptr, translator);
    QSignalSpy handled(&flow, &MailFlow::ResultHandled);
    DialogWatcher watcher([](mail::CSendMailDlg& dialog) {
        dialog.RecipientsEdit()->setText(QStringLiteral("anna@x.de"));
        QTest::keyClick(&dialog, Qt::Key_Escape);
    });
    flow.OnSendCommand();
    EXPECT_TRUE(watcher.Seen());
    EXPECT_FALSE(flow.IsSendUnderWay());
    EXPECT_EQ(flow.Progress(), nullptr);
    QTest::qWait(200);
    EXPECT_EQ(handled.count(), 0);
    EXPECT_FALSE(tools.WasCalled("xdg-email"));
    EXPECT_FALSE(tools.WasCalled("xdg-open"));
}

TEST(MailFlowTest, CommandIsIgnoredWhileASendIsUnderWayAndClosingDoesNotWaitForTheClient) {
    MailTestEnvironment environment;
    StandInTools tools;
    AddMailClient(tools, "/bin/sleep 5");  // the mail client keeps xdg-email busy
    ui::CTranslator translator;
    auto flow = std::make_unique<MailFlow>(nullptr, translator);
    {
        DialogWatcher watcher([](mail::CSendMailDlg& dialog) {
            Fill(dialog, QStringLiteral("anna@x.de"), QStringLiteral("s"), QStringLiteral("m"));
        });
        flow->OnSendCommand();
    }
    ASSERT_TRUE(flow->IsSendUnderWay());
    ASSERT_TRUE(QTest::qWaitFor([&] { return tools.WasCalled("xdg-email"); }, 5000));
    {
        DialogWatcher again([](mail::CSendMailDlg& dialog) { dialog.reject(); });
        flow->OnSendCommand();
        QTest::qWait(50);
        EXPECT_FALSE(again.Seen());
    }
    QSignalSpy handled(flow.get(), &MailFlow::ResultHandled);
    QElapsedTimer timer;
    timer.start();
    flow.reset();  // the radio window closes
    EXPECT_LT(timer.elapsed(), 2000);
    EXPECT_EQ(handled.count(), 0);
}

TEST(MailFlowTest, ClosingWhileTheWorkerWaitsForThisThreadDoesNotHang) {
    MailTestEnvironment environment;
    StandInTools tools;
    AddMailClient(tools);
    ui::CTranslator translator;
    auto flow = std::make_unique<MailFlow>(nullptr, translator);
    {
        DialogWatcher watcher([](mail::CSendMailDlg& dialog) {
            Fill(dialog, QStringLiteral("anna@x.de"), QStringLiteral("s"), QStringLiteral("m"));
        });
        flow->OnSendCommand();
    }
    ASSERT_TRUE(flow->IsSendUnderWay());
    // No event loop runs here: the worker is soon blocked reporting its first step.
    QThread::msleep(300);
    QElapsedTimer timer;
    timer.start();
    flow.reset();
    EXPECT_LT(timer.elapsed(), 2000);
}
