#pragma once
// The "send me to a friend" dialog: recipients, subject and a short message. It only
// collects and checks the texts; the send flow reads them once the dialog was accepted.

#include "util/MessageBox.h"

#include <QDialog>
#include <string>

class QLineEdit;
class QTextEdit;
class QPushButton;

namespace mail {

class CSendMailDlg : public QDialog {
    Q_OBJECT
  public:
    static constexpr int kIdOk = 1;
    static constexpr int kIdCancel = 2;
    static constexpr int kMaxSubject = 150;
    static constexpr int kMaxRecipients = 250;
    static constexpr int kMaxMessage = 500;
    static constexpr int kIdRecipients = 1012;
    static constexpr int kIdSubject = 1015;
    static constexpr int kIdMessage = 1017;

    // Built from dialog template 105; throws ui::DialogTemplateError when it cannot be.
    explicit CSendMailDlg(QWidget* parent = nullptr);

    // How the owner shows the warning about an address that cannot be used.
    void SetMessagePresenter(util::MessagePresenter tell) { tell_ = std::move(tell); }

    // Runs the dialog: kIdOk when closed with the send button, else kIdCancel.
    int DoModal();

    // The initial subject, set before the dialog runs.
    void SetSubject(const std::string& subject);
    const std::string& Subject() const { return subject_; }
    // After kIdOk: commas turned into semicolons.
    const std::string& Recipients() const { return recipients_; }
    const std::string& Message() const { return message_; }

    QLineEdit* RecipientsEdit() const { return recipientsEdit_; }
    QLineEdit* SubjectEdit() const { return subjectEdit_; }
    QTextEdit* MessageEdit() const { return messageEdit_; }
    QPushButton* SendButton() const { return sendButton_; }

    // The hint above the recipients: the German line, then the example addresses of the
    // English hint.
    static QString RecipientsHint();

    // The send button: checks the recipients first.
    void accept() override;

  private:
    void BuildControls();
    void SaveControls();
    void OnRecipientsChanged();
    void OnMessageChanged();

    std::string subject_;
    std::string recipients_;
    std::string message_;
    QLineEdit* recipientsEdit_ = nullptr;
    QLineEdit* subjectEdit_ = nullptr;
    QTextEdit* messageEdit_ = nullptr;
    QPushButton* sendButton_ = nullptr;
    util::MessagePresenter tell_;
};

}  // namespace mail
