// One language per locale: under German every text the radio shows is German, under any
// other language every text is English. The texts are collected from the windows and
// messages themselves and from the program's sources, so a text added without the
// translator is caught.

#include "app/SettingsStore.h"
#include "app/TunelinkApp.h"
#include "catalogue/StationData.h"
#include "mail/MapiMail.h"
#include "mail/ProgressWnd.h"
#include "mail/SendMailDlg.h"
#include "radio/AboutDlg.h"
#include "radio/FavoritesDlg.h"
#include "radio/PlayerMissingMessage.h"
#include "radio/RadioMenu.h"
#include "radio/core/PlayerEventSink.h"
#include "tests/support/LocaleScope.h"
#include "ui/HyperLink.h"
#include "ui/Translator.h"
#include "util/MessageBox.h"
#include "util/Profile.h"

#include <gtest/gtest.h>
#include <QAbstractButton>
#include <QDialog>
#include <QLabel>
#include <QRegularExpression>

#include <algorithm>
#include <cctype>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <set>
#include <sstream>
#include <string>
#include <vector>

using testsupport::LocaleScope;

namespace {

std::string Lower(std::string text) {
    std::transform(text.begin(), text.end(), text.begin(),
                   [](unsigned char c) { return static_cast<char>(std::tolower(c)); });
    return text;
}

// Words of three or more letters (umlauts count as letters), lower case.
std::set<std::string> WordsOf(const std::string& text) {
    std::set<std::string> words;
    const QRegularExpression word(QStringLiteral("[A-Za-zÄÖÜäöüß]{3,}"));
    auto it = word.globalMatch(QString::fromStdString(text));
    while (it.hasNext()) words.insert(Lower(it.next().captured().toStdString()));
    return words;
}

// Tells German text by its letters and its words: every word of the translator's German
// texts that no English text uses, and the small words any German sentence has.
class GermanDetector {
  public:
    GermanDetector() {
        ui::CTranslator translator;
        std::set<std::string> english;
        for (const auto& [key, german] : translator.Pairs()) {
            const auto words = WordsOf(key);
            english.insert(words.begin(), words.end());
        }
        for (const auto& [key, german] : translator.Pairs()) {
            for (const std::string& w : WordsOf(german)) {
                if (!english.contains(w))
                    vocabulary_.insert(w);
            }
        }
        for (const char* w :
             {"und",   "nicht", "der",    "die",     "das",   "ist",          "mit", "kein",
              "keine", "bitte", "wird",   "werden",  "kann",  "sie",          "ein", "eine",
              "auf",   "oder",  "fehler", "bereits", "datei", "einstellungen"})
            vocabulary_.insert(w);
    }

    // The German word found in `text`, or empty when it reads as not German.
    std::string GermanIn(const std::string& text) const {
        for (const char* letter : {"ä", "ö", "ü", "Ä", "Ö", "Ü", "ß"}) {
            if (text.find(letter) != std::string::npos)
                return letter;
        }
        for (const std::string& w : WordsOf(text)) {
            if (vocabulary_.contains(w))
                return w;
        }
        return {};
    }

