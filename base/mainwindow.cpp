#include "base/mainwindow.h"

namespace corv {

namespace {
HWND g_mainWindow = nullptr;
}

HWND MainWindowHandle() {
    return g_mainWindow;
}
void SetMainWindowHandle(HWND window) {
    g_mainWindow = window;
}

} // namespace corv
