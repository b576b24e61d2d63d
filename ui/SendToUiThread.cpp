#include "ui/SendToUiThread.h"

#include <QMetaObject>
#include <QObject>
#include <QThread>

#include <condition_variable>
#include <deque>
#include <mutex>

namespace ui {

namespace detail {

struct PendingCall {
    std::function<void()> call;
    bool done = false;
    bool cancelled = false;
};

// Everything a worker touches lives here, guarded by one standard mutex (not Qt's, so
// thread checkers see every hand-over), and outlives the gate while a worker still waits.
struct GateState {
    std::mutex mutex;
    std::condition_variable changed;
    std::deque<std::shared_ptr<PendingCall>> queue;
    bool closed = false;
    QObject* receiver = nullptr;  // null once closed
    QThread* uiThread = nullptr;

    // Runs the queued calls on the UI thread, one at a time, without holding the lock.
    void Drain() {
        for (;;) {
            std::shared_ptr<PendingCall> next;
            {
                std::lock_guard lock(mutex);
                if (queue.empty() || closed)
                    return;
                next = std::move(queue.front());
                queue.pop_front();
            }
            struct MarkDone {
                GateState& state;
                PendingCall& pending;
                ~MarkDone() {
                    {
                        std::lock_guard lock(state.mutex);
                        pending.done = true;
                    }
                    state.changed.notify_all();
                }
            } markDone{*this, *next};
            next->call();
        }
    }
};

}  // namespace detail

namespace {

// Lives on the UI thread; a worker only ever asks Qt to invoke Drain there by name, so no
// data of ours travels through Qt's event queue. Owned by the gate, it dies before the state.
class GateReceiver : public QObject {
    Q_OBJECT
  public:
    explicit GateReceiver(detail::GateState* state) : state_(state) {}
    Q_INVOKABLE void Drain() { state_->Drain(); }

  private:
    detail::GateState* state_;
};

}  // namespace

UiCallGate::UiCallGate() : state_(std::make_shared<detail::GateState>()) {
    receiver_ = std::make_unique<GateReceiver>(state_.get());
    state_->receiver = receiver_.get();
    state_->uiThread = QThread::currentThread();
}

UiCallGate::~UiCallGate() {
    Close();
}

bool UiCallGate::Send(std::function<void()> call) {
    const std::shared_ptr<detail::GateState> state = state_;
    if (QThread::currentThread() == state->uiThread) {
        if (IsClosed())
            return false;
        call();
        return true;
    }

    auto pending = std::make_shared<detail::PendingCall>();
    pending->call = std::move(call);
    std::unique_lock lock(state->mutex);
    if (state->closed)
        return false;
    state->queue.push_back(pending);
    // Under the lock, so Close() cannot delete the receiver in between.
    QMetaObject::invokeMethod(state->receiver, "Drain", Qt::QueuedConnection);
    state->changed.wait(lock, [&] { return pending->done || pending->cancelled; });
    return pending->done;
}

void UiCallGate::Close() {
    {
        std::lock_guard lock(state_->mutex);
        if (state_->closed)
            return;
        state_->closed = true;
        state_->receiver = nullptr;
        for (const auto& pending : state_->queue) pending->cancelled = true;
        state_->queue.clear();
    }
    state_->changed.notify_all();
}

bool UiCallGate::IsClosed() const {
    std::lock_guard lock(state_->mutex);
    return state_->closed;
}

}  // namespace ui

#include "SendToUiThread.moc"
