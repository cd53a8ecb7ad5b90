// The scenario screen's text style commands. Each changes the message text buffer and lets the
// next command run in the same tick; a screen whose buffer has been taken by its window, or was
// never made, only steps over them.

#include "common/ExecLog.h"
#include "scenario/CDIBSnrScreen.h"

namespace qw {

void CDIBSnrScreen::MoveCmdMESFTSIZE() {
    AddExecLog("CDIBSnrScreen::MoveCmdMESFTSIZE");
    if (textBuffer_) textBuffer_->fontSize = Value(0);
    Advance();
}

// Red, green and blue are bytes: only their low 8 bits count, so one channel cannot spill into
// the next. A first value other than 0 or 1 names neither colour and changes nothing.
void CDIBSnrScreen::MoveCmdMESFTCOLOR() {
    AddExecLog("CDIBSnrScreen::MoveCmdMESFTCOLOR");
    const uint32_t colour = 0xFF000000u | uint32_t(uint8_t(Value(1))) << 16 |
                            uint32_t(uint8_t(Value(2))) << 8 | uint32_t(uint8_t(Value(3)));
    if (textBuffer_) {
        if (Value(0) == 0) textBuffer_->textColour = colour;
        if (Value(0) == 1) textBuffer_->shadowColour = colour;
    }
    Advance();
}

void CDIBSnrScreen::MoveCmdMESFTBLOD() {
    AddExecLog("CDIBSnrScreen::MoveCmdMESFTBLOD");
    if (textBuffer_) textBuffer_->bold = Value(0) != 0;
    Advance();
}

void CDIBSnrScreen::MoveCmdMESFTSHADOW() {
    AddExecLog("CDIBSnrScreen::MoveCmdMESFTSHADOW");
    if (textBuffer_) textBuffer_->shadow = Value(0) != 0;
    Advance();
}

// What MESTXAREA's parameters would mean is not known; it changes nothing and steps over itself
// (staying on it would hold the scenario for good).
void CDIBSnrScreen::MoveCmdMESTXAREA() {
    AddExecLog("CDIBSnrScreen::MoveCmdMESTXAREA");
    Advance();
}

void CDIBSnrScreen::MoveCmdMESTXKINSOKU() {
    AddExecLog("CDIBSnrScreen::MoveCmdMESTXKINSOKU");
    if (textBuffer_) textBuffer_->kinsoku = Value(0) != 0;
    Advance();
}

void CDIBSnrScreen::MoveCmdMESTXDOWN() {
    AddExecLog("CDIBSnrScreen::MoveCmdMESTXDOWN");
    if (textBuffer_) textBuffer_->indent = Value(0) != 0;
    Advance();
}

} // namespace qw
