#include "mail/SendMailDlg.h"

#include "mail/Recipients.h"
#include "ui/DialogBuilder.h"
#include "ui/DialogTemplate.h"
#include "ui/Translator.h"

#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QTextCursor>
#include <QTextEdit>

namespace mail {

namespace {

// Removes what was just typed or pasted beyond `max` characters, so the text is never
// longer than that; the part before the cursor goes, as if it had never been entered.
void RefuseBeyond(QTextEdit& edit, int max) {
    const QString text = edit.toPlainText();
    const int excess = static_cast<int>(text.size()) - max;
    if (excess <= 0)
        return;
    QTextCursor cursor = edit.textCursor();
    int end = cursor.position();
    int begin = end - excess;
    if (begin < 0) {
        begin = max;
        end = static_cast<int>(text.size());
    }
    if (begin > 0 && text.at(begin).isLowSurrogate())
        --begin;  // never leave half a character behind
    cursor.setPosition(begin);
    cursor.setPosition(end, QTextCursor::KeepAnchor);
    cursor.removeSelectedText();
    edit.setTextCursor(cursor);
}

}  // namespace

CSendMailDlg::CSendMailDlg(QWidget* parent) : QDialog(parent) {
    BuildControls();
}

QString CSendMailDlg::RecipientsHint() {
    const QString english = QString::fromUtf8(ui::CTranslator::kRecipientsHint);
    const QString examples = english.mid(english.indexOf(QStringLiteral("\r\n")) + 2);
    return QString::fromStdString(ui::CTranslator::InUiLanguage(
               "Separate multiple recipients with a semicolon e.g.:")) +
           QStringLiteral("\n") + examples;
}

void CSendMailDlg::BuildControls() {
    const ui::DialogItems items = ui::BuildDialog(*this, ui::LoadDialogTemplate(105));
    recipientsEdit_ = items.ItemAs<QLineEdit>(kIdRecipients);
    subjectEdit_ = items.ItemAs<QLineEdit>(kIdSubject);
    messageEdit_ = items.ItemAs<QTextEdit>(kIdMessage);
    sendButton_ = items.ItemAs<QPushButton>(ui::kIdOk);
    if (!recipientsEdit_ || !subjectEdit_ || !messageEdit_ || !sendButton_)
        throw ui::DialogTemplateError("dialog template 105: a control of the mail is missing");

    // The hint's example addresses are those of the English hint, whatever the template says.
    for (QWidget* item : items.InOrder()) {
        auto* label = qobject_cast<QLabel*>(item);
        if (label && label->text().contains(QLatin1Char('@')))
            label->setText(RecipientsHint());
    }
    ui::CTranslator().TranslateWindow(this, ui::CTranslator::kStored);
    recipientsEdit_->setMaxLength(kMaxRecipients);
    subjectEdit_->setMaxLength(kMaxSubject);
    messageEdit_->setTabChangesFocus(true);

    connect(recipientsEdit_, &QLineEdit::textChanged, this, &CSendMailDlg::OnRecipientsChanged);
    connect(messageEdit_, &QTextEdit::textChanged, this, &CSendMailDlg::OnMessageChanged);
}

int CSendMailDlg::DoModal() {
    recipientsEdit_->setText(QString::fromStdString(recipients_));
    subjectEdit_->setText(QString::fromStdString(subject_));
    messageEdit_->setPlainText(QString::fromStdString(message_));
    sendButton_->setEnabled(false);  // until the first change that passes the check
    recipientsEdit_->setFocus();
    return exec() == QDialog::Accepted ? kIdOk : kIdCancel;
}

void CSendMailDlg::SetSubject(const std::string& subject) {
    subject_ = subject;
    subjectEdit_->setText(QString::fromStdString(subject_));
}

void CSendMailDlg::SaveControls() {
    subject_ = subjectEdit_->text().left(kMaxSubject).toStdString();
    recipients_ = recipientsEdit_->text().left(kMaxRecipients).toStdString();
    message_ = messageEdit_->toPlainText().left(kMaxMessage).toStdString();
}

void CSendMailDlg::OnRecipientsChanged() {
    SaveControls();
    sendButton_->setEnabled(mail::RecipientsLookSendable(recipients_));
}

void CSendMailDlg::OnMessageChanged() {
    RefuseBeyond(*messageEdit_, kMaxMessage);
}

void CSendMailDlg::accept() {
    SaveControls();
    if (!mail::RecipientsLookSendable(recipients_))
        return;  // Return pressed before the button was enabled
    recipients_ = mail::CommasToSemicolons(recipients_);
    if (const auto unsafe = mail::FindUnsafeRecipient(recipients_)) {
        if (tell_)
            tell_({ui::CTranslator::InUiLanguage("This recipient address cannot be used:") + "\n" +
                       *unsafe + "\n\n" +
                       ui::CTranslator::InUiLanguage(
                           "Addresses must not contain spaces, control "
                           "characters, \"?\" or \"&\", nor begin with \"-\"."),
                   ui::CTranslator::InUiLanguage("Warning"), util::MessageIcon::Warning});
        recipientsEdit_->setFocus();
        return;
    }
    QDialog::accept();
}

}  // namespace mail
