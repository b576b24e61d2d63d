#include "app/SettingsStore.h"

#include "util/text/Numbers.h"
#include "util/text/Utf8.h"

#include <QSettings>
#include <QString>

#include <cstdlib>

namespace {
QString Key(const std::string& section, const std::string& name) {
    return QString::fromStdString(section) + '/' + QString::fromStdString(name);
}
// An unquoted value with commas reads back as a list; it is still one text to us.
QString AsText(const QVariant& value) {
    if (value.typeId() == QMetaType::QStringList)
        return value.toStringList().join(QStringLiteral(", "));
    return value.toString();
}
// A hand-edited file may hold anything; texts are bounded so a huge value cannot flood
// the status line or the player.
constexpr qsizetype kMaxText = 4096;
}  // namespace

std::string SettingsStore::DefaultPath(const std::string& appName) {
    const char* xdg = std::getenv("XDG_CONFIG_HOME");
    std::string base;
    if (xdg && *xdg == '/') {
        base = xdg;
    } else {
        const char* home = std::getenv("HOME");
        base = std::string(home && *home ? home : "/") + "/.config";
    }
    return base + "/Torvane/" + appName + ".conf";
}

SettingsStore::SettingsStore(const std::string& appName)
    : SettingsStore(PathTag{}, DefaultPath(appName)) {}

SettingsStore::SettingsStore(PathTag, const std::string& path)
    : settings_(std::make_unique<QSettings>(QString::fromStdString(path), QSettings::IniFormat)) {}

std::unique_ptr<SettingsStore> SettingsStore::AtPath(const std::string& path) {
    return std::unique_ptr<SettingsStore>(new SettingsStore(PathTag{}, path));
}

SettingsStore::~SettingsStore() = default;

std::string SettingsStore::FilePath() const {
    return settings_->fileName().toStdString();
}

int SettingsStore::GetInt(const std::string& section, const std::string& name, int def) {
    std::lock_guard lock(mutex_);
    const QVariant value = settings_->value(Key(section, name));
    if (!value.isValid())
        return def;
    return util::ParseInt(AsText(value).left(64).toStdString()).value_or(def);
}

void SettingsStore::WriteInt(const std::string& section, const std::string& name, int value) {
    std::lock_guard lock(mutex_);
    settings_->setValue(Key(section, name), value);
    settings_->sync();
}

std::string SettingsStore::GetText(const std::string& section, const std::string& name,
                                   const std::string& def) {
    std::lock_guard lock(mutex_);
    const QVariant value = settings_->value(Key(section, name));
    if (!value.isValid())
        return def;
    return util::ValidUtf8(AsText(value).left(kMaxText).toStdString());
}

void SettingsStore::WriteText(const std::string& section, const std::string& name,
                              const std::string& text) {
    std::lock_guard lock(mutex_);
    settings_->setValue(Key(section, name), QString::fromStdString(util::ValidUtf8(text)));
    settings_->sync();
}
