#pragma once
#include <optional>
#include <string_view>

namespace util {

// A whole decimal number in the 32-bit range, with optional sign and surrounding blanks;
// anything else (text, fractions, overflow) gives nothing.
std::optional<int> ParseInt(std::string_view text);

}  // namespace util
