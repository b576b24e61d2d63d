#include "app/ExitRequest.h"
#include "app/QuietLogging.h"
#include "app/StartupShortcut.h"
#include "app/TunelinkApp.h"
#include "platform/dbus/SessionBus.h"
#include "platform/system/PlatformChoice.h"
#include "platform/system/TerminationSignals.h"
#include "radio/MprisBridge.h"
#include "radio/TunelinkDlg.h"
#include "ui/HyperLink.h"
#include "ui/QtMessagePresenter.h"
#include "util/MessageBox.h"
#include "util/Product.h"

#include <QApplication>
#include <QLoggingCategory>

#include <cstdio>
#include <cstdlib>

Q_LOGGING_CATEGORY(lcApp, "tunelink.app")

int main(int argc, char** argv) {
    const platform::PlatformChoice choice = platform::ChoosePlatform();
    if (choice.noDisplay) {
        std::fputs(platform::NoDisplayText(), stderr);
        return 1;
    }
    if (!choice.platform.empty())
        setenv("QT_QPA_PLATFORM", choice.platform.c_str(), 1);
    const bool sessionBus = platform::dbus::SettleSessionBus();

    QApplication qapp(argc, argv);
    app::QuietLoggingByDefault();
    QApplication::setApplicationName(QStringLiteral("tunelink"));
    QApplication::setApplicationDisplayName(QString::fromUtf8(util::kProductTitle));
    QApplication::setDesktopFileName(QStringLiteral("tunelink"));
    if (!choice.note.empty())
        qCInfo(lcApp, "%s", choice.note.c_str());
    ui::InstallQtMessagePresenter();
    // A link that cannot be opened says why in a message box.
    ui::CHyperLinkThread::SetFailureReporter(
        [](const util::MessageRequest& message) { util::ShowMessage(message); });
    platform::TerminationSignals endRequests;

    app::TunelinkApp application;
    return application.Run([&endRequests, sessionBus] {
        radio::TunelinkDlg::Options options;
        options.startupEntryExists = [] { return app::ShortcutExists(); };
        options.toggleStartupEntry = [] { app::ToggleStartupShortcut(); };
        radio::TunelinkDlg window(std::move(options));
        if (!window.Initialise())
            return;
        QObject::connect(&endRequests, &platform::TerminationSignals::terminationRequested, &window,
                         [&window] { app::CloseLikeExit(window); });
        if (endRequests.Requested())  // arrived while the window was being built
            app::CloseLikeExit(window);
        radio::MprisBridge mpris(window);
        if (!sessionBus) {
            qCWarning(lcApp, "no session bus: media keys are not available");
        } else if (const util::Status started = mpris.Start(); !started) {
            qCWarning(lcApp, "the session bus refused the radio (%s): media keys are not available",
                      started.error().message.c_str());
        }
        window.exec();
    });
}
