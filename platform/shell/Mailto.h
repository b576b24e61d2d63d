#pragma once
// "mailto:" addresses (RFC 6068) for handing a prepared mail to the desktop's mail handler.

#include <string>
#include <vector>

namespace platform::shell {

// Percent-encodes every byte of UTF-8 text except the unreserved characters
// (letters, digits, "-", ".", "_", "~"); `keep` names further bytes to leave as they are.
std::string PercentEncode(const std::string& text, const std::string& keep = {});

// mailto:<to1>,<to2>?subject=...&body=... with every part percent-encoded. Empty parts are
// left out; line breaks in the body are sent as CR LF, as RFC 6068 asks.
std::string BuildMailtoUrl(const std::vector<std::string>& recipients, const std::string& subject,
                           const std::string& body);

}  // namespace platform::shell
