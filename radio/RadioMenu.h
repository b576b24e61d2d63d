#pragma once
// The radio's right-click menu, built afresh at every right click so that its check marks
// show the current always-on-top and start-up states, and the countdown of the right-click
// hint that the window's tooltip shows to new users.

#include <QString>

#include <string>
#include <vector>

#include "ui/SkinMenu.h"
#include "ui/Translator.h"

namespace ui {
class CTranslator;
}

namespace util {
class Profile;
}

namespace radio {

// Menu commands.
inline constexpr int kCmdExit = 57665;
inline constexpr int kCmdWeb = 101;
inline constexpr int kCmdSend = 103;
inline constexpr int kCmdAbout = 104;
inline constexpr int kCmdTopMost = 107;
inline constexpr int kCmdAutostart = 108;
inline constexpr int kCmdFavorite1 = 188;
inline constexpr int kCmdFavorite2 = 189;
inline constexpr int kCmdFavorite3 = 190;

// The picture strip and its cells.
inline constexpr int kMenuStripId = 600;
inline constexpr int kPictureAbout = 0;
inline constexpr int kPictureSend = 1;
inline constexpr int kPictureWeb = 2;
inline constexpr int kPictureCheck = 3;
inline constexpr int kPictureExit = 4;

struct RadioMenuState {
    bool alwaysOnTop = false;
    bool startupEntryExists = false;
    const ui::CTranslator* translator = nullptr;  // none: the English texts
    int language = 2;                             // as ui::CTranslator::GetUiLanguage() reports
    std::string productTitle;
};

// The 12 rows in display order (separators included), texts translated and completed.
std::vector<ui::MenuItem> BuildRadioMenuItems(const RadioMenuState& state);

// Initialises the menu with the picture strip and adds the rows.
void FillRadioMenu(ui::CSkinMenu& menu, const RadioMenuState& state);

// The maker's web site, opened by the menu and the about box.
std::string WebSiteUrl();

// How many more right clicks show the hint tooltip; stored across runs as iKnowsRightClick.
class RightClickHint {
  public:
    static constexpr int kDefaultCount = 3;
    static constexpr const char* kSection = "CTunelinkDlg";
    static constexpr const char* kKey = "iKnowsRightClick";
    // The translator's key; shown in the user's language.
    static constexpr const char* kText = ui::CTranslator::kRightClickHint;

    explicit RightClickHint(int remaining = kDefaultCount) : remaining_(remaining) {}
    static RightClickHint Load(util::Profile& profile);
    void Save(util::Profile& profile) const;

    // Whether the window starts with the hint tooltip.
    bool ShowsTooltipAtStart() const { return startRemaining_ > 0; }
    // The tooltip the window starts with: a small note beside the mouse, or none.
    QString ToolTipAtStart() const;
    // Counts one right click; true when this click used up the last hint and the tooltip
    // must go now.
    bool OnRightClick();
    bool TooltipActive() const { return remaining_ > 0; }
    int ValueToSave() const { return remaining_; }

  private:
    int remaining_;
    int startRemaining_ = remaining_;
};

}  // namespace radio
