#include "radio/PlayerMissingMessage.h"

#include "platform/shell/OpenUrl.h"
#include "ui/Translator.h"
#include "util/MessageBox.h"
#include "util/Product.h"

#include <thread>

namespace radio {

const char* PlayerDownloadPage() {
    return "https://gstreamer.freedesktop.org/download/";
}

void ShowPlayerMissingMessage(const std::function<bool(const std::string&)>& openUrl,
                              std::chrono::milliseconds wait) {
    util::MessageRequest request;
    request.text = ui::CTranslator::FillIn(
        ui::CTranslator::InUiLanguage(
            "The version of GStreamer installed on this computer is out of date. %s therefore "
            "cannot run.\n\n\tDo you want to install a current version of the media player?"),
        util::kProductTitle);
    request.caption = util::kProductTitle;
    request.icon = util::MessageIcon::Question;
    request.buttons = util::MessageButtons::YesNo;
    if (util::ShowMessage(request) != util::MessageResult::Yes)
        return;
    const auto open = openUrl ? openUrl : [](const std::string& url) {
        return platform::shell::OpenUrl(url).has_value();
    };
    if (!open(PlayerDownloadPage()))
        return;  // no browser is coming
    // Give the browser time to come up before the program ends.
    std::this_thread::sleep_for(wait);
}

}  // namespace radio
