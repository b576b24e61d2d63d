#pragma once
// The application object: prepares the process, lets only one copy run, runs the radio
// window until it ends.

#include "ui/AppFont.h"

#include <functional>
#include <memory>
#include <string>

namespace platform {
class InstanceLock;
}

namespace app {

class SettingsStore;

class TunelinkApp {
  public:
    // Runs the main window modally and returns when it has ended.
    using MainWindowRunner = std::function<void()>;

    TunelinkApp();
    ~TunelinkApp();

    // Start-up steps, then the main window; returns the process exit code.
    int Run(const MainWindowRunner& runMainWindow);

    // The single-instance message, with the product title filled in.
    static std::string AlreadyRunningText();

  private:
    void SetWorkingFolderToProgramFolder();
    void SetUpSettingsRoot();
    void SetUpAppFont();
    bool PassInstanceCheck();

    std::string guardName_;
    ui::CAppFont font_;
    std::unique_ptr<SettingsStore> settings_;
    std::unique_ptr<platform::InstanceLock> instanceLock_;
};

}  // namespace app
