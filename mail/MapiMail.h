#pragma once
// One recommendation mail as a Simple MAPI message record, and its hand-over to the user's
// mail client. Filled completely on the UI thread, then sent from the mail worker.

#include <atomic>
#include <functional>
#include <string>
#include <vector>

namespace ui {
class CTranslator;
}
class QWidget;

namespace platform::shell {
class MailClient;
}

namespace mail {

class CProgressWnd;

inline constexpr unsigned long kMapiOrig = 0;
inline constexpr unsigned long kMapiTo = 1;

struct MapiRecipDesc {
    unsigned long recipClass = kMapiOrig;
    std::string name;
    std::string address;  // left empty: the mail client resolves the name
};

struct MapiFileDesc {
    unsigned long position = 0;
    std::string pathName;
    std::string fileName;
};

struct MapiMessage {
    std::string subject;
    std::string noteText;
    unsigned long flags = 0;
    MapiRecipDesc originator;
    std::vector<MapiRecipDesc> recips;
    std::vector<MapiFileDesc> files;  // never filled: nothing is attached
};

// The advertising lines below the user's message.
std::string MailTrailer();

class CMapiMail {
  public:
    enum Error { kNoError = 0, kNoMemory = 3 };
    // Shows a status on the progress window; the worker's reporter crosses to the UI thread.
    using ProgressReporter = std::function<void(const std::string& text, int percent)>;

    // `language` is the translator's language code for the progress texts.
    CMapiMail(platform::shell::MailClient& client, const ui::CTranslator& translator, int language);

    // The error state, which is reset to none.
    int TakeError();

    // Appends a MAPI_TO recipient; false (and kNoMemory) when memory ran out.
    bool AddRecipient(const std::string& recipient);
    void SetSubject(const std::string& subject) { subject_ = subject; }
    void SetNoteText(const std::string& text) { noteText_ = text; }
    void SetOriginatorName(const std::string& name) { originatorName_ = name; }

    // UI thread: remembers the window, centres it over `owner` and shows the first step.
    // Later steps go through `reporter`.
    void AttachProgress(CProgressWnd* progress, const QWidget* owner, ProgressReporter reporter);
    bool HasProgress() const { return static_cast<bool>(reporter_); }
    // Translates the English status and reports it; nothing without a progress window.
    void ReportProgress(const std::string& english, int percent) const;

    // Hands the message to the mail client; returns its Simple MAPI result (0 = handed over).
    int Send(unsigned long flags, const std::atomic<bool>& stop);

    const mail::MapiMessage& Message() const { return message_; }

  private:
    platform::shell::MailClient& client_;
    const ui::CTranslator& translator_;
    int language_;
    ProgressReporter reporter_;
    mail::MapiMessage message_;
    std::string subject_;
    std::string noteText_;
    std::string originatorName_;
    int error_ = kNoError;
};

}  // namespace mail
