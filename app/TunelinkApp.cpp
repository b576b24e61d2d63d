#include "app/TunelinkApp.h"

#include "app/SettingsStore.h"
#include "platform/system/InstanceLock.h"
#include "ui/Translator.h"
#include "util/MessageBox.h"
#include "util/Product.h"
#include "util/io/Files.h"

#include <QApplication>
#include <QThread>

#include <unistd.h>

#include <cstdio>
#include <cstdlib>
#include <ctime>

namespace app {

TunelinkApp::TunelinkApp() = default;

TunelinkApp::~TunelinkApp() {
    util::InstallProfile(nullptr);
}

std::string TunelinkApp::AlreadyRunningText() {
    return ui::CTranslator::FillIn(
        ui::CTranslator::InUiLanguage("%s already running on this machine."), util::kProductTitle);
}

int TunelinkApp::Run(const MainWindowRunner& runMainWindow) {
    SetWorkingFolderToProgramFolder();
    SetUpSettingsRoot();
    if (guardName_.empty())
        guardName_ = util::GetAppName();
    SetUpAppFont();
    if (!PassInstanceCheck()) {
        util::ShowMessage({AlreadyRunningText(), util::kProductTitle,
                           util::MessageIcon::Information, util::MessageButtons::Ok});
        return 0;
    }
    std::srand(static_cast<unsigned>(std::time(nullptr)));
    runMainWindow();
    QThread::msleep(200);
    return 0;
}

void TunelinkApp::SetWorkingFolderToProgramFolder() {
    const std::string folder = util::GetProgramFolder();
    if (!folder.empty() && chdir(folder.c_str()) != 0) {
        std::perror("tunelink: cannot enter the program folder");
    }
}

void TunelinkApp::SetUpSettingsRoot() {
    settings_ = std::make_unique<SettingsStore>(util::GetAppName());
    settings_->SetFailureReporter([](const std::string& path, const std::string& reason) {
        std::fprintf(stderr, "tunelink: settings cannot be saved: %s: %s\n", path.c_str(),
                     reason.c_str());
        util::ShowMessage({SettingsStore::CannotSaveText(path, reason), util::kProductTitle,
                           util::MessageIcon::Warning, util::MessageButtons::Ok});
    });
    util::InstallProfile(settings_.get());
}

void TunelinkApp::SetUpAppFont() {
    font_.SetFaceName("Verdana");
    font_.SetHeight(-10);
    QApplication::setFont(font_.Font());
}

bool TunelinkApp::PassInstanceCheck() {
    instanceLock_ = std::make_unique<platform::InstanceLock>(guardName_);
    return instanceLock_->Acquired();
}

}  // namespace app
