#include "ui/CtrlServices.h"

#include <algorithm>
#include <string>

#include "app/CMainWindow.h"
#include "app/CScreenBuffer.h"
#include "app/GameServices.h"
#include "files/CFileJoin.h"
#include "files/GameArchives.h"

namespace qw::ctrl {

CInput* Input() {
    return Services().GetInput();
}

CSpriteCache* SpriteCache() {
    return Services().GetSpriteCache();
}

void PlaySysSE(int index) {
    Services().PlaySysSE(index);
}

void ReportMissingFile(std::string_view file) {
    Services().ErrorRead("CDIBBaseCtrl", std::string(file).c_str());
}

void AddPresentationArea(int left, int top, int right, int bottom) {
    CScreenBuffer* screen = Services().GetScreenBuffer();
    if (!screen) return;
    left = std::max(left, 0);
    top = std::max(top, 0);
    right = std::min(right, CMainWindow::kWidth);
    bottom = std::min(bottom, CMainWindow::kHeight);
    if (left < right && top < bottom) screen->AddDirtyRect(left, top, right - 1, bottom - 1);
}

bool HasDataMember(std::string_view name) {
    CFileJoin* data = Services().GetFileJoin(kArchiveData);
    return data && !name.empty() && data->OpenMulti(name) != 0;
}

int FrameTime() {
    return Services().GetFrameTime();
}

} // namespace qw::ctrl
