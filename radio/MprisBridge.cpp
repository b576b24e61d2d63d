#include "radio/MprisBridge.h"

#include "radio/TunelinkDlg.h"
#include "radio/core/Commands.h"

#include <cmath>

namespace radio {

MprisBridge::MprisBridge(TunelinkDlg& window) : window_(window), service_(*this) {
    QObject::connect(&window_, &TunelinkDlg::StateChanged, &service_,
                     [this] { service_.NotifyChanged(); });
}

MprisBridge::~MprisBridge() = default;

util::Status MprisBridge::Start() {
    util::Status registered = service_.Register();
    service_.NotifyChanged();
    return registered;
}

platform::dbus::MprisState MprisBridge::State() const {
    platform::dbus::MprisState s;
    const Radio& radio = window_.Core();
    const catalogue::CStationData& stations = radio.Stations();
    s.playing = radio.Player().IsPlaying();
    s.slot = stations.current;
    s.station = stations.name[static_cast<std::size_t>(stations.current)];
    s.title = radio.StreamTitle();
    s.volume = radio.Volume() / 100.0;
    return s;
}

void MprisBridge::Play() {
    window_.OnCommand(command::kPlay);
}

void MprisBridge::Stop() {
    window_.OnCommand(command::kStop);
}

void MprisBridge::PlayPause() {
    window_.OnCommand(window_.Core().Player().IsPlaying() ? command::kStop : command::kPlay);
}

int MprisBridge::StepSlot(const std::array<std::string, Slot::kCount>& addresses, int from,
                          int direction) {
    constexpr int n = Slot::kCount;
    for (int i = 1; i <= n; ++i) {
        const int slot = ((from + direction * i) % n + n) % n;
        if (!addresses[static_cast<std::size_t>(slot)].empty())
            return slot;
    }
    return -1;
}

void MprisBridge::Next() {
    const int slot =
        StepSlot(window_.Core().Stations().address, window_.Core().Stations().current, +1);
    if (slot >= 0)
        window_.OnCommand(command::ForStation(Slot(slot)));
}

void MprisBridge::Previous() {
    const int slot =
        StepSlot(window_.Core().Stations().address, window_.Core().Stations().current, -1);
    if (slot >= 0)
        window_.OnCommand(command::ForStation(Slot(slot)));
}

void MprisBridge::Raise() {
    window_.showNormal();
    window_.raise();
    window_.activateWindow();
}

void MprisBridge::Quit() {
    window_.reject();
}

void MprisBridge::SetVolume(double volume) {
    window_.Core().SetVolume(static_cast<int>(std::lround(volume * 100)));
}

}  // namespace radio
