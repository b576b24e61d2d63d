#include "util/text/DisplayText.h"

#include "util/text/Utf8.h"

#include <cstdint>

namespace util {

namespace {

constexpr std::string_view kEllipsis = "\xE2\x80\xA6";     // U+2026
constexpr std::string_view kReplacement = "\xEF\xBF\xBD";  // U+FFFD

bool IsContinuation(char c) {
    return (static_cast<std::uint8_t>(c) & 0xC0) == 0x80;
}

// The code point of a well-formed sequence of the given length.
char32_t Decode(std::string_view s, std::size_t length) {
    const auto b = [&](std::size_t i) {
        return static_cast<char32_t>(static_cast<std::uint8_t>(s[i]));
    };
    switch (length) {
        case 1:
            return b(0);
        case 2:
            return ((b(0) & 0x1F) << 6) | (b(1) & 0x3F);
        case 3:
            return ((b(0) & 0x0F) << 12) | ((b(1) & 0x3F) << 6) | (b(2) & 0x3F);
        default:
            return ((b(0) & 0x07) << 18) | ((b(1) & 0x3F) << 12) | ((b(2) & 0x3F) << 6) |
                   (b(3) & 0x3F);
    }
}

bool IsLineBreakOrTab(char32_t c) {
    return c == '\t' || c == '\n' || c == '\v' || c == '\f' || c == '\r' || c == 0x85 ||
           c == 0x2028 || c == 0x2029;
}

bool IsControl(char32_t c) {
    return c < 0x20 || (c >= 0x7F && c <= 0x9F);
}

bool IsDirectionalFormatting(char32_t c) {
    return (c >= 0x202A && c <= 0x202E) || (c >= 0x2066 && c <= 0x2069);
}

}  // namespace

// Reads the input only until one character more than fits has been kept, so a huge text
// costs no more than a short one (beyond what is dropped on the way).
std::string DisplayLine(std::string_view text, std::size_t maxChars) {
    std::string out;
    std::size_t chars = 0;
    std::size_t lastFits = 0;  // where the ellipsis goes when the text is too long
    while (!text.empty()) {
        const std::size_t length = Utf8SequenceLength(text);
        std::string_view piece = length ? text.substr(0, length) : kReplacement;
        const char32_t c = length ? Decode(text, length) : 0xFFFD;
        text.remove_prefix(length ? length : 1);
        if (IsLineBreakOrTab(c))
            piece = " ";
        else if (IsControl(c) || IsDirectionalFormatting(c))
            continue;
        if (chars == maxChars) {
            if (maxChars == 0)
                return {};
            out.resize(lastFits);
            out += kEllipsis;
            return out;
        }
        if (chars + 1 == maxChars)
            lastFits = out.size();
        out += piece;
        ++chars;
    }
    return out;
}

std::size_t CharCount(std::string_view utf8) {
    std::size_t chars = 0;
    for (char c : utf8) chars += IsContinuation(c) ? 0 : 1;
    return chars;
}

}  // namespace util
