#pragma once
// English -> German table for the menu and mail-progress texts. Read-only once built, so
// the mail worker may translate on its own thread while the menu translates on the UI thread.

#include <string>
#include <unordered_map>

class QWidget;
class QMenu;

class CTranslator {
  public:
    // The English recipients hint of the mail dialog; dialog text and table key alike.
    static constexpr const char* kRecipientsHint =
        "Separate multiple recipients with a semicolon e.g.:\r\nanna@example.org; ben@example.org";

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

  private:
    std::unordered_map<std::string, std::string> table_;
};
