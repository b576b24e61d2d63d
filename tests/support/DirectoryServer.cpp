#include "tests/support/DirectoryServer.h"

#include "tests/support/HttpTestServer.h"

#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>

#include <algorithm>
#include <map>
#include <mutex>
#include <stdexcept>
#include <thread>
#include <vector>

namespace testsupport {

namespace {

const std::vector<DirectoryStationEntry>& Entries() {
    static const std::vector<DirectoryStationEntry> entries{
        {"11111111-1111-4111-8111-111111111111", "Jazz Welle", "/live.mp3", "Germany", "DE",
         "jazz,swing", "MP3", 128, 900, false},
        {"22222222-2222-4222-8222-222222222222", "Jazz Lounge", "/live.ogg", "France", "FR",
         "jazz,lounge", "OGG", 112, 500, false},
        {"33333333-3333-4333-8333-333333333333", "Nachrichten Eins", "/live.mp3", "Germany", "DE",
         "news", "MP3", 64, 300, false},
        {"44444444-4444-4444-8444-444444444444", "Verloren FM", "/live.mp3", "Germany", "DE",
         "jazz", "MP3", 128, 1000, true},
        {"55555555-5555-4555-8555-555555555555", "Lokale Datei", "file:///etc/passwd", "Germany",
         "DE", "jazz", "MP3", 128, 800, false},
    };
    return entries;
}

std::string Lower(std::string text) {
    std::transform(text.begin(), text.end(), text.begin(),
                   [](unsigned char c) { return static_cast<char>(std::tolower(c)); });
    return text;
}

bool Contains(const std::string& text, const std::string& part) {
    return Lower(text).find(Lower(part)) != std::string::npos;
}

}  // namespace

struct DirectoryServer::Impl {
    std::string streamBase;
    int slowMs = 0;
    mutable std::mutex mutex;
    int searches = 0;
    std::map<std::string, int> clicks;
    std::string lastAgent;
    HttpTestServer http;  // last, so it stops serving before the rest goes

    std::string AddressOf(const DirectoryStationEntry& entry) const {
        return entry.path.rfind("file:", 0) == 0 ? entry.path : streamBase + entry.path;
    }

    QJsonObject Json(const DirectoryStationEntry& entry) const {
        return QJsonObject{{"stationuuid", QString::fromStdString(entry.uuid)},
                           {"name", QString::fromStdString(entry.name)},
                           {"url", QString::fromStdString(AddressOf(entry))},
                           {"url_resolved", QString::fromStdString(AddressOf(entry))},
                           {"country", QString::fromStdString(entry.country)},
                           {"countrycode", QString::fromStdString(entry.countryCode)},
                           {"tags", QString::fromStdString(entry.tags)},
                           {"codec", QString::fromStdString(entry.codec)},
                           {"bitrate", entry.bitrate},
                           {"votes", entry.votes},
                           {"hls", 0},
                           {"lastcheckok", entry.broken ? 0 : 1}};
    }

    void Search(const httplib::Request& request, httplib::Response& response) {
        Count(request, &searches);
        const std::string name = request.get_param_value("name");
        if (name.rfind("langsam", 0) == 0) {
            for (int waited = 0; waited < slowMs && !http.Stopping(); waited += 50)
                std::this_thread::sleep_for(std::chrono::milliseconds(50));
        } else if (name == "kaputt") {
            response.status = 500;
            response.set_content("internal error", "text/plain");
            return;
        } else if (name == "wirr") {
            response.set_content("[{\"name\": \"Jazz", "application/json");
            return;
        } else if (name == "riesig") {
            std::string body = "[";
            while (body.size() < (2u << 20))
                body += QJsonDocument(Json(Entries().front())).toJson().toStdString() + ",";
            body.back() = ']';
            response.set_content(body, "application/json");
            return;
        }
        std::vector<DirectoryStationEntry> found;
        for (const DirectoryStationEntry& entry : Entries()) {
            if (request.get_param_value("hidebroken") == "true" && entry.broken)
                continue;
            if (name.rfind("langsam", 0) != 0 && !Contains(entry.name, name))
                continue;
            if (request.has_param("tag") && !Contains(entry.tags, request.get_param_value("tag")))
                continue;
            if (request.has_param("countrycode") &&
                Lower(entry.countryCode) != Lower(request.get_param_value("countrycode")))
                continue;
            found.push_back(entry);
        }
        std::sort(found.begin(), found.end(),
                  [](const auto& a, const auto& b) { return a.votes > b.votes; });
        QJsonArray list;
        for (const DirectoryStationEntry& entry : found) list.append(Json(entry));
        response.set_content(QJsonDocument(list).toJson().toStdString(), "application/json");
    }

    void Click(const httplib::Request& request, httplib::Response& response) {
        const std::string uuid = request.matches[1];
        const auto entry = std::find_if(Entries().begin(), Entries().end(),
                                        [&](const auto& e) { return e.uuid == uuid; });
        {
            std::lock_guard lock(mutex);
            lastAgent = request.get_header_value("User-Agent");
            if (entry != Entries().end())
                ++clicks[uuid];
        }
        QJsonObject answer{{"ok", entry != Entries().end()}};
        if (entry != Entries().end())
            answer.insert("url", QString::fromStdString(AddressOf(*entry)));
        response.set_content(QJsonDocument(answer).toJson().toStdString(), "application/json");
    }

    void Count(const httplib::Request& request, int* counter) {
        std::lock_guard lock(mutex);
        lastAgent = request.get_header_value("User-Agent");
        ++*counter;
    }
};

DirectoryServer::DirectoryServer(std::string streamBase, int slowMs)
    : impl_(std::make_unique<Impl>()) {
    impl_->streamBase = std::move(streamBase);
    while (!impl_->streamBase.empty() && impl_->streamBase.back() == '/')
        impl_->streamBase.pop_back();
    impl_->slowMs = slowMs;
    auto& server = impl_->http.Server();
    server.Get("/json/stations/search",
               [this](const auto& request, auto& response) { impl_->Search(request, response); });
    server.Get(R"(/json/url/([^/]+))",
               [this](const auto& request, auto& response) { impl_->Click(request, response); });
    impl_->http.Start();
}

DirectoryServer::~DirectoryServer() = default;

std::string DirectoryServer::Base() const {
    return impl_->http.Url("");
}

const DirectoryStationEntry& DirectoryServer::Station(const std::string& name) {
    for (const DirectoryStationEntry& entry : Entries()) {
        if (entry.name == name)
            return entry;
    }
    throw std::invalid_argument("no such test station: " + name);
}

int DirectoryServer::Searches() const {
    std::lock_guard lock(impl_->mutex);
    return impl_->searches;
}

int DirectoryServer::Clicks(const std::string& uuid) const {
    std::lock_guard lock(impl_->mutex);
    const auto found = impl_->clicks.find(uuid);
    return found == impl_->clicks.end() ? 0 : found->second;
}

std::string DirectoryServer::LastAgent() const {
    std::lock_guard lock(impl_->mutex);
    return impl_->lastAgent;
}

}  // namespace testsupport
