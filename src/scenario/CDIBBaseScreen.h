#pragma once
// A full screen: a static background image and a draw image (background plus controls) with a
// dirty region, so each frame restores and redraws only what changed.

#include <memory>

#include "graphics/CallEffectParam.h"
#include "scenario/CBaseGame.h"

namespace qw {

struct ScenarioStateForDump;

class CDIBBaseScreen : public CBaseGame {
public:
    explicit CDIBBaseScreen(CBaseGame* parent = nullptr);
    ~CDIBBaseScreen() override;

    bool Initialize() override;
    void Release() override;
    void Move() override;
    void Draw(CDIBImage& target) override;
    void CopyImage(CDIBImage& target) override;
    const char* ScreenName() const override { return "CDIBBaseScreen"; }

    // The transition a screen asks for when it is started (all zero by default).
    virtual void GetCallEffectParam(CallEffectParam& out) { out = CallEffectParam{}; }
    // About to be captured for the first time / made current.
    virtual void OnChangeScreen1st() {}
    virtual void OnChangeScreen2nd() {}
    virtual void Update();
    // Fills in what the dumped state shows of a running scenario; false for screens that run none.
    virtual bool GetDumpState(ScenarioStateForDump& /*out*/) const { return false; }

    CDIBImage* GetBackImage() const { return backImage_.get(); }
    CDIBImage* GetDrawImage() const { return drawImage_.get(); }

protected:
    std::unique_ptr<CDIBImage> backImage_;
    std::unique_ptr<CDIBImage> drawImage_;
};

} // namespace qw
