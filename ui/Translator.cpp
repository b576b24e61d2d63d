#include "ui/Translator.h"

#include "platform/system/Locale.h"
#include "util/Profile.h"

#include <QAbstractButton>
#include <QLabel>
#include <QMenu>
#include <QMenuBar>
#include <QWidget>

#include <algorithm>
#include <cstdint>
#include <initializer_list>
#include <utility>

namespace ui {

namespace {
// Values end with "@": what stands before it is the German text, so trailing blanks survive.
const std::pair<const char*, const char*> kTable[] = {
    {"E&xit", "&Beenden@"},
    {"%s on the web", "%s im Netz@"},
    {"&Send me to a friend...", "&Sende mich an einen Freund...@"},
    {"&Always on top", "Immer im &Vordergrund@"},
    {"&Run on system start up", "&Autostart@"},
    {"&Configure...", "&Optionen...@"},
    {"About %s...", "Info über %s...@"},
    {"Favorite 1", "Benutzerdefiniert 1@"},
    {"Favorite 2", "Benutzerdefiniert 2@"},
    {"Favorite 3", "Benutzerdefiniert 3@"},
    {"Programming:", "Programmierung && Konzept::@"},
    {"Artwork:", "Grafiken:@"},
    {"&Help", "&Hilfe@"},
    {"Send mail...", "Als Email versenden...@"},
    {"To:", "Empfänger:@"},
    {"Subject:", "Betreff:@"},
    {"Text:", "Nachricht:@"},
    {CTranslator::kRecipientsHint, "Mehrfachempfänger mit Semikolons trennen@"},
    {"&Send", "&Senden@"},
    {"&Cancel", "&Abbrechen@"},
    {"You do not have an e-mail client or the client is not configured properly. :(",
     "Sie haben kein E-Mailprogramm oder ihr E-Mailprogramm ist nicht richtig konfiguriert :(@"},
    {"Configure...", "Optionen...@"},
    {"Quality ", "Qualität @"},
    {"&High", "&Hoch@"},
    {"Color ", "Farbe @"},
    {"&Blue", "&Blau@"},
    {"&Green", "&Grün@"},
    {"&Violet", "&Violett@"},
    {"&Pink", "&Rosa@"},
    {"&Turquoise", "&Türkis@"},
    {"&Random", "&Zufall@"},
    {"Zoom ", "Vergrößerung @"},
    {"Send Buddybox", "Verschicke Buddybox@"},
    {"Start attaching program...", "Hänge Programm an...@"},
    {"Start compressing program...", "Komprimiere zu verschickendes Programm...@"},
    {"Prepare to send mail...", "Initialisiere E-Mail Versandt...@"},
    {"Start sending mail...", "Beginne mit E-Mailversand…@"},
    {"Done !", "Fertig !@"},
};

// The radio's own texts: the English shown under any other language, the German text as it
// stands beside. Each place that shows one of these passes the English through Translate.
const std::pair<const char*, const char*> kProgramTexts[] = {
    // play states, by state number 0-11
    {"Undefined", "Unbestimmt@"},
    {"Stopped", "Gestoppt@"},
    {"Paused", "Pausiert@"},
    {"Playing", "Spielt@"},
    {"Scanning forward", "Forlauf@"},
    {"Scanning back", "Rücklauf@"},
    {"Buffering", "Puffern@"},
    {"Waiting", "Warte@"},
    {"Playback ended", "Wiedergabe beendet@"},
    {"Switching", "Wechseln@"},
    {"Connection error", "Fertig - Verbindungsfehler@"},
    {"Reconnecting", "Wieder verbindend@"},
    // why a station could not be played, after "Connection error: "
    {"server does not answer", "Server antwortet nicht@"},
    {"not an audio stream", "kein Audio-Stream@"},
    {"address not found", "Adresse nicht gefunden@"},
    {"station not found", "Sender nicht gefunden@"},
    {"no sound output", "keine Tonausgabe@"},
    {"sound output \"%s\" unusable (TUNELINK_AUDIO_SINK)",
     "Tonausgabe \"%s\" ungültig (TUNELINK_AUDIO_SINK)@"},
    // the radio window
    {"Muted", "Stumm geschaltet@"},
    {CTranslator::kRightClickHint,
     "Klicken Sie hier mit der RECHTEN Maustaste, um ein erweitertes Menu zu erhalten.@"},
    // the about box
    {"About Orbifon", "Über Orbifon@"},
    {"Programming and concept:", "Programmierung && Konzept:@"},
    // the favourite editor
    {"Favorite...", "Benutzerdefiniert...@"},
    {"Cancel", "Abbrechen@"},
    {"Find...", "Suchen...@"},
    // the station finder
    {"Find a station", "Sender suchen@"},
    {"e.g. jazz", "z.B. Jazz@"},
    {"All countries", "Alle Länder@"},
    {"Station name:", "Sendername:@"},
    {"Genre or tag:", "Genre oder Stichwort:@"},
    {"Country:", "Land:@"},
    {"Station", "Sender@"},
    {"Country", "Land@"},
    {"Codec", "Format@"},
    {"Bit rate", "Datenrate@"},
    {"Listen", "Probehören@"},
    {"Use", "Übernehmen@"},
    {"Close", "Schließen@"},
    {"Searching...", "Suche läuft...@"},
    {"No station found", "Kein Sender gefunden@"},
    {"%s stations", "%s Sender@"},
    {"Listening to %s", "Probehören: %s@"},
    {"The station directory cannot be reached", "Das Senderverzeichnis ist nicht erreichbar@"},
    {"The station directory sent an answer that cannot be read",
     "Das Senderverzeichnis hat eine unlesbare Antwort geschickt@"},
    // the mail dialog, the mail and the progress window
    {"Pass me on...", "Schick mich weiter...@"},
    {"Separate multiple recipients with a semicolon e.g.:",
     "Mehrfachempfänger mit Semikolons trennen z.B.:@"},
    {"Recipients:", "An:@"},
    {"Message:", "Nachricht:@"},
    {"Sen&d", "&Abschicken@"},
    {" Cancel ", " Abbrechen @"},
    {"Warning", "Warnung@"},
    {"This recipient address cannot be used:",
     "Diese Empfängeradresse kann nicht verwendet "
     "werden:@"},
    {"Addresses must not contain spaces, control characters, \"?\" or \"&\", nor begin "
     "with \"-\".",
     "Adressen dürfen keine Leerzeichen, Steuerzeichen, \"?\" oder \"&\" enthalten und nicht "
     "mit \"-\" beginnen.@"},
    {"No e-mail program is installed, or it is not set up properly :(",
     "Es ist kein Emailprogramm installiert oder es ist nicht richtig konfiguriert :(@"},
    {"Solvista Orbifon is a screenmate made exclusively for",
     "Solvista Orbifon ist ein Screenmate exklusiv entwickelt für@"},
    {"Please visit our web site.", "Besuchen Sie bitte unsere Webseite.@"},
    {"You can download Solvista Orbifon there.",
     "Dort können Sie den Solvista Orbifon downloaden.@"},
    {"Have fun with it!", "Viel Spaß damit!@"},
    // messages
    {"%s already running on this machine.", "%s läuft bereits auf diesem Computer.@"},
    {"The settings cannot be saved:", "Die Einstellungen können nicht gespeichert werden:@"},
    {"Changes last only until the end of this session.",
     "Änderungen gelten nur bis zum Ende dieser Sitzung.@"},
    {"the file could not be written completely",
     "die Datei konnte nicht vollständig geschrieben werden@"},
    {"The version of GStreamer installed on this computer is out of date. %s therefore cannot "
     "run.\n\n\tDo you want to install a current version of the media player?",
     "Die auf diesem Computer installierte version von GStreamer ist nicht aktuell. %s kann "
     "daher nicht ausgeführt werden.\n\n\tWollen sie eine aktuelle Version vom Media Player "
     "installieren?@"},
    {"File", "Datei@"},
    {"can not be read because of the following reason:",
     "kann aus folgendem Grund nicht gelesen werden:@"},
    {"Can't open link:", "Der Verweis kann nicht geöffnet werden:@"},
    {"The operating system is out\nof memory or resources.",
     "Dem Betriebssystem fehlt es an\nSpeicher oder Ressourcen.@"},
    {"The specified file was not found.", "Die angegebene Datei wurde nicht gefunden.@"},
    {"The operating system denied\naccess to the specified file.",
     "Das Betriebssystem verweigert\nden Zugriff auf die angegebene Datei.@"},
    {"There is no application associated\nwith the given filename extension.",
     "Mit dieser Art von Verweis ist\nkein Programm verknüpft.@"},
};

struct LanguageIds {
    int code;
    std::initializer_list<std::uint16_t> ids;
};

const LanguageIds kLanguageIds[] = {
    {1, {0x0407, 0x0807, 0x0C07, 0x1007, 0x1407}},
    {3, {0x040C, 0x080C, 0x0C0C, 0x100C, 0x140C, 0x180C}},
    {4, {0x0410, 0x0810}},
    {5, {0x0405}},
    {6, {0x040A, 0x080A, 0x0C0A, 0x100A, 0x140A, 0x180A, 0x1C0A, 0x200A, 0x240A, 0x280A,
         0x2C0A, 0x300A, 0x340A, 0x380A, 0x3C0A, 0x400A, 0x440A, 0x480A, 0x4C0A, 0x500A}},
    {7, {0x0416, 0x0816}},
    {8, {0x0415}},
    {9, {0x040E}},
    {10, {0x0413, 0x0813}},
    {11, {0x0406}},
};

QString TranslateQ(const CTranslator& translator, const QString& text, int language) {
    return QString::fromStdString(translator.Translate(text.toStdString(), language));
}
}  // namespace

CTranslator::CTranslator() {
    for (const auto& [english, german] : kTable) table_[english] = german;
    for (const auto& [english, german] : kProgramTexts) table_[english] = german;
}

std::vector<std::string> CTranslator::ProgramTexts() {
    std::vector<std::string> keys;
    for (const auto& pair : kProgramTexts) keys.emplace_back(pair.first);
    return keys;
}

std::vector<std::pair<std::string, std::string>> CTranslator::Pairs() const {
    std::vector<std::pair<std::string, std::string>> pairs;
    for (const auto& [english, german] : table_)
        pairs.emplace_back(english, german.substr(0, german.find('@')));
    return pairs;
}

std::string CTranslator::InUiLanguage(const std::string& english) {
    static const CTranslator shared;  // read-only once built, so any thread may use it
    return shared.Translate(english, GetUiLanguage());
}

std::string CTranslator::FillIn(std::string text, const std::string& value) {
    const auto at = text.find("%s");
    if (at != std::string::npos)
        text.replace(at, 2, value);
    return text;
}

CTranslator::~CTranslator() = default;

std::string CTranslator::Translate(const std::string& text, int language) const {
    if (language == kStored)
        language = GetStoredLanguage();
    if (language != kGerman)
        return text;
    auto it = table_.find(text);
    if (it == table_.end())
        return text;
    return it->second.substr(0, it->second.find('@'));
}

void CTranslator::TranslateWindow(QWidget* window, int language) const {
    if (!window || language != kStored)
        return;
    const int ui = GetUiLanguage();
    window->setWindowTitle(TranslateQ(*this, window->windowTitle(), ui));
    for (QObject* child : window->children()) {
        if (auto* label = qobject_cast<QLabel*>(child)) {
            label->setText(TranslateQ(*this, label->text(), ui));
        } else if (auto* button = qobject_cast<QAbstractButton*>(child)) {
            button->setText(TranslateQ(*this, button->text(), ui));
        }
    }
    if (auto* bar = window->findChild<QMenuBar*>(QString(), Qt::FindDirectChildrenOnly)) {
        for (QAction* action : bar->actions()) {
            if (QMenu* menu = action->menu())
                TranslateMenu(menu, ui);
            if (!action->text().isEmpty())
                action->setText(TranslateQ(*this, action->text(), ui));
        }
    }
}

int CTranslator::TranslateMenu(QMenu* menu, int language) const {
    if (!menu)
        return 0;
    const auto actions = menu->actions();
    for (QAction* action : actions) {
        if (!action->text().isEmpty())
            action->setText(TranslateQ(*this, action->text(), language));
        if (QMenu* sub = action->menu())
            TranslateMenu(sub, language);
    }
    return static_cast<int>(actions.size());
}

int CTranslator::GetDefaultLanguageCode() {
    const std::uint16_t id = platform::UserDefaultLangId();
    for (const auto& entry : kLanguageIds) {
        if (std::find(entry.ids.begin(), entry.ids.end(), id) != entry.ids.end())
            return entry.code;
    }
    return kEnglish;
}

int CTranslator::GetStoredLanguage() {
    return util::TheProfile().GetInt("CTranslator", "Language", GetDefaultLanguageCode());
}

int CTranslator::GetUiLanguage() {
    return GetDefaultLanguageCode() == kGerman ? kGerman : kEnglish;
}

}  // namespace ui
