// The state each kind of control shows after each handler, from each starting point: enabled or
// not, focused or not, checked or not.

#include <ostream>

#include "unit/ui/CtrlFixture.h"

namespace qw::test {
namespace {

enum class Handler {
    GetFocus,
    KillFocus,
    ChangeInput,
    EnterDown,
    EnterUp,
    LDownOver,
    LDownOutside,
    LUpOver,
    LUpOutside,
    DragOff,  // pressed over the control, then moved off with the button held
    DragBack, // … and back over it
    Disable,
    Enable,
    Check,
};

struct StateCase {
    char kind; // B button, C check box, S slider
    bool enabled, focused, checked;
    Handler handler;
    int state;         // expected afterwards
    bool checkedAfter; // check boxes
    const char* note;
};

void PrintTo(const StateCase& c, std::ostream* os) {
    *os << c.kind << " enabled=" << c.enabled << " focused=" << c.focused
        << " checked=" << c.checked << " handler=" << static_cast<int>(c.handler) << " (" << c.note
        << ")";
}

int StateOf(const CDIBBaseCtrl* c) {
    if (auto* b = dynamic_cast<const CDIBButtonCtrl*>(c)) return b->GetState();
    if (auto* k = dynamic_cast<const CDIBCheckCtrl*>(c)) return k->GetState();
    if (auto* s = dynamic_cast<const CDIBScrollCtrl*>(c)) return s->GetState();
    return -1;
}

class ControlStates : public CtrlFixture, public ::testing::WithParamInterface<StateCase> {
protected:
    void Point(int x, int y, bool held) {
        window_->cursor = {x, y};
        window_->keys[vk::kLButton] = held;
        Input().Poll();
    }
    void Over(bool held) { Point(110, 205, held); }
    void Off(bool held) { Point(50, 50, held); }