  private:
    std::set<std::string> vocabulary_;
};

// The English texts a German user must never see: every key whose German differs.
std::vector<std::string> EnglishOnlyKeys() {
    ui::CTranslator translator;
    std::vector<std::string> keys;
    for (const auto& [key, german] : translator.Pairs()) {
        if (key != german)
            keys.push_back(key);
    }
    return keys;
}

void AddWindowTexts(const QWidget& window, std::vector<std::string>& texts) {
    texts.push_back(window.windowTitle().toStdString());
    for (const QLabel* label : window.findChildren<QLabel*>())
        texts.push_back(label->text().toStdString());
    for (const QAbstractButton* button : window.findChildren<QAbstractButton*>())
        texts.push_back(button->text().toStdString());
}

// Everything the radio shows in the current locale: its dialogs, menu, status texts, hint,
// station names of the favourites, the mail and its messages.
std::vector<std::string> CollectShownTexts() {
    std::vector<std::string> texts;
    util::MemoryProfile profile;
    util::InstallProfile(&profile);
    std::vector<util::MessageRequest> messages;
    const auto previous = util::InstallMessagePresenter([&](const util::MessageRequest& r) {
        messages.push_back(r);
        return util::MessageResult::No;
    });

    AddWindowTexts(radio::CAboutDlg(), texts);
    AddWindowTexts(radio::CFavoritesDlg(), texts);
    AddWindowTexts(mail::CSendMailDlg(), texts);
    ui::CTranslator translator;
    const int language = ui::CTranslator::GetUiLanguage();
    mail::CProgressWnd progress(nullptr, translator.Translate("Send Buddybox", language), false,
                                true);
    AddWindowTexts(progress, texts);
    for (const char* step : {"Prepare to send mail...", "Start sending mail...", "Done !"})
        texts.push_back(translator.Translate(step, language));

    radio::RadioMenuState menu;
    menu.translator = &translator;
    menu.language = language;
    menu.productTitle = "Orbifon 1.0";
    for (const auto& item : radio::BuildRadioMenuItems(menu)) texts.push_back(item.text);

    for (int state = 0; state < 12; ++state) texts.push_back(radio::PlayStateText(state));
    using platform::media::FailureKind;
    for (FailureKind kind :
         {FailureKind::Connection, FailureKind::NoAudioOutput, FailureKind::AudioOutputInvalid,
          FailureKind::NoAnswer, FailureKind::NotAudio, FailureKind::AddressNotFound,
          FailureKind::StationNotFound})
        texts.push_back(radio::FailureReasonText(kind, "pulsesink"));
    texts.push_back(ui::CTranslator::InUiLanguage("Muted"));
    texts.push_back(ui::CTranslator::InUiLanguage(radio::RightClickHint::kText));
    const catalogue::CStationData stations(&ui::CTranslator::InUiLanguage);
    for (int slot = 29; slot < 32; ++slot) texts.push_back(stations.name[slot]);

    texts.push_back(app::TunelinkApp::AlreadyRunningText());
    texts.push_back(
        app::SettingsStore::CannotSaveText("/home/me/.config/Torvane/tunelink.conf", ""));
    radio::ShowPlayerMissingMessage([](const std::string&) { return true; },
                                    std::chrono::milliseconds(0));
    for (int code : {0, 2, 5, 31}) texts.push_back(ui::CHyperLinkThread::FailureText(code));
    texts.push_back(mail::MailTrailer());
    for (const auto& message : messages) {
        texts.push_back(message.text);
        texts.push_back(message.caption);
    }

    util::InstallMessagePresenter(previous);
    util::InstallProfile(nullptr);
    return texts;
}

// A shown text that is, or holds, an English text of the table.
std::string EnglishKeyIn(const std::string& text, const std::vector<std::string>& keys) {
    for (const std::string& key : keys) {
        if (text == key || (key.size() >= 12 && text.find(key) != std::string::npos))
            return key;
    }
    return {};
}

}  // namespace

TEST(Language, TheTableKeepsItsPairsAndEveryKeyIsEnglish) {
    const GermanDetector detector;
    ui::CTranslator translator;
    EXPECT_EQ(translator.size(), 38u + ui::CTranslator::ProgramTexts().size())
        << "a program text must not replace one of the menu's pairs";
    for (const auto& [key, german] : translator.Pairs()) {
        EXPECT_EQ(detector.GermanIn(key), "") << "a German key: " << key;
        EXPECT_EQ(translator.Translate(key, ui::CTranslator::kEnglish), key);
    }
    for (const std::string& key : ui::CTranslator::ProgramTexts())
        EXPECT_NE(translator.Translate(key, ui::CTranslator::kGerman), key)
            << "no German for " << key;
}

TEST(Language, NoGermanTextIsShownUnderAnyOtherLanguage) {
    const GermanDetector detector;
    for (const char* locale : {"en_US.UTF-8", "fr_FR.UTF-8", "C"}) {
        LocaleScope scope(locale);
        for (const std::string& text : CollectShownTexts())
            EXPECT_EQ(detector.GermanIn(text), "") << locale << ": " << text;
    }
}

TEST(Language, NoEnglishOnlyTextIsShownUnderGerman) {
    const auto keys = EnglishOnlyKeys();
    for (const char* locale : {"de_DE.UTF-8", "de_AT.UTF-8"}) {
        LocaleScope scope(locale);
        for (const std::string& text : CollectShownTexts())
            EXPECT_EQ(EnglishKeyIn(text, keys), "") << locale << ": " << text;
    }
}

// A text that reads the same in both languages is a name, an address or a word both share;
// anything else left English under German (or German under English) shows up here.
TEST(Language, OnlyNamesReadTheSameInBothLanguages) {
    const std::set<std::string> shared = {"",
                                          "OK",
                                          "URL:",
                                          "x",
                                          "Orbifon 1.0",
                                          "Torvane Radiowerke",
                                          "Torvane Studio",
                                          "www.torvane.com"};
    std::vector<std::string> english, german;
    {
        LocaleScope scope(testsupport::kEnglish);
        english = CollectShownTexts();
    }
    {
        LocaleScope scope(testsupport::kGerman);
        german = CollectShownTexts();
    }
    ASSERT_EQ(english.size(), german.size());
    for (std::size_t i = 0; i < english.size(); ++i) {
        if (english[i] == german[i]) {
            EXPECT_TRUE(shared.contains(english[i])) << "the same in both: " << english[i];
        }
    }
}

