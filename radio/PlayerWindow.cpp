#include "radio/PlayerWindow.h"

namespace radio {

namespace {
// Touched only on the UI thread, like the window itself.
PlayerWindow* g_playerWindow = nullptr;
}  // namespace

PlayerWindow::~PlayerWindow() {
    if (g_playerWindow == this)
        g_playerWindow = nullptr;
}

void SetPlayerWindow(PlayerWindow* window) {
    g_playerWindow = window;
}

void ClearPlayerWindow() {
    g_playerWindow = nullptr;
}

PlayerWindow* LivePlayerWindow() {
    return g_playerWindow;
}

}  // namespace radio
