// Arbitrary bytes as a catalogue document: parse, walk into the station table, and read
// the same bytes back as a cache file.
#include "catalogue/StationData.h"
#include "util/xml/Xml2.h"

#include <unistd.h>

#include <cstdint>
#include <cstdio>
#include <string>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    static catalogue::CStationData table;
    if (auto root = util::XML2_Parser().ParseBuffer(reinterpret_cast<const char*>(data), size)) {
        catalogue::FillStationTable(**root, table);
        (void)(*root)->GetPath();
    }

    static const std::string path = "/tmp/fuzz-xml-" + std::to_string(getpid()) + ".xml";
    if (std::FILE* f = std::fopen(path.c_str(), "wb")) {
        std::fwrite(data, 1, size, f);
        std::fclose(f);
        if (auto root = util::XML2_Parser().ReadFile(path))
            catalogue::FillStationTable(**root, table);
    }
    return 0;
}
