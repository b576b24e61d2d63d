#pragma once
// Handing a prepared mail to the user's own mail client, the way Simple MAPI does on other
// systems: `xdg-email` with an argument vector (never a shell), and `xdg-open` for a
// "mailto:" address when that is all that can be done.

#include "util/Result.h"

#include <atomic>
#include <chrono>
#include <functional>
#include <memory>
#include <string>
#include <vector>

class QObject;

namespace platform::shell {

// The codes of a failed send (util::Error::code), with the meanings Simple MAPI gives them;
// kSuccess is never an error's code.
namespace mapi {
inline constexpr int kSuccess = 0;
inline constexpr int kUserAbort = 1;
inline constexpr int kFailure = 2;
inline constexpr int kAccessDenied = 6;
inline constexpr int kInvalidMessage = 17;
inline constexpr int kInvalidRecips = 25;
inline constexpr int kNotSupported = 26;
}  // namespace mapi

struct MailRequest {
    std::vector<std::string> recipients;  // plain addresses, each checked by IsSafeRecipient
    std::string subject;
    std::string body;
};

// `xdg-email` is a shell script with options and turns its arguments into a "mailto:"
// address: an address that starts with "-" (an option such as --attach), holds blanks or
// control characters, "?" or "&" (more header fields, "attach=" among them) or is itself a
// "mailto:" address cannot be passed to it safely.
bool IsSafeRecipient(const std::string& recipient);

// The argument vector for `xdg-email`: --utf8, --subject and --body (each left out when
// empty, which the script refuses), then the recipients.
std::vector<std::string> XdgEmailArguments(const MailRequest& request);

class MailClient {
  public:
    virtual ~MailClient() = default;
    // A mail client is registered. May start a helper process; call from the UI thread.
    virtual bool IsAvailable() = 0;
    // Hands the mail over; any thread. A failure's code is a Simple MAPI code. Setting `stop`
    // makes it fail with kUserAbort within a moment.
    virtual util::Status SendMail(const MailRequest& request, const std::atomic<bool>& stop) = 0;
    // Opens a "mailto:" address in the desktop's mail handler; UI thread. `done` is always
    // called later from the event loop (never inside this call) with whether it opened,
    // and never after the client is destroyed.
    virtual void OpenAddress(const std::string& url, std::function<void(bool opened)> done) = 0;
};

struct XdgTimeouts {
    // Longest wait for `xdg-mime` to name the mailto handler.
    std::chrono::milliseconds query{5000};
    // A mail client that is not yet running is started in the foreground of `xdg-email`
    // (and of `xdg-open`), which then lasts as long as the client does. A helper still
    // running after this long has started the client: the hand-over counts as done.
    std::chrono::milliseconds handOff{8000};
    std::chrono::milliseconds opener{3000};
};

// The desktop's helpers, found on PATH when they are used.
class XdgMailClient final : public MailClient {
  public:
    explicit XdgMailClient(XdgTimeouts timeouts = {});
    ~XdgMailClient() override;

    // `xdg-email` on PATH and `xdg-mime query default x-scheme-handler/mailto` names a
    // handler. Asked once; the answer is kept for the life of this object.
    bool IsAvailable() override;
    util::Status SendMail(const MailRequest& request, const std::atomic<bool>& stop) override;
    void OpenAddress(const std::string& url, std::function<void(bool opened)> done) override;

  private:
    bool QueryAvailable() const;

    XdgTimeouts timeouts_;
    int available_ = -1;                // -1 not asked yet, else 0 or 1
    std::unique_ptr<QObject> openers_;  // parent of running `xdg-open` processes
};

}  // namespace platform::shell
