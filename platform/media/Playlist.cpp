#include "platform/media/Playlist.h"

#include "platform/media/StreamAddress.h"

#include <algorithm>
#include <cctype>
#include <cstdlib>
#include <map>
#include <optional>

namespace platform::media {

namespace {

std::string Lower(std::string_view text) {
    std::string out(text);
    std::transform(out.begin(), out.end(), out.begin(),
                   [](unsigned char c) { return static_cast<char>(std::tolower(c)); });
    return out;
}

std::string_view Trim(std::string_view text) {
    while (!text.empty() && std::isspace(static_cast<unsigned char>(text.front())))
        text.remove_prefix(1);
    while (!text.empty() && std::isspace(static_cast<unsigned char>(text.back())))
        text.remove_suffix(1);
    return text;
}

bool StartsWith(std::string_view text, std::string_view prefix) {
    return text.substr(0, prefix.size()) == prefix;
}

std::string_view SkipBomAndSpace(std::string_view text) {
    if (StartsWith(text, "\xEF\xBB\xBF"))
        text.remove_prefix(3);
    return Trim(text);
}

std::vector<std::string_view> Lines(std::string_view text) {
    std::vector<std::string_view> lines;
    while (!text.empty()) {
        const auto end = text.find_first_of("\r\n");
        lines.push_back(Trim(text.substr(0, end)));
        if (end == std::string_view::npos)
            break;
        text.remove_prefix(end + 1);
    }
    return lines;
}

// XML character references and the five named entities; anything else is kept as written,
// since playlists in the wild carry bare '&' in query strings.
std::string DecodeEntities(std::string_view text) {
    static const std::map<std::string, std::string> named = {
        {"amp", "&"}, {"lt", "<"}, {"gt", ">"}, {"quot", "\""}, {"apos", "'"}};
    std::string out;
    for (std::size_t i = 0; i < text.size(); ++i) {
        const auto semi = text[i] == '&' ? text.find(';', i) : std::string_view::npos;
        if (semi == std::string_view::npos || semi - i > 10) {
            out += text[i];
            continue;
        }
        const std::string name = Lower(text.substr(i + 1, semi - i - 1));
        if (auto found = named.find(name); found != named.end()) {
            out += found->second;
            i = semi;
        } else if (name.size() > 1 && name[0] == '#') {
            const bool hex = name[1] == 'x';
            const long code = std::strtol(name.c_str() + (hex ? 2 : 1), nullptr, hex ? 16 : 10);
            if (code > 0x20 && code < 0x7f)
                out += static_cast<char>(code);
            i = semi;
        } else {
            out += text[i];
        }
    }
    return out;
}

std::string PathExtension(const std::string& address) {
    std::string path = address.substr(0, address.find_first_of("?#"));
    const auto slash = path.rfind('/');
    const auto dot = path.rfind('.');
    if (dot == std::string::npos || (slash != std::string::npos && dot < slash))
        return {};
    return Lower(path.substr(dot + 1));
}

// A tag as the lenient scanner sees it: lower-case name, attributes with lower-case names.
struct Tag {
    std::string name;
    bool closing = false;
    std::map<std::string, std::string> attributes;
    std::size_t end = 0;  // offset just past '>'
};

std::map<std::string, std::string> ParseAttributes(std::string_view text) {
    std::map<std::string, std::string> attributes;
    std::size_t i = 0;
    while (i < text.size()) {
        while (i < text.size() &&
               (std::isspace(static_cast<unsigned char>(text[i])) || text[i] == '/'))
            ++i;
        const std::size_t nameStart = i;
        while (i < text.size() && text[i] != '=' &&
               !std::isspace(static_cast<unsigned char>(text[i])))
            ++i;
        const std::string name = Lower(text.substr(nameStart, i - nameStart));
        while (i < text.size() && std::isspace(static_cast<unsigned char>(text[i]))) ++i;
        if (i >= text.size() || text[i] != '=') {
            if (!name.empty())
                attributes.emplace(name, "");
            continue;
        }
        ++i;
        while (i < text.size() && std::isspace(static_cast<unsigned char>(text[i]))) ++i;
        std::size_t valueStart = i, valueEnd;
        if (i < text.size() && (text[i] == '"' || text[i] == '\'')) {
            const char quote = text[i];
            valueStart = i + 1;
            valueEnd = text.find(quote, valueStart);
            if (valueEnd == std::string_view::npos)
                valueEnd = text.size();
            i = valueEnd + 1;
        } else {
            while (i < text.size() && !std::isspace(static_cast<unsigned char>(text[i]))) ++i;
            valueEnd = i;
        }
        attributes.emplace(name, DecodeEntities(text.substr(valueStart, valueEnd - valueStart)));
    }
    return attributes;
}

// Finds the next tag at or after `from`, skipping comments and declarations.
std::optional<Tag> NextTag(std::string_view text, std::size_t from) {
    for (std::size_t open = text.find('<', from); open != std::string_view::npos;
         open = text.find('<', open + 1)) {
        if (StartsWith(text.substr(open), "<!--")) {
            const auto close = text.find("-->", open);
            if (close == std::string_view::npos)
                return std::nullopt;
            open = close;
            continue;
        }
        const auto close = text.find('>', open);
        if (close == std::string_view::npos)
            return std::nullopt;
        std::string_view inner = text.substr(open + 1, close - open - 1);
        if (inner.empty() || inner[0] == '?' || inner[0] == '!')
            continue;
        Tag tag;
        tag.closing = inner[0] == '/';
        if (tag.closing)
            inner.remove_prefix(1);
        std::size_t nameEnd = 0;
        while (nameEnd < inner.size() &&
               !std::isspace(static_cast<unsigned char>(inner[nameEnd])) && inner[nameEnd] != '/')
            ++nameEnd;
        tag.name = Lower(inner.substr(0, nameEnd));
        tag.attributes = ParseAttributes(inner.substr(nameEnd));
        tag.end = close + 1;
        return tag;
    }
    return std::nullopt;
}

void Add(std::vector<PlaylistEntry>& entries, std::string_view address, bool isPlaylist,
         const std::string& base, std::size_t maxEntries) {
    address = Trim(address);
    if (address.empty() || entries.size() >= maxEntries)
        return;
    entries.push_back({ResolveAgainst(base, std::string(address)), isPlaylist});
}

std::vector<PlaylistEntry> ParseKeyedLines(std::string_view content, std::string_view key,
                                           const std::string& base, std::size_t maxEntries) {
    // FileN= / RefN= keys; keep the numbering's order, falling back to document order.
    std::multimap<long, std::string_view> numbered;
    for (std::string_view line : Lines(content)) {
        const auto equals = line.find('=');
        if (equals == std::string_view::npos)
            continue;
        const std::string name = Lower(Trim(line.substr(0, equals)));
        if (!StartsWith(name, key))
            continue;
        const std::string digits = name.substr(key.size());
        if (digits.empty() || !std::all_of(digits.begin(), digits.end(),
                                           [](unsigned char c) { return std::isdigit(c) != 0; }))
            continue;
        numbered.emplace(std::strtol(digits.c_str(), nullptr, 10), line.substr(equals + 1));
    }
    std::vector<PlaylistEntry> entries;
    for (const auto& [number, address] : numbered) Add(entries, address, false, base, maxEntries);
    return entries;
}

std::vector<PlaylistEntry> ParseM3u(std::string_view content, const std::string& base,
                                    std::size_t maxEntries) {
    std::vector<PlaylistEntry> entries;
    for (std::string_view line : Lines(SkipBomAndSpace(content))) {
        if (line.empty() || line[0] == '#')
            continue;
        Add(entries, line, false, base, maxEntries);
    }
    return entries;
}

std::vector<PlaylistEntry> ParseAsx(std::string_view content, const std::string& base,
                                    std::size_t maxEntries) {
    std::vector<PlaylistEntry> entries;
    for (auto tag = NextTag(content, 0); tag; tag = NextTag(content, tag->end)) {
        if (tag->closing || (tag->name != "ref" && tag->name != "entryref"))
            continue;
        auto href = tag->attributes.find("href");
        if (href != tag->attributes.end())
            Add(entries, href->second, tag->name == "entryref", base, maxEntries);
    }
    return entries;
}

std::vector<PlaylistEntry> ParseXspf(std::string_view content, const std::string& base,
                                     std::size_t maxEntries) {
    std::vector<PlaylistEntry> entries;
    for (auto tag = NextTag(content, 0); tag; tag = NextTag(content, tag->end)) {
        if (tag->closing || tag->name != "location")
            continue;
        const auto close = Lower(content.substr(tag->end)).find("</location");
        if (close == std::string::npos)
            break;
        Add(entries, DecodeEntities(content.substr(tag->end, close)), false, base, maxEntries);
    }
    return entries;
}

bool LooksLikeAddressList(std::string_view content) {
    bool any = false;
    for (std::string_view line : Lines(content)) {
        if (line.empty() || line[0] == '#')
            continue;
        const std::string lower = Lower(line.substr(0, 8));
        if (!StartsWith(lower, "http://") && !StartsWith(lower, "https://") &&
            !StartsWith(lower, "mms://") && !StartsWith(lower, "mmsh://") &&
            !StartsWith(lower, "rtsp://"))
            return false;
        any = true;
    }
    return any;
}

}  // namespace

PlaylistFormat PlaylistFormatFromAddress(const std::string& address) {
    const std::string extension = PathExtension(address);
    if (extension == "pls")
        return PlaylistFormat::Pls;
    if (extension == "m3u" || extension == "m3u8")
        return PlaylistFormat::M3u;  // an .m3u8 may turn out to be HLS once read
    if (extension == "asx" || extension == "wax" || extension == "wvx")
        return PlaylistFormat::Asx;
    if (extension == "xspf")
        return PlaylistFormat::Xspf;
    return PlaylistFormat::None;
}

PlaylistFormat PlaylistFormatFromContentType(const std::string& contentType) {
    const std::string type = Lower(Trim(contentType.substr(0, contentType.find(';'))));
    if (type == "audio/x-scpls" || type == "application/pls+xml" || type == "audio/scpls")
        return PlaylistFormat::Pls;
    if (type == "audio/x-mpegurl" || type == "audio/mpegurl" || type == "application/x-mpegurl" ||
        type == "application/vnd.apple.mpegurl")
        return PlaylistFormat::M3u;
    if (type == "video/x-ms-asx" || type == "audio/x-ms-wax" || type == "video/x-ms-wvx" ||
        type == "application/x-ms-asx")
        return PlaylistFormat::Asx;
    if (type == "application/xspf+xml")
        return PlaylistFormat::Xspf;
    // video/x-ms-asf names both real ASF streams and reference files: the content decides.
    return PlaylistFormat::None;
}

PlaylistFormat SniffPlaylistFormat(std::string_view content) {
    const std::string_view start = SkipBomAndSpace(content);
    const std::string head = Lower(start.substr(0, 512));
    if (StartsWith(head, "[playlist]"))
        return PlaylistFormat::Pls;
    if (StartsWith(head, "[reference]"))
        return PlaylistFormat::AsfReference;
    if (StartsWith(head, "<asx"))
        return PlaylistFormat::Asx;
    if (StartsWith(head, "<?xml") || StartsWith(head, "<playlist")) {
        if (head.find("<asx") != std::string::npos)
            return PlaylistFormat::Asx;
        if (head.find("<playlist") != std::string::npos)
            return PlaylistFormat::Xspf;
        return PlaylistFormat::None;
    }
    if (StartsWith(head, "#extm3u")) {
        const std::string all = Lower(start.substr(0, 4096));
        return all.find("#ext-x-") != std::string::npos ? PlaylistFormat::Hls : PlaylistFormat::M3u;
    }
    return LooksLikeAddressList(start.substr(0, 4096)) ? PlaylistFormat::M3u : PlaylistFormat::None;
}

std::vector<PlaylistEntry> ParsePlaylist(PlaylistFormat format, std::string_view content,
                                         const std::string& baseAddress, std::size_t maxEntries) {
    switch (format) {
        case PlaylistFormat::Pls:
            return ParseKeyedLines(content, "file", baseAddress, maxEntries);
        case PlaylistFormat::AsfReference:
            return ParseKeyedLines(content, "ref", baseAddress, maxEntries);
        case PlaylistFormat::M3u:
            return ParseM3u(content, baseAddress, maxEntries);
        case PlaylistFormat::Asx:
            return ParseAsx(content, baseAddress, maxEntries);
        case PlaylistFormat::Xspf:
            return ParseXspf(content, baseAddress, maxEntries);
        case PlaylistFormat::Hls:
        case PlaylistFormat::None:
            break;
    }
    return {};
}

}  // namespace platform::media
