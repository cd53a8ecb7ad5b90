#include <gtest/gtest.h>

#include "app/Application.h"
#include "app/CInput.h"
#include "app/CMainWindow.h"
#include "audio/CSEBuffer.h"
#include "platform/Clock.h"
#include "scenario/CRootFlow.h"
#include "support/FakeWindow.h"
#include "support/TempGame.h"

namespace qw {
namespace {

class MainWindowTest : public ::testing::Test {
protected:
    void Start(const std::string& ini) {
        game_.WriteText("Novel.ini", ini);
        SetInstallDir(game_.Dir());
        platform::SetClock(&clock_);
        auto window = std::make_unique<test::FakeWindow>();
        window_ = window.get();
        main_ = std::make_unique<CMainWindow>(std::move(window));
        SetMainWindow(main_.get());
        ASSERT_TRUE(main_->Create());
    }
    void TearDown() override {
        main_.reset();
        SetMainWindow(nullptr);
        platform::SetClock(nullptr);
    }
    // Advances the clock by `ms` and runs one pass; true when a tick ran.
    bool Pass(uint32_t ms) {
        int before = main_->GetTickCount();
        clock_.Advance(ms);
        main_->OnIdle();
        return main_->GetTickCount() != before;
    }

    test::TempGame game_{"pacing"};
    platform::VirtualClock clock_;
    test::FakeWindow* window_ = nullptr;
    std::unique_ptr<CMainWindow> main_;
};

TEST_F(MainWindowTest, FrameTimeFollowsTheGapCappedAtTwoTicks) {
    Start("");
    EXPECT_FALSE(Pass(29));
    EXPECT_TRUE(Pass(1));
    EXPECT_EQ(main_->GetFrameTime(), 30);
    EXPECT_TRUE(Pass(45));
    EXPECT_EQ(main_->GetFrameTime(), 45);
    EXPECT_TRUE(Pass(200));
    EXPECT_EQ(main_->GetFrameTime(), 60);
    EXPECT_TRUE(Pass(30));
    EXPECT_EQ(main_->GetFrameTime(), 30);
}

TEST_F(MainWindowTest, FrameSpeedMultipliesAndZeroReadsAsOne) {
    Start("[ConfigEx]\nFrameSpeed=2\n");
    EXPECT_TRUE(Pass(30));
    EXPECT_EQ(main_->GetFrameTime(), 60);
    main_.reset();
    Start("[ConfigEx]\nFrameSpeed=0\n");
    EXPECT_TRUE(Pass(45));
    EXPECT_EQ(main_->GetFrameTime(), 45);
}

TEST_F(MainWindowTest, NothingMovesOrIsPresentedWhilePaused) {
    Start("");
    for (int i = 0; i < 30; ++i)
        Pass(30); // past the opening transition
    main_->PauseGame(true);
    main_->PauseGame(true);
    int presents = window_->presents;
    window_->keys[vk::kReturn] = true;
    for (int i = 0; i < 5; ++i)
        Pass(30);
    EXPECT_EQ(window_->presents, presents);
    EXPECT_FALSE(main_->GetInput()->Key(vk::kReturn).down); // input is not even polled
    main_->PauseGame(false);
    EXPECT_TRUE(main_->IsPaused()); // nested: still paused
    main_->PauseGame(false);
    EXPECT_FALSE(main_->IsPaused());
    Pass(30);
    EXPECT_EQ(window_->presents, presents + 1);
}

TEST_F(MainWindowTest, PresentationPaths) {
    Start("[MainWindow]\nd3d=1\n");
    Pass(30);
    EXPECT_TRUE(window_->lastWasWhole); // the renderer gets the whole frame every tick
    main_.reset();
    Start("[MainWindow]\nd3d=0\n");
    for (int i = 0; i < 30; ++i)
        Pass(30); // the opening transition repaints everything
    EXPECT_FALSE(window_->lastWasWhole);
    int presents = window_->presents;
    Pass(30);
    Pass(30);
    // A still screen has nothing dirty: the window surface is left alone.
    EXPECT_EQ(window_->presents, presents);
}

TEST_F(MainWindowTest, AltEnterTogglesOnlyWhenAllowed) {
    Start("[ConfigEx]\nAltAndEnter=0\n");
    Pass(500); // past the input guard after activation
    window_->keys[vk::kLMenu] = true;
    window_->keys[vk::kReturn] = true;
    Pass(30);
    EXPECT_FALSE(main_->IsFullScreen());
    main_.reset();
    window_ = nullptr;
    Start("[ConfigEx]\nAltAndEnter=1\n");
    Pass(500);
    window_->keys[vk::kLMenu] = true;
    window_->keys[vk::kReturn] = true;
    Pass(30);
    EXPECT_TRUE(main_->IsFullScreen());
    EXPECT_TRUE(window_->fullscreen);
    Pass(30); // still held: no second toggle
    EXPECT_TRUE(main_->IsFullScreen());
}

TEST_F(MainWindowTest, ClosingAsksAndNoResumesExactlyWhatWasPaused) {
    Start("");
    for (int i = 0; i < 30; ++i)
        Pass(30);
    main_->PauseGame(true); // paused by something else before the question
    window_->answers.push_back(false);
    window_->events.push_back({platform::WindowEvent::Type::CloseRequest});
    platform::WindowEvent e;
    while (window_->PollEvent(e))
        main_->Dispatch(e);
    ASSERT_EQ(window_->boxes.back(), "終了しますか？");
    EXPECT_FALSE(main_->IsQuit());
    EXPECT_EQ(main_->GetPauseCount(), 1);
    window_->answers.push_back(true);
    main_->Dispatch({platform::WindowEvent::Type::CloseRequest});
    EXPECT_TRUE(main_->IsQuit());
}

} // namespace
} // namespace qw

namespace qw {
namespace {

TEST_F(MainWindowTest, LosingActivationPausesTheServicesUnlessNonePause) {
    Start("");
    auto activate = [&](bool on) {
        main_->Dispatch({platform::WindowEvent::Type::Activate, on ? 1 : 0, 0});
    };
    activate(false);
    EXPECT_EQ(main_->GetSEBuffer()->GetPauseCount(), 1);
    EXPECT_FALSE(main_->IsGameRunning()); // an inactive game does not move
    activate(true);
    EXPECT_EQ(main_->GetSEBuffer()->GetPauseCount(), 0);
    EXPECT_TRUE(main_->IsGameRunning());
    main_.reset();
    Start("[ConfigEx]\nNonePause=1\n");
    activate(false);
    EXPECT_EQ(main_->GetSEBuffer()->GetPauseCount(), 0);
    EXPECT_TRUE(main_->IsGameRunning());
}

} // namespace
} // namespace qw
