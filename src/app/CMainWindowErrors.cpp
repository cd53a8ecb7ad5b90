// The error dialogs every part reports through, and the yes/no question.

#include <cstdio>

#include "app/CMainWindow.h"
#include "common/ExecLog.h"
#include "common/Text.h"

namespace qw {

void CMainWindow::VErrorMsg(const char* format, va_list args) {
    AddExecLog("CMainWindow::ErrorMsg");
    char text[1024];
    std::vsnprintf(text, sizeof text, format, args); // cut to fit
    bool leftFullScreen = fullScreen_;
    if (leftFullScreen) ChangeActivate(false);
    if (window_) window_->ShowMessageBox(platform::MessageBoxKind::Error, ProductTitle(), text);
    if (leftFullScreen && window_) window_->Restore();
}

// The texts of the read, memory and other errors are the services' (GameServices.cpp).
void CMainWindow::ErrorRead(const char* object, const char* file) {
    AddExecLog("CMainWindow::ErrorRead");
    GameServices::ErrorRead(object, file);
}

void CMainWindow::ErrorMemory(const char* object, const char* name) {
    AddExecLog("CMainWindow::ErrorMemory");
    GameServices::ErrorMemory(object, name);
}

void CMainWindow::ErrorETC(const char* object, const char* name) {
    AddExecLog("CMainWindow::ErrorETC");
    GameServices::ErrorETC(object, name);
}

bool CMainWindow::AskYesNo(const std::string& text) {
    AddExecLog("CMainWindow::AskYesNo");
    if (!window_) return false;
    return window_->ShowMessageBox(platform::MessageBoxKind::Question, ProductTitle(), text) ==
           platform::MessageBoxAnswer::Yes;
}

} // namespace qw
