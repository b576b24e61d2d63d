#include "platform/shell/Mailto.h"

namespace platform::shell {

namespace {

bool IsUnreserved(unsigned char c) {
    return (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z') || (c >= '0' && c <= '9') || c == '-' ||
           c == '.' || c == '_' || c == '~';
}

std::string WithCrLf(const std::string& text) {
    std::string out;
    out.reserve(text.size() + text.size() / 16);
    for (std::size_t i = 0; i < text.size(); ++i) {
        const char c = text[i];
        if (c == '\r') {
            out += "\r\n";
            if (i + 1 < text.size() && text[i + 1] == '\n')
                ++i;
        } else if (c == '\n') {
            out += "\r\n";
        } else {
            out += c;
        }
    }
    return out;
}

}  // namespace

std::string PercentEncode(const std::string& text, const std::string& keep) {
    static constexpr char kHex[] = "0123456789ABCDEF";
    std::string out;
    out.reserve(text.size() * 3);
    for (const char ch : text) {
        const auto c = static_cast<unsigned char>(ch);
        if (IsUnreserved(c) || (c != 0 && keep.find(ch) != std::string::npos)) {
            out += ch;
        } else {
            out += '%';
            out += kHex[c >> 4];
            out += kHex[c & 0x0f];
        }
    }
    return out;
}

std::string BuildMailtoUrl(const std::vector<std::string>& recipients, const std::string& subject,
                           const std::string& body) {
    std::string url = "mailto:";
    bool first = true;
    for (const std::string& recipient : recipients) {
        if (recipient.empty())
            continue;
        if (!first)
            url += ',';
        // "@" separates local part and domain and stays readable; every other delimiter
        // ("," "?" "&" "%" ...) is encoded so one address can never add a header.
        url += PercentEncode(recipient, "@");
        first = false;
    }
    char separator = '?';
    if (!subject.empty()) {
        url += separator;
        url += "subject=" + PercentEncode(subject);
        separator = '&';
    }
    if (!body.empty()) {
        url += separator;
        url += "body=" + PercentEncode(WithCrLf(body));
    }
    return url;
}

}  // namespace platform::shell
