#pragma once
// Message boxes from code that has no window of its own (exceptions, catalogue, picture errors).
// The user interface installs a presenter at start-up; tests install a recorder.

#include <functional>
#include <string>

namespace util {

enum class MessageIcon { Information, Warning, Stop, Question };
enum class MessageButtons { Ok, YesNo };
enum class MessageResult { Ok, Yes, No };

struct MessageRequest {
    std::string text;
    std::string caption;
    MessageIcon icon = MessageIcon::Information;
    MessageButtons buttons = MessageButtons::Ok;
};

using MessagePresenter = std::function<MessageResult(const MessageRequest&)>;

// Shows the message through the installed presenter; without one it is written to
// standard error and answered with Ok (or No for a question).
MessageResult ShowMessage(const MessageRequest& request);

// Returns the presenter that was installed before.
MessagePresenter InstallMessagePresenter(MessagePresenter presenter);

}  // namespace util
