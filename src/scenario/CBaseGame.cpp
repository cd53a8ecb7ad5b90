#include "scenario/CBaseGame.h"

#include <algorithm>

#include "app/GameServices.h"
#include "common/ExecLog.h"
#include "ui/CDIBBaseCtrl.h"

namespace qw {

CBaseGame::~CBaseGame() {
    CBaseGame::Release();
}

bool CBaseGame::Initialize() {
    AddExecLog("CBaseGame::Initialize");
    Release();
    focus_ = -1;
    return true;
}

void CBaseGame::Release() {
    AddExecLog("CBaseGame::Release");
    while (controls_) {
        CDIBBaseCtrl* next = controls_->GetNext();
        delete controls_;
        controls_ = next;
    }
}

CDIBBaseCtrl* CBaseGame::MakeControl(int type, const CtrlParam* params) {
    AddExecLog("CBaseGame::MakeControl");
    CDIBBaseCtrl* control = NewControl(type, this);
    if (!control) return nullptr;
    if (params && !control->Initialize(*params)) {
        delete control;
        return nullptr;
    }
    AppendControl(control);
    return control;
}

void CBaseGame::AppendControl(CDIBBaseCtrl* control) {
    control->SetNext(nullptr);
    if (!controls_) {
        controls_ = control;
        return;
    }
    CDIBBaseCtrl* last = controls_;
    while (last->GetNext())
        last = last->GetNext();
    last->SetNext(control);
}

void CBaseGame::DeleteControl(int id) {
    AddExecLog("CBaseGame::DeleteControl");
    CDIBBaseCtrl* previous = nullptr;
    for (CDIBBaseCtrl* c = controls_; c;) {
        CDIBBaseCtrl* next = c->GetNext();
        if (c->GetCtrlID() == id) {
            if (previous)
                previous->SetNext(next);
            else
                controls_ = next;
            delete c;
        } else {
            previous = c;
        }
        c = next;
    }
}

int CBaseGame::GetCtrlCount() const {
    AddExecLog("CBaseGame::GetCtrlCount");
    int n = 0;
    for (CDIBBaseCtrl* c = controls_; c; c = c->GetNext())
        ++n;
    return n;
}

void CBaseGame::UpdateForcus() {
    AddExecLog("CBaseGame::UpdateForcus");
    if (focus_ == -2) {
        for (CDIBBaseCtrl* c = controls_; c; c = c->GetNext())
            if (c->IsForcus()) c->OnKillForcus();
    } else if (focus_ >= 0) {
        if (CDIBBaseCtrl* c = GetCtrl(focus_)) c->OnGetForcus();
    }
    focus_ = -1;
}

CDIBBaseCtrl* CBaseGame::GetCtrl(int id) const {
    AddExecLog("CBaseGame::GetCtrl");
    for (CDIBBaseCtrl* c = controls_; c; c = c->GetNext())
        if (c->GetCtrlID() == id) return c;
    return nullptr;
}

bool CBaseGame::IsForcusInAll() const {
    AddExecLog("CBaseGame::IsForcusInAll");
    if (focus_ >= 0) return true;
    for (CDIBBaseCtrl* c = controls_; c; c = c->GetNext())
        if (c->IsForcus()) return true;
    return false;
}

void CBaseGame::ResetForcusInAll() {
    AddExecLog("CBaseGame::ResetForcusInAll");
    for (CDIBBaseCtrl* c = controls_; c; c = c->GetNext())
        if (c->IsForcus()) c->OnKillForcus();
}

void CBaseGame::SetAllCtrlInput(bool on) {
    AddExecLog("CBaseGame::SetAllCtrlInput");
    for (CDIBBaseCtrl* c = controls_; c; c = c->GetNext())
        c->SetInputEnable(on);
}

void CBaseGame::SetResult(int value) {
    AddExecLog("CBaseGame::SetResult");
    resultPending_ = 1;
    result_ = value;
    resultExtra_ = 0;
}

SprtMotion* CBaseGame::SetSprtMotion(SprtMotion* motion, int first, int end, bool loop) {
    AddExecLog("CBaseGame::SetSprtMotion");
    motion->first = first;
    motion->end = end;
    motion->current = 0;
    motion->loop = loop;
    motion->jump = 0;
    motion->changed = 0;
    return motion;
}

void CBaseGame::MoveSprtMotion(SprtMotion* motion) {
    AddExecLog("CBaseGame::MoveSprtMotion");
    if (motion->current == motion->end) {
        motion->changed = 0;
        return;
    }
    if (!motion->loop && motion->jump)
        motion->current = motion->end;
    else
        motion->current += Services().GetFrameTime();
    motion->current = std::min(motion->current, motion->end);
    if (motion->current >= motion->end && motion->loop) motion->current = 0;
    motion->changed = 1;
}

} // namespace qw
