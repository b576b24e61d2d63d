#include "catalogue/StationDirectory.h"

#include "platform/media/StreamAddress.h"
#include "util/text/DisplayText.h"
#include "util/text/Utf8.h"

#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QJsonParseError>
#include <QUrl>

#include <algorithm>
#include <cctype>
#include <optional>

namespace catalogue::directory {

namespace {

constexpr std::size_t kUuidLength = 36;
constexpr int kMaxBitrate = 100000;

bool IsUuid(std::string_view text) {
    if (text.size() != kUuidLength)
        return false;
    for (std::size_t i = 0; i < text.size(); ++i) {
        const bool dash = i == 8 || i == 13 || i == 18 || i == 23;
        if (dash ? text[i] != '-' : !std::isxdigit(static_cast<unsigned char>(text[i])))
            return false;
    }
    return true;
}

bool IsCountryCode(const std::string& code) {
    return code.size() == 2 && std::all_of(code.begin(), code.end(), [](char c) {
               return std::isalpha(static_cast<unsigned char>(c));
           });
}

std::string ShortText(const QJsonValue& value, std::size_t maxChars) {
    if (!value.isString())
        return {};
    return util::DisplayLine(value.toString().trimmed().toStdString(), maxChars);
}

// A stream address the player accepts (http, https or rtsp, no control characters, bounded).
std::string PlayableAddress(const QJsonValue& value) {
    if (!value.isString())
        return {};
    const std::string raw = value.toString().toStdString();
    if (raw.size() > kMaxAddressBytes)
        return {};
    return platform::media::NormaliseStreamAddress(raw).value_or(std::string());
}

// What the listener typed, on one line and cut (without an ellipsis) to kMaxFilterChars.
std::string FilterText(const std::string& typed) {
    std::string text = util::DisplayLine(QString::fromStdString(typed).trimmed().toStdString(),
                                         util::kMaxDisplayChars * 4);
    std::size_t end = 0;
    for (std::size_t chars = 0; end < text.size() && chars < kMaxFilterChars; ++chars)
        end +=
            std::max<std::size_t>(1, util::Utf8SequenceLength(std::string_view(text).substr(end)));
    text.resize(std::min(end, text.size()));
    return text;
}

util::Result<QJsonDocument> ParseJson(std::string_view body) {
    QJsonParseError error{};
    const QJsonDocument document = QJsonDocument::fromJson(
        QByteArray(body.data(), static_cast<qsizetype>(body.size())), &error);
    if (error.error != QJsonParseError::NoError)
        return util::Error{"the directory's answer is not valid JSON"};
    return document;
}

std::optional<Station> StationFrom(const QJsonObject& entry) {
    Station station;
    station.uuid = entry.value("stationuuid").toString().toStdString();
    if (!IsUuid(station.uuid))
        return std::nullopt;
    const QJsonValue checked = entry.value("lastcheckok");
    if (checked.isDouble() && checked.toInt() == 0)
        return std::nullopt;
    station.address = PlayableAddress(entry.value("url_resolved"));
    if (station.address.empty())
        station.address = PlayableAddress(entry.value("url"));
    if (station.address.empty())
        return std::nullopt;
    station.name = ShortText(entry.value("name"), kMaxNameChars);
    if (station.name.empty())
        station.name = util::DisplayLine(station.address, kMaxNameChars);
    station.country = ShortText(entry.value("country"), kMaxNameChars);
    const std::string code = ShortText(entry.value("countrycode"), 2);
    station.countryCode =
        code.size() == 2 &&
                std::all_of(code.begin(), code.end(),
                            [](char c) { return std::isalpha(static_cast<unsigned char>(c)); })
            ? code
            : std::string();
    station.tags = ShortText(entry.value("tags"), kMaxNameChars);
    station.codec = ShortText(entry.value("codec"), 16);
    station.bitrate = std::clamp(entry.value("bitrate").toInt(), 0, kMaxBitrate);
    station.hls = entry.value("hls").toInt() != 0;
    return station;
}

}  // namespace

util::Result<std::string> CheckedBase(std::string_view base) {
    const QUrl url(QString::fromUtf8(base.data(), static_cast<qsizetype>(base.size())).trimmed(),
                   QUrl::StrictMode);
    const QString scheme = url.scheme().toLower();
    if (!url.isValid() || url.host().isEmpty())
        return util::Error{"the directory address is not a valid address"};
    if (scheme != "http" && scheme != "https")
        return util::Error{"the directory address must start with http:// or https://"};
    if (url.hasQuery() || url.hasFragment() || !url.userInfo().isEmpty())
        return util::Error{"the directory address must not carry a query or a user name"};
    std::string text = url.toString(QUrl::FullyEncoded).toStdString();
    while (!text.empty() && text.back() == '/') text.pop_back();
    return text;
}

std::string SearchAddress(const std::string& base, const SearchQuery& query) {
    std::string address = base + "/json/stations/search?";
    const auto add = [&address](const char* key, const std::string& value) {
        if (address.back() != '?')
            address += '&';
        address += key;
        address += '=';
        address += QUrl::toPercentEncoding(QString::fromStdString(value)).toStdString();
    };
    add("name", FilterText(query.name));
    if (const std::string tag = FilterText(query.tag); !tag.empty())
        add("tag", tag);
    if (const std::string code = FilterText(query.countryCode); IsCountryCode(code))
        add("countrycode", code);
    add("limit", std::to_string(kSearchLimit));
    add("hidebroken", "true");
    add("order", "votes");
    add("reverse", "true");
    return address;
}

util::Result<std::string> ClickAddress(const std::string& base, std::string_view uuid) {
    if (!IsUuid(uuid))
        return util::Error{"not a station of the directory"};
    return base + "/json/url/" + std::string(uuid);
}

util::Result<std::vector<Station>> ParseSearchAnswer(std::string_view body) {
    util::Result<QJsonDocument> document = ParseJson(body);
    if (!document)
        return document.error();
    if (!document->isArray())
        return util::Error{"the directory's answer is not a list of stations"};
    std::vector<Station> stations;
    for (const QJsonValue& value : document->array()) {
        if (stations.size() == kMaxStations)
            break;
        if (std::optional<Station> station = StationFrom(value.toObject()))
            stations.push_back(std::move(*station));
    }
    return stations;
}

util::Result<std::string> ParseClickAnswer(std::string_view body) {
    util::Result<QJsonDocument> document = ParseJson(body);
    if (!document)
        return document.error();
    const QJsonObject answer = document->object();
    if (answer.value("ok").isBool() && !answer.value("ok").toBool())
        return util::Error{"the directory does not know this station any more"};
    std::string address = PlayableAddress(answer.value("url"));
    if (address.empty())
        return util::Error{"the directory gave no address that can be played"};
    return address;
}

}  // namespace catalogue::directory
