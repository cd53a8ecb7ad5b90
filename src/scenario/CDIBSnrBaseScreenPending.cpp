// The generated bodies of the commands that this screen passes over (rows with StepOver or
// StepOverYield in ScenarioCommandList.h).
//
// The message commands and MOVIE belong to the scenario screen, which has the message window and
// the movie screen; here they only step over their command (the message commands end the tick,
// as a message would; MOVIE lets the next command run).
//
// SELITEM and the movie controls are not built yet: until they are, they step over their command
// and let the next one run, so scenarios that use them play through.

#include "common/ExecLog.h"
#include "scenario/CDIBSnrBaseScreen.h"

namespace qw {

#define QW_BODY_Handler(NAME)
#define QW_BODY_StepOver(NAME)                                                                     \
    void CDIBSnrBaseScreen::MoveCmd##NAME() {                                                      \
        AddExecLog("CDIBSnrBaseScreen::MoveCmd" #NAME);                                            \
        Advance();                                                                                 \
    }
#define QW_BODY_StepOverYield(NAME)                                                                \
    void CDIBSnrBaseScreen::MoveCmd##NAME() {                                                      \
        AddExecLog("CDIBSnrBaseScreen::MoveCmd" #NAME);                                            \
        AdvanceAndYield();                                                                         \
    }
#define QW_GENERATED_BODY(NAME, ID, PARAMS, BODY) QW_BODY_##BODY(NAME)

QW_SCENARIO_COMMANDS(QW_GENERATED_BODY)

#undef QW_GENERATED_BODY
#undef QW_BODY_StepOverYield
#undef QW_BODY_StepOver
#undef QW_BODY_Handler

} // namespace qw
