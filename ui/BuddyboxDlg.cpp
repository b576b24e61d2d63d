#include "ui/BuddyboxDlg.h"

#include "util/Profile.h"
#include "util/io/WindowPosition.h"

#include <QGuiApplication>
#include <QMouseEvent>
#include <QScreen>
#include <QWindow>

#include <climits>

CBuddyboxDlg::CBuddyboxDlg(QWidget* parent)
    : QDialog(parent, Qt::Window | Qt::FramelessWindowHint) {}

CBuddyboxDlg::~CBuddyboxDlg() = default;

QPoint CBuddyboxDlg::PlacementFor(QSize window, const QRect& available, const QRect& virtualDesktop,
                                  std::optional<int> storedX, std::optional<int> storedY) {
    // Bottom right of the work area, a little away from its edges.
    const int x = storedX.value_or(available.x() + available.width() - window.width() - 20);
    const int y = storedY.value_or(available.y() + available.height() - window.height() - 50);
    const qint64 right = qint64(x) + window.width(), bottom = qint64(y) + window.height();
    const bool cornerOnDesktop =
        right >= virtualDesktop.left() && right <= virtualDesktop.right() &&
        bottom >= virtualDesktop.top() && bottom <= virtualDesktop.bottom();
    if (cornerOnDesktop)
        return {x, y};
    return {available.x() + (available.width() - window.width()) / 2,
            available.y() + (available.height() - window.height()) / 2};
}

void CBuddyboxDlg::InitBase(QSize size) {
    topMost_ = util::TheProfile().GetInt(kSection, "TopMost", topMost_ ? 1 : 0) != 0;
    setWindowFlag(Qt::WindowStaysOnTopHint, topMost_);
    setFixedSize(size);
    const QScreen* screen = QGuiApplication::primaryScreen();
    if (!screen)
        return;
    constexpr int kAbsent = INT_MIN;
    const int x = util::TheProfile().GetInt(kSection, "WndX", kAbsent);
    const int y = util::TheProfile().GetInt(kSection, "WndY", kAbsent);
    move(PlacementFor(size, screen->availableGeometry(), screen->virtualGeometry(),
                      x == kAbsent ? std::nullopt : std::optional<int>(x),
                      y == kAbsent ? std::nullopt : std::optional<int>(y)));
}

void CBuddyboxDlg::SetTopMost(bool on) {
    topMost_ = on;
    // Changing the flags of the existing native window keeps it (and its shape) alive.
    if (QWindow* handle = windowHandle()) {
        handle->setFlag(Qt::WindowStaysOnTopHint, on);
    } else {
        setWindowFlag(Qt::WindowStaysOnTopHint, on);
    }
}

void CBuddyboxDlg::SavePosition() {
    if (isMinimized())
        showNormal();
    util::SaveWindowPosition(kSection, x(), y());
}

void CBuddyboxDlg::BeginDrag(const QPoint& globalPos) {
    QWindow* handle = windowHandle();
    if (handle && handle->startSystemMove())
        return;
    // Without a window manager the system cannot move us: follow the mouse ourselves.
    manualDrag_ = true;
    dragOffset_ = globalPos - pos();
}

void CBuddyboxDlg::mouseMoveEvent(QMouseEvent* event) {
    if (manualDrag_ && (event->buttons() & Qt::LeftButton)) {
        move(event->globalPosition().toPoint() - dragOffset_);
        return;
    }
    QDialog::mouseMoveEvent(event);
}

void CBuddyboxDlg::mouseReleaseEvent(QMouseEvent* event) {
    if (event->button() == Qt::LeftButton)
        manualDrag_ = false;
    QDialog::mouseReleaseEvent(event);
}
