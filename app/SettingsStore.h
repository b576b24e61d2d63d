#pragma once
// The settings store on disk: an INI file at `$XDG_CONFIG_HOME/Torvane/<app>.conf`, one
// group per section. Every write is flushed at once, so a crash loses nothing.

#include "util/Profile.h"

#include <memory>
#include <mutex>
#include <string>

class QSettings;

class SettingsStore : public util::Profile {
  public:
    // `appName` is the program file's name without extension.
    explicit SettingsStore(const std::string& appName);
    // A store on an explicit file (tests).
    static std::unique_ptr<SettingsStore> AtPath(const std::string& path);
    ~SettingsStore() override;

    int GetInt(const std::string& section, const std::string& name, int def) override;
    void WriteInt(const std::string& section, const std::string& name, int value) override;
    std::string GetText(const std::string& section, const std::string& name,
                        const std::string& def) override;
    void WriteText(const std::string& section, const std::string& name,
                   const std::string& text) override;

    std::string FilePath() const;
    // `$XDG_CONFIG_HOME/Torvane/<app>.conf` (`~/.config` when unset).
    static std::string DefaultPath(const std::string& appName);

  private:
    struct PathTag {};
    SettingsStore(PathTag, const std::string& path);

    mutable std::mutex mutex_;
    std::unique_ptr<QSettings> settings_;
};
