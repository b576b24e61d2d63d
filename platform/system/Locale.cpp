#include "platform/system/Locale.h"

#include <cstdlib>
#include <string_view>

namespace platform {

namespace {
struct LocaleId {
    std::string_view name;  // language_TERRITORY, or a bare language for its primary sublanguage
    std::uint16_t id;
};

// The territories the translator distinguishes, plus each language's primary identifier.
constexpr LocaleId kIds[] = {
    {"de_DE", 0x0407}, {"de_CH", 0x0807}, {"de_AT", 0x0C07}, {"de_LU", 0x1007}, {"de_LI", 0x1407},
    {"de", 0x0407},    {"fr_FR", 0x040C}, {"fr_BE", 0x080C}, {"fr_CA", 0x0C0C}, {"fr_CH", 0x100C},
    {"fr_LU", 0x140C}, {"fr_MC", 0x180C}, {"fr", 0x040C},    {"it_IT", 0x0410}, {"it_CH", 0x0810},
    {"it", 0x0410},    {"cs_CZ", 0x0405}, {"cs", 0x0405},    {"es_ES", 0x0C0A}, {"es_MX", 0x080A},
    {"es_GT", 0x100A}, {"es_CR", 0x140A}, {"es_PA", 0x180A}, {"es_DO", 0x1C0A}, {"es_VE", 0x200A},
    {"es_CO", 0x240A}, {"es_PE", 0x280A}, {"es_AR", 0x2C0A}, {"es_EC", 0x300A}, {"es_CL", 0x340A},
    {"es_UY", 0x380A}, {"es_PY", 0x3C0A}, {"es_BO", 0x400A}, {"es_SV", 0x440A}, {"es_HN", 0x480A},
    {"es_NI", 0x4C0A}, {"es_PR", 0x500A}, {"es", 0x0C0A},    {"pt_BR", 0x0416}, {"pt_PT", 0x0816},
    {"pt", 0x0816},    {"pl_PL", 0x0415}, {"pl", 0x0415},    {"hu_HU", 0x040E}, {"hu", 0x040E},
    {"nl_NL", 0x0413}, {"nl_BE", 0x0813}, {"nl", 0x0413},    {"da_DK", 0x0406}, {"da", 0x0406},
    {"en_GB", 0x0809}, {"en", 0x0409},
};
constexpr std::uint16_t kEnglishUs = 0x0409;
}  // namespace

std::uint16_t LangIdFromLocaleName(const std::string& locale) {
    // Strip ".codeset" and "@modifier": "de_DE.UTF-8@euro" -> "de_DE".
    const std::string_view full(locale);
    const std::string_view base = full.substr(0, full.find_first_of(".@"));
    const std::string_view language = base.substr(0, base.find('_'));
    for (const auto& entry : kIds) {
        if (entry.name == base)
            return entry.id;
    }
    for (const auto& entry : kIds) {
        if (entry.name == language)
            return entry.id;
    }
    return kEnglishUs;
}

std::uint16_t UserDefaultLangId() {
    for (const char* variable : {"LC_ALL", "LC_MESSAGES", "LANG"}) {
        const char* value = std::getenv(variable);
        if (value && *value)
            return LangIdFromLocaleName(value);
    }
    return kEnglishUs;
}

}  // namespace platform
