#include "app/StartupShortcut.h"
#include "app/TunelinkApp.h"
#include "platform/system/Memory.h"
#include "platform/system/PlatformChoice.h"
#include "radio/MprisBridge.h"
#include "radio/TunelinkDlg.h"
#include "ui/QtMessagePresenter.h"
#include "util/Product.h"

#include <QApplication>
#include <QLoggingCategory>

#include <cstdio>
#include <cstdlib>

Q_LOGGING_CATEGORY(lcApp, "tunelink.app")

int main(int argc, char** argv) {
    platform::KeepLargeBlocksOutOfTheHeap();
    const platform::PlatformChoice choice = platform::ChoosePlatform();
    if (choice.noDisplay) {
        std::fputs(platform::NoDisplayText(), stderr);
        return 1;
    }
    if (!choice.platform.empty())
        setenv("QT_QPA_PLATFORM", choice.platform.c_str(), 1);

    QApplication qapp(argc, argv);
    QApplication::setApplicationName(QStringLiteral("tunelink"));
    QApplication::setApplicationDisplayName(QString::fromUtf8(util::kProductTitle));
    QApplication::setDesktopFileName(QStringLiteral("tunelink"));
    if (!choice.note.empty())
        qCInfo(lcApp, "%s", choice.note.c_str());
    ui::InstallQtMessagePresenter();

    TunelinkApp app;
    return app.Run([] {
        radio::TunelinkDlg::Options options;
        options.startupEntryExists = [] { return app::ShortcutExists(); };
        options.toggleStartupEntry = [] { app::ToggleStartupShortcut(); };
        radio::TunelinkDlg window(std::move(options));
        if (!window.Initialise())
            return;
        radio::MprisBridge mpris(window);
        if (!mpris.Start())
            qCInfo(lcApp, "no session bus: media keys are not available");
        window.exec();
    });
}
