#include "ui/BuddyboxDlg.h"

#include "util/Profile.h"
#include "util/io/WindowPosition.h"

#include <QGuiApplication>
#include <QMouseEvent>
#include <QScreen>
#include <QWindow>

namespace ui {

CBuddyboxDlg::CBuddyboxDlg(QWidget* parent)
    : QDialog(parent, Qt::Window | Qt::FramelessWindowHint) {}

CBuddyboxDlg::~CBuddyboxDlg() = default;

namespace {
util::ScreenRect ScreenRectOf(const QRect& r) {
    return {r.x(), r.y(), r.width(), r.height()};
}
}  // namespace

void CBuddyboxDlg::InitBase(QSize size) {
    topMost_ = util::TheProfile().GetInt(kSection, "TopMost", topMost_ ? 1 : 0) != 0;
    setWindowFlag(Qt::WindowStaysOnTopHint, topMost_);
    setFixedSize(size);
    const QScreen* screen = QGuiApplication::primaryScreen();
    if (!screen)
        return;
    const QRect work = screen->availableGeometry();
    util::PositionInput in;
    in.windowWidth = size.width();
    in.windowHeight = size.height();
    in.workArea = ScreenRectOf(work);
    in.virtualScreen = ScreenRectOf(screen->virtualGeometry());
    // Bottom right of the work area, a little away from its edges.
    in.x = work.x() + work.width() - size.width() - 20;
    in.y = work.y() + work.height() - size.height() - 50;
    const util::Position at = util::RestoreWindowPosition(kSection, in);
    move(at.x, at.y);
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

}  // namespace ui
