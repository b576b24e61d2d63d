#include "app/ExitRequest.h"

#include <QApplication>
#include <QDialog>
#include <QMetaObject>
#include <QPointer>

namespace app {

void CloseLikeExit(QDialog& radio) {
    for (QWidget* widget : QApplication::topLevelWidgets()) {
        auto* dialog = qobject_cast<QDialog*>(widget);
        if (dialog && dialog != &radio && dialog->isVisible())
            dialog->reject();
    }
    // Queued: a dialog's own loop returns into the radio's handler first, and the radio's
    // loop ends after it.
    QPointer<QDialog> guard(&radio);
    QMetaObject::invokeMethod(
        &radio,
        [guard] {
            if (guard)
                guard->reject();
        },
        Qt::QueuedConnection);
}

}  // namespace app
