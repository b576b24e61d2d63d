#pragma once
// The mail worker: hands one prepared mail to the mail client off the UI thread, reports
// its steps to the progress window and its result to the send flow.

#include "mail/MapiMail.h"

#include <QThread>
#include <atomic>
#include <chrono>
#include <condition_variable>
#include <functional>
#include <mutex>

namespace mail {

class CIMapiThread : public QThread {
    Q_OBJECT
  public:
    CIMapiThread(platform::shell::MailClient& client, const ui::CTranslator& translator,
                 int language);
    ~CIMapiThread() override;  // stops and waits for a thread still running

    // Filled on the UI thread before start(); not touched by it afterwards.
    CMapiMail& Mail() { return mail_; }
    // Called on the worker thread with the result, last of all.
    void SetResultReceiver(std::function<void(int result)> receiver);
    // Ends a hand-over still waiting for the mail client and the closing pause.
    void RequestStop();

  protected:
    void run() override;

  private:
    void Pause(std::chrono::milliseconds time);

    CMapiMail mail_;
    std::function<void(int)> receiver_;
    std::atomic<bool> stop_{false};
    std::mutex pauseMutex_;
    std::condition_variable pauseEnded_;
};

}  // namespace mail
