#pragma once
// The radio: a skinned screenmate window with a 32-station dial, push buttons, a volume
// knob, a status line and a display flap. Everything the user does arrives here as a
// numbered command.

#include "catalogue/StationData.h"
#include "catalogue/StationsChangedSink.h"
#include "mail/MailFlow.h"
#include "radio/PlayerHost.h"
#include "radio/PlayerWindow.h"
#include "radio/RadioMenu.h"
#include "radio/RadioSkin.h"
#include "ui/BuddyboxDlg.h"
#include "ui/HyperLink.h"
#include "ui/SendToUiThread.h"
#include "ui/Translator.h"

#include <QTimer>

#include <functional>
#include <memory>
#include <optional>
#include <string>

class CActionStationData;

namespace radio {

class TunelinkDlg : public CBuddyboxDlg, public PlayerWindow, public StationsChangedSink {
    Q_OBJECT
  public:
    static constexpr const char* kSection = "CTunelinkDlg";

    // What tests replace: the player, the translucency decision, the catalogue's cache
    // and address, and whether the start-up picture shows.
    struct Options {
        PlayerHost::PlayerFactory playerFactory;
        std::unique_ptr<CLayeredWindow> layered;
        std::string cachePath;         // empty: the default cache path
        std::string catalogueAddress;  // empty: the default address
        bool splash = true;
        // The player, and with it the media library (which builds its plugin registry on a
        // user's first start), is made once the first frame is on the screen, so the window
        // shows at once. Tests that drive a player from the start turn this off.
        bool playerAfterFirstFrame = true;
        // The start-with-the-desktop entry (the application layer owns it).
        std::function<bool()> startupEntryExists;
        std::function<void()> toggleStartupEntry;
    };

    TunelinkDlg();
    explicit TunelinkDlg(Options options);
    ~TunelinkDlg() override;

    // Everything up to showing the window. False when there is no usable player: the
    // message has been shown and the program should end.
    bool Initialise();
    // Makes the player unless it exists; on failure the missing-player message has been
    // shown and the window closes.
    bool EnsurePlayer();

    // Commands of the skin, the menu, the player and the catalogue.
    void OnCommand(int id) override;
    // A player status text (shown, or kept while a preview is on the status line).
    void OnPlayerStatus(const std::string& text) override;
    // A stream title: shown after the station's name while the station plays undisturbed.
    void OnMediaTitle(const std::string& title) override;
    // The stream title of the station that plays now (empty until one arrives).
    const std::string& StreamTitle() const { return streamTitle_; }
    // The station's name, with the stream title after it when there is one.
    std::string NowPlayingText() const;
    // Called on the download thread; waits until the table has been refilled.
    bool SendStationsChanged() override;

    // A station heard from the station finder (`name` shows as the station); an empty
    // address ends the listening and the radio goes back to what it did before.
    void ListenFromFinder(const std::string& address, const std::string& name);

    void SetStatusText(const std::string& text);
    // Volume 0-100 from outside the skin (the desktop's controls); the knob follows.
    void SetVolume(int volume);
    void RefreshButtons();

    // For tests and the bus interface.
    const CStationData& Stations() const { return stations_; }
    CStationData& Stations() { return stations_; }
    PlayerHost& Player() { return player_; }
    RadioSkin& Skin() { return skin_; }
    const std::string& StatusText() const { return statusText_; }
    const std::string& SavedStatusText() const { return savedStatus_; }
    bool Switching() const { return switching_; }
    bool PreviewActive() const { return previewActive_; }
    bool VolumeDragging() const { return volumeDrag_; }
    int Volume() const { return volume_; }
    int RightClickHints() const { return hint_.ValueToSave(); }
    CSkinMenu& Menu() { return menu_; }
    QTimer& Timer(int id);

  signals:
    // Emitted after every command, so other views (the desktop's media keys) follow.
    void StateChanged();

  protected:
    void paintEvent(QPaintEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;
    void mouseMoveEvent(QMouseEvent* event) override;
    void leaveEvent(QEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;
    void done(int result) override;

    // The right-click menu; the window shows it where the mouse is.
    virtual void ShowPopupMenu(const QPoint& globalPos);
    virtual void OnMenuCommand(int id);

  private:
    bool MakePlayer();
    void ReadStartSettings();
    void SetUpTimers();
    void SetUpHint();
    void ChooseStation(int slot);
    bool SoundsNow(int slot) const;
    void ShowSoundingStation();
    void Preview(int slot);
    void EndPreviewIfLeft();
    void ToggleMute();
    void TogglePower();
    void StartVolumeDrag();
    void DragVolumeTo(int x);
    void ApplyVolume(int volume);
    void EditFavorite(int userSlot);
    std::optional<std::string> FindStation(QWidget* parent);
    void OpenWebSite();
    void OnFlapTimer();
    void OnNowPlayingTimer();
    void Shutdown();

    Options options_;
    CTranslator translator_;
    CStationData stations_;
    PlayerHost player_;
    RadioSkin skin_;
    std::unique_ptr<CActionStationData> updater_;
    ui::UiCallGate gate_;
    CHyperLink* webLink_ = nullptr;  // dialog item 1000: the maker's web site, not shown
    std::unique_ptr<mail::MailFlow> mailFlow_;

    QTimer nowPlayingTimer_;  // 1
    QTimer switchTimer_;      // 2
    QTimer marqueeTimer_;     // 3
    QTimer updateTimer_;      // 4
    QTimer flapTimer_;        // 5

    std::string statusText_;
    std::string savedStatus_;
    std::string streamTitle_;
    bool switching_ = false;
    bool sounding_ = false;  // the player reached "playing" and has reported nothing since
    bool previewActive_ = false;
    bool hover_ = false;
    bool volumeDrag_ = false;
    bool targetPower_ = false;
    bool drawnPower_ = false;
    bool closing_ = false;
    bool shutDown_ = false;
    bool firstFrameLogged_ = false;
    // A station of the finder plays; when the finder closes the radio resumes its station.
    bool finderListening_ = false;
    bool resumeAfterFinder_ = false;
    std::string finderStation_;
    RightClickHint hint_;
    CSkinMenu menu_;
    int volume_ = 50;
};

}  // namespace radio
