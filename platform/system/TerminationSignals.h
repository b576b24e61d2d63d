#pragma once
// The requests to end that a desktop sends a program (SIGTERM at logout or from
// `systemctl --user stop`, SIGINT from a terminal, SIGHUP when the terminal goes) arrive
// on the event loop as a Qt signal, so the program can close the way its own Exit does.
// A second request while the first is still being handled ends the process at once.

#include <QObject>

#include <memory>

class QSocketNotifier;

namespace platform {

class TerminationSignals : public QObject {
    Q_OBJECT
  public:
    // Installs the handlers; one object per process. Needs the Qt application object.
    explicit TerminationSignals(QObject* parent = nullptr);
    // Restores the default handling.
    ~TerminationSignals() override;
    TerminationSignals(const TerminationSignals&) = delete;
    TerminationSignals& operator=(const TerminationSignals&) = delete;

    // False when the handlers could not be installed (the default handling stays).
    bool Installed() const { return installed_; }
    // A request has arrived (and been reported), perhaps before anyone listened.
    bool Requested() const { return reported_; }

  signals:
    // On the event loop, once, for the first request; `signal` is its number.
    void terminationRequested(int signal);

  private:
    void OnReadable();

    bool installed_ = false;
    bool reported_ = false;
    std::unique_ptr<QSocketNotifier> notifier_;
};

}  // namespace platform
