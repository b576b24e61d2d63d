#include "mail/MailFlow.h"

#include "mail/IMapiThread.h"
#include "mail/ProgressWnd.h"
#include "mail/Recipients.h"
#include "mail/SendMailDlg.h"
#include "platform/shell/MailClient.h"
#include "platform/shell/Mailto.h"
#include "ui/DialogTemplate.h"
#include "ui/SendToUiThread.h"
#include "ui/Translator.h"
#include "util/Product.h"

#include <QPointer>
#include <QWidget>
#include <algorithm>

namespace mail {

MailFlow::MailFlow(QWidget* window, const ui::CTranslator& translator,
                   std::unique_ptr<platform::shell::MailClient> client)
    : window_(window),
      translator_(translator),
      client_(client ? std::move(client) : std::make_unique<platform::shell::XdgMailClient>()),
      gate_(std::make_unique<ui::UiCallGate>()) {}

MailFlow::~MailFlow() {
    Shutdown();
}

void MailFlow::OnSendCommand() {
    if (worker_ || shutDown_)
        return;
    ReapFinishedWorkers();
    typed_.reset();
    worker_ =
        std::make_unique<CIMapiThread>(*client_, translator_, ui::CTranslator::GetUiLanguage());
    connect(worker_.get(), &QThread::finished, this, &MailFlow::ReapFinishedWorkers,
            Qt::QueuedConnection);
    if (worker_->Mail().TakeError() != 0 || !client_->IsAvailable()) {
        Fallback();
        return;
    }
    RunDialogAndStart();
}

void MailFlow::RunDialogAndStart() {
    std::unique_ptr<CSendMailDlg> dialog;
    try {
        dialog = std::make_unique<CSendMailDlg>(window_);
        dialog->SetMessagePresenter(tell_);
    } catch (const ui::DialogTemplateError&) {
        Fallback();  // no dialog to ask with: the mail handler can still do it
        return;
    }
    dialog->SetSubject(util::kShortName);
    const int answer = dialog->DoModal();
    if (shutDown_)
        return;
    if (answer == CSendMailDlg::kIdCancel) {
        worker_.reset();  // it never ran
        return;
    }
    if (answer != CSendMailDlg::kIdOk) {
        Fallback();
        return;
    }
    StartWorker(Typed{SplitRecipients(dialog->Recipients()), dialog->Subject(),
                      dialog->Message() + MailTrailer()});
}

void MailFlow::StartWorker(const Typed& typed) {
    typed_ = typed;
    if (progress_) {
        progress_->Show();
    } else {
        // Owned by the radio's window, so it stands above it even when the radio stays on top.
        progress_ = std::make_unique<CProgressWnd>(
            window_, translator_.Translate("Send Buddybox", ui::CTranslator::GetUiLanguage()),
            false, false);
    }

    CMapiMail& mail = worker_->Mail();
    // The worker's steps and its result cross to this thread through the gate: each waits
    // until it has run here, and none runs once the flow has shut down.
    mail.AttachProgress(progress_.get(), window_, [this](const std::string& text, int percent) {
        gate_->Send([this, text, percent] {
            if (progress_)
                progress_->SetStatus(text, percent);
        });
    });
    for (const std::string& recipient : typed.recipients) {
        if (!mail.AddRecipient(recipient))
            break;
    }
    mail.SetOriginatorName(util::kContactAddress);
    mail.SetSubject(typed.subject);
    mail.SetNoteText(typed.body);
    worker_->SetResultReceiver(
        [this](int result) { gate_->Send([this, result] { OnMailResult(result); }); });

    if (mail.TakeError() != 0) {
        Fallback();
        return;
    }
    worker_->start(QThread::LowPriority);
}

void MailFlow::Fallback() {
    CloseProgress();
    worker_.reset();
    OnMailResult(kNoMailClient);
}

void MailFlow::OnMailResult(int result) {
    if (shutDown_)
        return;
    if (result != 0)
        OpenFallbackAddress();
    CloseProgress();
    // The worker that reported ends right after this returns; it is reaped then.
    if (worker_)
        finished_.push_back(std::move(worker_));
    emit ResultHandled(result);
}

void MailFlow::OpenFallbackAddress() {
    const std::string url =
        typed_ ? platform::shell::BuildMailtoUrl(typed_->recipients, typed_->subject, typed_->body)
               : platform::shell::BuildMailtoUrl({}, util::kShortName, {});
    typed_.reset();
    QPointer<MailFlow> self(this);
    client_->OpenAddress(url, [self](bool opened) {
        if (!self || self->shutDown_)
            return;
        if (!opened && self->tell_) {
            self->tell_({ui::CTranslator::InUiLanguage(
                             "No e-mail program is installed, or it is not set up properly :("),
                         ui::CTranslator::InUiLanguage("Warning"), util::MessageIcon::Warning});
        }
        emit self->FallbackFinished(opened);
    });
}

void MailFlow::CloseProgress() {
    if (!progress_)
        return;
    progress_->Hide();
    progress_.reset();
}

void MailFlow::ReapFinishedWorkers() {
    std::erase_if(finished_, [](const std::unique_ptr<CIMapiThread>& worker) {
        if (!worker->isFinished())
            return false;
        worker->wait();
        return true;
    });
}

void MailFlow::Shutdown() {
    if (shutDown_)
        return;
    shutDown_ = true;
    // First release a worker that waits for this thread, then wait for it: it can no
    // longer block on the UI, and its hand-over ends at once.
    gate_->Close();
    if (worker_)
        worker_->RequestStop();
    worker_.reset();
    finished_.clear();
    CloseProgress();
}

}  // namespace mail
