#include "mail/MapiMail.h"

#include "mail/ProgressWnd.h"
#include "platform/shell/MailClient.h"
#include "ui/Translator.h"

#include <new>

namespace mail {

namespace {
constexpr const char* kClientWebSite = "https://www.solvista.de";
}

std::string MailTrailer() {
    const auto tr = [](const char* english) { return ui::CTranslator::InUiLanguage(english); };
    return std::string("\n\n\n") + "---------------\n" +
           tr("Solvista Orbifon is a screenmate made exclusively for") + "\n" + "\n" + "\t" +
           kClientWebSite + "\n" + "\n" + tr("Please visit our web site.") + "\n" +
           tr("You can download Solvista Orbifon there.") + "\n" + "\n" + tr("Have fun with it!");
}

CMapiMail::CMapiMail(platform::shell::MailClient& client, const ui::CTranslator& translator,
                     int language)
    : client_(client), translator_(translator), language_(language) {}

int CMapiMail::TakeError() {
    const int error = error_;
    error_ = kNoError;
    return error;
}

bool CMapiMail::AddRecipient(const std::string& recipient) {
    try {
        mail::MapiRecipDesc record;
        record.recipClass = mail::kMapiTo;
        record.name = recipient;
        message_.recips.push_back(std::move(record));
        return true;
    } catch (const std::bad_alloc&) {
        error_ = kNoMemory;
        return false;
    }
}

void CMapiMail::AttachProgress(CProgressWnd* progress, const QWidget* owner,
                               ProgressReporter reporter) {
    if (!progress)
        return;
    reporter_ = std::move(reporter);
    progress->CentreOver(owner);
    progress->SetStatus(translator_.Translate("Prepare to send mail...", language_), 10);
}

void CMapiMail::ReportProgress(const std::string& english, int percent) const {
    if (reporter_)
        reporter_(translator_.Translate(english, language_), percent);
}

int CMapiMail::Send(unsigned long flags, const std::atomic<bool>& stop) {
    message_.flags = flags;
    message_.subject = subject_;
    message_.originator.name = originatorName_;
    message_.noteText = noteText_;

    platform::shell::MailRequest request;
    for (const mail::MapiRecipDesc& recip : message_.recips) {
        if (recip.recipClass == mail::kMapiTo)
            request.recipients.push_back(recip.name);
    }
    request.subject = message_.subject;
    request.body = message_.noteText;
    const util::Status sent = client_.SendMail(request, stop);
    return sent ? platform::shell::mapi::kSuccess : sent.error().code;
}

}  // namespace mail
