#pragma once
// The radio's 32 station slots. Slots 0-28 are the built-in stations, slots 29-31 the
// user's favourites 1-3; dial sector n shows slot n - 1.

#include <array>
#include <cstddef>
#include <functional>
#include <string>

namespace util {
class XML2_Element;
}

namespace catalogue {

class CStationData {
  public:
    static constexpr int kSlotCount = 32;
    static constexpr int kBuiltInCount = 29;
    static constexpr int kFirstUserSlot = 29;  // favourite 1
    static constexpr const char* kSection = "CStationData";
    // Bounds for what a catalogue may put into a slot, in characters.
    static constexpr std::size_t kMaxNameChars = 256;
    static constexpr std::size_t kMaxAddressChars = 2048;

    // The text shown for an English one ("Favorite 1"): the window's translation.
    using Translate = std::function<std::string(const std::string& english)>;

    // Built-in stations in slots 0-28, favourites 1-3 from the settings store, named
    // "Favorite 1" ... "Favorite 3" through `translate` (unchanged without one).
    explicit CStationData(const Translate& translate = {});

    std::array<std::string, kSlotCount> address;  // handed to the player unchanged
    std::array<std::string, kSlotCount> name;
    int current = 0;
};

// One built-in station: its display name and its stream or playlist address, written the
// way the catalogue writes them (a trailing blank, "&amp;" for ampersands in queries).
struct BuiltInStation {
    const char* name;
    const char* address;
};
const std::array<BuiltInStation, CStationData::kBuiltInCount>& BuiltInStations();

// Copies the catalogue entries of a document into the table. Only direct children of the
// root named exactly "S_1" ... "S_32" count; an entry needs "url", "des" is optional.
// A name is made one bounded line (see util::DisplayLine); an entry whose address is
// longer than kMaxAddressChars is skipped.
void FillStationTable(const util::XML2_Element& root, CStationData& table);

}  // namespace catalogue
