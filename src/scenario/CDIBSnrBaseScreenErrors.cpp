// The interpreter's error reports. Scenario errors end the game without the usual question: the
// main window is told to close without asking, and the handler that reported returns at once,
// leaving the continue flag clear, so nothing more runs in the tick.

#include "app/GameServices.h"
#include "common/ExecLog.h"
#include "scenario/CDIBSnrBaseScreen.h"

namespace qw {

void CDIBSnrBaseScreen::ErrorMsg(const char* title, const char* text, bool end) {
    AddExecLog("CDIBSnrBaseScreen::ErrorMsg");
    Services().ErrorMsg("【%s】%s", title, text);
    if (end) EndGame();
}

void CDIBSnrBaseScreen::ErrorNumParam(const char* command, int count) {
    AddExecLog("CDIBSnrBaseScreen::ErrorNumParam");
    Services().ErrorMsg("【%s】パラメータ数が不正エラー(パラメータ数：%d個)", command, count);
    EndGame();
}

void CDIBSnrBaseScreen::ErrorTypeParam(const char* command, int param) {
    AddExecLog("CDIBSnrBaseScreen::ErrorTypeParam");
    Services().ErrorMsg("【%s】パラメータタイプが不正エラー(パラメータ：%d番)", command, param);
    EndGame();
}

void CDIBSnrBaseScreen::ErrorParam(const char* command, int param) {
    AddExecLog("CDIBSnrBaseScreen::ErrorParam");
    Services().ErrorMsg("【%s】パラメータが不正エラー(パラメータ：%d番)", command, param);
    EndGame();
}

void CDIBSnrBaseScreen::ErrorRead(const char* command, const char* file, bool end) {
    AddExecLog("CDIBSnrBaseScreen::ErrorRead");
    Services().ErrorMsg("【%s】読み込みエラー(ファイル名：%s)", command, file);
    if (end) EndGame();
}

} // namespace qw