    void Run(CDIBBaseCtrl* c, Handler h) {
        switch (h) {
        case Handler::GetFocus:
            c->OnGetForcus();
            break;
        case Handler::KillFocus:
            c->OnKillForcus();
            break;
        case Handler::ChangeInput:
            c->OnChangeInputType();
            break;
        case Handler::EnterDown:
            c->OnKeyEnterDown();
            break;
        case Handler::EnterUp:
            c->OnKeyEnterUp();
            break;
        case Handler::LDownOver:
            Over(true);
            c->OnMouseLBtnDown();
            break;
        case Handler::LDownOutside:
            Off(true);
            c->OnMouseLBtnDown();
            break;
        case Handler::LUpOver:
            Over(false);
            c->OnMouseLBtnUp();
            break;
        case Handler::LUpOutside:
            Off(false);
            c->OnMouseLBtnUp();
            break;
        case Handler::DragOff:
        case Handler::DragBack:
            Over(true);
            c->OnMouseLBtnDown();
            Off(true);
            c->OnMouseMove();
            if (h == Handler::DragBack) {
                Over(true);
                c->OnMouseMove();
            }
            break;
        case Handler::Disable:
            c->SetEnable(false);
            break;
        case Handler::Enable:
            c->SetEnable(true);
            break;
        case Handler::Check:
            dynamic_cast<CDIBCheckCtrl*>(c)->SetCheck(true);
            break;
        }
    }
};

TEST_P(ControlStates, AfterHandler) {
    const StateCase& k = GetParam();
    CtrlParam p = k.kind == 'S' ? SliderParam(1, 100, 200) : Param(1);
    p.enable = k.enabled;
    p.check.checked = k.checked;
    const int type = k.kind == 'B' ? kCtrlButton : k.kind == 'C' ? kCtrlCheck : kCtrlScroll;
    CDIBBaseCtrl* c = owner_.MakeControl(type, &p);
    ASSERT_NE(c, nullptr);
    if (k.focused) {
        ASSERT_TRUE(c->OnGetForcus());
    }
    Run(c, k.handler);
    EXPECT_EQ(StateOf(c), k.state);
    if (auto* box = dynamic_cast<CDIBCheckCtrl*>(c)) {
        EXPECT_EQ(box->GetCheck(), k.checkedAfter);
    }
}

using H = Handler;
INSTANTIATE_TEST_SUITE_P(
    Table, ControlStates,
    ::testing::Values(StateCase{'B', 1, 0, 0, H::GetFocus, 1, 0, "focus"},
                      StateCase{'B', 1, 1, 0, H::GetFocus, 1, 0, "already focused"},
                      StateCase{'B', 1, 1, 0, H::KillFocus, 0, 0, "focus lost"},
                      StateCase{'B', 1, 1, 0, H::ChangeInput, 0, 0, "mode change drops focus"},
                      StateCase{'B', 1, 0, 0, H::EnterDown, 0, 0, "Enter needs the focus"},
                      StateCase{'B', 1, 1, 0, H::EnterDown, 2, 0, "pressed"},
                      StateCase{'B', 1, 1, 0, H::EnterUp, 1, 0, "released"},
                      StateCase{'B', 1, 1, 0, H::LDownOver, 2, 0, "pressed"},
                      StateCase{'B', 1, 0, 0, H::LDownOver, 0, 0, "focus still pending"},
                      StateCase{'B', 1, 1, 0, H::LDownOutside, 1, 0, "not hit"},
                      StateCase{'B', 1, 1, 0, H::LUpOver, 0, 0, "clicked; focus asked for again"},
                      StateCase{'B', 1, 1, 0, H::LUpOutside, 0, 0, "released outside"},
                      StateCase{'B', 1, 1, 0, H::DragOff, 0, 0, "released look off the button"},
                      StateCase{'B', 1, 1, 0, H::DragBack, 2, 0, "pressed look again"},
                      StateCase{'B', 0, 0, 0, H::GetFocus, 4, 0, "focused while disabled"},
                      StateCase{'B', 0, 1, 0, H::KillFocus, 3, 0, "disabled"},
                      StateCase{'B', 0, 1, 0, H::EnterDown, 4, 0, "never pressed"},
                      StateCase{'B', 0, 1, 0, H::EnterUp, 4, 0, "never released"},
                      StateCase{'B', 0, 1, 0, H::LDownOver, 4, 0, "never pressed"},
                      StateCase{'B', 0, 1, 0, H::LUpOver, 4, 0, "never clicked"},
                      StateCase{'B', 1, 1, 0, H::Disable, 4, 0, "disabled while focused"},
                      StateCase{'B', 1, 0, 0, H::Disable, 3, 0, "disabled"},
                      StateCase{'B', 0, 1, 0, H::Enable, 1, 0, "enabled while focused"},
                      StateCase{'C', 1, 0, 0, H::GetFocus, 1, 0, "focus"},
                      StateCase{'C', 1, 0, 1, H::GetFocus, 6, 1, "focus, checked"},
                      StateCase{'C', 1, 1, 1, H::KillFocus, 5, 1, "checked"},
                      StateCase{'C', 1, 1, 1, H::ChangeInput, 5, 1, "mode change"},
                      StateCase{'C', 1, 1, 1, H::EnterDown, 7, 1, "pressed, not toggled yet"},
                      StateCase{'C', 1, 1, 0, H::EnterDown, 2, 0, "pressed"},
                      StateCase{'C', 1, 1, 0, H::EnterUp, 6, 1, "toggled on"},
                      StateCase{'C', 1, 1, 1, H::EnterUp, 1, 0, "toggled off"},
                      StateCase{'C', 1, 1, 1, H::LDownOver, 7, 1, "pressed"},
                      StateCase{'C', 1, 1, 0, H::LUpOver, 5, 1, "toggled on by the click"},
                      StateCase{'C', 1, 1, 1, H::LUpOver, 0, 0, "toggled off by the click"},
                      StateCase{'C', 1, 0, 0, H::LUpOver, 0, 0,
                                "focus pending: no toggle, no click"},
                      StateCase{'C', 1, 1, 1, H::LUpOutside, 5, 1, "released outside"},
                      StateCase{'C', 1, 1, 1, H::DragOff, 5, 1, "released look"},
                      StateCase{'C', 1, 1, 0, H::DragOff, 0, 0, "released look"},
                      StateCase{'C', 1, 1, 1, H::DragBack, 7, 1, "pressed look"},
                      StateCase{'C', 0, 0, 1, H::GetFocus, 9, 1, "focused while disabled"},
                      StateCase{'C', 0, 1, 1, H::KillFocus, 8, 1, "disabled"},
                      StateCase{'C', 0, 1, 1, H::EnterUp, 9, 1, "never toggled"},
                      StateCase{'C', 0, 1, 0, H::LUpOver, 4, 0, "never toggled"},
                      StateCase{'C', 1, 1, 1, H::Disable, 9, 1, "disabled while focused"},
                      StateCase{'C', 1, 0, 1, H::Disable, 8, 1, "disabled"},
                      StateCase{'C', 1, 1, 0, H::Check, 6, 1, "checked while focused"},
                      StateCase{'C', 1, 0, 0, H::Check, 5, 1, "checked"},
                      StateCase{'C', 0, 0, 0, H::Check, 8, 1, "checked while disabled"},
                      StateCase{'S', 1, 0, 0, H::GetFocus, 1, 0, "focus"},
                      StateCase{'S', 1, 1, 0, H::EnterDown, 2, 0, "pressed"},
                      StateCase{'S', 1, 1, 0, H::EnterUp, 1, 0, "released"},
                      StateCase{'S', 1, 1, 0, H::LDownOver, 2, 0, "pressed"},
                      StateCase{'S', 1, 1, 0, H::DragOff, 0, 0, "released look"},
                      StateCase{'S', 0, 1, 0, H::KillFocus, 3, 0, "disabled"},
                      StateCase{'S', 0, 0, 0, H::GetFocus, 4, 0, "focused while disabled"},
                      StateCase{'S', 1, 1, 0, H::Disable, 4, 0, "disabled while focused"}));

} // namespace
} // namespace qw::test
