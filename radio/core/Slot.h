#pragma once
// The dial's station slots and how the numbers of the dial, the favourites and the editor
// map onto them.

#include "catalogue/StationData.h"

namespace radio {

// One of the 32 station slots. Slots 0-28 hold the catalogue's stations, 29-31 the favourites
// 1-3; dial sector n shows slot n - 1. For editing, user slot k (0-3) is slot 28 + k: slot 28
// counts as user slot 0 while it has no address, and is reached only from the dial then.
class Slot {
  public:
    static constexpr int kCount = catalogue::CStationData::kSlotCount;
    static constexpr int kFirstFavorite = catalogue::CStationData::kFirstUserSlot;  // favourite 1
    static constexpr int kUserSlotBase = kFirstFavorite - 1;             // user slot 0

    constexpr explicit Slot(int index) : index_(index) {}
    static constexpr bool IsValid(int index) { return index >= 0 && index < kCount; }
    // Dial sector 1-32.
    static constexpr Slot OfSector(int sector) { return Slot(sector - 1); }
    static constexpr Slot OfUserSlot(int userSlot) { return Slot(kUserSlotBase + userSlot); }

    constexpr int Index() const { return index_; }
    constexpr std::size_t At() const { return static_cast<std::size_t>(index_); }
    // An empty slot from here on opens the favourite editor instead of playing.
    constexpr bool MayBeEdited() const { return index_ >= kUserSlotBase; }
    constexpr int UserSlot() const { return index_ - kUserSlotBase; }
    constexpr bool operator==(const Slot&) const = default;

  private:
    int index_;
};

}  // namespace radio
