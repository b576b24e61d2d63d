#pragma once
// The settings store on disk: an INI file at `$XDG_CONFIG_HOME/Torvane/<app>.conf`, one
// group per section. Every write reaches the disk at once, so a crash loses nothing, and
// a write that fails (a full disk, a read-only folder) never costs what the file held.

#include "util/Profile.h"

#include <QMap>
#include <QString>
#include <QVariant>

#include <functional>
#include <memory>
#include <mutex>
#include <string>

namespace app {

class SettingsStore : public util::Profile {
  public:
    // Told the file and the reason at the first write that fails; later failures are quiet.
    using FailureReporter = std::function<void(const std::string& path, const std::string& reason)>;

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

    void SetFailureReporter(FailureReporter reporter);

    std::string FilePath() const;
    // `$XDG_CONFIG_HOME/Torvane/<app>.conf` (`~/.config` when unset).
    static std::string DefaultPath(const std::string& appName);

    // The text of the message the user gets once when settings cannot be saved.
    static std::string CannotSaveText(const std::string& path, const std::string& reason);

  private:
    struct PathTag {};
    SettingsStore(PathTag, const std::string& path);

    void Write(const QString& key, const QVariant& value);
    // The whole file with `values` in it; false with a reason when it could not be written.
    bool Save(const QMap<QString, QVariant>& values, std::string* reason) const;
    QVariant Value(const std::string& section, const std::string& name) const;

    const std::string path_;
    mutable std::mutex mutex_;
    QMap<QString, QVariant> values_;  // "section/name" -> value, as on disk
    FailureReporter reporter_;
    bool failureReported_ = false;
};

}  // namespace app
