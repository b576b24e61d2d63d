#include "ui/QtMessagePresenter.h"

#include "util/MessageBox.h"

#include <QApplication>
#include <QLoggingCategory>
#include <QMessageBox>
#include <QMetaObject>
#include <QThread>

Q_LOGGING_CATEGORY(lcMessage, "tunelink.message")

namespace ui {

namespace {
QMessageBox::Icon IconOf(util::MessageIcon icon) {
    switch (icon) {
        case util::MessageIcon::Information:
            return QMessageBox::Information;
        case util::MessageIcon::Warning:
            return QMessageBox::Warning;
        case util::MessageIcon::Stop:
            return QMessageBox::Critical;
        case util::MessageIcon::Question:
            return QMessageBox::Question;
    }
    return QMessageBox::NoIcon;
}

// The window the user works with: the active one, else a visible top-level window of ours.
QWidget* OwnerWindow() {
    if (QWidget* active = QApplication::activeWindow())
        return active;
    for (QWidget* widget : QApplication::topLevelWidgets()) {
        const Qt::WindowType type = widget->windowType();
        if (widget->isVisible() && (type == Qt::Window || type == Qt::Dialog))
            return widget;
    }
    return nullptr;
}

util::MessageResult ShowOnUiThread(const util::MessageRequest& request) {
    // Every box is logged too, so a run can be checked from outside.
    qCInfo(lcMessage, "%s: %s", request.caption.c_str(), request.text.c_str());
    const bool yesNo = request.buttons == util::MessageButtons::YesNo;
    // A box belongs to our window, so the window manager keeps it above it even when the
    // radio stays on top. A box with no window of ours (a second start) stays on top
    // itself: the first copy's radio may stay on top, right where the box appears.
    QWidget* owner = OwnerWindow();
    QMessageBox box(IconOf(request.icon), QString::fromStdString(request.caption),
                    QString::fromStdString(request.text),
                    yesNo ? (QMessageBox::Yes | QMessageBox::No) : QMessageBox::Ok, owner);
    if (!owner)
        box.setWindowFlag(Qt::WindowStaysOnTopHint);
    const int answer = box.exec();
    if (!yesNo)
        return util::MessageResult::Ok;
    return answer == QMessageBox::Yes ? util::MessageResult::Yes : util::MessageResult::No;
}
}  // namespace

void InstallQtMessagePresenter() {
    util::InstallMessagePresenter([](const util::MessageRequest& request) {
        QCoreApplication* app = QCoreApplication::instance();
        if (!app || QThread::currentThread() == app->thread())
            return ShowOnUiThread(request);
        // A worker thread waits for the box the user interface shows for it.
        util::MessageResult result = util::MessageResult::Ok;
        QMetaObject::invokeMethod(
            app, [&] { result = ShowOnUiThread(request); }, Qt::BlockingQueuedConnection);
        return result;
    });
}

}  // namespace ui
