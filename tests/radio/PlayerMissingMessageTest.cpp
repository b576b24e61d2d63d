#include "radio/PlayerMissingMessage.h"
#include "tests/support/LocaleScope.h"
#include "util/MessageBox.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

using namespace radio;

TEST(PlayerMissingMessage, OffersGStreamer) {
    testsupport::LocaleScope german(testsupport::kGerman);
    std::vector<util::MessageRequest> shown;
    util::MessageResult answer = util::MessageResult::Yes;
    auto previous = util::InstallMessagePresenter([&](const util::MessageRequest& request) {
        shown.push_back(request);
        return answer;
    });
    std::vector<std::string> opened;
    const auto opener = [&](const std::string& url) {
        opened.push_back(url);
        return true;
    };
    ShowPlayerMissingMessage(opener, std::chrono::milliseconds(0));
    answer = util::MessageResult::No;
    ShowPlayerMissingMessage(opener, std::chrono::milliseconds(0));
    util::InstallMessagePresenter(previous);

    ASSERT_EQ(shown.size(), 2u);
    EXPECT_EQ(shown[0].text,
              "Die auf diesem Computer installierte version von GStreamer ist nicht aktuell. "
              "Orbifon 1.0 kann daher nicht ausgeführt werden.\n\n\tWollen sie eine aktuelle "
              "Version vom Media Player installieren?");
    EXPECT_EQ(shown[0].buttons, util::MessageButtons::YesNo);
    EXPECT_EQ(opened, std::vector<std::string>{PlayerDownloadPage()}) << "only on Yes";
}
