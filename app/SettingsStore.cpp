#include "app/SettingsStore.h"

#include "ui/Translator.h"
#include "util/io/ReplaceFile.h"
#include "util/text/Numbers.h"
#include "util/text/Utf8.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QSettings>
#include <QStringList>
#include <QTemporaryDir>

#include <cerrno>
#include <cstdlib>
#include <cstring>

namespace app {

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
// Far more than the radio ever writes; a larger file is not read whole into memory.
constexpr qint64 kMaxFileSize = 1024 * 1024;

QMap<QString, QVariant> ReadAll(const QString& path) {
    QMap<QString, QVariant> values;
    if (QFileInfo(path).size() > kMaxFileSize)
        return values;
    QSettings settings(path, QSettings::IniFormat);
    for (const QString& key : settings.allKeys()) values.insert(key, settings.value(key));
    return values;
}

// Values as the file gives them back: an integer written is a text read.
bool SameSettings(const QMap<QString, QVariant>& a, const QMap<QString, QVariant>& b) {
    if (a.keys() != b.keys())
        return false;
    for (auto it = a.cbegin(); it != a.cend(); ++it) {
        if (AsText(it.value()) != AsText(b.value(it.key())))
            return false;
    }
    return true;
}

// A private folder for Qt's text: the system's temporary folder, or beside the settings
// when that cannot be used.
std::unique_ptr<QTemporaryDir> ScratchFolder(const QString& settingsFolder) {
    auto scratch = std::make_unique<QTemporaryDir>();
    if (!scratch->isValid())
        scratch =
            std::make_unique<QTemporaryDir>(settingsFolder + QStringLiteral("/.settings-XXXXXX"));
    return scratch->isValid() ? std::move(scratch) : nullptr;
}

std::string Reason(int error) {
    return error ? std::strerror(error)
                 : ui::CTranslator::InUiLanguage("the file could not be written completely");
}
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

std::string SettingsStore::CannotSaveText(const std::string& path, const std::string& reason) {
    return ui::CTranslator::InUiLanguage("The settings cannot be saved:") + "\n\n\t" + path +
           "\n\n" + reason + ".\n\n" +
           ui::CTranslator::InUiLanguage("Changes last only until the end of this session.");
}

SettingsStore::SettingsStore(const std::string& appName)
    : SettingsStore(PathTag{}, DefaultPath(appName)) {}

SettingsStore::SettingsStore(PathTag, const std::string& path)
    : path_(path), values_(ReadAll(QString::fromStdString(path))) {}

std::unique_ptr<SettingsStore> SettingsStore::AtPath(const std::string& path) {
    return std::unique_ptr<SettingsStore>(new SettingsStore(PathTag{}, path));
}

SettingsStore::~SettingsStore() = default;

std::string SettingsStore::FilePath() const {
    return path_;
}

void SettingsStore::SetFailureReporter(FailureReporter reporter) {
    std::lock_guard lock(mutex_);
    reporter_ = std::move(reporter);
}

QVariant SettingsStore::Value(const std::string& section, const std::string& name) const {
    std::lock_guard lock(mutex_);
    return values_.value(Key(section, name));
}

int SettingsStore::GetInt(const std::string& section, const std::string& name, int def) {
    const QVariant value = Value(section, name);
    if (!value.isValid())
        return def;
    return util::ParseInt(AsText(value).left(64).toStdString()).value_or(def);
}

void SettingsStore::WriteInt(const std::string& section, const std::string& name, int value) {
    Write(Key(section, name), value);
}

std::string SettingsStore::GetText(const std::string& section, const std::string& name,
                                   const std::string& def) {
    const QVariant value = Value(section, name);
    if (!value.isValid())
        return def;
    return util::ValidUtf8(AsText(value).left(kMaxText).toStdString());
}

void SettingsStore::WriteText(const std::string& section, const std::string& name,
                              const std::string& text) {
    Write(Key(section, name), QString::fromStdString(util::ValidUtf8(text)));
}

// A failed write leaves the file and the setting as they were (the setting keeps its
// earlier value), and the user hears of it once, outside the lock: the message may wait
// for the user interface, which may itself be about to read a setting.
void SettingsStore::Write(const QString& key, const QVariant& value) {
    FailureReporter report;
    std::string reason;
    {
        std::lock_guard lock(mutex_);
        QMap<QString, QVariant> updated = values_;
        updated.insert(key, value);
        if (Save(updated, &reason)) {
            values_ = std::move(updated);
            return;
        }
        if (failureReported_)
            return;
        failureReported_ = true;
        report = reporter_;
    }
    if (report)
        report(path_, reason);
}

// Qt writes the INI text (its quoting and escaping are what the reader expects), into a
// private scratch folder; the text is read back and checked before it replaces the file:
// a full disk may let a write "succeed" with a short or empty file.
bool SettingsStore::Save(const QMap<QString, QVariant>& values, std::string* reason) const {
    const QString path = QString::fromStdString(path_);
    const QString folder = QFileInfo(path).absolutePath();
    if (!QDir().mkpath(folder)) {
        *reason = Reason(errno);
        return false;
    }
    const auto scratch = ScratchFolder(folder);
    if (!scratch) {
        *reason = Reason(errno);
        return false;
    }
    const QString scratchFile = scratch->filePath(QStringLiteral("settings.ini"));
    {
        QSettings writer(scratchFile, QSettings::IniFormat);
        for (auto it = values.cbegin(); it != values.cend(); ++it)
            writer.setValue(it.key(), it.value());
        writer.sync();
        if (writer.status() != QSettings::NoError) {
            *reason = Reason(0);
            return false;
        }
    }
    QFile file(scratchFile);
    if (!file.open(QIODevice::ReadOnly) || !SameSettings(ReadAll(scratchFile), values)) {
        *reason = Reason(0);
        return false;
    }
    const QByteArray text = file.readAll();
    const util::Status written = util::WriteFileReplacing(
        path_, std::string_view(text.constData(), static_cast<std::size_t>(text.size())), 0600);
    if (!written) {
        *reason = Reason(written.error().code);
        return false;
    }
    return true;
}

}  // namespace app
