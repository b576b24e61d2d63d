#include "radio/RadioMenu.h"

#include "ui/Translator.h"
#include "util/Product.h"
#include "util/Profile.h"

namespace radio {

namespace {

std::string Translated(const RadioMenuState& state, const std::string& english) {
    return state.translator ? state.translator->Translate(english, state.language) : english;
}

// Fills the one "%s" after translation, so a translated text keeps its placeholder.
std::string WithTitle(std::string text, const std::string& title) {
    const std::size_t pos = text.find("%s");
    if (pos != std::string::npos)
        text.replace(pos, 2, title);
    return text;
}

ui::MenuItem Row(const RadioMenuState& state, const std::string& english, int command, int image) {
    ui::MenuItem item;
    item.text = WithTitle(Translated(state, english), state.productTitle);
    item.command = command;
    item.image = image;
    return item;
}

ui::MenuItem Separator() {
    ui::MenuItem item;
    item.flags = ui::MIF_SEPARATOR;
    return item;
}

}  // namespace

std::vector<ui::MenuItem> BuildRadioMenuItems(const RadioMenuState& state) {
    const int topMostPicture = state.alwaysOnTop ? kPictureCheck : -1;
    const int startupPicture = state.startupEntryExists ? kPictureCheck : -1;
    return {
        Row(state, "E&xit", kCmdExit, kPictureExit),
        Separator(),
        Row(state, "%s on the web", kCmdWeb, kPictureWeb),
        Row(state, "&Send me to a friend...", kCmdSend, kPictureSend),
        Row(state, "&Always on top", kCmdTopMost, topMostPicture),
        Row(state, "&Run on system start up", kCmdAutostart, startupPicture),
        Separator(),
        Row(state, "Favorite 1", kCmdFavorite1, -1),
        Row(state, "Favorite 2", kCmdFavorite2, -1),
        Row(state, "Favorite 3", kCmdFavorite3, -1),
        Separator(),
        Row(state, "About %s...", kCmdAbout, kPictureAbout),
    };
}

void FillRadioMenu(ui::CSkinMenu& menu, const RadioMenuState& state) {
    menu.Init(kMenuStripId);
    for (const ui::MenuItem& item : BuildRadioMenuItems(state))
        menu.AddItem(item.flags, item.text, item.command, item.image, item.hoverColour);
}

std::string WebSiteUrl() {
    return std::string("https://") + util::kWebSiteHost + "/";
}

RightClickHint RightClickHint::Load(util::Profile& profile) {
    return RightClickHint(profile.GetInt(kSection, kKey, kDefaultCount));
}

void RightClickHint::Save(util::Profile& profile) const {
    profile.WriteInt(kSection, kKey, remaining_);
}

QString RightClickHint::ToolTipAtStart() const {
    if (!ShowsTooltipAtStart())
        return {};
    // Margins of 5 pixels and a width of 150 keep the hint a small note beside the mouse.
    return QStringLiteral("<table width=\"150\" cellpadding=\"5\"><tr><td>%1</td></tr></table>")
        .arg(QString::fromStdString(ui::CTranslator::InUiLanguage(kText)).toHtmlEscaped());
}

bool RightClickHint::OnRightClick() {
    if (remaining_ <= 0)
        return false;
    --remaining_;
    return remaining_ == 0;
}

}  // namespace radio
