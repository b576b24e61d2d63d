#pragma once
// The radio window: a skinned screenmate with a 32-station dial, push buttons, a volume
// knob, a status line and a display flap. It turns mouse and menu input into the calls of
// the radio's rules (radio::Radio) and shows what they decide.

#include "mail/MailFlow.h"
#include "radio/CatalogueSchedule.h"
#include "radio/FreedMemoryReturn.h"
#include "radio/QtRadioTimers.h"
#include "radio/RadioFace.h"
#include "radio/RadioMenu.h"
#include "radio/core/Radio.h"
#include "ui/BuddyboxDlg.h"
#include "ui/HyperLink.h"
#include "ui/Translator.h"

#include <functional>
#include <memory>
#include <optional>
#include <string>

namespace radio {

class TunelinkDlg : public ui::CBuddyboxDlg, public RadioView {
    Q_OBJECT
  public:
    // What tests replace: the player, the translucency decision, the catalogue's cache
    // and address, and whether the start-up picture shows.
    struct Options {
        PlayerHost::PlayerFactory playerFactory;
        std::unique_ptr<ui::CLayeredWindow> layered;
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
    void OnCommand(int id) { core_.OnCommand(id); }

    Radio& Core() { return core_; }
    const Radio& Core() const { return core_; }
    RadioFace& Face() { return face_; }
    RadioSkin& Skin() { return face_.Skin(); }
    const RadioSkin& Skin() const { return face_.Skin(); }
    QtRadioTimers& Timers() { return timers_; }
    CatalogueSchedule& Catalogue() { return catalogue_; }
    const FreedMemoryReturn& MemoryReturn() const { return memoryReturn_; }
    ui::CSkinMenu& Menu() { return menu_; }
    int RightClickHints() const { return hint_.ValueToSave(); }
    // Shows the pictures for the screen the window is on now (also on a change of screen).
    void FollowScreenDensity();

  signals:
    // Emitted after every command, so other views (the desktop's media keys) follow.
    void StateChanged();

  protected:
    QPaintEngine* paintEngine() const override;
    void paintEvent(QPaintEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;
    void mouseMoveEvent(QMouseEvent* event) override;
    void leaveEvent(QEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;
    void done(int result) override;

  private:
    void ShowStatusText(const std::string& text) override { face_.ShowStatusText(text); }
    void ShowControls(const Controls& controls) override { face_.ShowControls(controls); }
    void ShowVolume(int volume) override { face_.ShowVolume(volume); }
    void ShowDial() override { face_.ShowDial(); }
    void HoldPointer(bool hold) override;
    void EditFavorite(int userSlot) override;
    void RunCommand(int id) override;
    void PlayerMissing() override;
    void Changed() override;

    void ShowPopupMenu(const QPoint& globalPos);
    void OnFirstFrame();
    void Shutdown();

    Options options_;
    ui::CTranslator translator_;
    QtRadioTimers timers_;
    FreedMemoryReturn memoryReturn_;  // outlives the radio, whose changes it follows
    RadioFace face_;
    Radio core_;
    CatalogueSchedule catalogue_;
    // Dialog item 1000: the maker's web site, never shown. Not a child of the window: a
    // window drawn on screen gives each child a native window of its own.
    std::unique_ptr<ui::CHyperLink> webLink_;
    std::unique_ptr<mail::MailFlow> mailFlow_;
    RightClickHint hint_;
    ui::CSkinMenu menu_;
    bool shutDown_ = false;
    bool firstFrameLogged_ = false;
};

}  // namespace radio
