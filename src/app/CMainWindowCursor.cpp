// The cursor list: 256 entries, each a system cursor or a cursor file from archive slot 0.

#include "app/CInput.h"
#include "app/CMainWindow.h"
#include "app/CursorFile.h"
#include "common/ExecLog.h"
#include "common/Result.h"
#include "files/CFileJoin.h"
#include "files/GameArchives.h"

namespace qw {

platform::CursorHandle CMainWindow::ReadCursor(const std::string& fileName) {
    AddExecLog("CMainWindow::ReadCursor");
    auto file = GetFileJoin(kArchiveData)->ReadMember(fileName);
    if (!file) return nullptr;
    auto image = DecodeCursorFile(*file);
    if (!image) {
        NoteRefusal(fileName, image.Reason());
        return nullptr;
    }
    return window_->LoadCursorImage(*image);
}

bool CMainWindow::SetCursorList(int index, const std::string& fileName) {
    AddExecLog("CMainWindow::SetCursorList");
    if (index < 0 || index >= kCursorCount) return true;
    CursorRecord& r = cursors_[static_cast<size_t>(index)];
    r.handle = ReadCursor(fileName);
    r.kind = 0;
    r.fileName = fileName.substr(0, 64);
    if (index == currentCursor_ && r.handle) {
        window_->SetCursor(r.handle);
        shownCursor_ = r.handle;
    }
    return true;
}

bool CMainWindow::SetCursorList(int index, int systemNumber) {
    AddExecLog("CMainWindow::SetCursorList");
    if (index < 0 || index >= kCursorCount) return true;
    CursorRecord& r = cursors_[static_cast<size_t>(index)];
    r.handle = systemNumber >= 0 && systemNumber <= 15
                   ? window_->LoadSystemCursor(static_cast<platform::SystemCursor>(systemNumber))
                   : nullptr;
    r.kind = 1;
    r.fileName.clear();
    r.systemId = systemNumber;
    if (index == currentCursor_ && r.handle) {
        window_->SetCursor(r.handle);
        shownCursor_ = r.handle;
    }
    return true;
}

void CMainWindow::ChangeCursor(int index) {
    AddExecLog("CMainWindow::ChangeCursor");
    if (index < 0 || index >= kCursorCount) return;
    if (input_) {
        int x = input_->GetMouseX(), y = input_->GetMouseY();
        if (x < 0 || y < 0 || x > kWidth || y > kHeight) return;
    }
    const CursorRecord& current = cursors_[static_cast<size_t>(currentCursor_)];
    const CursorRecord& next = cursors_[static_cast<size_t>(index)];
    if (current.handle && next.handle && next.handle != shownCursor_) {
        window_->SetCursor(next.handle);
        shownCursor_ = next.handle;
    }
    currentCursor_ = index;
}

} // namespace qw
