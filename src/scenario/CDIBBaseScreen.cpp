#include "scenario/CDIBBaseScreen.h"

#include "app/CScreenBuffer.h"
#include "app/GameServices.h"
#include "common/ExecLog.h"
#include "graphics/CDIBImage.h"
#include "ui/CDIBBaseCtrl.h"

namespace qw {

CDIBBaseScreen::CDIBBaseScreen(CBaseGame* parent) : CBaseGame(parent) {}

CDIBBaseScreen::~CDIBBaseScreen() {
    CDIBBaseScreen::Release();
}

bool CDIBBaseScreen::Initialize() {
    AddExecLog("CDIBBaseScreen::Initialize");
    if (!CBaseGame::Initialize()) {
        Services().ErrorMemory("CDIBBaseScreen", "CBaseGame::Initialize()");
        return false;
    }
    backImage_ = std::make_unique<CDIBImage>();
    if (!backImage_->Create(800, 600)) {
        Services().ErrorMemory("CDIBBaseScreen", "mpBackImage");
        return false;
    }
    drawImage_ = std::make_unique<CDIBImage>();
    if (!drawImage_->Create(800, 600)) {
        Services().ErrorMemory("CDIBBaseScreen", "mpDrawImage");
        return false;
    }
    drawImage_->CreateRGN();
    return true;
}

void CDIBBaseScreen::Release() {
    AddExecLog("CDIBBaseScreen::Release");
    CBaseGame::Release();
    backImage_.reset();
    drawImage_.reset();
}

void CDIBBaseScreen::Move() {
    AddExecLog("CDIBBaseScreen::Move");
    if (drawImage_) drawImage_->ClearRGN();
    for (CDIBBaseCtrl* c = controls_; c; c = c->GetNext())
        c->Move();
}

void CDIBBaseScreen::Update() {
    AddExecLog("CDIBBaseScreen::Update");
    if (!drawImage_ || !backImage_) return;
    for (CDIBBaseCtrl* c = controls_; c; c = c->GetNext())
        c->UpdateRGN(drawImage_.get());
    drawImage_->UpdateRegionData();
    const std::vector<RegionRect>* rects = drawImage_->GetRegionData();
    if (!rects || rects->empty()) return;
    for (const RegionRect& r : *rects)
        backImage_->Copy(drawImage_.get(), r.left, r.top, r.left, r.top, r.right - r.left,
                         r.bottom - r.top);
    // Every shown control is drawn again inside each restored rectangle, clipped to it: one
    // that did not change but overlaps the rectangle comes back, and none is blended over its
    // own pixels outside it.
    for (const RegionRect& r : *rects) {
        drawImage_->SetClipRect(r.left, r.top, r.right - 1, r.bottom - 1);
        for (CDIBBaseCtrl* c = controls_; c; c = c->GetNext())
            c->Draw(*drawImage_, true); // a hidden one draws nothing and is marked done
    }
    drawImage_->SetClipRect(0, 0, drawImage_->GetWidth() - 1, drawImage_->GetHeight() - 1);
    if (CScreenBuffer* screen = Services().GetScreenBuffer())
        for (const RegionRect& r : *rects)
            screen->AddDirtyRect(r.left, r.top, r.right - 1, r.bottom - 1);
}

void CDIBBaseScreen::Draw(CDIBImage& target) {
    AddExecLog("CDIBBaseScreen::Draw");
    if (!drawImage_) return;
    CScreenBuffer* screen = Services().GetScreenBuffer();
    if (const std::vector<RegionRect>* list = screen ? screen->GetRectList() : nullptr) {
        for (const RegionRect& r : *list)
            drawImage_->Copy(&target, r.left, r.top, r.left, r.top, r.right - r.left,
                             r.bottom - r.top);
        return;
    }
    drawImage_->Copy(&target, 0, 0, 0, 0, drawImage_->GetWidth(), drawImage_->GetHeight());
}

void CDIBBaseScreen::CopyImage(CDIBImage& target) {
    AddExecLog("CDIBBaseScreen::CopyImage");
    if (!backImage_) return;
    backImage_->Copy(&target, 0, 0, 0, 0, backImage_->GetWidth(), backImage_->GetHeight());
    for (CDIBBaseCtrl* c = controls_; c; c = c->GetNext())
        if (c->IsShow()) c->Blt(target); // a capture: the draw image still needs them
}

} // namespace qw
