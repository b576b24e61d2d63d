#pragma once
// The community station directory (the Radio Browser interface, JSON over HTTP): the
// addresses of its searches and click calls, and what its answers may put in front of the
// listener. Everything an answer holds is untrusted: fields are bounded and cleaned, and only
// stations with a network stream address are kept.

#include "util/Result.h"

#include <cstddef>
#include <string>
#include <string_view>
#include <vector>

namespace catalogue::directory {

inline constexpr const char* kDefaultBase = "https://all.api.radio-browser.info";
inline constexpr const char* kUserAgent = "Tunelink/1.0";
inline constexpr std::size_t kMaxNameChars = 256;
inline constexpr std::size_t kMaxAddressBytes = 2048;
inline constexpr std::size_t kMaxFilterChars = 64;
inline constexpr std::size_t kMaxStations = 500;
inline constexpr int kSearchLimit = 100;

struct SearchQuery {
    std::string name;
    std::string tag;
    std::string countryCode;  // two letters, or empty for every country
};

struct Station {
    std::string uuid;
    std::string name;
    std::string address;  // the directory's resolved stream address
    std::string country;
    std::string countryCode;
    std::string tags;
    std::string codec;
    int bitrate = 0;  // kbit/s, 0 when unknown
    bool hls = false;
};

// The directory's base address: http or https, no query, no trailing slash; a failure
// names what is wrong with it.
util::Result<std::string> CheckedBase(std::string_view base);

// The search for the query's words, best-voted first, broken stations left out by the
// directory itself. Filters are trimmed and bounded; a country code that is not two letters
// is left out.
std::string SearchAddress(const std::string& base, const SearchQuery& query);

// The click call for a station (the directory counts it and answers with the address);
// fails for anything that is not a station identifier.
util::Result<std::string> ClickAddress(const std::string& base, std::string_view uuid);

// The stations of a search answer, in the answer's order, at most kMaxStations; entries
// without a usable stream address, marked as failing their last check, or without an
// identifier are left out. Fails when the body is not a JSON array.
util::Result<std::vector<Station>> ParseSearchAnswer(std::string_view body);

// The stream address from a click answer; fails when the answer has none that may be played.
util::Result<std::string> ParseClickAnswer(std::string_view body);

}  // namespace catalogue::directory
