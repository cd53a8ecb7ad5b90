// Music commands: the music list, playing and stopping a piece with its fades, and waiting for
// them. While the player hurries (a new click, the skip keys, or the no-effects setting) fades
// are cut to nothing and no wait starts; a wait already running completes its fade at once.

#include <array>
#include <cstring>
#include <string>

#include "app/CInput.h"
#include "app/GameServices.h"
#include "audio/CBGMBuffer.h"
#include "common/ExecLog.h"
#include "save/CSaveData.h"
#include "scenario/CDIBSnrBaseScreen.h"

namespace qw {

namespace {

bool Hurrying(bool skip) {
    const CInput* input = Services().GetInput();
    const CSaveData* save = Services().GetSaveData();
    return skip ||
           (input &&
            (input->CheckKeyTbl(keytable::kDecide) || input->CheckKeyTbl(keytable::kSkip))) ||
           (save && save->configEx.noneEffect != 0);
}

} // namespace

// BGMLIST index, name: stores the name under its number (numbers outside 0-255 are ignored).
void CDIBSnrBaseScreen::MoveCmdBGMLIST() {
    AddExecLog("CDIBSnrBaseScreen::MoveCmdBGMLIST");
    int32_t index = Value(0);
    if (save_ && index >= 0 && index < static_cast<int32_t>(save_->bgmList.size())) {
        auto& entry = save_->bgmList[static_cast<size_t>(index)];
        entry.fill(0);
        const std::string& name = Text(1);
        std::memcpy(entry.data(), name.data(), std::min(name.size(), entry.size() - 1));
    }
    Advance();
}

// BGMPLAY name or list number, wait, loop, fade-in ms.
void CDIBSnrBaseScreen::MoveCmdBGMPLAY() {
    AddExecLog("CDIBSnrBaseScreen::MoveCmdBGMPLAY");
    CBGMBuffer* bgm = Services().GetBGMBuffer();
    const bool hurry = Hurrying(skip_ != 0);
    if (step_ == 0) {
        std::string name;
        if (IsText(0)) {
            name = Text(0);
        } else if (save_ && Value(0) >= 0 &&
                   Value(0) < static_cast<int32_t>(save_->bgmList.size())) {
            const auto& entry = save_->bgmList[static_cast<size_t>(Value(0))];
            name.assign(entry.data(), strnlen(entry.data(), entry.size()));
        }
        if (!bgm || !bgm->Read(name)) {
            ReadError(name.c_str(), false); // reported; the story goes on without it
            AdvanceAndYield();
            return;
        }
        bgm->Play(hurry ? 0 : Value(3), Value(2) != 0);
        if (Value(1) == 0 || hurry) {
            AdvanceAndYield();
            return;
        }
        step_ = 1;
        return;
    }
    if (hurry) bgm->FinishFade();
    // The wait also ends when the piece stops, for instance a short one during its fade-in.
    if (!bgm || bgm->GetFadeMode() != 1 || !bgm->IsPlaying()) AdvanceAndYield();
}

// BGMSTOP wait, fade-out ms.
void CDIBSnrBaseScreen::MoveCmdBGMSTOP() {
    AddExecLog("CDIBSnrBaseScreen::MoveCmdBGMSTOP");
    CBGMBuffer* bgm = Services().GetBGMBuffer();
    const bool hurry = Hurrying(skip_ != 0);
    if (step_ == 0) {
        if (bgm) bgm->Stop(hurry ? 0 : Value(1));
        if (!bgm || Value(0) == 0 || hurry) {
            AdvanceAndYield();
            return;
        }
        step_ = 1;
        return;
    }
    if (hurry) bgm->FinishFade();
    if (!bgm->IsPlaying() && bgm->GetFadeMode() == 0) AdvanceAndYield();
}

// BGMWAIT mode: 0 waits while the music fades in, 1 while it fades out.
void CDIBSnrBaseScreen::MoveCmdBGMWAIT() {
    AddExecLog("CDIBSnrBaseScreen::MoveCmdBGMWAIT");
    int32_t mode = Value(0);
    if (mode != 0 && mode != 1) {
        ParamError(1);
        return;
    }
    CBGMBuffer* bgm = Services().GetBGMBuffer();
    if (!bgm) {
        AdvanceAndYield();
        return;
    }
    if (Hurrying(skip_ != 0)) bgm->FinishFade();
    if (bgm->GetFadeMode() == (mode == 0 ? 1 : 2)) return;
    AdvanceAndYield();
}

} // namespace qw
