#pragma once
// Text from outside (stream titles, catalogue names) made fit for one line on screen, in a
// window title, over the session bus and in the log: bounded, on one line, and unable to
// reorder what follows it.

#include <cstddef>
#include <string>
#include <string_view>

namespace util {

// Longest stream title or station name the radio shows, in characters (code points).
inline constexpr std::size_t kMaxDisplayChars = 256;

// Valid UTF-8 of at most maxChars characters: line and paragraph breaks and tabs become a
// space, every other control character is dropped, and so are the bidirectional
// embedding, override and isolate characters (U+202A-U+202E, U+2066-U+2069), whose effect
// would reach past the text into the rest of the line. The directional marks (U+200E,
// U+200F, U+061C) stay: they reorder nothing beyond their own neighbours, and right-to-left
// titles use them. A longer text is cut and ends with "…" (counted in maxChars).
std::string DisplayLine(std::string_view text, std::size_t maxChars = kMaxDisplayChars);

// Number of characters (code points) of valid UTF-8 text.
std::size_t CharCount(std::string_view utf8);

}  // namespace util
