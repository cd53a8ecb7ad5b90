#pragma once
// A scenario screen whose pages follow a script of layer changes, for end-to-end runs of the
// layers and transitions before the scenario has layer commands. It runs the scenario file like
// the story's screen and, at the start of the ticks the script names, changes layers of the back
// page or starts a transition.
//
// Script lines (`#` starts a comment), TICK counted as the main window counts its ticks:
//   TICK image LAYER NAME          picture (an empty NAME: "-")
//   TICK pos LAYER X Y Z
//   TICK size LAYER W H
//   TICK color LAYER A R G B
//   TICK blend LAYER 0|1
//   TICK anti LAYER 0|1
//   TICK overlap EFFECT TIME       a transition of the scenario's TIME (Blt and Fade last
//                                  TIME + 1 ms, as OVERLAP makes them)

#include <string>
#include <string_view>
#include <vector>

#include "scenario/CDIBSnrScreen.h"

namespace qw::test {

class LayerScriptScreen : public CDIBSnrScreen {
public:
    struct Step {
        int tick = 0;
        std::string op;
        std::vector<std::string> args;
    };

    // Reads the script; false (with the reason in `error`) for a line it does not understand.
    bool ReadScript(std::string_view text, std::string& error);
    void Move() override;
    const char* ScreenName() const override { return "CDIBSnrScreen"; }

private:
    void Apply(const Step& step);

    std::vector<Step> steps_;
};

} // namespace qw::test
