#include "radio/MprisBridge.h"

#include "radio/Commands.h"
#include "radio/TunelinkDlg.h"

#include <cmath>

namespace radio {

MprisBridge::MprisBridge(TunelinkDlg& window) : window_(window), service_(*this) {
    QObject::connect(&window_, &TunelinkDlg::StateChanged, &service_,
                     [this] { service_.NotifyChanged(); });
}

MprisBridge::~MprisBridge() = default;

bool MprisBridge::Start() {
    const bool ok = service_.Register();
    service_.NotifyChanged();
    return ok;
}

platform::dbus::MprisState MprisBridge::State() const {
    platform::dbus::MprisState s;
    const CStationData& stations = window_.Stations();
    s.playing = window_.Player().IsPlaying();
    s.slot = stations.current;
    s.station = stations.name[static_cast<std::size_t>(stations.current)];
    s.title = window_.StreamTitle();
    s.volume = window_.Volume() / 100.0;
    return s;
}

void MprisBridge::Play() {
    window_.OnCommand(command::kPlay);
}

void MprisBridge::Stop() {
    window_.OnCommand(command::kStop);
}

void MprisBridge::PlayPause() {
    window_.OnCommand(window_.Player().IsPlaying() ? command::kStop : command::kPlay);
}

int MprisBridge::StepSlot(const std::array<std::string, 32>& addresses, int from, int direction) {
    for (int i = 1; i <= 32; ++i) {
        const int slot = ((from + direction * i) % 32 + 32) % 32;
        if (!addresses[static_cast<std::size_t>(slot)].empty())
            return slot;
    }
    return -1;
}

void MprisBridge::Next() {
    const int slot = StepSlot(window_.Stations().address, window_.Stations().current, +1);
    if (slot >= 0)
        window_.OnCommand(command::kStationFirst + slot);
}

void MprisBridge::Previous() {
    const int slot = StepSlot(window_.Stations().address, window_.Stations().current, -1);
    if (slot >= 0)
        window_.OnCommand(command::kStationFirst + slot);
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
    window_.SetVolume(static_cast<int>(std::lround(volume * 100)));
}

}  // namespace radio
