// Commands that this screen passes over.
//
// The message commands and MOVIE belong to the scenario screen, which has the message window and
// the movie screen; here they only step over their command (the message commands end the tick,
// as a message would; MOVIE lets the next command run).
//
// The layer, picture, action and effect commands, the sound commands, SELITEM and the movie
// controls are not built yet: until they are, they step over their command and let the next one
// run, so scenarios that use them play through.

#include "common/ExecLog.h"
#include "scenario/CDIBSnrBaseScreen.h"
#include "scenario/CSnrBuffer.h"

namespace qw {

void CDIBSnrBaseScreen::StepOver(bool go) {
    AddExecLog("CDIBSnrBaseScreen::StepOver");
    buffer_->NextCommand();
    continue_ = go;
}

#define QW_SNR_STEP_OVER(NAME, GO)                                                                 \
    void CDIBSnrBaseScreen::MoveCmd##NAME() {                                                      \
        AddExecLog("CDIBSnrBaseScreen::MoveCmd" #NAME);                                            \
        StepOver(GO);                                                                              \
    }

// Message window commands (the scenario screen's).
QW_SNR_STEP_OVER(MSG, false)
QW_SNR_STEP_OVER(MWO, false)
QW_SNR_STEP_OVER(MWC, false)
QW_SNR_STEP_OVER(SELECT, false)
QW_SNR_STEP_OVER(SETMESSKIP, false)
QW_SNR_STEP_OVER(MESFTSIZE, false)
QW_SNR_STEP_OVER(MESFTCOLOR, false)
QW_SNR_STEP_OVER(MESFTBLOD, false)
QW_SNR_STEP_OVER(MESFTSHADOW, false)
QW_SNR_STEP_OVER(MESTXAREA, false)
QW_SNR_STEP_OVER(MESTXKINSOKU, false)
QW_SNR_STEP_OVER(MESTXDOWN, false)
QW_SNR_STEP_OVER(MESNAME, false)
QW_SNR_STEP_OVER(MESVPLAY, false)
QW_SNR_STEP_OVER(MESVSTOP, false)
QW_SNR_STEP_OVER(MESRUN, false)
QW_SNR_STEP_OVER(BLOGSAVEBEGIN, false)
QW_SNR_STEP_OVER(BLOGSAVEEND, false)
QW_SNR_STEP_OVER(SELMAKE, false)
QW_SNR_STEP_OVER(SELRUN, false)
QW_SNR_STEP_OVER(MOVIE, true)

// Layers, pictures, actions and effects (not built yet).
QW_SNR_STEP_OVER(IMREAD, true)
QW_SNR_STEP_OVER(IMFREE, true)
QW_SNR_STEP_OVER(LYIMAGE, true)
QW_SNR_STEP_OVER(LYPOS, true)
QW_SNR_STEP_OVER(LYSIZE, true)
QW_SNR_STEP_OVER(LYCOLOR, true)
QW_SNR_STEP_OVER(LYBLEND, true)
QW_SNR_STEP_OVER(LYANTI, true)
QW_SNR_STEP_OVER(LYACTION, true)
QW_SNR_STEP_OVER(LYCAMSTATE, true)
QW_SNR_STEP_OVER(OVERLAP, true)
QW_SNR_STEP_OVER(CAMMOVE, true)
QW_SNR_STEP_OVER(ACTMAKE, true)
QW_SNR_STEP_OVER(ACTFREE, true)
QW_SNR_STEP_OVER(ACTPLAY, true)
QW_SNR_STEP_OVER(ACTSTOP, true)
QW_SNR_STEP_OVER(SCREENACT, true)
QW_SNR_STEP_OVER(FACE, true)

// Music, voices, sound effects and movie controls (not built yet).
QW_SNR_STEP_OVER(BGMLIST, true)
QW_SNR_STEP_OVER(BGMPLAY, true)
QW_SNR_STEP_OVER(BGMSTOP, true)
QW_SNR_STEP_OVER(BGMWAIT, true)
QW_SNR_STEP_OVER(VOICELIST, true)
QW_SNR_STEP_OVER(VOICEPLAY, true)
QW_SNR_STEP_OVER(VOICESTOP, true)
QW_SNR_STEP_OVER(VOICEWAIT, true)
QW_SNR_STEP_OVER(SEPLAY, true)
QW_SNR_STEP_OVER(SESTOP, true)
QW_SNR_STEP_OVER(SEWAIT, true)
QW_SNR_STEP_OVER(SEREAD, true)
QW_SNR_STEP_OVER(SEFREE, true)
QW_SNR_STEP_OVER(MOVIEPAUSE, true)
QW_SNR_STEP_OVER(MOVIERATE, true)
QW_SNR_STEP_OVER(MOVIELOOP, true)

// Selection items (not built yet).
QW_SNR_STEP_OVER(SELITEM, true)

#undef QW_SNR_STEP_OVER

} // namespace qw
