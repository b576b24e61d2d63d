#include "catalogue/StationData.h"

#include "util/Profile.h"
#include "util/text/DisplayText.h"
#include "util/xml/Xml2.h"

namespace catalogue {

const std::array<BuiltInStation, CStationData::kBuiltInCount>& BuiltInStations() {
    static const std::array<BuiltInStation, CStationData::kBuiltInCount> stations{{
        {"Mania 92.9 FM - Santo Domingo (Dominikanische Republik) - Genre: Merengue",
         "http://www.mania929.com/envivo/mania929.asx "},
        {"Latino 96.3  FM - Los Angeles (USA) - Genre: Reggaeton",
         "http://www.latino963.com/player/latino963.asx "},
        {"SWR3 - Baden-Baden (Deutschland) - Genre: Mix", "http://mp3-live.swr3.de/swr3_m.m3u "},
        {"Discoradio - Rom (Italien) - Genre: Mix",
         "http://www.discoradio.it/live/discoradio.asx "},
        {"Corazón 101.3 FM - Santiago (Chile)", "http://www.corazon.cl/envivo/corazon.asx "},
        {"Tropicana 102.9 FM - Bogota (Kolumbien) - Genre: Salsa",
         "http://www.tropicanafm.com/envivo/tropicana.asx "},
        {"Munich's Hardest Hits - München (Deutschland) - Genre: Mix",
         "http://www.hardesthits.de/stream/hardesthits.m3u "},
        {"Batanga Salsa - Genre: Salsa",
         "http://www.batanga.com/player/stream.asx?station=salsa&amp;format=wma "},
        {"96FM Perth`s best Music - Perth (Australien) - Genre: Top 40",
         "http://www.96fm.com.au/live/96fm.asx "},
        {"Batanga Merengue - Genre: Merengue",
         "http://www.batanga.com/player/stream.asx?station=merengue&amp;format=wma "},
        {"Crioyo-Online - Oranjestad (Aruba) - Genre: Caribbean",
         "http://www.crioyo.com/live/crioyo.asx "},
        {"Musik Lounge on Raute Musik - Aachen (Deutschland) - Genre: Lounge",
         "http://lounge-high.rautemusik.fm/listen.pls "},
        {"NWR1 Radio", "http://www.nwr1.com/live/nwr1.asx "},
        {"Batanga Jazz - Genre: Latin Jazz",
         "http://www.batanga.com/player/stream.asx?station=jazz&amp;format=wma "},
        {"Batanga Flamenco - Genre: Flamenco",
         "http://www.batanga.com/player/stream.asx?station=flamenco&amp;format=wma "},
        {"Energy 103.4 FM - Berlin (Germany) - Genre: Mix",
         "http://www.energy.de/stream/berlin.m3u "},
        {"Mega FM - Lissabon (Portugal) - Genre: Mix", "http://www.megafm.pt/live/megafm.asx "},
        {"KM Radio - London (England) - Genre: Drum+Bass",
         "http://www.kmradio.co.uk/live/kmradio.pls "},
        {"WZBZ 99.3 The Buzz - Atlantic City (USA) - Genre: Hip Hop",
         "http://www.993thebuzz.com/live/wzbz.asx "},
        {"FunX - Rotterdam (Niederlande) - Genre: Hip Hop", "http://www.funx.nl/live/funx.asx "},
        {"SomaFM Groove Salad - San Francisco (USA) - Genre: Chillout",
         "http://somafm.com/groovesalad.pls "},
        {"Radio Progreso - Havanna (Kuba) - Genre: Latino",
         "http://www.radioprogreso.icrt.cu/envivo/progreso.asx "},
        {"Einslive - Köln (Deutschland) - Genre: Mix",
         "http://www.wdr.de/wdrlive/media/einslive.m3u "},
        {"Batanga Tropical - Genre: Tropical",
         "http://www.batanga.com/player/stream.asx?station=tropical&amp;format=wma "},
        {"Radio Tropic 93.0 FM - Zuerich (Schweiz) - Genre: Tropical",
         "http://www.radiotropic.ch/live/tropic.asx "},
        {"K44081HKS 106.1 Kiss FM - Dallas (USA) - Genre: Top 40",
         "http://www.kissfm.com/live/kiss1061.asx "},
        {"Lounge-Radio - Baden (Schweiz) - Genre: Lounge",
         "http://www.lounge-radio.com/listen128.m3u "},
        {"Hot Radio Mix - Paris (Frankreich) - Genre: House",
         "http://www.hotmixradio.fr/live/hotmixradio-house.m3u "},
        {"Ibiza Global Radio - Ibiza (Spanien) - Genre: Dance",
         "http://www.ibizaglobalradio.com/listen/ibizaglobalradio.pls "},
    }};
    return stations;
}

CStationData::CStationData(const Translate& translate) {
    const auto& builtIn = BuiltInStations();
    for (int i = 0; i < kBuiltInCount; ++i) {
        name[i] = builtIn[i].name;
        address[i] = builtIn[i].address;
    }
    for (int user = 1; user <= 3; ++user) {
        const int slot = kFirstUserSlot + user - 1;
        const std::string english = "Favorite " + std::to_string(user);
        name[slot] = translate ? translate(english) : english;
        address[slot] = util::TheProfile().GetText(kSection, std::to_string(user), "");
    }
}

namespace {
// The slot an element name stands for: "S_1" ... "S_32" exactly, nothing else
// ("S_05", "s_5", "S_0" and "S_33" are no entries).
int SlotOfEntryName(const std::string& elementName) {
    for (int n = 1; n <= CStationData::kSlotCount; ++n) {
        if (elementName == "S_" + std::to_string(n))
            return n - 1;
    }
    return -1;
}
}  // namespace

void FillStationTable(const util::XML2_Element& root, CStationData& table) {
    for (int i = 0; i < root.GetChildCount(); ++i) {
        const util::XML2_Element& entry = *root.GetChild(i);
        const int slot = SlotOfEntryName(entry.Name());
        if (slot < 0)
            continue;
        const std::string* url = entry.GetAttribute("url");
        if (!url)
            continue;  // a name without an address is never taken
        // Cutting an address would play something else: an overlong one leaves the slot as
        // it was.
        if (util::CharCount(*url) > CStationData::kMaxAddressChars)
            continue;
        table.address[slot] = *url;
        if (const std::string* des = entry.GetAttribute("des"))
            table.name[slot] = util::DisplayLine(*des, CStationData::kMaxNameChars);
    }
}

}  // namespace catalogue
