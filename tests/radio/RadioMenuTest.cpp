// The radio's right-click menu contents and the right-click hint countdown.
#include <gtest/gtest.h>

#include <cstdlib>
#include <optional>
#include <string>

#include "radio/RadioMenu.h"
#include "ui/Translator.h"
#include "util/Product.h"
#include "util/Profile.h"

namespace {

using radio::BuildRadioMenuItems;
using radio::RadioMenuState;
using radio::RightClickHint;

// Sets the locale variables for one test and puts the old values back.
class LocaleEnvironment {
  public:
    explicit LocaleEnvironment(const char* lang) {
        for (const char* name : kNames) {
            const char* value = std::getenv(name);
            saved_.push_back(value ? std::optional<std::string>(value) : std::nullopt);
            unsetenv(name);
        }
        setenv("LANG", lang, 1);
    }
    ~LocaleEnvironment() {
        for (std::size_t i = 0; i < saved_.size(); ++i) {
            if (saved_[i])
                setenv(kNames[i], saved_[i]->c_str(), 1);
            else
                unsetenv(kNames[i]);
        }
    }

  private:
    static constexpr const char* kNames[] = {"LC_ALL", "LC_MESSAGES", "LANG"};
    std::vector<std::optional<std::string>> saved_;
};

RadioMenuState State(const ui::CTranslator& translator, int language) {
    RadioMenuState state;
    state.translator = &translator;
    state.language = language;
    state.productTitle = util::kProductTitle;
    return state;
}

TEST(RadioMenu, EnglishRowsInOrderWithCommandsAndPictures) {
    ui::CTranslator translator;
    const auto items = BuildRadioMenuItems(State(translator, ui::CTranslator::kEnglish));
    ASSERT_EQ(items.size(), 12u);
    const struct {
        const char* text;
        int command;
        int image;
    } expected[] = {
        {"E&xit", 57665, 4},
        {"", 0, -1},
        {"Orbifon 1.0 on the web", 101, 2},
        {"&Send me to a friend...", 103, 1},
        {"&Always on top", 107, -1},
        {"&Run on system start up", 108, -1},
        {"", 0, -1},
        {"Favorite 1", 188, -1},
        {"Favorite 2", 189, -1},
        {"Favorite 3", 190, -1},
        {"", 0, -1},
        {"About Orbifon 1.0...", 104, 0},
    };
    for (std::size_t i = 0; i < items.size(); ++i) {
        SCOPED_TRACE(i);
        EXPECT_EQ(items[i].text, expected[i].text);
        EXPECT_EQ(items[i].command, expected[i].command);
        EXPECT_EQ(items[i].image, expected[i].image);
        EXPECT_EQ(items[i].flags, expected[i].text[0] ? 0 : ui::MIF_SEPARATOR);
    }
}

TEST(RadioMenu, CheckMarksFollowAlwaysOnTopAndTheStartUpEntry) {
    ui::CTranslator translator;
    RadioMenuState state = State(translator, ui::CTranslator::kEnglish);
    state.alwaysOnTop = true;
    auto items = BuildRadioMenuItems(state);
    EXPECT_EQ(items[4].image, radio::kPictureCheck);
    EXPECT_EQ(items[5].image, -1);
    state.alwaysOnTop = false;
    state.startupEntryExists = true;
    items = BuildRadioMenuItems(state);
    EXPECT_EQ(items[4].image, -1);
    EXPECT_EQ(items[5].image, radio::kPictureCheck);
}

TEST(RadioMenu, GermanTextsAreTranslatedBeforeTheTitleIsFilledIn) {
    ui::CTranslator translator;
    RadioMenuState state = State(translator, ui::CTranslator::kGerman);
    state.productTitle = "Radio %s";  // a title with a placeholder of its own stays as it is
    const auto items = BuildRadioMenuItems(state);
    EXPECT_EQ(items[0].text, "&Beenden");
    EXPECT_EQ(items[2].text, "Radio %s im Netz");
    EXPECT_EQ(items[5].text, "&Autostart");
    EXPECT_EQ(items[11].text, "Info über Radio %s...");
}

TEST(RadioMenu, TheLocaleChoosesTheLanguage) {
    ui::CTranslator translator;
    {
        LocaleEnvironment german("de_DE.UTF-8");
        const auto items = BuildRadioMenuItems(State(translator, ui::CTranslator::GetUiLanguage()));
        EXPECT_EQ(items[0].text, "&Beenden");
        EXPECT_EQ(items[2].text, "Orbifon 1.0 im Netz");
        EXPECT_EQ(items[11].text, "Info über Orbifon 1.0...");
    }
    {
        LocaleEnvironment english("en_US.UTF-8");
        const auto items = BuildRadioMenuItems(State(translator, ui::CTranslator::GetUiLanguage()));
        EXPECT_EQ(items[0].text, "E&xit");
        EXPECT_EQ(items[11].text, "About Orbifon 1.0...");
    }
}

TEST(RadioMenu, FillsTheSkinMenu) {
    ui::CTranslator translator;
    ui::CSkinMenu menu;
    menu.AddItem(0, "left over", 1, -1);
    radio::FillRadioMenu(menu, State(translator, ui::CTranslator::kEnglish));
    ASSERT_EQ(menu.Items().size(), 12u);
    EXPECT_EQ(menu.Items()[3].command, radio::kCmdSend);
}

TEST(RightClickHint, TooltipGoesAfterTheThirdRightClickOverTwoRuns) {
    util::MemoryProfile profile;
    {
        RightClickHint hint = RightClickHint::Load(profile);  // nothing stored: 3
        EXPECT_TRUE(hint.ShowsTooltipAtStart());
        EXPECT_FALSE(hint.OnRightClick());
        EXPECT_FALSE(hint.OnRightClick());
        EXPECT_TRUE(hint.TooltipActive());
        hint.Save(profile);
    }
    EXPECT_EQ(profile.GetInt("CTunelinkDlg", "iKnowsRightClick", -9), 1);
    {
        RightClickHint hint = RightClickHint::Load(profile);
        EXPECT_TRUE(hint.ShowsTooltipAtStart());
        EXPECT_TRUE(hint.OnRightClick());  // the third: the tooltip goes now
        EXPECT_FALSE(hint.TooltipActive());
        EXPECT_FALSE(hint.OnRightClick());
        hint.Save(profile);
    }
    EXPECT_EQ(profile.GetInt("CTunelinkDlg", "iKnowsRightClick", -9), 0);
    const RightClickHint next = RightClickHint::Load(profile);
    EXPECT_FALSE(next.ShowsTooltipAtStart());
    EXPECT_EQ(next.ValueToSave(), 0);
}

TEST(RightClickHint, NegativeStoredCountShowsNoHintAndStays) {
    RightClickHint hint(-4);
    EXPECT_FALSE(hint.ShowsTooltipAtStart());
    EXPECT_FALSE(hint.OnRightClick());
    EXPECT_EQ(hint.ValueToSave(), -4);
}

}  // namespace
