#include "platform/dbus/Mpris.h"

#include <QDBusAbstractAdaptor>
#include <QDBusConnection>
#include <QDBusMessage>
#include <QDBusObjectPath>
#include <QStringList>

#include <algorithm>

namespace platform::dbus {

namespace {
const QString kObjectPath = QStringLiteral("/org/mpris/MediaPlayer2");
const QString kServiceName = QStringLiteral("org.mpris.MediaPlayer2.tunelink");
const QString kPlayerInterface = QStringLiteral("org.mpris.MediaPlayer2.Player");

QString StatusOf(const MprisState& s) {
    return s.playing ? QStringLiteral("Playing") : QStringLiteral("Stopped");
}
}  // namespace

QVariantMap MetadataFor(const MprisState& state) {
    QVariantMap map;
    map.insert(QStringLiteral("mpris:trackid"),
               QVariant::fromValue(QDBusObjectPath(
                   QStringLiteral("/com/torvane/Tunelink/Station/%1").arg(state.slot))));
    const QString station = QString::fromStdString(state.station);
    if (state.title.empty()) {
        map.insert(QStringLiteral("xesam:title"), station);
    } else {
        map.insert(QStringLiteral("xesam:title"), QString::fromStdString(state.title));
        map.insert(QStringLiteral("xesam:album"), station);
    }
    return map;
}

class MprisRootAdaptor : public QDBusAbstractAdaptor {
    Q_OBJECT
    Q_CLASSINFO("D-Bus Interface", "org.mpris.MediaPlayer2")
    Q_PROPERTY(bool CanQuit READ CanQuit)
    Q_PROPERTY(bool CanRaise READ CanRaise)
    Q_PROPERTY(bool HasTrackList READ HasTrackList)
    Q_PROPERTY(QString Identity READ Identity)
    Q_PROPERTY(QString DesktopEntry READ DesktopEntry)
    Q_PROPERTY(QStringList SupportedUriSchemes READ SupportedUriSchemes)
    Q_PROPERTY(QStringList SupportedMimeTypes READ SupportedMimeTypes)
  public:
    MprisRootAdaptor(QObject* parent, MprisTarget& target)
        : QDBusAbstractAdaptor(parent), target_(target) {}
    bool CanQuit() const { return true; }
    bool CanRaise() const { return true; }
    bool HasTrackList() const { return false; }
    QString Identity() const { return QStringLiteral("Orbifon 1.0"); }
    QString DesktopEntry() const { return QStringLiteral("tunelink"); }
    QStringList SupportedUriSchemes() const { return {}; }
    QStringList SupportedMimeTypes() const { return {}; }

  public slots:
    void Raise() { target_.Raise(); }
    void Quit() { target_.Quit(); }

  private:
    MprisTarget& target_;
};

class MprisPlayerAdaptor : public QDBusAbstractAdaptor {
    Q_OBJECT
    Q_CLASSINFO("D-Bus Interface", "org.mpris.MediaPlayer2.Player")
    Q_PROPERTY(QString PlaybackStatus READ PlaybackStatus)
    Q_PROPERTY(double Rate READ Rate WRITE SetRate)
    Q_PROPERTY(QVariantMap Metadata READ Metadata)
    Q_PROPERTY(double Volume READ Volume WRITE SetVolume)
    Q_PROPERTY(qlonglong Position READ Position)
    Q_PROPERTY(double MinimumRate READ Rate)
    Q_PROPERTY(double MaximumRate READ Rate)
    Q_PROPERTY(bool CanGoNext READ Yes)
    Q_PROPERTY(bool CanGoPrevious READ Yes)
    Q_PROPERTY(bool CanPlay READ Yes)
    Q_PROPERTY(bool CanPause READ Yes)
    Q_PROPERTY(bool CanSeek READ No)
    Q_PROPERTY(bool CanControl READ Yes)
  public:
    MprisPlayerAdaptor(QObject* parent, MprisTarget& target)
        : QDBusAbstractAdaptor(parent), target_(target) {}
    QString PlaybackStatus() const { return StatusOf(target_.State()); }
    double Rate() const { return 1.0; }
    void SetRate(double) {}
    QVariantMap Metadata() const { return MetadataFor(target_.State()); }
    double Volume() const { return target_.State().volume; }
    void SetVolume(double volume) { target_.SetVolume(std::clamp(volume, 0.0, 1.0)); }
    qlonglong Position() const { return 0; }
    bool Yes() const { return true; }
    bool No() const { return false; }

  public slots:
    void Play() { target_.Play(); }
    // A radio cannot hold a live stream: pausing stops it.
    void Pause() { target_.Stop(); }
    void PlayPause() { target_.PlayPause(); }
    void Stop() { target_.Stop(); }
    void Next() { target_.Next(); }
    void Previous() { target_.Previous(); }
    void Seek(qlonglong) {}
    void SetPosition(const QDBusObjectPath&, qlonglong) {}
    void OpenUri(const QString&) {}

  private:
    MprisTarget& target_;
};

MprisService::MprisService(MprisTarget& target, QObject* parent)
    : QObject(parent), target_(target) {
    new MprisRootAdaptor(this, target_);
    new MprisPlayerAdaptor(this, target_);
}

MprisService::~MprisService() {
    if (registered_) {
        QDBusConnection bus = QDBusConnection::sessionBus();
        bus.unregisterObject(kObjectPath);
        bus.unregisterService(kServiceName);
    }
}

util::Status MprisService::Register() {
    QDBusConnection bus = QDBusConnection::sessionBus();
    if (!bus.isConnected())
        return util::Error{"no session bus"};
    if (!bus.registerObject(kObjectPath, this))
        return util::Error{"the player's object path is taken"};
    registered_ = bus.registerService(kServiceName);
    if (registered_)
        return {};
    bus.unregisterObject(kObjectPath);
    return util::Error{bus.lastError().message().toStdString()};
}

void MprisService::NotifyChanged() {
    if (!registered_)
        return;
    const MprisState state = target_.State();
    QVariantMap now;
    now.insert(QStringLiteral("PlaybackStatus"), StatusOf(state));
    now.insert(QStringLiteral("Metadata"), MetadataFor(state));
    now.insert(QStringLiteral("Volume"), state.volume);
    QVariantMap changed;
    for (auto it = now.cbegin(); it != now.cend(); ++it) {
        if (lastPlayer_.value(it.key()) != it.value())
            changed.insert(it.key(), it.value());
    }
    lastPlayer_ = now;
    if (changed.isEmpty())
        return;
    QDBusMessage signal =
        QDBusMessage::createSignal(kObjectPath, QStringLiteral("org.freedesktop.DBus.Properties"),
                                   QStringLiteral("PropertiesChanged"));
    signal << kPlayerInterface << changed << QStringList();
    QDBusConnection::sessionBus().send(signal);
}

}  // namespace platform::dbus

#include "Mpris.moc"
