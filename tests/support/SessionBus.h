#pragma once
// A private D-Bus session bus (dbus-daemon), and calls to the radio's MPRIS object on it
// through gdbus, the way media keys and desktop panels reach the radio. Stopped by the
// destructor.

#include <QProcess>
#include <QString>
#include <QStringList>

#include <string>

namespace testsupport {

class SessionBus {
  public:
    SessionBus();
    ~SessionBus();
    SessionBus(const SessionBus&) = delete;
    SessionBus& operator=(const SessionBus&) = delete;

    bool Available() const { return !address_.isEmpty(); }
    // For DBUS_SESSION_BUS_ADDRESS.
    QString Address() const { return address_; }

    // `gdbus call` on /org/mpris/MediaPlayer2 of the radio with `arguments` ("--method", …);
    // returns what gdbus printed, errors included.
    std::string CallRadio(const QStringList& arguments) const;
    // A property of org.mpris.MediaPlayer2.Player, as gdbus prints it.
    std::string RadioProperty(const QString& name) const;
    // Polls the property until it contains `needle`.
    bool WaitForRadioProperty(const QString& name, const std::string& needle,
                              int timeoutMs = 15000) const;

  private:
    QProcess daemon_;
    QString address_;
};

}  // namespace testsupport
