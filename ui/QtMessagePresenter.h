#pragma once
// Shows the program's message boxes with Qt. Installed once the application object exists.

namespace ui {

void InstallQtMessagePresenter();

}  // namespace ui
