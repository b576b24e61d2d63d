#pragma once
// Connects the radio window to the desktop's media controls: bus requests become the same
// commands the skin sends, and every change of the window is announced on the bus.

#include "platform/dbus/Mpris.h"
#include "radio/core/Slot.h"

#include <array>
#include <string>

namespace radio {

class TunelinkDlg;

class MprisBridge : public platform::dbus::MprisTarget {
  public:
    explicit MprisBridge(TunelinkDlg& window);
    ~MprisBridge() override;

    // Registers on the session bus; false (and the radio works on) without one.
    util::Status Start();

    platform::dbus::MprisState State() const override;
    void Play() override;
    void Stop() override;
    void PlayPause() override;
    void Next() override;
    void Previous() override;
    void Raise() override;
    void Quit() override;
    void SetVolume(double volume) override;

    // The next (or previous) dial slot after `from` that has an address, or -1.
    static int StepSlot(const std::array<std::string, Slot::kCount>& addresses, int from,
                        int direction);

  private:
    TunelinkDlg& window_;
    platform::dbus::MprisService service_;
};

}  // namespace radio
