#pragma once
// English -> German table for the menu and mail-progress texts. Read-only once built, so
// the mail worker may translate on its own thread while the menu translates on the UI thread.

#include <string>
#include <unordered_map>
#include <utility>
#include <vector>

class QWidget;
class QMenu;

namespace ui {

class CTranslator {
  public:
    // The English recipients hint of the mail dialog; dialog text and table key alike.
    static constexpr const char* kRecipientsHint =
        "Separate multiple recipients with a semicolon e.g.:\r\nanna@example.org; ben@example.org";
    // The tooltip that tells a new user about the menu.
    static constexpr const char* kRightClickHint =
        "Click here with the RIGHT mouse button to get an extended menu.";

    enum Language {
        kStored = -1,
        kGerman = 1,
        kEnglish = 2,
        kFrench = 3,
        kItalian = 4,
        kCzech = 5,
        kSpanish = 6,
        kPortuguese = 7,
        kPolish = 8,
        kHungarian = 9,
        kDutch = 10,
        kDanish = 11,
    };

    CTranslator();
    virtual ~CTranslator();

    // The German text when language is 1 (-1: the stored choice), else the text itself.
    std::string Translate(const std::string& text, int language) const;

    // For code without a window of its own: the text in the user-interface language, from a
    // translator shared by the process.
    static std::string InUiLanguage(const std::string& english);
    // `text` with its first "%s" replaced by `value`, which is taken as it is (never as a
    // format), so a typed or received value cannot inject further placeholders.
    static std::string FillIn(std::string text, const std::string& value);

    // Caption, direct label and button children and the menu bar of a window. Acts only
    // when called with -1, and then in the user-interface language.
    virtual void TranslateWindow(QWidget* window, int language) const;
    // Every entry of a menu, sub-menus included; returns the number of entries.
    virtual int TranslateMenu(QMenu* menu, int language) const;

    // The language of the user's locale: 1 German, 3 French, ... 2 for anything else.
    static int GetDefaultLanguageCode();
    // The stored "Language" choice, or the detected code when there is none.
    static int GetStoredLanguage();
    // 1 when the user's language is German, else 2: what every window asks for.
    static int GetUiLanguage();

    std::size_t size() const { return table_.size(); }
    // Every pair as English key and shown German text; for checks of the table.
    std::vector<std::pair<std::string, std::string>> Pairs() const;
    // The English keys of the radio's own texts (status, messages, dialogs), which the
    // program passes through Translate besides the menu and mail-progress texts.
    static std::vector<std::string> ProgramTexts();

  private:
    std::unordered_map<std::string, std::string> table_;
};

}  // namespace ui
