// Parsing a full 32-entry catalogue document and filling the station table from it: the
// work of every start-up with a cache and of every daily update.
#include "catalogue/StationData.h"
#include "util/xml/Xml2.h"

#include <benchmark/benchmark.h>

#include <string>

namespace {
std::string EscapeAttribute(const std::string& text) {
    std::string out;
    for (char c : text) {
        switch (c) {
            case '&':
                out += "&amp;";
                break;
            case '"':
                out += "&quot;";
                break;
            case '<':
                out += "&lt;";
                break;
            default:
                out += c;
        }
    }
    return out;
}

std::string CatalogueDocument() {
    std::string doc = "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n<STATION>\n";
    const auto& stations = catalogue::BuiltInStations();
    for (int n = 1; n <= 32; ++n) {
        const auto& s =
            stations[static_cast<std::size_t>((n - 1) % catalogue::CStationData::kBuiltInCount)];
        doc += "  <S_" + std::to_string(n) + " url=\"" + EscapeAttribute(s.address) + "\" des=\"" +
               EscapeAttribute(s.name) + "\"/>\n";
    }
    return doc + "</STATION>\n";
}
}  // namespace

static void BM_ParseCatalogueAndFillTable(benchmark::State& state) {
    const std::string doc = CatalogueDocument();
    catalogue::CStationData table;
    for (auto _ : state) {
        util::XML2_Parser::Document root = util::XML2_Parser().ParseBuffer(doc.data(), doc.size());
        catalogue::FillStationTable(**root, table);
        benchmark::DoNotOptimize(table.address[31].data());
    }
    state.SetBytesProcessed(static_cast<int64_t>(state.iterations() * doc.size()));
}
BENCHMARK(BM_ParseCatalogueAndFillTable)->Unit(benchmark::kMicrosecond);
