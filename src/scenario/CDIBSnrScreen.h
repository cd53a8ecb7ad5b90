#pragma once
// The screen on which the story plays.
//
// So far it starts a scenario from a file and runs it with the interpreter; the message window,
// saved-game loading, the message commands and the end of the story (back to the title) come
// with the message window. Until then END keeps the interpreter's behaviour and ends the game.

#include "scenario/CDIBSnrBaseScreen.h"

namespace qw {

class CDIBSnrScreen : public CDIBSnrBaseScreen {
public:
    explicit CDIBSnrScreen(CBaseGame* parent = nullptr);
    ~CDIBSnrScreen() override;

    using CDIBSnrBaseScreen::Initialize;
    // Reads the start record's scenario file (a saved-game start is not supported yet and fails).
    bool Initialize(const SnrStartRecord& start) override;
    const char* ScreenName() const override { return "CDIBSnrScreen"; }
};

// Makes and initialises a scenario screen that runs the scenario file `name`; null (the failure
// reported) when it cannot.
CDIBSnrScreen* MakeScenarioScreen(std::string_view name);

} // namespace qw
