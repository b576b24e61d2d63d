// Writes pictures of the radio menu and the about box for the documentation. Runs only when
// TUNELINK_SCREENSHOT_DIR names a folder, under a German locale (the English pictures come
// from the screen, in the EnglishDesktop test of tests_app):
//   TUNELINK_SCREENSHOT_DIR=docs LANG=de_DE.UTF-8 tests_radio --gtest_filter='Screenshots.*'
#include <gtest/gtest.h>

#include <QApplication>
#include <QFont>
#include <QImage>
#include <QPainter>
#include <QTest>
#include <cstdlib>
#include <string>

#include "radio/AboutDlg.h"
#include "radio/RadioMenu.h"
#include "ui/AppFont.h"
#include "ui/SkinMenu.h"
#include "ui/Translator.h"
#include "util/Product.h"

namespace {

const char* ScreenshotFolder() {
    const char* folder = std::getenv("TUNELINK_SCREENSHOT_DIR");
    return folder && *folder ? folder : nullptr;
}

// The program's font, as start-up sets it.
class AppFontScope {
  public:
    AppFontScope() : old_(QApplication::font()) {
        ui::CAppFont font;
        font.SetFaceName("Verdana");
        font.SetHeight(-10);
        QApplication::setFont(font.Font());
    }
    ~AppFontScope() { QApplication::setFont(old_); }

  private:
    QFont old_;
};

TEST(Screenshots, RadioMenuAndAboutBox) {
    const char* folder = ScreenshotFolder();
    if (!folder)
        GTEST_SKIP() << "TUNELINK_SCREENSHOT_DIR is not set";
    const int language = ui::CTranslator::GetUiLanguage();
    if (language != ui::CTranslator::kGerman)
        GTEST_SKIP() << "the English pictures are taken from the screen (EnglishDesktop test)";
    AppFontScope font;
    const std::string suffix = language == ui::CTranslator::kGerman ? "de" : "en";

    ui::CTranslator translator;
    radio::RadioMenuState state;
    state.alwaysOnTop = true;
    state.translator = &translator;
    state.language = language;
    state.productTitle = util::kProductTitle;
    QWidget owner;
    owner.resize(10, 10);
    owner.show();
    ui::CSkinMenu menu;
    radio::FillRadioMenu(menu, state);
    menu.TrackPopup(QPoint(40, 40), &owner);
    ASSERT_NE(menu.Window(), nullptr);
    const ui::MenuItem& web = menu.Items()[2];
    QTest::mouseMove(menu.Window(), QPoint(40, web.top + 8));
    const QString menuPath = QString("%1/menu-%2.png").arg(folder, QString::fromStdString(suffix));
    EXPECT_TRUE(menu.Window()->grab().toImage().save(menuPath));
    menu.Close();

    if (language == ui::CTranslator::kGerman) {
        radio::CAboutDlg box;
        box.SetEffectsEnabled(false);
        box.show();
        EXPECT_TRUE(box.grab().toImage().save(QString("%1/about.png").arg(folder)));
        box.hide();
    }
}

}  // namespace
