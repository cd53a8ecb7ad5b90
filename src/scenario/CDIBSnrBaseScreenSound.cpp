// Sound commands: the music list, playing and stopping a piece with its fades, and waiting for
// them; the voice list, voices and their waits; sound-effect slots, one-shot effects and their
// waits. While the player hurries (a new click, the skip keys, or the no-effects setting) fades
// are cut to nothing and no wait starts; a wait already running completes its fade at once.

#include <algorithm>
#include <array>
#include <cstdio>
#include <cstring>
#include <string>

#include "app/CInput.h"
#include "app/GameServices.h"
#include "audio/CBGMBuffer.h"
#include "audio/CSEBuffer.h"
#include "audio/CVoiceBuffer.h"
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

// ---- Voices and sound effects

namespace {

// The channel of the last one-shot effect SEPLAY started by name, for its wait.
int g_lastOneShot = 0;

std::string EntryText(const std::array<char, CSaveData::kStringSize>& entry) {
    return std::string(entry.data(), strnlen(entry.data(), entry.size()));
}

void StoreEntry(std::array<char, CSaveData::kStringSize>& entry, const std::string& text) {
    entry.fill(0);
    std::memcpy(entry.data(), text.data(), std::min(text.size(), entry.size() - 1));
}

} // namespace

int32_t* CDIBSnrBaseScreen::SESlot(int32_t slot) {
    if (!save_ || slot < 0 || slot >= static_cast<int32_t>(save_->seSlots.size())) return nullptr;
    return &save_->seSlots[static_cast<size_t>(slot)];
}

int CDIBSnrBaseScreen::SESlotChannel(int32_t slot) {
    const int32_t* p = SESlot(slot);
    return p ? *p : 0;
}

// VOICELIST index, prefix: stores the prefix under its number (numbers outside 0-255 are
// ignored); the next command runs in this tick.
void CDIBSnrBaseScreen::MoveCmdVOICELIST() {
    AddExecLog("CDIBSnrBaseScreen::MoveCmdVOICELIST");
    int32_t index = Value(0);
    if (save_ && index >= 0 && index < static_cast<int32_t>(save_->voiceList.size()))
        StoreEntry(save_->voiceList[static_cast<size_t>(index)], Text(1));
    Advance();
}

// VOICEPLAY file, wait; or VOICEPLAY list number, number, wait: the list entry followed by the
// number in four digits. Read whole, played once without fade.
void CDIBSnrBaseScreen::MoveCmdVOICEPLAY() {
    AddExecLog("CDIBSnrBaseScreen::MoveCmdVOICEPLAY");
    CVoiceBuffer* voice = Services().GetVoiceBuffer();
    const bool byName = IsText(0);
    if (!CheckNameOrNumberForm(2)) return;
    const bool hurry = Hurrying(skip_ != 0);
    if (step_ == 0) {
        if (hurry) { // nothing is played while the player hurries
            AdvanceAndYield();
            return;
        }
        std::string name;
        if (byName) {
            name = Text(0);
        } else {
            int32_t index = Value(0);
            if (save_ && index >= 0 && index < static_cast<int32_t>(save_->voiceList.size()))
                name = EntryText(save_->voiceList[static_cast<size_t>(index)]);
            char number[16];
            std::snprintf(number, sizeof number, "%04d", Value(1));
            name += number;
        }
        if (!voice || !voice->Read(name, false)) {
            ReadError(name.c_str(), false); // reported; the story goes on without it
            AdvanceAndYield();
            return;
        }
        voice->Play(0, false);
        if (Value(ParamCount() - 1) == 0) {
            AdvanceAndYield();
            return;
        }
        step_ = 1;
        return;
    }
    if (hurry) voice->Stop(0);
    if (!voice->IsPlaying()) AdvanceAndYield();
}

void CDIBSnrBaseScreen::MoveCmdVOICESTOP() {
    AddExecLog("CDIBSnrBaseScreen::MoveCmdVOICESTOP");
    if (CVoiceBuffer* voice = Services().GetVoiceBuffer()) voice->Stop(0);
    AdvanceAndYield();
}

// VOICEWAIT: until the voice has ended. A hurry stops it; the next call finds it stopped.
void CDIBSnrBaseScreen::MoveCmdVOICEWAIT() {
    AddExecLog("CDIBSnrBaseScreen::MoveCmdVOICEWAIT");
    CVoiceBuffer* voice = Services().GetVoiceBuffer();
    if (voice && voice->IsPlaying()) {
        if (Hurrying(skip_ != 0)) voice->Stop(0);
        return;
    }
    AdvanceAndYield();
}

