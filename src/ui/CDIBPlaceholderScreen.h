#pragma once
// The first screen while the game has no title screen: a quiet gradient in the game's window.

#include "scenario/CDIBBaseScreen.h"

namespace qw {

class CDIBPlaceholderScreen : public CDIBBaseScreen {
public:
    bool Initialize() override;
    void GetCallEffectParam(CallEffectParam& out) override;
    const char* ScreenName() const override { return "CDIBPlaceholderScreen"; }
};

} // namespace qw
