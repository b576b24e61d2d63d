#pragma once
// "Send me to a friend" from start to end, for the radio window: the window calls
// OnSendCommand() for its command 103 and Shutdown() on its way out; the mail worker's
// result (the window's 0x464 message) arrives in OnMailResult() on the UI thread.
//
//   mail::MailFlow mailFlow_{this, translator_};   // member of the radio window
//   case 103: mailFlow_.OnSendCommand(); break;
//   ~CTunelinkDlg(): mailFlow_.Shutdown();
//
// Flow: the mail dialog, then the worker hands the mail to the user's mail client while the
// progress window shows the steps. When no mail client is registered, or the hand-over fails,
// a "mailto:" address with what the user typed is opened instead, and a warning is shown
// when even that fails.

#include "platform/shell/MailClient.h"
#include "util/MessageBox.h"

#include <QObject>
#include <memory>
#include <optional>
#include <string>
#include <vector>

namespace ui {
class CTranslator;
}
class QWidget;

namespace ui {
class UiCallGate;
}

namespace mail {

class CIMapiThread;
class CProgressWnd;

class MailFlow : public QObject {
    Q_OBJECT
  public:
    // The result that stands for "no mail client could take the mail".
    static constexpr int kNoMailClient = 999;

    // `window` (the radio window, or none) owns the dialog and has the progress window
    // centred over it. Without a client the desktop's (xdg) one is used.
    MailFlow(QWidget* window, const ui::CTranslator& translator,
             std::unique_ptr<platform::shell::MailClient> client = nullptr);
    ~MailFlow() override;  // Shutdown()

    // How the owner shows the flow's warnings (and the dialog's); without it they go unseen.
    void SetMessagePresenter(util::MessagePresenter tell) { tell_ = std::move(tell); }

    // Command 103. Ignored while a send is under way.
    void OnSendCommand();
    // The mail worker's result (0 = handed to the mail client): opens the "mailto:" fallback
    // when it is not 0, then closes the progress window and forgets the worker.
    void OnMailResult(int result);
    // Stops a running send and waits for its worker; the flow does nothing afterwards.
    void Shutdown();

    bool IsSendUnderWay() const { return worker_ != nullptr; }
    CProgressWnd* Progress() const { return progress_.get(); }

  signals:
    // A result was handled (after OnMailResult or the flow's own fallback).
    void ResultHandled(int result);
    // The fallback address was opened, or could not be (and the warning was shown).
    void FallbackFinished(bool opened);

  private:
    struct Typed {
        std::vector<std::string> recipients;
        std::string subject;
        std::string body;
    };

    void RunDialogAndStart();
    void StartWorker(const Typed& typed);
    void Fallback();
    void OpenFallbackAddress();
    void CloseProgress();
    void ReapFinishedWorkers();

    QWidget* window_;
    const ui::CTranslator& translator_;
    std::unique_ptr<platform::shell::MailClient> client_;
    std::unique_ptr<ui::UiCallGate> gate_;
    std::unique_ptr<CProgressWnd> progress_;
    std::unique_ptr<CIMapiThread> worker_;
    std::vector<std::unique_ptr<CIMapiThread>> finished_;  // reported, ending by themselves
    util::MessagePresenter tell_;
    std::optional<Typed> typed_;  // what the user typed, for mailto
    bool shutDown_ = false;
};

}  // namespace mail
