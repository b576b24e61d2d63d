#include "util/Resources.h"

#include <QResource>
#include <QString>
#include <map>
#include <memory>
#include <mutex>

namespace util {

namespace {
struct Store {
    std::mutex mutex;
    // Entries are never freed, so spans handed out stay valid; a replaced registration keeps
    // its old bytes alive in `retired`.
    std::map<std::pair<int, ResourceType>, std::shared_ptr<const std::vector<std::uint8_t>>>
        entries;
    std::vector<std::shared_ptr<const std::vector<std::uint8_t>>> retired;
};

Store& TheStore() {
    static Store store;
    return store;
}

QString CompiledInPath(int id, ResourceType type, int scale) {
    QString path =
        QStringLiteral(":/res/%1/%2").arg(QString::fromLatin1(ResourceTypeFolder(type))).arg(id);
    if (scale != 1)
        path += QStringLiteral("@%1x").arg(scale);
    return path;
}

// Compiled-in resources stay registered for the whole run, so a stored one is read in place;
// a compressed one is unpacked once for the caller.
std::optional<ResourceBytes> ReadCompiledIn(int id, ResourceType type, int scale = 1) {
    const QResource resource(CompiledInPath(id, type, scale));
    if (!resource.isValid() || !resource.data())
        return std::nullopt;
    if (resource.compressionAlgorithm() == QResource::NoCompression) {
        return ResourceBytes(
            std::span<const std::uint8_t>(reinterpret_cast<const std::uint8_t*>(resource.data()),
                                          static_cast<std::size_t>(resource.size())));
    }
    auto unpacked = std::make_shared<const QByteArray>(resource.uncompressedData());
    if (unpacked->isEmpty() && resource.uncompressedSize() != 0)
        return std::nullopt;
    const std::span<const std::uint8_t> bytes(
        reinterpret_cast<const std::uint8_t*>(unpacked->constData()),
        static_cast<std::size_t>(unpacked->size()));
    return ResourceBytes(std::move(unpacked), bytes);
}
}  // namespace

const char* ResourceTypeFolder(ResourceType type) {
    switch (type) {
        case ResourceType::RcData:
            return "rcdata";
        case ResourceType::Bitmap:
            return "bitmap";
        case ResourceType::Icon:
            return "icon";
        case ResourceType::Region:
            return "region";
        case ResourceType::Template:
            return "template";
    }
    return "rcdata";
}

std::optional<std::span<const std::uint8_t>> FindResourceData(int id, ResourceType type) {
    Store& store = TheStore();
    std::lock_guard lock(store.mutex);
    auto key = std::make_pair(id, type);
    auto it = store.entries.find(key);
    if (it == store.entries.end()) {
        auto loaded = ReadCompiledIn(id, type);
        if (!loaded)
            return std::nullopt;
        it = store.entries
                 .emplace(key, std::make_shared<const std::vector<std::uint8_t>>(loaded->begin(),
                                                                                 loaded->end()))
                 .first;
    }
    return std::span<const std::uint8_t>(it->second->data(), it->second->size());
}

std::optional<ResourceBytes> ReadResourceData(int id, ResourceType type) {
    {
        Store& store = TheStore();
        std::lock_guard lock(store.mutex);
        if (const auto it = store.entries.find(std::make_pair(id, type)); it != store.entries.end())
            return ResourceBytes(it->second, {it->second->data(), it->second->size()});
    }
    return ReadCompiledIn(id, type);
}

std::optional<ResourceBytes> ReadResourceData(int id, ResourceType type, int scale) {
    if (scale == 1)
        return ReadResourceData(id, type);
    if (scale < 1)
        return std::nullopt;
    return ReadCompiledIn(id, type, scale);
}

void RegisterResource(int id, ResourceType type, std::vector<std::uint8_t> bytes) {
    Store& store = TheStore();
    std::lock_guard lock(store.mutex);
    auto& slot = store.entries[std::make_pair(id, type)];
    if (slot)
        store.retired.push_back(slot);
    slot = std::make_shared<const std::vector<std::uint8_t>>(std::move(bytes));
}

}  // namespace util
