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

util::MessageResult ShowOnUiThread(const util::MessageRequest& request) {
    // Every box is logged too, so a run can be checked from outside.
    qCInfo(lcMessage, "%s: %s", request.caption.c_str(), request.text.c_str());
    const bool yesNo = request.buttons == util::MessageButtons::YesNo;
    QMessageBox box(IconOf(request.icon), QString::fromStdString(request.caption),
                    QString::fromStdString(request.text),
                    yesNo ? (QMessageBox::Yes | QMessageBox::No) : QMessageBox::Ok);
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
