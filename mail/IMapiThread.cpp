#include "mail/IMapiThread.h"

namespace mail {

CIMapiThread::CIMapiThread(platform::shell::MailClient& client, const ui::CTranslator& translator,
                           int language)
    : mail_(client, translator, language) {}

CIMapiThread::~CIMapiThread() {
    RequestStop();
    wait();
}

void CIMapiThread::SetResultReceiver(std::function<void(int result)> receiver) {
    receiver_ = std::move(receiver);
}

void CIMapiThread::RequestStop() {
    {
        std::lock_guard lock(pauseMutex_);
        stop_ = true;
    }
    pauseEnded_.notify_all();
}

void CIMapiThread::Pause(std::chrono::milliseconds time) {
    std::unique_lock lock(pauseMutex_);
    pauseEnded_.wait_for(lock, time, [this] { return stop_.load(); });
}

void CIMapiThread::run() {
    mail_.ReportProgress("Start sending mail...", 80);
    const int result = mail_.Send(0, stop_);
    if (mail_.HasProgress()) {
        mail_.ReportProgress("Done !", 100);
        Pause(std::chrono::milliseconds(500));
    }
    if (receiver_)
        receiver_(result);
}

}  // namespace mail
