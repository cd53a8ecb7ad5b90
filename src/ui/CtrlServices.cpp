#include "ui/CtrlServices.h"

#include <algorithm>
#include <string>

#include "app/CMainWindow.h"
#include "app/CScreenBuffer.h"
#include "files/CFileJoin.h"
#include "files/GameArchives.h"

namespace qw::ctrl {

CInput* Input() {
    CMainWindow* main = GetMainWindow();
    return main ? main->GetInput() : nullptr;
}

CSpriteCache* SpriteCache() {
    CMainWindow* main = GetMainWindow();
    return main ? main->GetSpriteCache() : nullptr;
}

void PlaySysSE(int index) {
    if (CMainWindow* main = GetMainWindow()) main->PlaySysSE(index);
}

void ReportMissingFile(std::string_view file) {
    if (CMainWindow* main = GetMainWindow())
        main->ErrorRead("CDIBBaseCtrl", std::string(file).c_str());
}

void AddPresentationArea(int left, int top, int right, int bottom) {
    CMainWindow* main = GetMainWindow();
    CScreenBuffer* screen = main ? main->GetScreenBuffer() : nullptr;
    if (!screen) return;
    left = std::max(left, 0);
    top = std::max(top, 0);
    right = std::min(right, CMainWindow::kWidth);
    bottom = std::min(bottom, CMainWindow::kHeight);
    if (left < right && top < bottom) screen->AddDirtyRect(left, top, right - 1, bottom - 1);
}

bool HasDataMember(std::string_view name) {
    CMainWindow* main = GetMainWindow();
    CFileJoin* data = main ? main->GetFileJoin(kArchiveData) : nullptr;
    return data && !name.empty() && data->OpenMulti(name) != 0;
}

int FrameTime() {
    return GetFrameTime();
}

} // namespace qw::ctrl
