#include "radio/TunelinkDlg.h"

#include "radio/AboutDlg.h"
#include "radio/FavoritesDlg.h"
#include "radio/PlayerMissingMessage.h"
#include "radio/SkinGeometry.h"
#include "radio/StationFinderDlg.h"
#include "radio/core/Commands.h"
#include "ui/BuiltInImage.h"
#include "ui/PictureScale.h"
#include "ui/SplashWnd.h"
#include "util/MessageBox.h"
#include "util/Product.h"
#include "util/Profile.h"

#include <QApplication>
#include <QKeyEvent>
#include <QLoggingCategory>
#include <QMouseEvent>
#include <QPainter>
#include <QWindow>

Q_LOGGING_CATEGORY(lcStartup, "tunelink.startup")

namespace radio {

namespace g = geometry;
namespace cmd = command;

namespace {
constexpr int kSplashPicture = 500;
constexpr int kPlayerDelayMs = 50;
}  // namespace

TunelinkDlg::TunelinkDlg() : TunelinkDlg(Options{}) {}

TunelinkDlg::TunelinkDlg(Options options)
    : options_(std::move(options)),
      timers_([this](RadioTimer timer) { core_.OnTimer(timer); }),
      face_(std::move(options_.layered), [this] { accept(); }),
      core_(*this, timers_, options_.playerFactory),
      catalogue_(options_.cachePath, options_.catalogueAddress,
                 [this] { OnCommand(cmd::kStationsChanged); }) {
    setWindowTitle(QString::fromUtf8(util::kProductTitle));
    setMouseTracking(true);
    setAttribute(Qt::WA_OpaquePaintEvent);
    Skin().SetFont(QApplication::font());
    Skin().SetScale(ui::PictureScaleFor(devicePixelRatioF()));
    if (!Skin().SetUp())
        qCWarning(lcStartup, "the radio's pictures are incomplete");
    // First, before the start-up picture or anything else gives the window a native window.
    Skin().PrepareWindow(this);
    webLink_ = std::make_unique<ui::CHyperLink>();
    webLink_->setObjectName(QStringLiteral("1000"));
    webLink_->SetURL(std::string("https://") + util::kWebSiteHost + "/");
    webLink_->hide();
    mailFlow_ = std::make_unique<mail::MailFlow>(this, translator_);
    mailFlow_->SetMessagePresenter(util::ShowMessage);
    // The menu's choice arrives after the menu has gone, as a posted command.
    connect(
        &menu_, &ui::CSkinMenu::commandChosen, this, [this](int id) { OnCommand(id); },
        Qt::QueuedConnection);
}

TunelinkDlg::~TunelinkDlg() {
    Shutdown();
}

bool TunelinkDlg::Initialise() {
    InitBase(QSize(g::kWindowWidth, g::kWindowHeight));
    if (!options_.playerAfterFirstFrame && !core_.MakePlayer()) {
        ShowPlayerMissingMessage();
        return false;
    }
    if (options_.splash) {
        ui::CSplashWnd::EnableSplashScreen(true);
        ui::CSplashWnd::ShowSplashScreen(kSplashPicture, this);
    }
    setWindowIcon(ui::AppIcon());
    hint_ = RightClickHint::Load(util::TheProfile());
    setToolTip(hint_.ToolTipAtStart());
    Skin().LinkCurrentSlot(&core_.Stations().current);
    core_.ReadSettings(util::TheProfile());
    if (!Skin().Attach(this))
        qCWarning(lcStartup, "the radio's face could not be composed");
    Skin().ReleaseFlapPictures();  // the flap rests closed until the power key
    catalogue_.Start(core_.Stations());
    ShowControls(core_.CurrentControls());
    return true;
}

// The commands the radio's rules leave to the window.
void TunelinkDlg::RunCommand(int id) {
    if (id == cmd::kStationsChanged) {
        catalogue_.Refill(core_.Stations());
    } else if (id == cmd::kWeb) {
        webLink_->FollowLink();
    } else if (id == cmd::kSend) {
        mailFlow_->OnSendCommand();
    } else if (id >= cmd::kFavorite1 && id <= cmd::kFavorite3) {
        EditFavorite(id - cmd::kFavorite1 + 1);
    } else if (id == cmd::kTopMost) {
        SetTopMost(!TopMost());
        util::TheProfile().WriteInt(ui::CBuddyboxDlg::kSection, "TopMost", TopMost() ? 1 : 0);
    } else if (id == cmd::kAbout) {
        CAboutDlg::Run(this);
    } else if (id == cmd::kAutostart) {
        if (options_.toggleStartupEntry)
            options_.toggleStartupEntry();
    } else if (id == cmd::kAppExit) {
        reject();
    }
}

void TunelinkDlg::PlayerMissing() {
    ShowPlayerMissingMessage();
    reject();
}

void TunelinkDlg::HoldPointer(bool hold) {
    if (hold) {
        grabMouse();
    } else {
        releaseMouse();
    }
}

void TunelinkDlg::EditFavorite(int userSlot) {
    radio::EditFavorite(
        core_.Stations(), userSlot, this,
        FinderForFavorites([this](const std::string& address, const std::string& name) {
            core_.ListenFromFinder(address, name);
        }));
}

QPaintEngine* TunelinkDlg::paintEngine() const {
    // Drawn on screen, the window has no painter (and so no window buffer) of its own.
    return face_.Skin().DrawsOnScreen() ? nullptr : ui::CBuddyboxDlg::paintEngine();
}

void TunelinkDlg::paintEvent(QPaintEvent* event) {
    // A grab() redirects the paint into a picture, which takes a painter as usual.
    if (Skin().DrawsOnScreen() && !redirected(nullptr)) {
        Skin().DrawOnScreen(event->region());
    } else {
        QPainter painter(this);
        for (const QRect& area : event->region()) Skin().PaintWindow(painter, area);
    }
    if (!firstFrameLogged_) {
        firstFrameLogged_ = true;
        OnFirstFrame();
    }
}

void TunelinkDlg::Changed() {
    memoryReturn_.Follow(core_.Player().IsPlaying());
    emit StateChanged();
}

// Moved to a screen of another density, the radio shows that screen's pictures.
void TunelinkDlg::FollowScreenDensity() {
    const int scale = ui::PictureScaleFor(devicePixelRatioF());
    if (scale == Skin().Scale())
        return;
    Skin().SetScale(scale);
    ShowControls(core_.CurrentControls());
    update();
}

void TunelinkDlg::OnFirstFrame() {
    if (QWindow* handle = windowHandle())
        connect(handle, &QWindow::screenChanged, this, &TunelinkDlg::FollowScreenDensity);
    // Posted, so the line comes after the frame has been handed to the display server:
    // start-up is timed from outside up to this line.
    QTimer::singleShot(0, this, [] { qCInfo(lcStartup, "first frame painted"); });
    // Making the player may hold this thread for most of a second (a new user's media
    // registry is built then); a timer lets the loop wait once first, which hands every
    // request of the first frame (the start-up picture raised over it) to the display.
    if (options_.playerAfterFirstFrame)
        QTimer::singleShot(kPlayerDelayMs, this, [this] { core_.EnsurePlayer(); });
}

void TunelinkDlg::mousePressEvent(QMouseEvent* event) {
    if (event->button() == Qt::RightButton) {
        ShowPopupMenu(event->globalPosition().toPoint());
        return;
    }
    if (event->button() != Qt::LeftButton)
        return;
    const int hotspot = Skin().ClickTest(event->position().toPoint());
    if (hotspot == 0) {
        BeginDrag(event->globalPosition().toPoint());
        return;
    }
    OnCommand(cmd::ForHotspot(hotspot));
    core_.DragVolume(g::VolumeForDragX(event->position().toPoint().x()));
}

void TunelinkDlg::mouseReleaseEvent(QMouseEvent* event) {
    if (event->button() == Qt::LeftButton)
        core_.EndVolumeDrag();
    ui::CBuddyboxDlg::mouseReleaseEvent(event);
}

void TunelinkDlg::mouseMoveEvent(QMouseEvent* event) {
    if (ManualDragActive()) {
        ui::CBuddyboxDlg::mouseMoveEvent(event);
        return;
    }
    const QPoint pos = event->position().toPoint();
    core_.DragVolume(g::VolumeForDragX(pos.x()));
    core_.PointerOverSector(Skin().SectorAt(pos));
    setCursor(Skin().ClickTest(pos) != 0 ? Qt::PointingHandCursor : Qt::ArrowCursor);
}

void TunelinkDlg::leaveEvent(QEvent* event) {
    core_.PointerLeft();
    ui::CBuddyboxDlg::leaveEvent(event);
}

void TunelinkDlg::keyPressEvent(QKeyEvent* event) {
    if (event->key() == Qt::Key_Escape) {
        reject();
        return;
    }
    ui::CBuddyboxDlg::keyPressEvent(event);
}

void TunelinkDlg::ShowPopupMenu(const QPoint& globalPos) {
    if (hint_.OnRightClick())
        setToolTip(QString());
    RadioMenuState state;
    state.alwaysOnTop = TopMost();
    state.startupEntryExists = options_.startupEntryExists && options_.startupEntryExists();
    state.translator = &translator_;
    state.language = ui::CTranslator::GetUiLanguage();
    state.productTitle = util::kProductTitle;
    FillRadioMenu(menu_, state);
    menu_.TrackPopup(globalPos, this);
}

void TunelinkDlg::done(int result) {
    Shutdown();
    ui::CBuddyboxDlg::done(result);
}

// Runs once, when the dialog ends by any path (or is destroyed without ending).
void TunelinkDlg::Shutdown() {
    if (shutDown_)
        return;
    shutDown_ = true;
    catalogue_.Shutdown();
    face_.Stop();
    mailFlow_->Shutdown();  // waits for a mail worker instead of freeing its window under it
    auto& profile = util::TheProfile();
    core_.Shutdown(profile);
    menu_.Close();
    hint_.Save(profile);
    SavePosition();
}

}  // namespace radio
