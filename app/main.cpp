#include "app/TunelinkApp.h"
#include "radio/TunelinkDlg.h"
#include "ui/QtMessagePresenter.h"
#include "util/Product.h"

#include <QApplication>

int main(int argc, char** argv) {
    QApplication qapp(argc, argv);
    QApplication::setApplicationName(QStringLiteral("tunelink"));
    QApplication::setApplicationDisplayName(QString::fromUtf8(util::kProductTitle));
    QApplication::setDesktopFileName(QStringLiteral("tunelink"));
    ui::InstallQtMessagePresenter();

    TunelinkApp app;
    return app.Run([] {
        radio::TunelinkDlg window;
        if (window.Initialise())
            window.exec();
    });
}
