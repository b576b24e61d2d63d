#pragma once
// Numbered resources compiled into the program (pictures, outline, templates, icons).
// They live in Qt's resource system under ":/res/<type>/<number>" (type: rcdata, bitmap,
// icon, region, template); tests may register their own bytes under any number.

#include <cstddef>
#include <cstdint>
#include <memory>
#include <optional>
#include <span>
#include <vector>

namespace util {

enum class ResourceType { RcData, Bitmap, Icon, Region, Template };

// A resource's bytes for as long as this value lives. Stored ones are read where they lie in
// the program image (or in the registration); only compressed ones are unpacked into memory
// this value owns and gives back when it goes.
class ResourceBytes {
  public:
    explicit ResourceBytes(std::span<const std::uint8_t> stored) : bytes_(stored) {}
    // `owner` keeps `bytes` alive.
    ResourceBytes(std::shared_ptr<const void> owner, std::span<const std::uint8_t> bytes)
        : owner_(std::move(owner)), bytes_(bytes) {}

    std::span<const std::uint8_t> Bytes() const { return bytes_; }
    auto begin() const { return bytes_.begin(); }
    auto end() const { return bytes_.end(); }
    std::size_t size() const { return bytes_.size(); }

  private:
    std::shared_ptr<const void> owner_;
    std::span<const std::uint8_t> bytes_;
};

// The bytes of a resource, valid for the rest of the process; nothing when it is missing.
std::optional<std::span<const std::uint8_t>> FindResourceData(int id, ResourceType type);

// A resource's bytes for the caller's use; nothing is kept afterwards. Pictures are read this
// way: the flap alone has 70 of them, and keeping each one unpacked would hold megabytes.
std::optional<ResourceBytes> ReadResourceData(int id, ResourceType type);

// The same resource drawn `scale` times as big, for screens of that density, compiled in under
// ":/res/<type>/<number>@<scale>x"; scale 1 is ReadResourceData(id, type). Only the
// compiled-in pictures come in other sizes: nothing when there is none.
std::optional<ResourceBytes> ReadResourceData(int id, ResourceType type, int scale);

// Registers (or replaces) a resource in memory; it takes precedence over the compiled-in one.
void RegisterResource(int id, ResourceType type, std::vector<std::uint8_t> bytes);

// The Qt resource path a compiled-in resource is looked up under.
const char* ResourceTypeFolder(ResourceType type);

}  // namespace util
