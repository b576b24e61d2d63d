#include "tests/support/SessionBus.h"

#include <QElapsedTimer>
#include <QProcessEnvironment>
#include <QThread>

namespace testsupport {

SessionBus::SessionBus() {
    daemon_.start("dbus-daemon", {"--session", "--nofork", "--print-address"});
    if (!daemon_.waitForStarted(5000) || !daemon_.waitForReadyRead(5000))
        return;
    address_ = QString::fromUtf8(daemon_.readLine()).trimmed();
}

SessionBus::~SessionBus() {
    if (daemon_.state() == QProcess::NotRunning)
        return;
    daemon_.kill();
    daemon_.waitForFinished(3000);
}

std::string SessionBus::CallRadio(const QStringList& arguments) const {
    QProcess gdbus;
    auto env = QProcessEnvironment::systemEnvironment();
    env.insert("DBUS_SESSION_BUS_ADDRESS", address_);
    gdbus.setProcessEnvironment(env);
    gdbus.start("gdbus",
                QStringList{"call", "--session", "--dest", "org.mpris.MediaPlayer2.tunelink",
                            "--object-path", "/org/mpris/MediaPlayer2"} +
                    arguments);
    gdbus.waitForFinished(10000);
    return gdbus.readAllStandardOutput().toStdString() + gdbus.readAllStandardError().toStdString();
}

std::string SessionBus::RadioProperty(const QString& name) const {
    return CallRadio(
        {"--method", "org.freedesktop.DBus.Properties.Get", "org.mpris.MediaPlayer2.Player", name});
}

bool SessionBus::WaitForRadioProperty(const QString& name, const std::string& needle,
                                      int timeoutMs) const {
    QElapsedTimer timer;
    timer.start();
    while (timer.elapsed() < timeoutMs) {
        if (RadioProperty(name).find(needle) != std::string::npos)
            return true;
        QThread::msleep(200);
    }
    return false;
}

}  // namespace testsupport