namespace {

// The string literals of a C++ source, comments left out; adjacent pieces stay apart.
std::vector<std::string> StringLiterals(const std::string& source) {
    std::vector<std::string> literals;
    for (std::size_t i = 0; i < source.size(); ++i) {
        const char c = source[i];
        if (c == '/' && i + 1 < source.size() && source[i + 1] == '/') {
            i = source.find('\n', i);
            if (i == std::string::npos)
                break;
        } else if (c == '/' && i + 1 < source.size() && source[i + 1] == '*') {
            i = source.find("*/", i + 2);
            if (i == std::string::npos)
                break;
            ++i;
        } else if (c == '\'') {
            // A character literal, or a digit separator: skip to its end on this line.
            const std::size_t end =
                source.find_first_of("'\n", i + (source[i + 1] == '\\' ? 3 : 2));
            if (end != std::string::npos && source[end] == '\'')
                i = end;
        } else if (c == '"') {
            std::string literal;
            for (++i; i < source.size() && source[i] != '"'; ++i) {
                if (source[i] == '\\' && i + 1 < source.size())
                    literal += source[i++];
                literal += source[i];
            }
            literals.push_back(literal);
        }
    }
    return literals;
}

std::string ReadFile(const std::filesystem::path& path) {
    std::ifstream in(path, std::ios::binary);
    std::ostringstream text;
    text << in.rdbuf();
    return text.str();
}

std::filesystem::path SourceRoot() {
    const char* root = std::getenv("TUNELINK_SOURCE_DIR");  // set by CTest
    return root ? root : ".";
}

// The built-in stations' names and addresses are catalogue data, like the names a catalogue
// update brings: "Einslive - Köln (Deutschland) - Genre: Mix".
bool IsBuiltInStation(const std::filesystem::path& file, const std::string& literal) {
    return file.filename() == "StationData.cpp" &&
           (literal.find(" - ") != std::string::npos || literal.rfind("http", 0) == 0);
}

// Paths, names of settings, programs and log categories: one token, no words for a reader.
bool IsIdentifier(const std::string& literal) {
    return literal.find(' ') == std::string::npos &&
           literal.find_first_of("/._-*=") != std::string::npos;
}

}  // namespace

// Every German text of the program stands in the translator's table and nowhere else: code
// shows the English key and passes it through the translator.
TEST(Language, GermanLiteralsOnlyInTheTranslatorsTable) {
    const GermanDetector detector;
    int files = 0;
    for (const char* folder : {"app", "radio", "catalogue", "mail", "ui", "util", "platform"}) {
        const auto root = SourceRoot() / folder;
        ASSERT_TRUE(std::filesystem::is_directory(root)) << root;
        for (const auto& entry : std::filesystem::recursive_directory_iterator(root)) {
            const auto& path = entry.path();
            if (path.extension() != ".cpp" && path.extension() != ".h")
                continue;
            if (path.filename() == "Translator.cpp")
                continue;
            ++files;
            for (const std::string& literal : StringLiterals(ReadFile(path))) {
                if (IsBuiltInStation(path, literal) || IsIdentifier(literal))
                    continue;
                EXPECT_EQ(detector.GermanIn(literal), "")
                    << path.lexically_relative(SourceRoot()) << ": \"" << literal << "\"";
            }
        }
    }
    EXPECT_GT(files, 50);
}

// Dialog templates hold the English keys; their windows translate them when they open.
TEST(Language, DialogTemplatesHoldEnglishTexts) {
    const GermanDetector detector;
    for (const auto& entry : std::filesystem::directory_iterator(SourceRoot() / "res/templates")) {
        const std::string text = ReadFile(entry.path());
        const QRegularExpression field(
            QStringLiteral("\"(?:text|caption)\"\\s*:\\s*\"((?:[^\"\\\\]|\\\\.)*)\""));
        auto it = field.globalMatch(QString::fromStdString(text));
        int fields = 0;
        while (it.hasNext()) {
            ++fields;
            const std::string value = it.next().captured(1).toStdString();
            EXPECT_EQ(detector.GermanIn(value), "") << entry.path().filename() << ": " << value;
        }
        EXPECT_GT(fields, 0) << entry.path();
    }
}
