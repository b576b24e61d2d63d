#include "radio/core/Commands.h"

#include "radio/SkinGeometry.h"

namespace radio::command {

int ForHotspot(int hotspot) {
    namespace g = geometry;
    if (hotspot >= 1 && hotspot <= Slot::kCount)
        return ForStation(Slot::OfSector(hotspot));
    switch (hotspot) {
        case g::kHotStop:
            return kStop;
        case g::kHotPlay:
            return kPlay;
        case g::kHotMute:
            return kMute;
        case g::kHotVolume:
            return kVolumeDrag;
        case g::kHotPower:
            return kPower;
        case g::kHotWeb:
            return kWeb;
        default:
            return 0;
    }
}

}  // namespace radio::command
