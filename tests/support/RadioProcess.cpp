#include "tests/support/RadioProcess.h"

#include "tests/support/StreamServer.h"

#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QSettings>

#include <algorithm>

namespace testsupport {

RadioProcess::RadioProcess() {
    if (!home_.isValid())
        return;
    const QDir home(home_.path());
    ready_ = home.mkpath("config/Torvane") && home.mkpath("runtime") &&
             QFile::setPermissions(home_.path() + "/runtime",
                                   QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);
    process_.setProcessChannelMode(QProcess::MergedChannels);
}

RadioProcess::~RadioProcess() {
    Stop();
}

QString RadioProcess::SettingsFile() const {
    return home_.path() + "/config/Torvane/tunelink.conf";
}

void RadioProcess::SetSetting(const QString& key, const QVariant& value) const {
    QSettings settings(SettingsFile(), QSettings::IniFormat);
    settings.setValue(key, value);
}

QProcessEnvironment RadioProcess::Environment(const std::string& display,
                                              const QString& audioSink) const {
    auto env = QProcessEnvironment::systemEnvironment();
    if (display.empty()) {
        env.insert("QT_QPA_PLATFORM", "offscreen");
    } else {
        env.insert("DISPLAY", QString::fromStdString(display));
        env.insert("QT_QPA_PLATFORM", "xcb");
    }
    env.insert("HOME", home_.path());
    env.insert("XDG_CONFIG_HOME", home_.path() + "/config");
    env.insert("XDG_CACHE_HOME", home_.path() + "/cache");
    env.insert("XDG_RUNTIME_DIR", home_.path() + "/runtime");
    env.insert("TUNELINK_AUDIO_SINK", audioSink);
    env.insert("TUNELINK_CATALOGUE_URL", QString::fromStdString(StreamServer::DeadAddress()));
    env.insert("TUNELINK_DIRECTORY_URL", QString::fromStdString(StreamServer::DeadAddress()));
    env.insert("QT_LOGGING_RULES", "tunelink.*=true");
    env.insert("LANG", "de_DE.UTF-8");
    return env;
}

QString RadioProcess::BuiltProgram() {
    return QString::fromLocal8Bit(qgetenv("TUNELINK_BINARY_DIR")) + "/app/tunelink";
}

bool RadioProcess::Start(const QString& program, const QProcessEnvironment& environment,
                         const QStringList& arguments) {
    process_.setProcessEnvironment(environment);
    process_.start(program, arguments);
    return process_.waitForStarted(5000);
}

bool RadioProcess::Write(const QByteArray& data) {
    if (process_.write(data) != data.size())
        return false;
    return process_.waitForBytesWritten(1000);
}

qsizetype RadioProcess::WaitForLog(const QByteArray& needle, int timeoutMs, qsizetype from) {
    QElapsedTimer timer;
    timer.start();
    while (true) {
        log_ += process_.readAll();
        if (const auto at = log_.indexOf(needle, from); at >= 0)
            return at;
        if (!Running() || timer.elapsed() >= timeoutMs)
            return -1;
        process_.waitForReadyRead(static_cast<int>(std::min<qint64>(100, timeoutMs)));
    }
}

void RadioProcess::ReadLogFor(int ms) {
    QElapsedTimer timer;
    timer.start();
    while (Running() && timer.elapsed() < ms) {
        process_.waitForReadyRead(static_cast<int>(ms - timer.elapsed()));
        log_ += process_.readAll();
    }
}

bool RadioProcess::WaitForEnd(int timeoutMs) {
    const bool ended = process_.waitForFinished(timeoutMs);
    log_ += process_.readAll();
    return ended;
}

void RadioProcess::Stop() {
    if (!Running())
        return;
    process_.terminate();
    if (!process_.waitForFinished(5000)) {
        process_.kill();
        process_.waitForFinished(3000);
    }
    log_ += process_.readAll();
}

}  // namespace testsupport
