#include "platform/media/StreamAddress.h"

#include <QString>
#include <QUrl>
#include <algorithm>
#include <cctype>

namespace platform::media {

namespace {

constexpr std::size_t kMaxAddressLength = 2048;

std::string Trimmed(const std::string& text) {
    const auto isSpace = [](unsigned char c) { return std::isspace(c) != 0; };
    auto begin = std::find_if_not(text.begin(), text.end(), isSpace);
    auto end =
        std::find_if_not(text.rbegin(), std::string::const_reverse_iterator(begin), isSpace).base();
    return std::string(begin, end);
}

std::string DecodeAmpersands(std::string text) {
    const std::string entity = "&amp;";
    for (std::size_t at = text.find(entity); at != std::string::npos;
         at = text.find(entity, at + 1))
        text.replace(at, entity.size(), "&");
    return text;
}

std::string LowerScheme(const std::string& url) {
    const auto colon = url.find(':');
    std::string scheme = colon == std::string::npos ? std::string() : url.substr(0, colon);
    std::transform(scheme.begin(), scheme.end(), scheme.begin(),
                   [](unsigned char c) { return static_cast<char>(std::tolower(c)); });
    return scheme;
}

bool HasControlCharacters(const std::string& text) {
    return std::any_of(text.begin(), text.end(), [](char c) {
        const auto u = static_cast<unsigned char>(c);
        return u < 0x20 || u == 0x7f;
    });
}

}  // namespace

std::optional<std::string> NormaliseStreamAddress(const std::string& address) {
    std::string url = DecodeAmpersands(Trimmed(address));
    if (url.empty() || url.size() > kMaxAddressLength || HasControlCharacters(url))
        return std::nullopt;
    const std::string scheme = LowerScheme(url);
    std::string rest = url.substr(scheme.size());
    if (scheme == "mms" || scheme == "mmsh")
        url = "http" + rest;
    else if (scheme == "http" || scheme == "https" || scheme == "rtsp")
        url = scheme + rest;
    else
        return std::nullopt;

    // Spaces inside an address are common in hand-typed favourites; percent-encode them.
    QUrl parsed(QString::fromStdString(url), QUrl::TolerantMode);
    if (!parsed.isValid() || parsed.host().isEmpty())
        return std::nullopt;
    return parsed.toString(QUrl::FullyEncoded).toStdString();
}

std::string ResolveAgainst(const std::string& base, const std::string& reference) {
    const QUrl resolved =
        QUrl(QString::fromStdString(base)).resolved(QUrl(QString::fromStdString(reference)));
    return resolved.toString(QUrl::FullyEncoded).toStdString();
}

}  // namespace platform::media
