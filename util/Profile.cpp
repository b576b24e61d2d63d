#include "util/Profile.h"

#include "util/text/Numbers.h"

namespace util {

namespace {
std::string Key(const std::string& section, const std::string& name) {
    return section + "/" + name;
}
}  // namespace

int MemoryProfile::GetInt(const std::string& section, const std::string& name, int def) {
    std::lock_guard lock(mutex_);
    auto it = values_.find(Key(section, name));
    return it == values_.end() ? def : ParseInt(it->second).value_or(def);
}

void MemoryProfile::WriteInt(const std::string& section, const std::string& name, int value) {
    std::lock_guard lock(mutex_);
    values_[Key(section, name)] = std::to_string(value);
}

std::string MemoryProfile::GetText(const std::string& section, const std::string& name,
                                   const std::string& def) {
    std::lock_guard lock(mutex_);
    auto it = values_.find(Key(section, name));
    return it == values_.end() ? def : it->second;
}

void MemoryProfile::WriteText(const std::string& section, const std::string& name,
                              const std::string& text) {
    std::lock_guard lock(mutex_);
    values_[Key(section, name)] = text;
}

namespace {
MemoryProfile& DefaultProfile() {
    static MemoryProfile profile;
    return profile;
}
Profile* g_profile = nullptr;
}  // namespace

Profile& TheProfile() {
    return g_profile ? *g_profile : DefaultProfile();
}

void InstallProfile(Profile* profile) {
    g_profile = profile;
}

}  // namespace util
