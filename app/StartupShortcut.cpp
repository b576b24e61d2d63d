#include "app/StartupShortcut.h"

#include <QFile>
#include <QSaveFile>
#include <QString>

#include "platform/shell/Autostart.h"
#include "util/Product.h"
#include "util/io/Files.h"

namespace app {

namespace {

constexpr std::size_t kFilesSectionLength = 7;  // "[Files]"
constexpr std::size_t kPositionWithoutSection = 7;
// The installer writes a few lines; anything far larger is not its list and is left alone.
constexpr qint64 kMaxListSize = 4 * 1024 * 1024;

std::string ListPath(const StartupShortcutPlace& place) {
    return place.programFolder + "/" + kUninstallListName;
}

std::optional<std::string> ReadList(const std::string& path) {
    QFile file(QString::fromStdString(path));
    if (!file.open(QIODevice::ReadOnly) || file.size() > kMaxListSize)
        return std::nullopt;
    const QByteArray bytes = file.read(kMaxListSize + 1);
    if (bytes.size() > kMaxListSize)
        return std::nullopt;
    return bytes.toStdString();
}

void WriteList(const std::string& path, const std::string& text) {
    QSaveFile file(QString::fromStdString(path));
    if (!file.open(QIODevice::WriteOnly))
        return;
    file.write(text.data(), static_cast<qint64>(text.size()));
    file.commit();
}

std::size_t InsertPosition(const std::string& list) {
    const std::size_t section = list.find("[Files]");
    if (section == std::string::npos)
        return std::min(kPositionWithoutSection, list.size());
    std::size_t pos = section + kFilesSectionLength;
    if (list.compare(pos, 2, "\r\n") == 0)
        return pos + 2;
    if (pos < list.size() && list[pos] == '\n')
        return pos + 1;
    return std::min(pos + 1, list.size());
}

}  // namespace

StartupShortcutPlace CurrentStartupShortcutPlace() {
    StartupShortcutPlace place;
    place.programFolder = util::GetProgramFolder();
    place.programPath = util::GetProgramPath();
    place.appName = util::GetAppName();
    place.autostartFolder = platform::shell::AutostartFolder();
    place.displayName = util::kProductTitle;
    return place;
}

std::string ShortcutPath(const StartupShortcutPlace& place) {
    return platform::shell::AutostartEntryPath(place.autostartFolder, place.appName);
}

std::string UninstallEntryLine(const std::string& shortcutPath) {
    return shortcutPath + "=<new>\n";
}

std::optional<std::string> WithUninstallEntry(const std::string& list, const std::string& line) {
    if (list.find(line) != std::string::npos)
        return std::nullopt;
    std::string text = list;
    const std::size_t pos = InsertPosition(list);
    // "[Files]" as the very last text: give it its line break so the entry is a line of its own.
    const bool sectionAtEnd =
        pos == list.size() && list.size() >= kFilesSectionLength &&
        list.compare(list.size() - kFilesSectionLength, kFilesSectionLength, "[Files]") == 0;
    text.insert(pos, sectionAtEnd ? "\n" + line : line);
    return text;
}

std::optional<std::string> WithoutUninstallEntry(const std::string& list, const std::string& line) {
    const std::size_t pos = list.find(line);
    if (pos == std::string::npos)
        return std::nullopt;
    std::string text = list;
    text.erase(pos, line.size());
    return text;
}

bool ShortcutExists(const StartupShortcutPlace& place) {
    return platform::shell::AutostartEntryExists(ShortcutPath(place));
}

int CreateStartupShortcut(const StartupShortcutPlace& place) {
    const std::string path = ShortcutPath(place);
    if (path.empty())
        return -1;
    const std::string listPath = ListPath(place);
    if (const auto list = ReadList(listPath)) {
        if (const auto updated = WithUninstallEntry(*list, UninstallEntryLine(path)))
            WriteList(listPath, *updated);
    }
    const std::string name = place.displayName.empty() ? place.appName : place.displayName;
    return platform::shell::CreateAutostartEntry(path, place.programPath, name, place.appName) ? 0
                                                                                               : -1;
}

void RemoveStartupShortcut(const StartupShortcutPlace& place) {
    const std::string path = ShortcutPath(place);
    if (path.empty())
        return;
    const std::string listPath = ListPath(place);
    if (const auto list = ReadList(listPath)) {
        if (const auto updated = WithoutUninstallEntry(*list, UninstallEntryLine(path)))
            WriteList(listPath, *updated);
    }
    // The menu reads its state from the entry, so an entry that stays shows there.
    if (const util::Status removed = platform::shell::RemoveAutostartEntry(path); !removed)
        qWarning("the start-up entry stays: %s", removed.error().message.c_str());
}

void ToggleStartupShortcut(const StartupShortcutPlace& place) {
    if (ShortcutExists(place))
        RemoveStartupShortcut(place);
    else
        CreateStartupShortcut(place);
}

bool ShortcutExists() {
    return ShortcutExists(CurrentStartupShortcutPlace());
}

void ToggleStartupShortcut() {
    ToggleStartupShortcut(CurrentStartupShortcutPlace());
}

}  // namespace app
