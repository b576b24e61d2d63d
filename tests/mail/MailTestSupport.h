#pragma once
// Helpers for the mail tests: acting on the modal mail dialog from inside its own loop, a
// fresh settings store, a message recorder and the user's language for one test.

#include "mail/SendMailDlg.h"
#include "util/MessageBox.h"
#include "util/Profile.h"

#include <QApplication>
#include <QByteArray>
#include <QTimer>
#include <functional>
#include <vector>

namespace testing_mail {

// Runs `act` on the first mail dialog that becomes modal while this object lives.
class DialogWatcher {
  public:
    explicit DialogWatcher(std::function<void(mail::CSendMailDlg&)> act) : act_(std::move(act)) {
        timer_.setInterval(5);
        QObject::connect(&timer_, &QTimer::timeout, [this] {
            auto* dialog = qobject_cast<mail::CSendMailDlg*>(QApplication::activeModalWidget());
            if (!dialog)
                return;
            timer_.stop();
            seen_ = true;
            act_(*dialog);
        });
        timer_.start();
    }
    bool Seen() const { return seen_; }

  private:
    std::function<void(mail::CSendMailDlg&)> act_;
    QTimer timer_;
    bool seen_ = false;
};

// A fresh in-memory settings store, the user's language and a message recorder.
class MailTestEnvironment {
  public:
    explicit MailTestEnvironment(const char* locale = "de_DE.UTF-8")
        : savedLocale_(qgetenv("LC_ALL")) {
        util::InstallProfile(&profile_);
        qputenv("LC_ALL", locale);
    }
    ~MailTestEnvironment() {
        util::InstallProfile(nullptr);
        if (savedLocale_.isNull())
            qunsetenv("LC_ALL");
        else
            qputenv("LC_ALL", savedLocale_);
    }
    MailTestEnvironment(const MailTestEnvironment&) = delete;
    MailTestEnvironment& operator=(const MailTestEnvironment&) = delete;

    util::MemoryProfile& Profile() { return profile_; }
    // What the radio gives the mail flow and dialog to show their warnings: a recorder here.
    util::MessagePresenter Presenter() {
        return [this](const util::MessageRequest& request) {
            messages.push_back(request);
            return util::MessageResult::Ok;
        };
    }
    std::vector<util::MessageRequest> messages;

  private:
    util::MemoryProfile profile_;
    QByteArray savedLocale_;
};

}  // namespace testing_mail
