#include "util/MessageBox.h"

#include <cstdio>
#include <mutex>
#include <utility>

namespace util {

namespace {
std::mutex g_mutex;
MessagePresenter g_presenter;
}  // namespace

MessageResult ShowMessage(const MessageRequest& request) {
    MessagePresenter presenter;
    {
        std::lock_guard lock(g_mutex);
        presenter = g_presenter;
    }
    if (presenter)
        return presenter(request);
    std::fprintf(stderr, "%s: %s\n", request.caption.c_str(), request.text.c_str());
    return request.buttons == MessageButtons::YesNo ? MessageResult::No : MessageResult::Ok;
}

MessagePresenter InstallMessagePresenter(MessagePresenter presenter) {
    std::lock_guard lock(g_mutex);
    return std::exchange(g_presenter, std::move(presenter));
}

}  // namespace util
