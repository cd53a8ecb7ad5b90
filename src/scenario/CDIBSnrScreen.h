#pragma once
// The screen on which the story plays.
//
// It starts a scenario from a file, or from a saved game at its load point, and runs it with the
// interpreter; the message window, the message commands and the end of the story (back to the
// title) come with the message window. Until then END keeps the interpreter's behaviour and ends
// the game.

#include <memory>
#include <string>

#include "scenario/CDIBSnrBaseScreen.h"
#include "text/CMesTextBuffer.h"

namespace qw {

class CDIBSnrScreen : public CDIBSnrBaseScreen {
public:
    explicit CDIBSnrScreen(CBaseGame* parent = nullptr);
    ~CDIBSnrScreen() override;

    using CDIBSnrBaseScreen::Initialize;
    // Reads the start record's scenario file, or, for a saved-game start, keeps the slot that
    // OnChangeScreen1st loads. Either way the save data's snapshot is cleared: it belonged to
    // the screen before.
    bool Initialize(const SnrStartRecord& start) override;
    // With a start slot: loads that game (the save data checks the whole file and, through
    // CheckState, this screen's records first) and, when it loads, restores the screen (Load).
    void OnChangeScreen1st() override;

    // The load point (CDIBSnrScreenSave.cpp). LPT writes the configuration (a failure is noted
    // on stderr and play goes on), steps past itself and saves: the VVram's record, the
    // reader's and the screen's own 56 bytes go into the save data's component buffer, and the
    // save data takes its snapshot.
    void MoveCmdLPT() override;
    bool Save() override;
    // Checks a component state and builds from it, aside, what Load puts in place: a VVram, a
    // reader (which reads its file again) and the screen record. False with the reason; the
    // screen is unchanged either way.
    bool CheckState(ByteSpan state, std::string& why);
    // Puts what CheckState built in place (false when nothing is waiting).
    bool Load() override;
    static constexpr size_t kScreenRecordSize = 56;
    int GetStartSlot() const { return startSlot_; }
    // True once a start slot could not be loaded (the game then ends).
    bool LoadFailed() const { return loadFailed_; }
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
    struct PendingLoad;
    void WriteScreenRecord(ByteWriter& out) const;
    void DropPendingLoad();

    std::unique_ptr<CMesTextBuffer> textBuffer_;
    int startSlot_ = -1; // the saved game OnChangeScreen1st loads; -1: none
    bool loadFailed_ = false;
    std::unique_ptr<PendingLoad> pending_;
};

// Makes and initialises a scenario screen that runs the scenario file `name`; null (the failure
// reported) when it cannot.
CDIBSnrScreen* MakeScenarioScreen(std::string_view name);
// The same for a saved game in `slot`, loaded when the screen becomes current.
CDIBSnrScreen* MakeLoadScreen(int slot);

} // namespace qw
