#pragma once
// Runs a test body under a given LANG, with LC_ALL and LC_MESSAGES out of the way; the
// previous values come back when the scope ends.

#include <cstdlib>
#include <optional>
#include <string>
#include <utility>
#include <vector>

namespace testsupport {

class LocaleScope {
  public:
    explicit LocaleScope(const char* lang) {
        for (const char* v : {"LC_ALL", "LC_MESSAGES", "LANG"}) {
            const char* old = std::getenv(v);
            saved_.emplace_back(v, old ? std::optional<std::string>(old) : std::nullopt);
            unsetenv(v);
        }
        setenv("LANG", lang, 1);
    }
    ~LocaleScope() {
        for (auto& [name, value] : saved_) {
            if (value)
                setenv(name, value->c_str(), 1);
            else
                unsetenv(name);
        }
    }
    LocaleScope(const LocaleScope&) = delete;
    LocaleScope& operator=(const LocaleScope&) = delete;

  private:
    std::vector<std::pair<const char*, std::optional<std::string>>> saved_;
};

// The German locale the radio's German texts are checked under.
inline constexpr const char* kGerman = "de_DE.UTF-8";
inline constexpr const char* kEnglish = "en_GB.UTF-8";

}  // namespace testsupport
