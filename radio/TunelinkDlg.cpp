#include "radio/TunelinkDlg.h"

#include "catalogue/ActionStationData.h"
#include "catalogue/FavoritesDlg.h"
#include "platform/system/Memory.h"
#include "radio/AboutDlg.h"
#include "radio/Commands.h"
#include "radio/SkinGeometry.h"
#include "radio/StationFinderDlg.h"
#include "ui/BuiltInImage.h"
#include "ui/PictureScale.h"
#include "ui/SplashWnd.h"
#include "util/Product.h"
#include "util/Profile.h"

#include <QApplication>
#include <QCloseEvent>
#include <QFile>
#include <QIcon>
#include <QKeyEvent>
#include <QLoggingCategory>
#include <QMouseEvent>
#include <QPainter>
#include <QPixmap>
#include <QThread>

#include <algorithm>

Q_LOGGING_CATEGORY(lcStatus, "tunelink.status")
Q_LOGGING_CATEGORY(lcCommand, "tunelink.command")
Q_LOGGING_CATEGORY(lcCatalogue, "tunelink.catalogue")
Q_LOGGING_CATEGORY(lcPlayer, "tunelink.player")
Q_LOGGING_CATEGORY(lcStartup, "tunelink.startup")

namespace radio {

namespace g = geometry;
namespace cmd = command;

namespace {
constexpr int kSplashPicture = 500;
constexpr int kPlayerDelayMs = 50;
constexpr int kNowPlayingMs = 1000;
constexpr int kSwitchMs = 100000;
constexpr int kMarqueeMs = 70;
constexpr int kUpdateDelayMs = 5000;
constexpr int kFlapMs = 70;
constexpr int kCloseDelayMs = 500;
constexpr int kFlapSettledMs = 500;

// PNGs read as PNGs: a resource path without a suffix would make Qt sniff its type through
// the MIME database and load every image and icon plugin, for one icon. Task bars and
// window switchers show at most 128 pixels; a 256 one would hold 256 KB for nothing.
QIcon AppIcon() {
    QIcon icon;
    for (int size : {16, 24, 32, 48, 64, 128}) {
        const QImage image =
            ui::ReadBuiltInImage(QStringLiteral(":/res/appicon/%1").arg(size), "png");
        if (!image.isNull())
            icon.addPixmap(QPixmap::fromImage(image));
    }
    return icon;
}
}  // namespace

TunelinkDlg::TunelinkDlg() : TunelinkDlg(Options{}) {}

TunelinkDlg::TunelinkDlg(Options options)
    : options_(std::move(options)),
      player_(options_.playerFactory),
      skin_(std::move(options_.layered)) {
    setWindowTitle(QString::fromUtf8(util::kProductTitle));
    setMouseTracking(true);
    setAttribute(Qt::WA_OpaquePaintEvent);
    skin_.SetFont(QApplication::font());
    skin_.SetScale(ui::PictureScaleFor(devicePixelRatioF()));
    skin_.SetUp();
    // First, before the start-up picture or anything else gives the window a native window.
    skin_.PrepareWindow(this);
    updater_ = std::make_unique<CActionStationData>(
        this,
        options_.cachePath.empty() ? CActionStationData::DefaultCachePath() : options_.cachePath,
        options_.catalogueAddress.empty() ? CActionStationData::CatalogueAddress()
                                          : options_.catalogueAddress);
    SetUpTimers();
    webLink_ = new CHyperLink(this);
    webLink_->setObjectName(QStringLiteral("1000"));
    webLink_->SetURL(std::string("https://") + util::kWebSiteHost + "/");
    webLink_->hide();
    mailFlow_ = std::make_unique<mail::MailFlow>(this, translator_);
    // The menu's choice arrives after the menu has gone, as a posted command.
    connect(
        &menu_, &CSkinMenu::commandChosen, this, [this](int id) { OnCommand(id); },
        Qt::QueuedConnection);
}

TunelinkDlg::~TunelinkDlg() {
    Shutdown();
}

QTimer& TunelinkDlg::Timer(int id) {
    switch (id) {
        case 1:
            return nowPlayingTimer_;
        case 2:
            return switchTimer_;
        case 3:
            return marqueeTimer_;
        case 4:
            return updateTimer_;
        default:
            return flapTimer_;
    }
}

void TunelinkDlg::SetUpTimers() {
    nowPlayingTimer_.setInterval(kNowPlayingMs);
    switchTimer_.setInterval(kSwitchMs);
    marqueeTimer_.setInterval(kMarqueeMs);
    updateTimer_.setInterval(kUpdateDelayMs);
    flapTimer_.setInterval(kFlapMs);
    connect(&nowPlayingTimer_, &QTimer::timeout, this, &TunelinkDlg::OnNowPlayingTimer);
    connect(&switchTimer_, &QTimer::timeout, this, [this] {
        switching_ = false;
        switchTimer_.stop();
    });
    connect(&marqueeTimer_, &QTimer::timeout, this, [this] { skin_.MarqueeStep(); });
    connect(&updateTimer_, &QTimer::timeout, this, [this] {
        updateTimer_.stop();
        qCInfo(lcCatalogue, "update from %s", updater_->Address().c_str());
        updater_->StartUpdate();
    });
    connect(&flapTimer_, &QTimer::timeout, this, &TunelinkDlg::OnFlapTimer);
}

bool TunelinkDlg::Initialise() {
    InitBase(QSize(g::kWindowWidth, g::kWindowHeight));
    if (!options_.playerAfterFirstFrame && !MakePlayer())
        return false;
    if (options_.splash) {
        CSplashWnd::EnableSplashScreen(true);
        CSplashWnd::ShowSplashScreen(kSplashPicture, this);
    }
    setWindowTitle(QString::fromUtf8(util::kProductTitle));
    setWindowIcon(AppIcon());
    ReadStartSettings();
    SetUpHint();
    skin_.LinkCurrentSlot(&stations_.current);
    ApplyVolume(volume_);
    skin_.Attach(this);
    skin_.ReleaseFlapPictures();  // the flap rests closed until the power key
    if (updater_->LoadCachedStations(stations_))
        qCInfo(lcCatalogue, "cached catalogue loaded");
    if (updater_->IsUpdateDue())
        updateTimer_.start();
    RefreshButtons();
    return true;
}

bool TunelinkDlg::MakePlayer() {
    if (player_.IsCreated() || player_.Create(this))
        return true;
    PlayerHost::ShowPlayerMissingMessage();
    return false;
}

bool TunelinkDlg::EnsurePlayer() {
    if (MakePlayer())
        return true;
    reject();
    return false;
}

// Values from the settings file are checked: anything out of range falls back.
void TunelinkDlg::ReadStartSettings() {
    auto& profile = util::TheProfile();
    hint_ = RightClickHint::Load(profile);
    volume_ = std::clamp(profile.GetInt(kSection, "iVolume", 50), 0, 100);
    const int last = profile.GetInt(kSection, "LastStation", 0);
    stations_.current = last >= 0 && last < CStationData::kSlotCount ? last : 0;
}

void TunelinkDlg::SetUpHint() {
    if (!hint_.ShowsTooltipAtStart()) {
        setToolTip(QString());
        return;
    }
    // Margins of 5 pixels and a width of 150 keep the hint a small note beside the mouse.
    setToolTip(QStringLiteral("<table width=\"150\" cellpadding=\"5\"><tr><td>%1</td></tr></table>")
                   .arg(QString::fromStdString(CTranslator::InUiLanguage(RightClickHint::kText))
                            .toHtmlEscaped()));
}

void TunelinkDlg::OnCommand(int id) {
    qCInfo(lcCommand, "%d", id);
    if (id >= cmd::kPreviewFirst && id <= cmd::kPreviewLast) {
        Preview(id - cmd::kPreviewFirst);
    } else if (id >= cmd::kStationFirst && id <= cmd::kStationLast) {
        ChooseStation(id - cmd::kStationFirst);
    } else {
        switch (id) {
            case cmd::kStop:
                player_.Stop();
                RefreshButtons();
                break;
            case cmd::kPlay:
                if (SoundsNow(stations_.current)) {
                    ShowSoundingStation();
                    break;
                }
                streamTitle_.clear();
                finderListening_ = false;
                if (!EnsurePlayer())
                    break;
                player_.Open(stations_.address[static_cast<std::size_t>(stations_.current)]);
                player_.Play();
                RefreshButtons();
                break;
            case cmd::kMute:
                ToggleMute();
                break;
            case cmd::kPower:
                TogglePower();
                break;
            case cmd::kNowPlaying:
                sounding_ = true;
                nowPlayingTimer_.start();
                break;
            case cmd::kVolumeDrag:
                StartVolumeDrag();
                break;
            case cmd::kStationsChanged:
                updater_->FillStationTable(stations_);
                qCInfo(lcCatalogue, "station table refilled");
                break;
            default:
                OnMenuCommand(id);
                break;
        }
    }
    emit StateChanged();
}

void TunelinkDlg::OnMenuCommand(int id) {
    if (id == cmd::kWeb) {
        OpenWebSite();
    } else if (id == cmd::kSend) {
        mailFlow_->OnSendCommand();
    } else if (id >= cmd::kFavorite1 && id <= cmd::kFavorite3) {
        EditFavorite(id - cmd::kFavorite1 + 1);
    } else if (id == cmd::kTopMost) {
        SetTopMost(!TopMost());
        util::TheProfile().WriteInt(CBuddyboxDlg::kSection, "TopMost", TopMost() ? 1 : 0);
    } else if (id == cmd::kAbout) {
        CAboutDlg::Run(this);
    } else if (id == cmd::kAutostart) {
        if (options_.toggleStartupEntry)
            options_.toggleStartupEntry();
    } else if (id == cmd::kAppExit) {
        reject();
    }
}

void TunelinkDlg::OpenWebSite() {
    webLink_->FollowLink();
}

void TunelinkDlg::ChooseStation(int slot) {
    const auto i = static_cast<std::size_t>(slot);
    if (SoundsNow(slot)) {
        ShowSoundingStation();
    } else if (!stations_.address[i].empty() || slot < 28) {
        sounding_ = false;
        switching_ = true;
        switchTimer_.start();
        stations_.current = slot;
        streamTitle_.clear();
        finderListening_ = false;
        if (!EnsurePlayer())
            return;
        player_.Open(stations_.address[i]);
        player_.Play();
        RefreshButtons();
        skin_.Paint();
    } else {
        EditFavorite(slot - 28);
    }
}

// The player carries on with an address it already plays and reports nothing new, so no
// "Spielt" would ever end a switch begun for it.
bool TunelinkDlg::SoundsNow(int slot) const {
    const auto i = static_cast<std::size_t>(slot);
    return sounding_ && player_.IsPlaying() && slot == stations_.current &&
           !stations_.address[i].empty() && player_.OpenedAddress() == stations_.address[i];
}

// What a finished switch shows: the station (and its song), with the dial free to preview.
void TunelinkDlg::ShowSoundingStation() {
    switchTimer_.stop();
    OnNowPlayingTimer();
    RefreshButtons();
}

void TunelinkDlg::EditFavorite(int userSlot) {
    CFavoritesDlg::FindStation find;
    if (!DirectoryBase().empty())
        find = [this](QWidget* parent) { return FindStation(parent); };
    ::EditFavorite(stations_, userSlot, this, std::move(find));
}

std::optional<std::string> TunelinkDlg::FindStation(QWidget* parent) {
    StationFinderDlg finder(
        DirectoryBase(), catalogue::MakeHttpDirectoryFetcher,
        [this](const std::string& address, const std::string& name) {
            ListenFromFinder(address, name);
        },
        parent);
    if (finder.exec() != QDialog::Accepted)
        return std::nullopt;
    return finder.ChosenAddress();
}

// A station heard from the finder plays without moving the dial or changing a favourite; an
// empty address ends the listening, and the radio goes back to what it did before.
void TunelinkDlg::ListenFromFinder(const std::string& address, const std::string& name) {
    if (address.empty()) {
        if (!finderListening_)
            return;
        finderListening_ = false;
        finderStation_.clear();
        if (resumeAfterFinder_) {
            OnCommand(cmd::kPlay);
        } else {
            OnCommand(cmd::kStop);
        }
        return;
    }
    if (!finderListening_)
        resumeAfterFinder_ = player_.IsPlaying();
    if (!EnsurePlayer())
        return;
    finderListening_ = true;
    finderStation_ = name;
    sounding_ = false;
    streamTitle_.clear();
    player_.Open(address);
    player_.Play();
    RefreshButtons();
}

void TunelinkDlg::Preview(int slot) {
    if (switching_)
        return;
    if (!previewActive_) {
        previewActive_ = true;
        savedStatus_ = statusText_;
    }
    SetStatusText(stations_.name[static_cast<std::size_t>(slot)]);
}

void TunelinkDlg::EndPreviewIfLeft() {
    if (previewActive_ && !hover_) {
        previewActive_ = false;
        SetStatusText(savedStatus_);
    }
}

void TunelinkDlg::ToggleMute() {
    player_.ToggleMute();
    if (player_.IsMuted()) {
        SetStatusText(CTranslator::InUiLanguage("Muted"));
    } else if (player_.IsPlaying()) {
        SetStatusText(stations_.name[static_cast<std::size_t>(stations_.current)]);
    } else {
        SetStatusText("");
    }
    RefreshButtons();
}

void TunelinkDlg::TogglePower() {
    player_.TogglePower();
    RefreshButtons();
}

void TunelinkDlg::OnPlayerStatus(const std::string& text) {
    qCInfo(lcPlayer, "%s", text.c_str());
    sounding_ = false;  // "playing" is followed by the now-playing command, which sets it
    if (!previewActive_ || switching_) {
        SetStatusText(text);
    } else {
        savedStatus_ = text;
    }
    emit StateChanged();  // a failed start is no longer "playing" on the desktop's controls
}

bool TunelinkDlg::SendStationsChanged() {
    return gate_.Send([this] { OnCommand(cmd::kStationsChanged); });
}

void TunelinkDlg::SetStatusText(const std::string& text) {
    if (text == statusText_)
        return;
    statusText_ = text;
    qCInfo(lcStatus, "%s", text.c_str());
    if (skin_.SetStatusText(text)) {
        marqueeTimer_.start();
    } else {
        marqueeTimer_.stop();
    }
}

void TunelinkDlg::RefreshButtons() {
    skin_.DrawButtons(player_.IsStopped(), player_.IsPlaying(), player_.IsMuted(),
                      player_.IsPowerOn());
    const bool power = player_.IsPowerOn();
    if (power != drawnPower_) {
        drawnPower_ = power;
        targetPower_ = power;
        skin_.SetLamp(power);
        const bool atEnd = skin_.StepFlap(targetPower_);
        skin_.Paint();
        if (!atEnd)
            flapTimer_.start();
    }
    update(g::kPlayButton.rect.united(g::kPowerButton.rect).united(g::kLampRect));
}

void TunelinkDlg::OnFlapTimer() {
    const bool atEnd = skin_.StepFlap(targetPower_);
    skin_.Paint();
    if (!atEnd)
        return;
    flapTimer_.stop();
    skin_.ReleaseFlapPictures();
    if (targetPower_) {
        // The flap's pictures were decoded one by one and its last frame is still to be
        // painted; once it is on the screen, what the animation used goes back.
        QTimer::singleShot(kFlapSettledMs, this, [] { platform::ReturnFreedMemory(); });
    }
    if (!targetPower_) {
        // The flap has closed: the radio is off and the program ends.
        QTimer::singleShot(kCloseDelayMs, this, [this] { accept(); });
    }
}

std::string TunelinkDlg::NowPlayingText() const {
    const std::string& name = finderListening_
                                  ? finderStation_
                                  : stations_.name[static_cast<std::size_t>(stations_.current)];
    return streamTitle_.empty() ? name : name + " - " + streamTitle_;
}

void TunelinkDlg::OnMediaTitle(const std::string& title) {
    if (title.empty() || title == streamTitle_)
        return;
    streamTitle_ = title;
    qCInfo(lcPlayer, "title: %s", title.c_str());
    // Only over the station's name: a switch, a preview or a pending name keep their text.
    if (player_.IsPlaying() && !switching_ && !previewActive_ && !nowPlayingTimer_.isActive()) {
        SetStatusText(NowPlayingText());
    }
    emit StateChanged();
}

void TunelinkDlg::OnNowPlayingTimer() {
    nowPlayingTimer_.stop();
    SetStatusText(NowPlayingText());
    switching_ = false;
    previewActive_ = false;
    platform::ReturnFreedMemory();  // what connecting to the station needed has gone
}

void TunelinkDlg::StartVolumeDrag() {
    volumeDrag_ = true;
    grabMouse();
}

void TunelinkDlg::DragVolumeTo(int x) {
    ApplyVolume(g::VolumeForDragX(x));
    skin_.Paint();
    emit StateChanged();
}

void TunelinkDlg::SetVolume(int volume) {
    ApplyVolume(std::clamp(volume, 0, 100));
    skin_.Paint();
    emit StateChanged();
}

void TunelinkDlg::ApplyVolume(int volume) {
    volume_ = volume;
    player_.SetVolume(volume);
    skin_.SetKnobOffset(g::KnobOffsetForVolume(volume));
}

void TunelinkDlg::paintEvent(QPaintEvent* event) {
    QPainter painter(this);
    for (const QRect& area : event->region()) skin_.PaintWindow(painter, area);
    if (!firstFrameLogged_) {
        firstFrameLogged_ = true;
        // Posted, so the line comes after the frame has been handed to the display server:
        // start-up is timed from outside up to this line.
        QTimer::singleShot(0, this, [this] { qCInfo(lcStartup, "first frame painted"); });
        // Making the player may hold this thread for most of a second (a new user's media
        // registry is built then); a timer lets the loop wait once first, which hands every
        // request of the first frame (the start-up picture raised over it) to the display.
        if (options_.playerAfterFirstFrame)
            QTimer::singleShot(kPlayerDelayMs, this, [this] { EnsurePlayer(); });
    }
}

void TunelinkDlg::mousePressEvent(QMouseEvent* event) {
    if (event->button() == Qt::RightButton) {
        ShowPopupMenu(event->globalPosition().toPoint());
        return;
    }
    if (event->button() != Qt::LeftButton)
        return;
    const int hotspot = skin_.ClickTest(event->position().toPoint());
    if (hotspot == 0) {
        BeginDrag(event->globalPosition().toPoint());
        return;
    }
    OnCommand(command::ForHotspot(hotspot));
    if (volumeDrag_)
        DragVolumeTo(event->position().toPoint().x());
}

void TunelinkDlg::mouseReleaseEvent(QMouseEvent* event) {
    if (event->button() == Qt::LeftButton && volumeDrag_) {
        volumeDrag_ = false;
        releaseMouse();
    }
    CBuddyboxDlg::mouseReleaseEvent(event);
}

void TunelinkDlg::mouseMoveEvent(QMouseEvent* event) {
    if (ManualDragActive()) {
        CBuddyboxDlg::mouseMoveEvent(event);
        return;
    }
    const QPoint pos = event->position().toPoint();
    EndPreviewIfLeft();
    if (volumeDrag_)
        DragVolumeTo(pos.x());
    const int sector = skin_.SectorAt(pos);
    hover_ = sector != 0;
    if (hover_)
        OnCommand(cmd::kPreviewFirst + sector - 1);
    setCursor(skin_.ClickTest(pos) != 0 ? Qt::PointingHandCursor : Qt::ArrowCursor);
}

void TunelinkDlg::leaveEvent(QEvent* event) {
    hover_ = false;
    EndPreviewIfLeft();
    CBuddyboxDlg::leaveEvent(event);
}

void TunelinkDlg::keyPressEvent(QKeyEvent* event) {
    if (event->key() == Qt::Key_Escape) {
        reject();
        return;
    }
    CBuddyboxDlg::keyPressEvent(event);
}

void TunelinkDlg::ShowPopupMenu(const QPoint& globalPos) {
    if (hint_.OnRightClick())
        setToolTip(QString());
    RadioMenuState state;
    state.alwaysOnTop = TopMost();
    state.startupEntryExists = options_.startupEntryExists && options_.startupEntryExists();
    state.translator = &translator_;
    state.language = CTranslator::GetUiLanguage();
    state.productTitle = util::kProductTitle;
    FillRadioMenu(menu_, state);
    menu_.TrackPopup(globalPos, this);
}

void TunelinkDlg::done(int result) {
    Shutdown();
    CBuddyboxDlg::done(result);
}

// Runs once, when the dialog ends by any path (or is destroyed without ending).
void TunelinkDlg::Shutdown() {
    if (shutDown_)
        return;
    shutDown_ = true;
    // A download waiting for this window is released before anything is freed.
    gate_.Close();
    for (QTimer* t : {&nowPlayingTimer_, &switchTimer_, &marqueeTimer_, &updateTimer_, &flapTimer_})
        t->stop();
    auto& profile = util::TheProfile();
    profile.WriteInt(kSection, "LastStation", stations_.current);
    mailFlow_->Shutdown();  // waits for a mail worker instead of freeing its window under it
    ClearPlayerWindow();
    player_.Stop();
    RefreshButtons();
    player_.Shutdown();
    updater_.reset();  // stops a running download and waits for it
    menu_.Close();
    hint_.Save(profile);
    SavePosition();
}

}  // namespace radio
