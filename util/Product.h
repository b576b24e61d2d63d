#pragma once
// The product's names, shown in window titles, messages, menus and the mail subject.

namespace util {

inline constexpr const char* kProductTitle = "Orbifon 1.0";
inline constexpr const char* kShortName = "Tunelink";

// The maker's hosts: the web site (named in the catalogue download's agent text) and the
// server that publishes the station catalogue.
inline constexpr const char* kWebSiteHost = "www.torvane.com";
inline constexpr const char* kCatalogueHost = "radio.torvane.com";

// The maker's contact address: the sender named in a recommendation mail.
inline constexpr const char* kContactAddress = "tunelink@torvane.com";

}  // namespace util
