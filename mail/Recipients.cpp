#include "mail/Recipients.h"

#include "platform/shell/MailClient.h"

#include <algorithm>

namespace mail {

namespace {

std::string TrimBlanks(const std::string& text) {
    const auto first = text.find_first_not_of(" \t");
    if (first == std::string::npos)
        return {};
    const auto last = text.find_last_not_of(" \t");
    return text.substr(first, last - first + 1);
}

}  // namespace

std::string CommasToSemicolons(std::string text) {
    std::replace(text.begin(), text.end(), ',', ';');
    return text;
}

std::vector<std::string> SplitRecipients(const std::string& text) {
    std::vector<std::string> recipients;
    std::size_t start = 0;
    while (start <= text.size()) {
        const std::size_t end = std::min(text.find(';', start), text.size());
        if (end == start)
            break;
        std::string address = TrimBlanks(text.substr(start, end - start));
        if (!address.empty())
            recipients.push_back(std::move(address));
        start = end + 1;
    }
    return recipients;
}

bool RecipientsLookSendable(const std::string& text) {
    return text.find('@') != std::string::npos && text.find('.') != std::string::npos;
}

std::optional<std::string> FindUnsafeRecipient(const std::string& text) {
    for (std::string& address : SplitRecipients(CommasToSemicolons(text))) {
        if (!platform::shell::IsSafeRecipient(address))
            return std::move(address);
    }
    return std::nullopt;
}

}  // namespace mail
