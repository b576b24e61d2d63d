#include "util/text/Utf8.h"

#include <cstdint>

namespace util {

namespace {
constexpr std::string_view kReplacement = "\xEF\xBF\xBD";
}  // namespace

std::size_t Utf8SequenceLength(std::string_view s) {
    if (s.empty())
        return 0;
    const auto b = [&](std::size_t i) { return static_cast<std::uint8_t>(s[i]); };
    const auto cont = [&](std::size_t i) { return i < s.size() && (b(i) & 0xC0) == 0x80; };
    const std::uint8_t c = b(0);
    if (c < 0x80)
        return 1;
    if (c >= 0xC2 && c <= 0xDF)
        return cont(1) ? 2 : 0;
    if (c >= 0xE0 && c <= 0xEF) {
        if (!cont(1) || !cont(2))
            return 0;
        if (c == 0xE0 && b(1) < 0xA0)
            return 0;  // overlong
        if (c == 0xED && b(1) > 0x9F)
            return 0;  // surrogate
        return 3;
    }
    if (c >= 0xF0 && c <= 0xF4) {
        if (!cont(1) || !cont(2) || !cont(3))
            return 0;
        if (c == 0xF0 && b(1) < 0x90)
            return 0;  // overlong
        if (c == 0xF4 && b(1) > 0x8F)
            return 0;  // above U+10FFFF
        return 4;
    }
    return 0;
}

std::string ValidUtf8(std::string_view bytes) {
    std::string out;
    out.reserve(bytes.size());
    while (!bytes.empty()) {
        const std::size_t n = Utf8SequenceLength(bytes);
        if (n == 0) {
            out += kReplacement;
            bytes.remove_prefix(1);
        } else {
            out.append(bytes.substr(0, n));
            bytes.remove_prefix(n);
        }
    }
    return out;
}

bool IsValidUtf8(std::string_view bytes) {
    while (!bytes.empty()) {
        const std::size_t n = Utf8SequenceLength(bytes);
        if (n == 0)
            return false;
        bytes.remove_prefix(n);
    }
    return true;
}

}  // namespace util
