// Arbitrary bytes as a stream title or station name: what comes out must be one line of
// valid UTF-8, no longer than asked, without control or bidi override characters.
#include "util/text/DisplayText.h"
#include "util/text/Utf8.h"

#include <cstdint>
#include <cstdlib>
#include <string>
#include <string_view>

namespace {

bool HasForbiddenCharacter(std::string_view text) {
    for (std::size_t i = 0; i < text.size();) {
        const std::size_t n = util::Utf8SequenceLength(text.substr(i));
        if (n == 0)
            return true;
        const auto b = [&](std::size_t k) { return static_cast<std::uint8_t>(text[i + k]); };
        if (n == 1 && (b(0) < 0x20 || b(0) == 0x7F))
            return true;
        if (n == 2 && b(0) == 0xC2 && b(1) <= 0x9F)
            return true;  // C1 controls
        if (n == 3 && b(0) == 0xE2 && b(1) == 0x80 && (b(2) >= 0xA8 && b(2) <= 0xAE))
            return true;  // line and paragraph separators, embeddings and overrides
        if (n == 3 && b(0) == 0xE2 && b(1) == 0x81 && (b(2) >= 0xA6 && b(2) <= 0xA9))
            return true;  // isolates
        i += n;
    }
    return false;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    if (size == 0)
        return 0;
    // The first byte chooses the bound, the rest is the text.
    const std::size_t maxChars = data[0];
    const std::string_view text(reinterpret_cast<const char*>(data + 1), size - 1);
    const std::string line = util::DisplayLine(text, maxChars);
    if (!util::IsValidUtf8(line) || util::CharCount(line) > maxChars || HasForbiddenCharacter(line))
        std::abort();
    // Cleaning a clean line changes nothing.
    if (util::DisplayLine(line, maxChars) != line)
        std::abort();
    return 0;
}
