#include "ui/SplashWnd.h"

#include "picture/ImageView.h"
#include "picture/LoadPicture.h"
#include "ui/PictureScale.h"

#include <QGuiApplication>
#include <QPainter>
#include <QScreen>

namespace ui {

namespace {
bool g_enabled = false;
CSplashWnd* g_current = nullptr;
}  // namespace

void CSplashWnd::EnableSplashScreen(bool on) {
    g_enabled = on;
}

CSplashWnd* CSplashWnd::Current() {
    return g_current;
}

CSplashWnd* CSplashWnd::ShowSplashScreen(int resourceId, QWidget* parent) {
    if (!g_enabled || g_current)
        return nullptr;
    const double ratio = parent ? parent->devicePixelRatioF() : qGuiApp->devicePixelRatio();
    const int scale = ui::PictureScaleFor(ratio);
    const auto decoded = picture::LoadPicture(resourceId, scale);
    if (!decoded)
        return nullptr;                            // no picture, no splash, no message
    QImage picture = picture::ToImage(**decoded);  // an owning copy: the decoded picture goes now
    picture.setDevicePixelRatio(scale);
    auto* splash = new CSplashWnd(std::move(picture), parent);
    if (!parent || parent->window()->isVisible())
        splash->ShowNow();
    return splash;
}

CSplashWnd::CSplashWnd(QImage picture, QWidget* parent)
    : QWidget(parent, Qt::SplashScreen | Qt::FramelessWindowHint), picture_(std::move(picture)) {
    g_current = this;
    // Over a window that stays on top the picture must too, or it would start out hidden.
    if (parent && parent->window()->windowFlags().testFlag(Qt::WindowStaysOnTopHint))
        setWindowFlag(Qt::WindowStaysOnTopHint);
    setAttribute(Qt::WA_DeleteOnClose);
    // A 1-pixel border around the picture, in layout pixels whatever its density.
    setFixedSize(picture_.deviceIndependentSize().toSize() + QSize(2, 2));
    CentreOver(parent);
    if (parent && !parent->window()->isVisible())
        parent->window()->installEventFilter(this);
    timer_.setSingleShot(true);
    connect(&timer_, &QTimer::timeout, this, [this] {
        QWidget* owner = parentWidget();
        close();
        if (owner)
            owner->repaint();
    });
    timer_.start(kShowMs);
}

CSplashWnd::~CSplashWnd() {
    if (g_current == this)
        g_current = nullptr;
}

// The radio is placed before it is first shown: its place counts from then on.
void CSplashWnd::CentreOver(QWidget* owner) {
    QRect area;
    const bool placed = owner && (owner->isVisible() || owner->testAttribute(Qt::WA_Moved));
    if (placed && !owner->isMinimized()) {
        area = owner->frameGeometry();
    } else if (const QScreen* screen = QGuiApplication::primaryScreen()) {
        area = screen->availableGeometry();
    }
    move(area.center() - rect().center());
}

void CSplashWnd::ShowNow() {
    show();
    repaint();
}

// A radio not yet on the screen gets the picture once it has been mapped, which its first paint
// tells. Mapped earlier, the picture would reach the window manager while the radio it stands
// for is still unknown to it: then it stacks the picture as a window of its own, and the radio,
// mapped next, may end up above it. Mapped now, it is stacked directly above the radio, and a
// bare server puts the window mapped last on top.
bool CSplashWnd::eventFilter(QObject* watched, QEvent* event) {
    if (event->type() == QEvent::Paint) {
        watched->removeEventFilter(this);
        QTimer::singleShot(0, this, [this] { ShowNow(); });
    }
    return false;
}

void CSplashWnd::paintEvent(QPaintEvent*) {
    QPainter p(this);
    p.setPen(QColor(0x40, 0x30, 0x20));
    p.drawRect(rect().adjusted(0, 0, -1, -1));
    p.drawImage(1, 1, picture_);
}

}  // namespace ui
