#pragma once
// What the radio and its download helper say to each other. The radio keeps libcurl (and
// the libraries it brings) out of its own process: every HTTP transfer runs in a short-lived
// helper that reads one order on its standard input and writes one answer on its standard
// output. Both directions are length-framed and bounded, and a decoder never trusts a length
// it reads.

#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

namespace platform::fetch {

enum class FetchKind : std::uint8_t {
    // The whole body of a 200 answer, or the reason there is none, as a person reads it.
    Document = 'D',
    // A playlist: at most maxBytes of a 2xx answer, cut short at the first sign of audio.
    Playlist = 'P',
};

struct FetchOrder {
    FetchKind kind = FetchKind::Document;
    std::string address;
    std::string agent;
    std::string userName;  // empty: no credentials
    std::string password;
    std::uint64_t maxBytes = 0;
    std::int64_t connectMs = 0;
    std::int64_t totalMs = 0;
    std::int64_t lowSpeedSeconds = 0;  // 0: no low-speed bound
    std::int64_t lowSpeedBytes = 0;

    bool operator==(const FetchOrder&) const = default;
};

struct FetchAnswer {
    bool ok = false;
    bool truncated = false;
    std::int64_t curlCode = 0;
    std::int64_t httpStatus = 0;
    std::string contentType;
    std::string effectiveAddress;
    std::string error;
    std::string body;

    bool operator==(const FetchAnswer&) const = default;
};

// A document follows at most this many redirects, a playlist fewer.
inline constexpr int kMaxDocumentRedirects = 10;
inline constexpr int kMaxPlaylistRedirects = 5;
// Every answer of a document's transfer (redirects and challenges included) may bring at most
// maxBytes plus this much for chunk framing; the kept body is held to maxBytes.
inline constexpr std::size_t kFramingAllowance = 64u << 10;
// A transfer's error text is held to this.
inline constexpr std::size_t kMaxErrorText = 512;

// Every text of an order or an answer other than the body is held to this.
inline constexpr std::size_t kMaxWireText = 64 * 1024;
// The largest order: four texts and the numbers.
inline constexpr std::size_t kMaxOrderBytes = 4 * (kMaxWireText + 8) + 128;
// An answer's framing around its body.
inline constexpr std::size_t kMaxAnswerOverhead = 4 * (kMaxWireText + 8) + 128;

// Empty when a text is too long to send.
std::optional<std::string> EncodeOrder(const FetchOrder& order);
std::optional<FetchOrder> DecodeOrder(std::string_view bytes);
// Texts too long are cut to kMaxWireText; the body is sent as it is.
std::string EncodeAnswer(const FetchAnswer& answer);
// Empty when the bytes are not one whole answer or its body is above maxBody bytes.
std::optional<FetchAnswer> DecodeAnswer(std::string_view bytes, std::size_t maxBody);

}  // namespace platform::fetch
