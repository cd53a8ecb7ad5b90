#pragma once
// A screen of controls for trying the control toolkit by hand and in end-to-end runs, before the
// system screens exist. It reads its controls from the definition file "CTRLTEST" of the game
// and records every control that fires, with the tick.
//
// Records of "CTRLTEST" (first id 90):
//
//   record 90, 0, FOCUS                       the control focused at the start (-1: none)
//   record 90, N, TYPE, "PARTS", "HITMAP", ID, HITNO, X, Y, CELLS..., CLASS DATA...,
//          [SHOWN, ENABLED, SOUNDKIND]        control N (1, 2, ... up to the first missing one)
//       TYPE 1 button:    5 cells, blend
//       TYPE 2 check box: 10 cells, checked
//       TYPE 3 slider:    10 cells, value, orientation, minimum, maximum, start margin, end margin
//       TYPE 100 picture: 1 cell
//   record 91, N, ID, UP, DOWN, LEFT, RIGHT, TAB
//                                             navigation row N (0, 1, ...): a row of control ID
//   record 92, N, ID, "PICTURE", X, Y         caption N (0, 1, ...): button ID gets a caption
//                                             surface with PICTURE blended at (X, Y) in each look

#include <string>
#include <vector>

#include "scenario/CDIBBaseScreen.h"

namespace qw::test {

class CtrlTestScreen : public CDIBBaseScreen {
public:
    struct Fired {
        int tick;
        int id;
    };

    bool Initialize() override;
    void Move() override;
    const char* ScreenName() const override { return "CtrlTestScreen"; }

    const std::vector<Fired>& GetFired() const { return fired_; }
    // [{"tick": 12, "id": 3}, …]
    std::string FiredJson() const;

private:
    bool ReadControls();

    std::vector<Fired> fired_;
};

} // namespace qw::test
