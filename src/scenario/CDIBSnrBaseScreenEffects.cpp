// Commands that move the whole picture: OVERLAP, a transition from the front page to the back
// page, and CAMMOVE, a page camera's path. Both wait across ticks on the step counter.

#include <string>

#include "common/ExecLog.h"
#include "graphics/CDIBCamera.h"
#include "graphics/CDIBSnrVVram.h"
#include "graphics/CallEffectParam.h"
#include "scenario/CDIBSnrBaseScreen.h"
#include "scenario/OverlapParams.h"

namespace qw {

// OVERLAP kind, … (OverlapParams.h lists each kind's parameters).
//   step 0  the transition starts on the next tick: step 1, the tick ends;
//   step 1  the parameters become the transition record and the transition starts from the
//           front page to the back page: step 2, the tick ends;
//   step 2  the tick ends while the transition runs; once it has ended (the pages have swapped
//           at its end, or nothing started: a kind that names no effect) the command advances
//           and the tick ends.
// A wrong count is the count error; a parameter of the wrong class, whichever it is, is the type
// error for parameter 2.
void CDIBSnrBaseScreen::MoveCmdOVERLAP() {
    AddExecLog("CDIBSnrBaseScreen::MoveCmdOVERLAP");
    if (!vvram_) {
        AdvanceAndYield();
        return;
    }
    if (step_ == 0) {
        step_ = 1;
        return;
    }
    if (step_ == 1) {
        struct Source : OverlapParamSource {
            explicit Source(CDIBSnrBaseScreen& s) : screen(s) {}
            int Count() const override { return screen.ParamCount(); }
            bool IsText(int i) const override { return screen.IsText(i); }
            int32_t Value(int i) override { return screen.Value(i); }
            std::string Text(int i) override { return screen.Text(i); }
            CDIBSnrBaseScreen& screen;
        } source(*this);
        CallEffectParam param;
        switch (ReadOVParam(source, param)) {
        case OverlapParamError::kCount:
            CountError();
            return;
        case OverlapParamError::kType:
            ErrorTypeParam(CommandName(), 2);
            return;
        case OverlapParamError::kNone:
            break;
        }
        if (!CheckFault()) return;
        StartOverlap(param);
        step_ = 2;
        return;
    }
    if (vvram_->IsTransitionRunning()) return;
    AdvanceAndYield();
}

void CDIBSnrBaseScreen::StartOverlap(const CallEffectParam& param) {
    AddExecLog("CDIBSnrBaseScreen::StartOverlap");
    if (vvram_) vvram_->StartTransition(param);
}

// CAMMOVE page, time, then points x, y, z, w. The first call sets the camera's path — the back
// page's camera for a page other than 0, else the front page's — from the whole groups of four
// (at most the camera's 16 points; a group left incomplete is ignored), starts the move over
// `time` ms and is called again at once. From then on the tick ends while the front page's camera
// moves; after that the command advances and the tick ends. A move of the back page's camera
// therefore does not wait.
void CDIBSnrBaseScreen::MoveCmdCAMMOVE() {
    AddExecLog("CDIBSnrBaseScreen::MoveCmdCAMMOVE");
    if (!vvram_) {
        AdvanceAndYield();
        return;
    }
    if (step_ == 0) {
        CDIBCamera* camera = Value(0) != 0 ? vvram_->GetBackCamera() : vvram_->GetCamera();
        camera->ResetMove();
        const int groups = (ParamCount() - 2) / 4;
        for (int g = 0; g < groups && g < CDIBCamera::kMaxPoints; ++g) {
            const int at = 2 + 4 * g;
            camera->AddMove(static_cast<float>(Value(at)), static_cast<float>(Value(at + 1)),
                            static_cast<float>(Value(at + 2)), static_cast<float>(Value(at + 3)));
        }
        camera->StartMove(Value(1));
        step_ = 1;
        Continue();
        return;
    }
    if (vvram_->GetCamera()->IsMoving()) return;
    AdvanceAndYield();
}

} // namespace qw
