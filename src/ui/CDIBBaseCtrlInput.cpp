// The control base: one tick of input, keyboard focus, and the key and mouse handlers.

#include "app/CInput.h"
#include "common/ExecLog.h"
#include "scenario/CBaseGame.h"
#include "ui/CDIBBaseCtrl.h"
#include "ui/CtrlServices.h"

namespace qw {

void CDIBBaseCtrl::Move() {
    AddExecLog("CDIBBaseCtrl::Move");
    if (clicked_) { // the tick after a completed click: fired for this tick only
        fired_ = 1;
        clicked_ = 0;
        return;
    }
    fired_ = 0;
    if (!show_) return;
    if (!inputEnable_) {
        OnLockInput();
        return;
    }
    CInput* input = ctrl::Input();
    if (!input) return;
    const int mode = input->GetInputMode();
    // From keys to the mouse the keyboard focus and any key press are dropped; the pointer
    // decides again. From the mouse to keys the hovered control keeps the focus for the arrows.
    if (inputType_ == CInput::kKeyboardMode && mode == CInput::kMouseMode) OnChangeInputType();
    if (!PressFlag() || focus_) {
        if (mode == CInput::kKeyboardMode)
            OnKeyInput();
        else
            OnMouseInput();
    }
    inputType_ = mode;
}

bool CDIBBaseCtrl::OnKeyInput() {
    AddExecLog("CDIBBaseCtrl::OnKeyInput");
    CInput* input = ctrl::Input();
    if (!input) return false;
    // Enter acts on its edges; the arrows and Tab on the repeat flag, so a held key keeps going.
    if (input->Key(vk::kReturn).downEdge) return OnKeyEnterDown();
    if (input->Key(vk::kReturn).upEdge) return OnKeyEnterUp();
    if (input->Key(vk::kUp).repeat) return OnKeyUpBtn();
    if (input->Key(vk::kDown).repeat) return OnKeyDownBtn();
    if (input->Key(vk::kLeft).repeat) return OnKeyLeftBtn();
    if (input->Key(vk::kRight).repeat) return OnKeyRightBtn();
    if (input->Key(vk::kTab).repeat) return OnKeyTabBtn();
    return false;
}

bool CDIBBaseCtrl::OnMouseInput() {
    AddExecLog("CDIBBaseCtrl::OnMouseInput");
    CInput* input = ctrl::Input();
    if (!input) return false;
    if (input->Key(vk::kLButton).downEdge) return OnMouseLBtnDown();
    if (input->Key(vk::kLButton).upEdge) return OnMouseLBtnUp();
    if (input->IsMouseMoved()) return OnMouseMove();
    return false;
}

void CDIBBaseCtrl::OnChangeInputType() {
    AddExecLog("CDIBBaseCtrl::OnChangeInputType");
    if (PressFlag()) SetPressFlag(0);
    focus_ = 0;
    redraw_ = 1;
    SetLook(Look::Normal);
}

bool CDIBBaseCtrl::OnGetForcus() {
    AddExecLog("CDIBBaseCtrl::OnGetForcus");
    if (focus_ || PressFlag()) return false;
    focus_ = 1;
    redraw_ = 1;
    if (!clicked_ && oncurSE_) ctrl::PlaySysSE(2);
    SetLook(Look::Focused);
    return true;
}

bool CDIBBaseCtrl::OnKillForcus() {
    AddExecLog("CDIBBaseCtrl::OnKillForcus");
    if (!focus_ || PressFlag()) return false;
    focus_ = 0;
    redraw_ = 1;
    SetLook(Look::Normal);
    return true;
}

bool CDIBBaseCtrl::OnKeyEnterDown() {
    AddExecLog("CDIBBaseCtrl::OnKeyEnterDown");
    if (!enable_ || !focus_) return false;
    SetPressFlag(1);
    redraw_ = 1;
    SetLook(Look::Pressed);
    return true;
}

bool CDIBBaseCtrl::OnKeyEnterUp() {
    AddExecLog("CDIBBaseCtrl::OnKeyEnterUp");
    if (!enable_ || !focus_) return false;
    PlayEnterSE();
    SetPressFlag(0);
    clicked_ = 1;
    redraw_ = 1;
    OnClickDone();
    SetLook(Look::Focused);
    return true;
}

bool CDIBBaseCtrl::Jump(int direction) {
    if (!focus_) return false;
    const int target = GetJumpToCtrlID(direction);
    if (target == -1) return false;
    OnKillForcus();
    RequestFocus(target);
    return true;
}

bool CDIBBaseCtrl::OnKeyUpBtn() {
    AddExecLog("CDIBBaseCtrl::OnKeyUpBtn");
    return Jump(kJumpUp);
}

bool CDIBBaseCtrl::OnKeyDownBtn() {
    AddExecLog("CDIBBaseCtrl::OnKeyDownBtn");
    return Jump(kJumpDown);
}

bool CDIBBaseCtrl::OnKeyLeftBtn() {
    AddExecLog("CDIBBaseCtrl::OnKeyLeftBtn");
    return Jump(kJumpLeft);
}

bool CDIBBaseCtrl::OnKeyRightBtn() {
    AddExecLog("CDIBBaseCtrl::OnKeyRightBtn");
    return Jump(kJumpRight);
}

bool CDIBBaseCtrl::OnKeyTabBtn() {
    AddExecLog("CDIBBaseCtrl::OnKeyTabBtn");
    return Jump(kJumpTab);
}

bool CDIBBaseCtrl::OnMouseLBtnDown() {
    AddExecLog("CDIBBaseCtrl::OnMouseLBtnDown");
    // A press on a control whose focus is still pending (the pointer arrived this tick) is
    // ignored: the focus comes with the owner's UpdateForcus after the controls have moved.
    if (!enable_ || !focus_ || !IsHit()) return false;
    SetPressFlag(1);
    redraw_ = 1;
    SetLook(Look::Pressed);
    return true;
}

bool CDIBBaseCtrl::OnMouseLBtnUp() {
    AddExecLog("CDIBBaseCtrl::OnMouseLBtnUp");
    if (!enable_) return false;
    const bool hit = IsHit();
    if (!hit) {
        if (focus_) SetPressFlag(0);
    } else if (focus_) {
        PlayEnterSE();
        clicked_ = 1;
        SetPressFlag(0);
        OnClickDone();
    }
    OnKillForcus();
    if (hit) RequestFocus(id_); // focused again, without the cursor sound after a click
    return true;
}

bool CDIBBaseCtrl::OnMouseMove() {
    AddExecLog("CDIBBaseCtrl::OnMouseMove");
    CInput* input = ctrl::Input();
    const bool hit = IsHit();
    if (PressFlag()) {
        if (input && input->Key(vk::kLButton).down) {
            // Dragged off and back: the pressed look only while over the control.
            redraw_ = 1;
            SetLook(hit ? Look::Pressed : Look::Normal);
        } else {
            if (focus_) SetPressFlag(0);
            if (hit) {
                OnKillForcus();
                RequestFocus(id_);
            }
        }
        return true;
    }
    if (hit)
        RequestFocus(id_);
    else
        OnKillForcus();
    return true;
}

} // namespace qw
