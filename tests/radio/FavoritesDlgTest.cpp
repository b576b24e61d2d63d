#include "catalogue/StationData.h"
#include "radio/FavoritesDlg.h"
#include "tests/support/LocaleScope.h"
#include "ui/Translator.h"
#include "util/Profile.h"

#include <gtest/gtest.h>
#include <QApplication>
#include <QLineEdit>
#include <QTimer>

using catalogue::CStationData;
using radio::CFavoritesDlg;
using radio::EditFavorite;

namespace {
// Answers the editor once it runs: types `text` and confirms, or cancels.
void AnswerEditor(const QString& text, bool confirm) {
    QTimer::singleShot(100, [text, confirm] {
        for (QWidget* top : QApplication::topLevelWidgets()) {
            auto* dialog = qobject_cast<CFavoritesDlg*>(top);
            if (!dialog || !dialog->isVisible())
                continue;
            dialog->AddressField()->setText(text);
            if (confirm)
                dialog->accept();
            else
                dialog->reject();
        }
    });
}
}  // namespace

TEST(FavoritesDlg, ConfirmedAddressIsKeptExactlyAsTyped) {
    testsupport::LocaleScope german(testsupport::kGerman);
    util::MemoryProfile profile;
    util::InstallProfile(&profile);
    CStationData table(&ui::CTranslator::InUiLanguage);
    AnswerEditor("  http://my.example/stream ", true);
    EXPECT_TRUE(EditFavorite(table, 2, nullptr));
    EXPECT_EQ(table.address[30], "  http://my.example/stream ");
    EXPECT_EQ(profile.GetText("CStationData", "2", "none"), "  http://my.example/stream ");
    EXPECT_EQ(table.name[30], "Benutzerdefiniert 2");

    AnswerEditor("http://changed.example/", false);  // cancel keeps everything
    EXPECT_FALSE(EditFavorite(table, 2, nullptr));
    EXPECT_EQ(table.address[30], "  http://my.example/stream ");

    AnswerEditor("", true);  // an empty address empties the slot and the setting
    EXPECT_TRUE(EditFavorite(table, 2, nullptr));
    EXPECT_TRUE(table.address[30].empty());
    EXPECT_EQ(profile.GetText("CStationData", "2", "none"), "");

    AnswerEditor("http://slot28.example/", true);  // user slot 0 is slot 28, value "0"
    EXPECT_TRUE(EditFavorite(table, 0, nullptr));
    EXPECT_EQ(table.address[28], "http://slot28.example/");
    EXPECT_EQ(profile.GetText("CStationData", "0", "none"), "http://slot28.example/");
    util::InstallProfile(nullptr);
}
