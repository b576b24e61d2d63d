#pragma once
// A local stand-in for the community station directory: the part of its JSON interface the
// radio uses, on 127.0.0.1 at a free port, started by the constructor, stopped by the
// destructor.
//
//   /json/stations/search?name=&tag=&countrycode=&limit=&hidebroken=&order=votes&reverse=true
//       the stations below whose name contains `name` (any case), whose tags contain `tag`
//       and whose country code is `countrycode`, best-voted first; with hidebroken=true the
//       broken station is left out. Names that start a special answer:
//         "langsam"   the answer comes after slowMs
//         "kaputt"    500 Internal Server Error
//         "wirr"      a body that is not JSON
//         "riesig"    a valid list of more than 2 MiB
//   /json/url/<uuid>   {"ok":true,"url":...} for a known station (counted), else ok false
//
// Stations: "Jazz Welle" (DE, jazz, MP3 128, the most votes), "Jazz Lounge" (FR, jazz, OGG),
// "Nachrichten Eins" (DE, news), "Verloren FM" (broken), "Lokale Datei" (a file:// address).
// Their stream addresses are streamBase + "/live.mp3" or "/live.ogg".

#include <memory>
#include <string>

namespace testsupport {

struct DirectoryStationEntry {
    std::string uuid, name, path, country, countryCode, tags, codec;
    int bitrate = 0, votes = 0;
    bool broken = false;
};

class DirectoryServer {
  public:
    // streamBase: where the stations' streams are, such as a StreamServer's Url("").
    explicit DirectoryServer(std::string streamBase, int slowMs = 2000);
    ~DirectoryServer();
    DirectoryServer(const DirectoryServer&) = delete;
    DirectoryServer& operator=(const DirectoryServer&) = delete;

    // "http://127.0.0.1:<port>"
    std::string Base() const;
    static const DirectoryStationEntry& Station(const std::string& name);
    int Searches() const;
    int Clicks(const std::string& uuid) const;
    // The User-Agent of the last request.
    std::string LastAgent() const;

  private:
    struct Impl;
    std::unique_ptr<Impl> impl_;
};

}  // namespace testsupport
