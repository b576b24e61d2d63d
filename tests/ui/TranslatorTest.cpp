#include "tests/support/LocaleScope.h"
#include "ui/Translator.h"
#include "util/Profile.h"

#include <gtest/gtest.h>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QWidget>

#include <cstdlib>
#include <optional>
#include <string>
#include <utility>
#include <vector>

using testsupport::LocaleScope;

TEST(Translator, GermanTableAndPassThrough) {
    ui::CTranslator t;
    // The menu and mail-progress pairs, then the program's own texts; none lost to a duplicate key.
    EXPECT_EQ(t.size(), 38u + ui::CTranslator::ProgramTexts().size());
    EXPECT_EQ(t.Translate("E&xit", 1), "&Beenden");
    EXPECT_EQ(t.Translate("Quality ", 1), "Qualität ");  // trailing blank kept
    EXPECT_EQ(t.Translate("Quality", 1), "Quality");     // not in the table
    EXPECT_EQ(t.Translate("About %s...", 1), "Info über %s...");
    EXPECT_EQ(t.Translate("Programming:", 1), "Programmierung && Konzept::");
    EXPECT_EQ(t.Translate("Start sending mail...", 1), "Beginne mit E-Mailversand…");
    EXPECT_EQ(t.Translate(ui::CTranslator::kRecipientsHint, 1),
              "Mehrfachempfänger mit Semikolons trennen");
    for (int language : {2, 3, 4, 5, 6, 7, 8, 9, 10, 11}) {
        EXPECT_EQ(t.Translate("E&xit", language), "E&xit") << language;
    }
}

TEST(Translator, StoredChoiceAndLocaleDetection) {
    util::MemoryProfile profile;
    util::InstallProfile(&profile);
    ui::CTranslator t;
    {
        LocaleScope scope("de_CH.UTF-8");
        EXPECT_EQ(ui::CTranslator::GetDefaultLanguageCode(), 1);
        EXPECT_EQ(t.Translate("E&xit", -1), "&Beenden");
        profile.WriteInt("CTranslator", "Language", 2);
        EXPECT_EQ(t.Translate("E&xit", -1), "E&xit");
        EXPECT_EQ(ui::CTranslator::GetUiLanguage(), 1);  // the windows follow the locale
    }
    {
        LocaleScope scope("fr_CA.UTF-8");
        EXPECT_EQ(ui::CTranslator::GetDefaultLanguageCode(), 3);
        EXPECT_EQ(ui::CTranslator::GetUiLanguage(), 2);
    }
    {
        LocaleScope scope("es_AR");
        EXPECT_EQ(ui::CTranslator::GetDefaultLanguageCode(), 6);
    }
    {
        LocaleScope scope("C");
        EXPECT_EQ(ui::CTranslator::GetDefaultLanguageCode(), 2);
    }
    util::InstallProfile(nullptr);
}

TEST(Translator, WindowTranslatesCaptionLabelsAndButtonsOnly) {
    LocaleScope scope("de_DE.UTF-8");
    ui::CTranslator t;
    QWidget window;
    window.setWindowTitle("Send mail...");
    auto* label = new QLabel("To:", &window);
    auto* button = new QPushButton("&Cancel", &window);
    auto* edit = new QLineEdit("Subject:", &window);
    auto* inner = new QWidget(&window);
    auto* grandchild = new QLabel("Text:", inner);

    t.TranslateWindow(&window, 1);  // only -1 acts
    EXPECT_EQ(window.windowTitle(), "Send mail...");

    t.TranslateWindow(&window, -1);
    EXPECT_EQ(window.windowTitle(), "Als Email versenden...");
    EXPECT_EQ(label->text(), "Empfänger:");
    EXPECT_EQ(button->text(), "&Abbrechen");
    EXPECT_EQ(edit->text(), "Subject:");
    EXPECT_EQ(grandchild->text(), "Text:");
}
