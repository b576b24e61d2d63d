#include "platform/fetch/FetchWire.h"

#include <algorithm>

namespace platform::fetch {

namespace {

constexpr std::string_view kOrderMagic = "TLFO1";
constexpr std::string_view kAnswerMagic = "TLFA1";

void PutNumber(std::string& out, std::uint64_t value) {
    for (int i = 0; i < 8; ++i) out.push_back(static_cast<char>((value >> (8 * i)) & 0xFF));
}

void PutText(std::string& out, std::string_view text) {
    PutNumber(out, text.size());
    out.append(text);
}

// Reads what was put, in order; any read past the end or above a bound fails the whole
// message.
class Reader {
  public:
    explicit Reader(std::string_view bytes) : rest_(bytes) {}

    bool Magic(std::string_view magic) {
        if (!rest_.starts_with(magic))
            return false;
        rest_.remove_prefix(magic.size());
        return true;
    }
    std::optional<char> Byte() {
        if (rest_.empty())
            return std::nullopt;
        const char byte = rest_.front();
        rest_.remove_prefix(1);
        return byte;
    }
    // A byte that is 0 or 1.
    bool Flag(bool& out) {
        const auto byte = Byte();
        if (!byte || (*byte != 0 && *byte != 1))
            return false;
        out = *byte == 1;
        return true;
    }
    std::optional<std::uint64_t> Number() {
        if (rest_.size() < 8)
            return std::nullopt;
        std::uint64_t value = 0;
        for (int i = 7; i >= 0; --i)
            value = (value << 8) | static_cast<unsigned char>(rest_[static_cast<std::size_t>(i)]);
        rest_.remove_prefix(8);
        return value;
    }
    bool Signed(std::int64_t& out) {
        const auto value = Number();
        if (value)
            out = static_cast<std::int64_t>(*value);
        return value.has_value();
    }
    bool Text(std::string& out, std::size_t bound) {
        const auto size = Number();
        if (!size || *size > bound || *size > rest_.size())
            return false;
        out.assign(rest_.substr(0, static_cast<std::size_t>(*size)));
        rest_.remove_prefix(static_cast<std::size_t>(*size));
        return true;
    }
    bool AtEnd() const { return rest_.empty(); }

  private:
    std::string_view rest_;
};

}  // namespace

std::optional<std::string> EncodeOrder(const FetchOrder& order) {
    for (const std::string* text : {&order.address, &order.agent, &order.userName, &order.password})
        if (text->size() > kMaxWireText)
            return std::nullopt;
    std::string out(kOrderMagic);
    out.push_back(static_cast<char>(order.kind));
    for (const std::string* text : {&order.address, &order.agent, &order.userName, &order.password})
        PutText(out, *text);
    for (std::int64_t number : {static_cast<std::int64_t>(order.maxBytes), order.connectMs,
                                order.totalMs, order.lowSpeedSeconds, order.lowSpeedBytes})
        PutNumber(out, static_cast<std::uint64_t>(number));
    return out;
}

std::optional<FetchOrder> DecodeOrder(std::string_view bytes) {
    Reader in(bytes);
    FetchOrder order;
    if (bytes.size() > kMaxOrderBytes || !in.Magic(kOrderMagic))
        return std::nullopt;
    const auto kind = in.Byte();
    if (kind != static_cast<char>(FetchKind::Document) &&
        kind != static_cast<char>(FetchKind::Playlist))
        return std::nullopt;
    order.kind = static_cast<FetchKind>(*kind);
    std::int64_t maxBytes = 0;
    const bool read =
        in.Text(order.address, kMaxWireText) && in.Text(order.agent, kMaxWireText) &&
        in.Text(order.userName, kMaxWireText) && in.Text(order.password, kMaxWireText) &&
        in.Signed(maxBytes) && in.Signed(order.connectMs) && in.Signed(order.totalMs) &&
        in.Signed(order.lowSpeedSeconds) && in.Signed(order.lowSpeedBytes) && in.AtEnd();
    if (!read || maxBytes < 0 || order.connectMs < 0 || order.totalMs < 0 ||
        order.lowSpeedSeconds < 0 || order.lowSpeedBytes < 0)
        return std::nullopt;
    order.maxBytes = static_cast<std::uint64_t>(maxBytes);
    return order;
}

std::string EncodeAnswer(const FetchAnswer& answer) {
    std::string out(kAnswerMagic);
    out.push_back(answer.ok ? 1 : 0);
    out.push_back(answer.truncated ? 1 : 0);
    PutNumber(out, static_cast<std::uint64_t>(answer.curlCode));
    PutNumber(out, static_cast<std::uint64_t>(answer.httpStatus));
    for (const std::string* text : {&answer.contentType, &answer.effectiveAddress, &answer.error})
        PutText(out, std::string_view(*text).substr(0, kMaxWireText));
    PutText(out, answer.body);
    return out;
}

std::optional<FetchAnswer> DecodeAnswer(std::string_view bytes, std::size_t maxBody) {
    Reader in(bytes);
    FetchAnswer answer;
    const bool read = in.Magic(kAnswerMagic) && in.Flag(answer.ok) && in.Flag(answer.truncated) &&
                      in.Signed(answer.curlCode) && in.Signed(answer.httpStatus) &&
                      in.Text(answer.contentType, kMaxWireText) &&
                      in.Text(answer.effectiveAddress, kMaxWireText) &&
                      in.Text(answer.error, kMaxWireText) && in.Text(answer.body, maxBody) &&
                      in.AtEnd();
    if (!read)
        return std::nullopt;
    return answer;
}

}  // namespace platform::fetch
