#pragma once
// How the catalogue update tells the radio window that its station table must be filled
// again (command 191). The window implements it; tests use their own.

namespace catalogue {

class StationsChangedSink {
  public:
    virtual ~StationsChangedSink() = default;
    // Called on the download thread. Blocks until the window has refilled its table from
    // the updater's document; false when the window refused because it is closing.
    virtual bool SendStationsChanged() = 0;
};

}  // namespace catalogue
