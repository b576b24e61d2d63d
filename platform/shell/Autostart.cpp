#include "platform/shell/Autostart.h"

#include "util/io/ReplaceFile.h"

#include <unistd.h>
#include <QByteArray>
#include <QDir>
#include <QFileInfo>
#include <QString>

#include <algorithm>
#include <cerrno>
#include <cstdlib>
#include <system_error>

namespace platform::shell {

namespace {

bool HasControlCharacter(const std::string& text) {
    return std::any_of(text.begin(), text.end(), [](char c) {
        const auto u = static_cast<unsigned char>(c);
        return u < 0x20 || u == 0x7f;
    });
}

bool IsValidUtf8(const std::string& text) {
    const QByteArray bytes(text.data(), static_cast<qsizetype>(text.size()));
    return QString::fromUtf8(bytes).toUtf8() == bytes;
}

// Escapes for a desktop file's string values; other control characters are dropped.
std::string EscapeStringValue(const std::string& text) {
    std::string out;
    for (char c : text) {
        switch (c) {
            case '\\':
                out += "\\\\";
                break;
            case '\n':
                out += "\\n";
                break;
            case '\t':
                out += "\\t";
                break;
            case '\r':
                out += "\\r";
                break;
            default:
                if (static_cast<unsigned char>(c) >= 0x20 && c != 0x7f)
                    out += c;
        }
    }
    return out;
}

std::string PlainText(const std::string& text) {
    return IsValidUtf8(text) ? text : QString::fromUtf8(text.c_str()).toStdString();
}

}  // namespace

std::string AutostartFolder() {
    const char* config = std::getenv("XDG_CONFIG_HOME");
    if (config && config[0] == '/')
        return std::string(config) + "/autostart";
    const char* home = std::getenv("HOME");
    if (home && home[0] == '/')
        return std::string(home) + "/.config/autostart";
    return {};
}

std::string AutostartEntryPath(const std::string& folder, const std::string& appName) {
    if (folder.empty() || appName.empty() || appName == "." || appName == ".." ||
        appName.find('/') != std::string::npos || HasControlCharacter(appName))
        return {};
    return folder + "/" + appName + ".desktop";
}

std::string QuoteExecArgument(const std::string& argument) {
    static const std::string kReserved = " \t\n\"'\\><~|&;$*?#()`";
    const bool quote = argument.empty() || argument.find_first_of(kReserved) != std::string::npos;
    std::string out;
    if (quote)
        out += '"';
    for (char c : argument) {
        if (c == '%') {
            out += "%%";
        } else if (quote && (c == '"' || c == '`' || c == '$')) {
            out += "\\\\";  // the quoting backslash, itself escaped as a string value
            out += c;
        } else if (c == '\\') {
            out += "\\\\\\\\";
        } else {
            out += c;
        }
    }
    if (quote)
        out += '"';
    return out;
}

std::string DesktopEntryText(const std::string& programPath, const std::string& name,
                             const std::string& comment) {
    std::string text = "[Desktop Entry]\n";
    text += "Type=Application\n";
    text += "Name=" + EscapeStringValue(PlainText(name)) + "\n";
    text += "Comment=" + EscapeStringValue(PlainText(comment)) + "\n";
    text += "Exec=" + QuoteExecArgument(programPath) + "\n";
    text += "Terminal=false\n";
    return text;
}

util::Status CreateAutostartEntry(const std::string& entryPath, const std::string& programPath,
                                  const std::string& name, const std::string& comment) {
    if (entryPath.empty())
        return util::Error{"no folder for start-up entries"};
    if (programPath.empty() || HasControlCharacter(programPath) || !IsValidUtf8(programPath))
        return util::Error{"the program path cannot be written in an Exec line"};
    const QString path = QString::fromStdString(entryPath);
    if (!QDir().mkpath(QFileInfo(path).absolutePath()))
        return util::Error{"the folder for start-up entries cannot be created"};
    // A link at the entry's place is replaced by the entry, never written through: it could
    // point anywhere, and would make the radio create or overwrite that file.
    return util::WriteFileReplacing(entryPath, DesktopEntryText(programPath, name, comment));
}

util::Status RemoveAutostartEntry(const std::string& entryPath) {
    if (entryPath.empty())
        return util::Error{"no folder for start-up entries"};
    // The entry itself goes, be it a file or a link (dangling or not), never a link's target.
    if (::unlink(entryPath.c_str()) == 0 || errno == ENOENT)
        return {};
    return util::Error{std::system_category().message(errno), errno};
}

bool AutostartEntryExists(const std::string& entryPath) {
    return !entryPath.empty() && QFileInfo::exists(QString::fromStdString(entryPath));
}

}  // namespace platform::shell