// SEREAD slot, file: the slot's old channel is freed, then a new one is read for the file.
// Slots outside 0-255 are ignored.
void CDIBSnrBaseScreen::MoveCmdSEREAD() {
    AddExecLog("CDIBSnrBaseScreen::MoveCmdSEREAD");
    CSEBuffer* se = Services().GetSEBuffer();
    if (int32_t* slot = SESlot(Value(0))) {
        if (se && *slot != 0) se->Free(*slot);
        *slot = se ? se->Read(Text(1)) : 0;
        if (*slot == 0) ReadError(Text(1).c_str(), false);
    }
    AdvanceAndYield();
}

void CDIBSnrBaseScreen::MoveCmdSEFREE() {
    AddExecLog("CDIBSnrBaseScreen::MoveCmdSEFREE");
    CSEBuffer* se = Services().GetSEBuffer();
    if (int32_t* slot = SESlot(Value(0))) {
        if (se && *slot != 0) se->Free(*slot);
        *slot = 0;
    }
    AdvanceAndYield();
}

// SEPLAY file, fade-in ms, wait: a one-shot that frees itself; or SEPLAY slot, fade-in ms,
// wait, loop: the slot's channel. The wait lasts while the fade-in runs.
void CDIBSnrBaseScreen::MoveCmdSEPLAY() {
    AddExecLog("CDIBSnrBaseScreen::MoveCmdSEPLAY");
    CSEBuffer* se = Services().GetSEBuffer();
    const bool byName = IsText(0);
    if (!CheckNameOrNumberForm(3)) return;
    const bool hurry = Hurrying(skip_ != 0);
    const int channel = byName ? g_lastOneShot : SESlotChannel(Value(0));
    if (step_ == 0) {
        const int fade = hurry ? 0 : Value(1);
        if (byName) {
            g_lastOneShot = se ? se->PlayAutoFree(Text(0), fade) : 0;
            if (g_lastOneShot == 0) {
                ReadError(Text(0).c_str(), false);
                AdvanceAndYield();
                return;
            }
        } else if (se) {
            se->Play(channel, fade, Value(3) != 0);
        }
        if (!se || Value(2) == 0 || hurry) {
            AdvanceAndYield();
            return;
        }
        step_ = 1;
        return;
    }
    if (hurry) se->FinishFade(channel);
    if (se->GetFadeMode(channel) != 1 || !se->IsPlay(channel)) AdvanceAndYield();
}

// SESTOP slot, fade-out ms, wait: the wait lasts until the channel no longer plays.
void CDIBSnrBaseScreen::MoveCmdSESTOP() {
    AddExecLog("CDIBSnrBaseScreen::MoveCmdSESTOP");
    CSEBuffer* se = Services().GetSEBuffer();
    const bool hurry = Hurrying(skip_ != 0);
    const int channel = SESlotChannel(Value(0));
    if (step_ == 0) {
        if (se) se->Stop(channel, hurry ? 0 : Value(1));
        if (!se || Value(2) == 0 || hurry) {
            AdvanceAndYield();
            return;
        }
        step_ = 1;
        return;
    }
    if (hurry) se->FinishFade(channel);
    if (!se->IsPlay(channel)) AdvanceAndYield();
}

// SEWAIT slot, mode: 0 waits while the channel plays and fades in, 1 while it plays and fades
// out, 2 until it no longer plays. Any other mode waits for nothing and goes on, as an empty
// slot does.
void CDIBSnrBaseScreen::MoveCmdSEWAIT() {
    AddExecLog("CDIBSnrBaseScreen::MoveCmdSEWAIT");
    CSEBuffer* se = Services().GetSEBuffer();
    const int channel = SESlotChannel(Value(0));
    const int32_t mode = Value(1);
    if (!se || mode < 0 || mode > 2 || !se->IsPlay(channel)) {
        AdvanceAndYield();
        return;
    }
    const bool hurry = Hurrying(skip_ != 0);
    if (mode == 2) {
        if (hurry) se->Stop(channel, 0);
        return;
    }
    if (hurry) se->FinishFade(channel);
    if (se->GetFadeMode(channel) != (mode == 0 ? 1 : 2)) AdvanceAndYield();
}

} // namespace qw
