#pragma once
// Numbered resources compiled into the program (pictures, outline, templates, icons).
// They live in Qt's resource system under ":/res/<type>/<number>" (type: rcdata, bitmap,
// icon, region, template); tests may register their own bytes under any number.

#include <cstddef>
#include <cstdint>
#include <optional>
#include <span>
#include <vector>

namespace util {

enum class ResourceType { RcData, Bitmap, Icon, Region, Template };

// The bytes of a resource, valid for the rest of the process; nothing when it is missing.
std::optional<std::span<const std::uint8_t>> FindResourceData(int id, ResourceType type);

// A copy of a resource's bytes that the caller owns; nothing is kept afterwards. Pictures are
// read this way: the flap alone has 70 of them, and keeping each one would hold megabytes.
std::optional<std::vector<std::uint8_t>> ReadResourceData(int id, ResourceType type);

// The same resource drawn `scale` times as big, for screens of that density, compiled in under
// ":/res/<type>/<number>@<scale>x"; scale 1 is ReadResourceData(id, type). Only the
// compiled-in pictures come in other sizes: nothing when there is none.
std::optional<std::vector<std::uint8_t>> ReadResourceData(int id, ResourceType type, int scale);

// Registers (or replaces) a resource in memory; it takes precedence over the compiled-in one.
void RegisterResource(int id, ResourceType type, std::vector<std::uint8_t> bytes);

// The Qt resource path a compiled-in resource is looked up under.
const char* ResourceTypeFolder(ResourceType type);

}  // namespace util
