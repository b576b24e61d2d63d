#pragma once
// Blocking calls from worker threads into the UI thread that never deadlock against a
// closing window.
//
// A worker that must wait until the window has handled something (the catalogue's "stations
// changed", the mail worker's result) calls Send(). The call is queued to the thread that
// constructed the gate and the worker waits until it has run there. A plain blocking queued
// connection would hang when the window closes while a worker waits: the window's loop no
// longer runs, and the window waits for the worker. So the window calls Close() first on its
// way out: every waiting worker is released at once with false, and later sends are refused
// without running.
//
// Construct, Close() and destroy on the UI thread. Send() from any thread: on the UI thread
// itself the call runs directly.

#include <functional>
#include <memory>

class QObject;

namespace ui {

namespace detail {
struct GateState;
}

class UiCallGate {
  public:
    UiCallGate();
    ~UiCallGate();  // closes the gate
    UiCallGate(const UiCallGate&) = delete;
    UiCallGate& operator=(const UiCallGate&) = delete;

    // True once the call has run on the UI thread; false, without running it, when the gate
    // is or becomes closed before the call started. A call that has started always finishes.
    bool Send(std::function<void()> call);
    // Refuses every later Send and releases the workers waiting in Send.
    void Close();
    bool IsClosed() const;

  private:
    std::shared_ptr<detail::GateState> state_;  // shared with waiting workers
    std::unique_ptr<QObject> receiver_;         // destroyed before state_
};

}  // namespace ui
