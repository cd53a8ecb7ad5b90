// The screen flow's transitions between two screens with pictures of their own: each effect's
// frames from the left screen's picture to the entered one's, the entered screen current after
// the last frame, and the no-effects switch and frame speed 3 ending a change at once.

#include <gtest/gtest.h>

#include <memory>
#include <random>
#include <string>
#include <vector>

#include "app/CMainWindow.h"
#include "app/GameServices.h"
#include "app/StateDump.h"
#include "files/MemberSource.h"
#include "graphics/CDIBImage.h"
#include "graphics/CDIBOverlap.h"
#include "save/CSaveData.h"
#include "scenario/CDIBBaseScreen.h"
#include "scenario/CRootFlow.h"
#include "scenario/CSnrBuffer.h"
#include "support/FakeWindow.h"
#include "unit/files/FilesTestDir.h"

namespace qw {
namespace {

Bytes EmptyScenario() {
    ByteWriter w;
    w.PutBytes(std::string_view("MSCENARIO FILE  "));
    w.PutZeros(1112 - 16);
    return w.Take();
}

class StartOnly : public IMemberSource {
public:
    std::optional<Bytes> ReadMember(std::string_view name) override {
        if (name == "START") return EmptyScenario();
        return std::nullopt;
    }
};

// A screen whose capture is a random picture of its own.
class PictureScreen : public CDIBBaseScreen {
public:
    explicit PictureScreen(uint32_t seed) {
        picture.Create(800, 600);
        std::mt19937 rng(seed);
        for (size_t i = 0; i < picture.GetByteSize() / 4; ++i)
            picture.GetPixels()[i] = static_cast<uint32_t>(rng()) | 0xFF000000u;
    }
    bool Initialize() override { return CBaseGame::Initialize(); }
    void Move() override {}
    void Draw(CDIBImage& target) override { picture.Copy(&target, 0, 0, 0, 0, 800, 600); }
    void CopyImage(CDIBImage& target) override { picture.Copy(&target, 0, 0, 0, 0, 800, 600); }
    CDIBImage picture;
};

bool Same(const CDIBImage& a, const CDIBImage& b) {
    return std::equal(a.GetPixels(), a.GetPixels() + a.GetByteSize() / 4, b.GetPixels());
}

// The settings the main window writes when it goes land in a directory of the test's own.
class RootFlowTransitionTest : public testing::FilesTestDir {
protected:
    void SetUp() override {
        FilesTestDir::SetUp();
        CSnrBuffer::SetDefaultSource(&source_);
        main_ = std::make_unique<CMainWindow>(std::make_unique<test::FakeWindow>());
        auto save = std::make_unique<CSaveData>(Dir());
        save_ = save.get();
        main_->AttachSaveData(std::move(save));
        save_->configEx.frameSpeed = 1;
        SetMainWindow(main_.get());
        ASSERT_TRUE(flow_.Initialize());
        frame_.Create(800, 600);
        a_ = new PictureScreen(1);
        a_->Initialize();
        ASSERT_TRUE(
            flow_.ChangeScreen(CallEffectParam::Make(kEffectBlt, 1), nullptr, nullptr, a_, false));
        while (flow_.IsChanging())
            Tick();
    }
    void TearDown() override {
        flow_.Release();
        SetMainWindow(nullptr);
        CSnrBuffer::SetDefaultSource(nullptr);
        main_.reset();
        FilesTestDir::TearDown();
    }
    void Tick() {
        flow_.Move();
        flow_.Draw(frame_);
    }
    StartOnly source_;
    std::unique_ptr<CMainWindow> main_;
    CSaveData* save_ = nullptr;
    CRootFlow flow_;
    CDIBImage frame_;
    PictureScreen* a_ = nullptr;
};

TEST_F(RootFlowTransitionTest, EachEffectRunsFromTheLeftScreenToTheEnteredOne) {
    const CallEffectParam effects[] = {
        CallEffectParam::Make(kEffectBlt, 1),
        CallEffectParam::Make(kEffectFade, 200),
        CallEffectParam::MakeMode(kEffectRotate, 200, 1),
        CallEffectParam::MakeMode(kEffectTwist, 200, 0),
        CallEffectParam::MakeBound(200, 1, 2, 30, 40),
        CallEffectParam::MakeMode(kEffectKacchin, 200, 1),
        CallEffectParam::MakeMode(kEffectBlur, 200, 2),
    };
    uint32_t seed = 10;
    for (const CallEffectParam& effect : effects) {
        SCOPED_TRACE(effect.Type());
        CDIBBaseScreen* left = flow_.GetCurrentScreen();
        auto* entered = new PictureScreen(++seed);
        entered->Initialize();
        ASSERT_TRUE(flow_.ChangeScreen(effect, nullptr, nullptr, entered, false));
        // Both pictures as the flow captured them.
        CDIBImage oldPicture, newPicture;
        oldPicture.Create(800, 600);
        newPicture.Create(800, 600);
        left->CopyImage(oldPicture);
        entered->CopyImage(newPicture);
        // The same effect on the two captures, tick by tick, is what the flow shows.
        CDIBOverlap model;
        model.InitEffect(&oldPicture, &newPicture, effect);
        CDIBImage expected;
        expected.Create(800, 600);
        int ticks = 0;
        bool lastWasNew = false;
        while (flow_.IsChanging() && ticks < 50) {
            Tick();
            model.Move(main_->GetFrameTime(), 1);
            if (!model.IsActive()) break;
            model.Draw(expected);
            ASSERT_TRUE(Same(frame_, expected)) << "tick " << ticks;
            EXPECT_EQ(flow_.GetOverlap()->GetElapsed(), model.GetElapsed());
            lastWasNew = Same(frame_, newPicture);
            ++ticks;
        }
        EXPECT_GT(ticks, 0);
        EXPECT_TRUE(lastWasNew); // the final state is drawn before the change completes
        EXPECT_FALSE(flow_.IsChanging());
        EXPECT_EQ(flow_.GetCurrentScreen(), entered);
        Tick();
        EXPECT_TRUE(Same(frame_, newPicture)); // then the entered screen draws itself
    }
}

TEST_F(RootFlowTransitionTest, NoEffectsAndFrameSpeedThreeShowTheFinalStateAtOnce) {
    for (int variant = 0; variant < 2; ++variant) {
        SCOPED_TRACE(variant);
        save_->configEx.noneEffect = variant == 0;
        save_->configEx.frameSpeed = variant == 0 ? 1 : 3;
        auto* entered = new PictureScreen(40 + static_cast<uint32_t>(variant));
        entered->Initialize();
        ASSERT_TRUE(flow_.ChangeScreen(CallEffectParam::Make(kEffectFade, 5000), nullptr, nullptr,
                                       entered, false));
        Tick();
        EXPECT_TRUE(Same(frame_, entered->picture));
        EXPECT_TRUE(flow_.IsChanging());
        Tick();
        EXPECT_FALSE(flow_.IsChanging());
        EXPECT_EQ(flow_.GetCurrentScreen(), entered);
    }
}

TEST_F(RootFlowTransitionTest, TheDumpShowsTheFlowsTransition) {
    auto* entered = new PictureScreen(50);
    entered->Initialize();
    ASSERT_TRUE(flow_.ChangeScreen(CallEffectParam::Make(kEffectFade, 500), nullptr, nullptr,
                                   entered, false));
    Tick();
    Tick();
    EXPECT_EQ(DumpTransitionJson(flow_.GetOverlap()),
              "{\"active\": true, \"effect\": 2, \"elapsed\": 60, \"duration\": 500, "
              "\"finish_now\": false}");
    save_->configEx.noneEffect = 1;
    Tick();
    EXPECT_EQ(DumpTransitionJson(flow_.GetOverlap()),
              "{\"active\": true, \"effect\": 2, \"elapsed\": 500, \"duration\": 500, "
              "\"finish_now\": true}");
    Tick();
    EXPECT_EQ(DumpTransitionJson(flow_.GetOverlap()),
              "{\"active\": false, \"effect\": 0, \"elapsed\": 500, \"duration\": 500, "
              "\"finish_now\": true}");
    // This window has no flow of its own.
    EXPECT_NE(DumpStateJson(*main_).find("\"screen_transition\": null,"), std::string::npos);
}

// The pacing's frame time already carries "FrameSpeed" (60 ms for a 30 ms tick at 2), and the
// transition scales it again by the stored setting: 120 ms a tick. A setting of 0 (possible
// while the options are open) leaves the pacing at 30 ms and halves it in the transition.
class PacedServices : public GameServices {
public:
    CSaveData* GetSaveData() const override { return save.get(); }
    int GetFrameTime() const override { return frameTime; }
    std::unique_ptr<CSaveData> save = std::make_unique<CSaveData>();
    int frameTime = 30;
};

TEST(RootFlowPacingTest, TheTransitionScalesThePacedFrameTimeAgain) {
    StartOnly source;
    CSnrBuffer::SetDefaultSource(&source);
    PacedServices services;
    SetServices(&services);
    const struct {
        int setting, pacedFrameMs, perTick;
    } cases[] = {{1, 30, 30}, {2, 60, 120}, {0, 30, 15}};
    for (const auto& c : cases) {
        SCOPED_TRACE(c.setting);
        services.save->configEx.frameSpeed = c.setting;
        services.frameTime = c.pacedFrameMs;
        CRootFlow flow;
        ASSERT_TRUE(flow.Initialize());
        auto* screen = new PictureScreen(3);
        screen->Initialize();
        ASSERT_TRUE(flow.ChangeScreen(CallEffectParam::Make(kEffectFade, 1000), nullptr, nullptr,
                                      screen, false));
        flow.Move();
        EXPECT_EQ(flow.GetOverlap()->GetElapsed(), c.perTick);
        flow.Move();
        EXPECT_EQ(flow.GetOverlap()->GetElapsed(), 2 * c.perTick);
    }
    SetServices(nullptr);
    CSnrBuffer::SetDefaultSource(nullptr);
}

} // namespace
} // namespace qw
