#pragma once
// The user's language as a Windows-style language identifier (LANGID), derived from the
// POSIX locale (LC_ALL, then LC_MESSAGES, then LANG), so the translator's table of
// identifiers works unchanged.

#include <cstdint>
#include <string>

namespace platform {

// "de_DE.UTF-8" -> 0x0407, "fr_CA" -> 0x0C0C, "C" or unknown -> 0x0409 (English, US).
std::uint16_t LangIdFromLocaleName(const std::string& locale);
// The identifier of the current process's locale environment.
std::uint16_t UserDefaultLangId();

}  // namespace platform
