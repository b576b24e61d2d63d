#include "mail/SendMailDlg.h"
#include "tests/support/LocaleScope.h"

#include "MailTestSupport.h"
#include "ui/Translator.h"

#include <gtest/gtest.h>
#include <QDir>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QTest>
#include <QTextCursor>
#include <QTextEdit>

using testing_mail::DialogWatcher;
using testing_mail::MailTestEnvironment;

namespace {

// Shows the dialog modelessly: enough for the rules, which do not need its loop.
struct ShownDialog {
    ShownDialog() {
        dialog.SetSubject("Tunelink");
        dialog.show();
    }
    mail::CSendMailDlg dialog;
};

}  // namespace

TEST(SendMailDlgTest, SendButtonFollowsTheAtSignAndFullStop) {
    ShownDialog shown;
    mail::CSendMailDlg& dialog = shown.dialog;
    EXPECT_FALSE(dialog.SendButton()->isEnabled());
    QTest::keyClicks(dialog.RecipientsEdit(), "anna@x");
    EXPECT_FALSE(dialog.SendButton()->isEnabled());
    QTest::keyClicks(dialog.RecipientsEdit(), ".de");
    EXPECT_TRUE(dialog.SendButton()->isEnabled());
    dialog.RecipientsEdit()->clear();
    EXPECT_FALSE(dialog.SendButton()->isEnabled());
    QTest::keyClicks(dialog.RecipientsEdit(), ".anna@x");  // the full stop may come first
    EXPECT_TRUE(dialog.SendButton()->isEnabled());
}

TEST(SendMailDlgTest, LongerInputCannotBeEntered) {
    ShownDialog shown;
    mail::CSendMailDlg& dialog = shown.dialog;
    dialog.SubjectEdit()->clear();
    QTest::keyClicks(dialog.SubjectEdit(), QString(151, QLatin1Char('s')));
    EXPECT_EQ(dialog.SubjectEdit()->text().size(), 150);
    QTest::keyClicks(dialog.RecipientsEdit(), QString(251, QLatin1Char('r')));
    EXPECT_EQ(dialog.RecipientsEdit()->text().size(), 250);

    QTextEdit* message = dialog.MessageEdit();
    QTest::keyClicks(message, QString(499, QLatin1Char('m')));
    QTest::keyClicks(message, QStringLiteral("xyz"));
    EXPECT_EQ(message->toPlainText(), QString(499, QLatin1Char('m')) + QLatin1Char('x'));
    // Pasting into the middle keeps what was there and takes only what fits.
    message->setPlainText(QString(495, QLatin1Char('m')));
    QTextCursor cursor = message->textCursor();
    cursor.setPosition(10);
    message->setTextCursor(cursor);
    message->insertPlainText(QStringLiteral("0123456789"));
    EXPECT_EQ(message->toPlainText(), QString(10, QLatin1Char('m')) + QStringLiteral("01234") +
                                          QString(485, QLatin1Char('m')));
}

TEST(SendMailDlgTest, SendTurnsCommasIntoSemicolonsAndReturnsOne) {
    MailTestEnvironment environment;
    mail::CSendMailDlg dialog;
    dialog.SetMessagePresenter(environment.Presenter());
    dialog.SetSubject("Tunelink");
    QString shownSubject;
    DialogWatcher watcher([&shownSubject](mail::CSendMailDlg& d) {
        shownSubject = d.SubjectEdit()->text();
        QTest::keyClicks(d.RecipientsEdit(), "anna@x.de,ben@y.de");
        d.MessageEdit()->setPlainText(QStringLiteral("Hör mal!\nZweite Zeile"));
        d.SendButton()->click();
    });
    EXPECT_EQ(dialog.DoModal(), mail::CSendMailDlg::kIdOk);
    EXPECT_EQ(shownSubject, QStringLiteral("Tunelink"));
    EXPECT_EQ(dialog.Recipients(), "anna@x.de;ben@y.de");
    EXPECT_EQ(dialog.Subject(), "Tunelink");
    EXPECT_EQ(dialog.Message(), "Hör mal!\nZweite Zeile");
    EXPECT_TRUE(environment.messages.empty());
}

