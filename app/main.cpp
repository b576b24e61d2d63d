#include "app/TunelinkApp.h"
#include "ui/QtMessagePresenter.h"
#include "util/Product.h"

#include <QApplication>
#include <QDialog>
#include <QLabel>
#include <QVBoxLayout>

int main(int argc, char** argv) {
    QApplication qapp(argc, argv);
    QApplication::setApplicationName(QStringLiteral("tunelink"));
    QApplication::setApplicationDisplayName(QString::fromUtf8(util::kProductTitle));
    ui::InstallQtMessagePresenter();

    TunelinkApp app;
    return app.Run([] {
        QDialog window;
        window.setWindowTitle(QString::fromUtf8(util::kProductTitle));
        auto* layout = new QVBoxLayout(&window);
        layout->addWidget(new QLabel(QStringLiteral("Orbifon 1.0"), &window));
        window.resize(606, 520);
        window.exec();
    });
}
