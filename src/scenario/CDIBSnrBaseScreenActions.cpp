// Layer action commands: defining an action from the scenario's numbers (ACTMAKE), releasing,
// playing and stopping actions, the action that draws the whole screen, and FACE. Actions are
// numbered 0–255 in the scenario and 1–256 in the virtual VRAM (0 there is none).

#include <algorithm>
#include <cstdint>
#include <string>

#include "common/ExecLog.h"
#include "graphics/CDIBSnrAction.h"
#include "graphics/CDIBSnrLayer.h"
#include "graphics/CDIBSnrVVram.h"
#include "scenario/CDIBSnrBaseScreen.h"

namespace qw {

namespace {

// ACTMAKE's kinds, in the order the scenario numbers them.
enum ActionKind : int32_t { kKindRot2D, kKindScroll, kKindRaster, kKindRain, kKindFire };

} // namespace

CDIBSnrAction* CDIBSnrBaseScreen::CheckAction(int32_t action, int i) {
    AddExecLog("CDIBSnrBaseScreen::CheckAction");
    CDIBSnrAction* a = vvram_ && action >= 0 && action < CDIBSnrVVram::kActions
                           ? vvram_->GetAction(action + 1)
                           : nullptr;
    if (!a) {
        ParamError(i);
        return nullptr;
    }
    return a;
}

// ACTMAKE action, kind, …: fills the 208-byte definition by kind and sets the action up.
//   0 rotation  period, repeats, direction          a, b, c
//   1 scroll    time, loop, curve, (x, y, z)…       a; b = loop ≠ 0 | (curve ≠ 0) << 8;
//                                                   c = complete groups (16 at most; more are
//                                                   left out); x[16], y[16], z[16]
//   2 raster    p3, p4, p5, p6, p7                  a = p4, b = p5, c = p3, extra p6, p7
//   3 rain      p3, p4, p5, wind, S drop picture    a, b, c, extra wind, then the name
//   4 fire      [p3, p4, p5, p6]                    a, b, c, extra p6 (10000, 400, 800, 1)
// Another kind changes nothing. A set-up that fails (a rain drop that cannot be read) is
// reported with the read error and leaves the action undefined; the story goes on.
void CDIBSnrBaseScreen::MoveCmdACTMAKE() {
    AddExecLog("CDIBSnrBaseScreen::MoveCmdACTMAKE");
    CDIBSnrAction* action = CheckAction(Value(0), 0);
    if (!action) return;
    const int count = ParamCount();
    const auto values = [&](int from, int to) { // parameters from … to - 1 must be numbers
        for (int i = from; i < to; ++i)
            if (!CheckValue(i)) return false;
        return true;
    };
    ActionDefinition def;
    std::string dropName;
    switch (Value(1)) {
    case kKindRot2D:
        if (count != 5) return CountError();
        if (!values(2, 5)) return;
        def.SetType(ActionType::Rot2D);
        def.SetA(Value(2)), def.SetB(Value(3)), def.SetC(Value(4));
        break;
    case kKindScroll: {
        if (count < 8) return CountError();
        const int groups = std::min((count - 5) / 3, ActionDefinition::kScrollPoints);
        if (!values(2, 5 + 3 * groups)) return;
        def.SetType(ActionType::Scroll);
        def.SetA(Value(2));
        def.SetB((Value(3) != 0 ? 1 : 0) | (Value(4) != 0 ? 1 << 8 : 0));
        def.SetC(groups);
        constexpr int n = ActionDefinition::kScrollPoints;
        for (int g = 0; g < groups; ++g) {
            def.SetExtra(g, Value(5 + 3 * g));
            def.SetExtra(n + g, Value(6 + 3 * g));
            def.SetExtra(2 * n + g, Value(7 + 3 * g));
        }
        break;
    }
    case kKindRaster:
        if (count != 7) return CountError();
        if (!values(2, 7)) return;
        def.SetType(ActionType::Raster);
        def.SetA(Value(3)), def.SetB(Value(4)), def.SetC(Value(2));
        def.SetExtra(0, Value(5)), def.SetExtra(1, Value(6));
        break;
    case kKindRain:
        if (count != 7) return CountError();
        if (!values(2, 6) || !CheckText(6)) return;
        def.SetType(ActionType::Rain);
        def.SetA(Value(2)), def.SetB(Value(3)), def.SetC(Value(4));
        def.SetExtra(0, Value(5));
        dropName = Text(6);
        def.SetRainDropName(dropName);
        break;
    case kKindFire:
        if (count != 2 && count != 6) return CountError();
        if (!values(2, count)) return;
        def.SetType(ActionType::Fire);
        def.SetA(count == 6 ? Value(2) : 10000);
        def.SetB(count == 6 ? Value(3) : 400);
        def.SetC(count == 6 ? Value(4) : 800);
        def.SetExtra(0, count == 6 ? Value(5) : 1);
        break;
    default:
        Advance();
        return;
    }
    if (!CheckFault()) return; // a number the reader could not work out
    if (!action->Setup(def) && def.Type() == static_cast<int32_t>(ActionType::Rain))
        ReadError(std::string(def.RainDropName()).c_str(), false);
    Advance();
}

// ACTFREE action: a defined action is released; front-page layers drawing through it lose it
// (and their page is recomposed), and so does the screen. Back-page layers keep the number and
// draw nothing while it stays undefined, as the back page is the scenario's to build.
void CDIBSnrBaseScreen::MoveCmdACTFREE() {
    AddExecLog("CDIBSnrBaseScreen::MoveCmdACTFREE");
    CDIBSnrAction* action = CheckAction(Value(0), 0);
    if (!action) return;
    const int number = Value(0) + 1;
    if (action->IsDefined()) {
        action->Release();
        for (int i = 0; i < CDIBSnrVVram::kLayers; ++i) {
            CDIBSnrLayer* layer = vvram_->GetLayer(i);
            if (layer->GetProp().action == number) layer->SetAction(0);
        }
        if (vvram_->GetScreenAct() == number) vvram_->SetScreenAct(0);
    }
    AdvanceAndYield();
}

// ACTPLAY / ACTSTOP action, …: up to ten actions, each started or stopped when it is defined.
// Every number is checked before any action changes.
void CDIBSnrBaseScreen::MoveCmdACTPLAY() {
    AddExecLog("CDIBSnrBaseScreen::MoveCmdACTPLAY");
    for (int i = 0; i < ParamCount(); ++i)
        if (!CheckAction(Value(i), i)) return;
    for (int i = 0; i < ParamCount(); ++i) {
        CDIBSnrAction* action = vvram_->GetAction(Value(i) + 1);
        if (action->IsDefined()) action->Play();
    }
    AdvanceAndYield();
}

void CDIBSnrBaseScreen::MoveCmdACTSTOP() {
    AddExecLog("CDIBSnrBaseScreen::MoveCmdACTSTOP");
    for (int i = 0; i < ParamCount(); ++i)
        if (!CheckAction(Value(i), i)) return;
    for (int i = 0; i < ParamCount(); ++i) {
        CDIBSnrAction* action = vvram_->GetAction(Value(i) + 1);
        if (action->IsDefined()) action->Stop();
    }
    AdvanceAndYield();
}

// SCREENACT action: the whole front page is drawn through action number + 1; a negative number
// removes the screen's action.
void CDIBSnrBaseScreen::MoveCmdSCREENACT() {
    AddExecLog("CDIBSnrBaseScreen::MoveCmdSCREENACT");
    const int32_t number = Value(0);
    if (number >= 0 && !CheckAction(number, 0)) return;
    if (vvram_) vvram_->SetScreenAct(number < 0 ? 0 : number + 1);
    AdvanceAndYield();
}

// FACE: nothing to do; the tick ends.
void CDIBSnrBaseScreen::MoveCmdFACE() {
    AddExecLog("CDIBSnrBaseScreen::MoveCmdFACE");
    AdvanceAndYield();
}

} // namespace qw
