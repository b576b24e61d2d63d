#include "platform/shell/OpenUrl.h"

#include <QProcess>
#include <QString>
#include <QStringList>
#include <algorithm>
#include <cctype>

namespace platform::shell {

namespace {

constexpr std::size_t kMaxUrlLength = 4096;

bool StartsWithNoCase(const std::string& text, const std::string& prefix) {
    if (text.size() < prefix.size())
        return false;
    return std::equal(prefix.begin(), prefix.end(), text.begin(), [](char a, char b) {
        return std::tolower(static_cast<unsigned char>(a)) ==
               std::tolower(static_cast<unsigned char>(b));
    });
}

}  // namespace

bool IsOpenableUrl(const std::string& url) {
    if (url.empty() || url.size() > kMaxUrlLength)
        return false;
    // Control characters and spaces have no place in an address; a leading '-' would
    // be read as an option by the opener.
    if (std::any_of(url.begin(), url.end(),
                    [](char c) { return static_cast<unsigned char>(c) <= 0x20 || c == 0x7f; }))
        return false;
    return StartsWithNoCase(url, "http://") || StartsWithNoCase(url, "https://") ||
           StartsWithNoCase(url, "mailto:");
}

bool OpenUrl(const std::string& url) {
    if (!IsOpenableUrl(url))
        return false;
    return QProcess::startDetached(QStringLiteral("xdg-open"),
                                   QStringList{QString::fromStdString(url)});
}

}  // namespace platform::shell
