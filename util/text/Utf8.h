#pragma once
// Texts inside the program are UTF-8. Text arriving from outside is validated here:
// every byte sequence that is not well-formed UTF-8 becomes U+FFFD.

#include <string>
#include <string_view>

namespace util {

std::string ValidUtf8(std::string_view bytes);
bool IsValidUtf8(std::string_view bytes);
// Length of the well-formed sequence at the start of bytes (1-4), or 0 when it is not
// well-formed (RFC 3629: no overlongs, no surrogates, nothing above U+10FFFF).
std::size_t Utf8SequenceLength(std::string_view bytes);

}  // namespace util
