#pragma once
// The screen on which the story plays.
//
// So far it starts a scenario from a file and runs it with the interpreter; the message window,
// saved-game loading, the message commands and the end of the story (back to the title) come
// with the message window. Until then END keeps the interpreter's behaviour and ends the game.

#include <memory>

#include "scenario/CDIBSnrBaseScreen.h"
#include "text/CMesTextBuffer.h"

namespace qw {

class CDIBSnrScreen : public CDIBSnrBaseScreen {
public:
    explicit CDIBSnrScreen(CBaseGame* parent = nullptr);
    ~CDIBSnrScreen() override;

    using CDIBSnrBaseScreen::Initialize;
    // Reads the start record's scenario file (a saved-game start is not supported yet and fails).
    bool Initialize(const SnrStartRecord& start) override;
    const char* ScreenName() const override { return "CDIBSnrScreen"; }

    // The text style commands set the message text buffer directly; they take effect from the
    // next message laid out. The screen owns the buffer (set up with the window's defaults)
    // until the message window takes it.
    void MoveCmdMESFTSIZE() override;
    void MoveCmdMESFTCOLOR() override;
    void MoveCmdMESFTBLOD() override;
    void MoveCmdMESFTSHADOW() override;
    void MoveCmdMESTXAREA() override;
    void MoveCmdMESTXKINSOKU() override;
    void MoveCmdMESTXDOWN() override;

    CMesTextBuffer* GetTextBuffer() const { return textBuffer_.get(); }
    std::unique_ptr<CMesTextBuffer> TakeTextBuffer() { return std::move(textBuffer_); }

private:
    std::unique_ptr<CMesTextBuffer> textBuffer_;
};

// Makes and initialises a scenario screen that runs the scenario file `name`; null (the failure
// reported) when it cannot.
CDIBSnrScreen* MakeScenarioScreen(std::string_view name);

} // namespace qw