TEST(SendMailDlgTest, UnsafeRecipientIsRefusedAndTheDialogStaysOpen) {
    MailTestEnvironment environment;
    mail::CSendMailDlg dialog;
    dialog.SetMessagePresenter(environment.Presenter());
    bool stillOpen = false;
    DialogWatcher watcher([&stillOpen](mail::CSendMailDlg& d) {
        d.RecipientsEdit()->setText(QStringLiteral("anna@x.de,--attach=/home/me/.ssh/id_rsa"));
        d.SendButton()->click();
        stillOpen = d.isVisible() && d.result() != QDialog::Accepted;
        QTest::keyClick(&d, Qt::Key_Escape);
    });
    EXPECT_EQ(dialog.DoModal(), mail::CSendMailDlg::kIdCancel);
    EXPECT_TRUE(stillOpen);
    ASSERT_EQ(environment.messages.size(), 1u);
    EXPECT_EQ(environment.messages[0].caption, "Warnung");
    EXPECT_NE(environment.messages[0].text.find("--attach=/home/me/.ssh/id_rsa"),
              std::string::npos);
}

TEST(SendMailDlgTest, CancelButtonReturnsTwo) {
    mail::CSendMailDlg dialog;
    DialogWatcher watcher([](mail::CSendMailDlg& d) {
        d.RecipientsEdit()->setText(QStringLiteral("anna@x.de"));
        d.findChildren<QPushButton*>().last()->click();  // "&Abbrechen"
    });
    EXPECT_EQ(dialog.DoModal(), mail::CSendMailDlg::kIdCancel);
}

TEST(SendMailDlgTest, LooksLikeTheTemplateAndShowsTheHintOfTheTranslatorTable) {
    testsupport::LocaleScope german(testsupport::kGerman);
    ShownDialog shown;
    mail::CSendMailDlg& dialog = shown.dialog;
    EXPECT_EQ(dialog.windowTitle(), QStringLiteral("Schick mich weiter..."));
    const QString english = QString::fromUtf8(ui::CTranslator::kRecipientsHint);
    const QString examples = english.mid(english.indexOf(QStringLiteral("\r\n")) + 2);
    int hints = 0;
    for (const QLabel* label : dialog.findChildren<QLabel*>()) {
        if (label->text().startsWith(QStringLiteral("Mehrfachempfänger"))) {
            ++hints;
            EXPECT_TRUE(label->text().endsWith(QLatin1Char('\n') + examples))
                << label->text().toStdString();
        }
    }
    EXPECT_EQ(hints, 1);
    // Every control lies inside the dialog, the edits one above the other.
    for (const QWidget* child : dialog.findChildren<QWidget*>(Qt::FindDirectChildrenOnly))
        EXPECT_TRUE(dialog.rect().contains(child->geometry())) << child->metaObject()->className();
    EXPECT_LT(dialog.RecipientsEdit()->geometry().bottom(), dialog.SubjectEdit()->geometry().top());
    EXPECT_LT(dialog.SubjectEdit()->geometry().bottom(), dialog.MessageEdit()->geometry().top());

    // A picture for the documentation when asked for.
    const QByteArray shot = qgetenv("TUNELINK_MAIL_SCREENSHOT");
    if (!shot.isEmpty()) {
        QTest::keyClicks(dialog.RecipientsEdit(), "anna@example.org; ben@example.org");
        dialog.MessageEdit()->setPlainText(
            QStringLiteral("Hallo ihr beiden,\nhört euch mal dieses Radio an!"));
        EXPECT_TRUE(dialog.grab().save(QString::fromLocal8Bit(shot)));
    }
}
