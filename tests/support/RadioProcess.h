#pragma once
// The real program in a private home: its own settings, cache and runtime folders, an
// environment that keeps it on local servers, and its log read while it runs. Used by the
// end-to-end tests, the soak run and the process benchmarks.

#include <QByteArray>
#include <QProcess>
#include <QProcessEnvironment>
#include <QString>
#include <QTemporaryDir>
#include <QVariant>

#include <string>

namespace testsupport {

class RadioProcess {
  public:
    RadioProcess();
    // Ends the program if it still runs.
    ~RadioProcess();
    RadioProcess(const RadioProcess&) = delete;
    RadioProcess& operator=(const RadioProcess&) = delete;

    bool Ready() const { return ready_; }
    QString Home() const { return home_.path(); }
    QString SettingsFile() const;
    // Writes a value to the settings file ("Section/key"), before the start.
    void SetSetting(const QString& key, const QVariant& value) const;

    // An environment for the program: on X display `display` (":N"), or offscreen when it is
    // empty; sound into the GStreamer sink `audioSink`; the catalogue at a dead local
    // address; every tunelink log category on; German texts.
    QProcessEnvironment Environment(const std::string& display, const QString& audioSink) const;
    // The program built beside the tests: $TUNELINK_BINARY_DIR/app/tunelink.
    static QString BuiltProgram();
    bool Start(const QString& program, const QProcessEnvironment& environment,
               const QStringList& arguments = {});

    // Writes `data` to the program's standard input.
    bool Write(const QByteArray& data);
    // Reads the program's output for up to `timeoutMs` until the log holds `needle` at or
    // after `from`; returns where, or -1 (also when the program ended).
    qsizetype WaitForLog(const QByteArray& needle, int timeoutMs, qsizetype from = 0);
    // Keeps reading the output for `ms`, so a chatty program never blocks on a full pipe.
    void ReadLogFor(int ms);
    const QByteArray& Log() const { return log_; }
    qint64 Pid() const { return process_.processId(); }
    bool Running() const { return process_.state() != QProcess::NotRunning; }
    // Waits for the program to end by itself and reads the rest of its output.
    bool WaitForEnd(int timeoutMs);
    QProcess::ExitStatus ExitStatus() const { return process_.exitStatus(); }
    // Asks the program to end, and kills it if it does not within a few seconds.
    void Stop();

  private:
    QTemporaryDir home_;
    bool ready_ = false;
    QProcess process_;
    QByteArray log_;
};

}  // namespace testsupport
