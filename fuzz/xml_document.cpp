// Arbitrary bytes as a catalogue document: parse, walk into the station table, and read
// the same bytes back as a cache file.
#include "catalogue/StationData.h"
#include "util/io/Exception.h"
#include "util/xml/Xml2.h"

#include <unistd.h>

#include <cstdint>
#include <cstdio>
#include <string>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    static CStationData table;
    try {
        auto root = util::XML2_Parser().ParseBuffer(reinterpret_cast<const char*>(data), size);
        if (root) {
            FillStationTable(*root, table);
            (void)root->GetPath();
        }
    } catch (const util::XML2_Exception& e) {
        (void)e.ToString();
    }

    static const std::string path = "/tmp/fuzz-xml-" + std::to_string(getpid()) + ".xml";
    if (std::FILE* f = std::fopen(path.c_str(), "wb")) {
        std::fwrite(data, 1, size, f);
        std::fclose(f);
        try {
            auto root = util::XML2_Parser().ReadFile(path);
            if (root)
                FillStationTable(*root, table);
        } catch (const util::Exception& e) {
            (void)e.ToString();
        }
    }
    return 0;
}
