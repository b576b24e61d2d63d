#pragma once
// The radio on the session bus as an MPRIS 2 media player, so that media keys and desktop
// panels can play, stop, switch stations and set the volume. Every action is handed to a
// target (the radio window's bridge), so the skin and the bus always agree.

#include "util/Result.h"

#include <QObject>
#include <QString>
#include <QVariantMap>

#include <memory>
#include <string>

namespace platform::dbus {

// What the bus shows of the radio.
struct MprisState {
    bool playing = false;
    std::string station;  // the station's name
    std::string title;    // the stream title, empty until one arrives
    int slot = 0;
    double volume = 0.5;  // 0..1
};

class MprisTarget {
  public:
    virtual ~MprisTarget() = default;
    virtual MprisState State() const = 0;
    virtual void Play() = 0;
    virtual void Stop() = 0;
    virtual void PlayPause() = 0;
    virtual void Next() = 0;
    virtual void Previous() = 0;
    virtual void Raise() = 0;
    virtual void Quit() = 0;
    virtual void SetVolume(double volume) = 0;
};

// Metadata as MPRIS wants it: the station's name as title until a stream title arrives,
// then the stream title with the station as album.
QVariantMap MetadataFor(const MprisState& state);

class MprisService : public QObject {
    Q_OBJECT
  public:
    explicit MprisService(MprisTarget& target, QObject* parent = nullptr);
    ~MprisService() override;

    // Registers "org.mpris.MediaPlayer2.tunelink" on the session bus; fails without a bus or
    // when the name is taken.
    util::Status Register();
    // Tells listeners what changed since the last call (PropertiesChanged).
    void NotifyChanged();

    MprisTarget& Target() { return target_; }

  private:
    MprisTarget& target_;
    bool registered_ = false;
    QVariantMap lastPlayer_;
};

}  // namespace platform::dbus
