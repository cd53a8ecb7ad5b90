#include <gtest/gtest.h>

#include <map>
#include <memory>
#include <string>
#include <vector>

#include "app/CMainWindow.h"
#include "audio/CBGMBuffer.h"
#include "files/MemberSource.h"
#include "graphics/CDIBImage.h"
#include "scenario/CDIBBaseScreen.h"
#include "scenario/CRootFlow.h"
#include "scenario/CSnrBuffer.h"
#include "support/FakeWindow.h"

namespace qw {
namespace {

// A plain scenario file with no labels, no load points and no commands.
Bytes EmptyScenario() {
    ByteWriter w;
    w.PutBytes(std::string_view("MSCENARIO FILE  "));
    w.PutZeros(1112 - 16);
    return w.Take();
}

class OneFileSource : public IMemberSource {
public:
    std::optional<Bytes> ReadMember(std::string_view name) override {
        if (name == "START") return EmptyScenario();
        return std::nullopt;
    }
};

// A screen that records what the flow does to it; it draws a flat colour and needs no images.
class LogScreen : public CDIBBaseScreen {
public:
    LogScreen(std::string name, std::vector<std::string>& log)
        : name_(std::move(name)), log_(log) {}
    ~LogScreen() override { log_.push_back(name_ + " deleted"); }
    bool Initialize() override { return CBaseGame::Initialize(); }
    void Move() override { ++moves; }
    void Draw(CDIBImage&) override {}
    void CopyImage(CDIBImage& target) override { target.FillFull(0xFF000000u | colour); }
    void OnChangeScreen1st() override { log_.push_back(name_ + " 1st"); }
    void OnChangeScreen2nd() override { log_.push_back(name_ + " 2nd"); }
    int moves = 0;
    uint32_t colour = 0;

private:
    std::string name_;
    std::vector<std::string>& log_;
};

class FakeMusic : public CBGMBuffer {
public:
    explicit FakeMusic(std::vector<std::string>& log) : log_(log) {}
    bool Read(std::string_view name) override {
        log_.push_back("read " + std::string(name));
        name_ = std::string(name);
        return true;
    }
    bool Cache(std::string_view name) override {
        log_.push_back("cache " + std::string(name));
        return true;
    }
    bool Play(int fadeInMs, bool loop) override {
        log_.push_back("play " + name_);
        playing_ = true;
        loop_ = loop;
        fadeMode_ = fadeInMs > 0 ? 1 : 0;
        fadeTotal_ = fadeInMs;
        fadeElapsed_ = 0;
        return true;
    }
    void Stop(int fadeOutMs) override {
        if (fadeOutMs > 0) log_.push_back("stop " + std::to_string(fadeOutMs));
        CBGMBuffer::Stop(fadeOutMs);
    }

private:
    std::vector<std::string>& log_;
};

class RootFlowTest : public ::testing::Test {
protected:
    void SetUp() override {
        CSnrBuffer::SetDefaultSource(&source_);
        main_ = std::make_unique<CMainWindow>(std::make_unique<test::FakeWindow>());
        SetMainWindow(main_.get());
        auto music = std::make_unique<FakeMusic>(log_);
        music_ = music.get();
        main_->AttachBGMBuffer(std::move(music));
        ASSERT_TRUE(flow_.Initialize());
        frame_.Create(800, 600);
    }
    void TearDown() override {
        flow_.Release();
        SetMainWindow(nullptr);
        CSnrBuffer::SetDefaultSource(nullptr);
    }
    LogScreen* Make(const std::string& name) {
        auto* s = new LogScreen(name, log_);
        s->Initialize();
        return s;
    }
    // One tick as the main window runs it.
    void Tick() {
        music_->Move(30);
        flow_.Move();
        flow_.Draw(frame_);
    }
    // Ticks until no change is pending (at most `limit`); the number of ticks taken.
    int Settle(int limit = 100) {
        for (int i = 1; i <= limit; ++i) {
            Tick();
            if (!flow_.IsChanging()) return i;
        }
        return -1;
    }
    static CallEffectParam Cut() { return CallEffectParam::Make(kEffectBlt, 1); }

    OneFileSource source_;
    std::unique_ptr<CMainWindow> main_;
    FakeMusic* music_ = nullptr;
    std::vector<std::string> log_;
    CRootFlow flow_;
    CDIBImage frame_;
};

TEST_F(RootFlowTest, InitializeNeedsTheStartScenario) {
    CSnrBuffer::SetDefaultSource(nullptr);
    auto* window = static_cast<test::FakeWindow*>(main_->GetWindow());
    CRootFlow flow;
    EXPECT_FALSE(flow.Initialize());
    ASSERT_EQ(window->boxes.size(), 1u);
    EXPECT_EQ(window->boxes[0], "データを読み込めませんでした。");
}

TEST_F(RootFlowTest, TwoPhaseChangeGoesThroughBlackAndTellsTheNewScreenLate) {
    LogScreen* a = Make("A");
    ASSERT_TRUE(flow_.ChangeScreen(Cut(), nullptr, nullptr, a, false));
    Settle();
    ASSERT_EQ(flow_.GetCurrentScreen(), a);
    Tick(); // A runs once
    log_.clear();

    LogScreen* b = Make("B");
    b->colour = 0x00FF00;
    CallEffectParam fade = CallEffectParam::Make(kEffectFade, 90);
    ASSERT_TRUE(flow_.ChangeScreen(fade, &fade, nullptr, b, false));
    EXPECT_TRUE(log_.empty()); // B is not captured before the second phase
    Tick();
    EXPECT_TRUE(log_.empty());
    // The first phase ends on black.
    int ticks = 0;
    while (log_.empty() && ticks++ < 20)
        Tick();
    ASSERT_EQ(log_, std::vector<std::string>{"B 1st"});
    EXPECT_EQ(a->moves, 1); // moved once before the change, never during it
    Settle();
    EXPECT_EQ(log_, (std::vector<std::string>{"B 1st", "A deleted", "B 2nd"}));
    EXPECT_EQ(flow_.GetCurrentScreen(), b);
    EXPECT_EQ(frame_.GetPixels()[0], 0xFF00FF00u); // the fade ended exactly on B's picture
}

TEST_F(RootFlowTest, KeepCurrentStacksTheScreenAndReturnBringsTheSameObjectBack) {
    LogScreen* a = Make("A");
    flow_.ChangeScreen(Cut(), nullptr, nullptr, a, false);
    Settle();
    a->moves = 41;
    LogScreen* b = Make("B");
    ASSERT_TRUE(flow_.ChangeScreen(Cut(), nullptr, nullptr, b, true));
    // A request while a change is pending is refused; the offered screen stays the caller's.
    std::unique_ptr<LogScreen> refused(Make("X"));
    EXPECT_FALSE(flow_.ChangeScreen(Cut(), nullptr, nullptr, refused.get(), false));
    Settle();
    EXPECT_EQ(flow_.GetStackCount(), 1);
    EXPECT_EQ(flow_.GetStackedScreen(0), a);
    log_.clear();
    flow_.ReturnScreen(Cut(), nullptr, nullptr, 1);
    Settle();
    EXPECT_EQ(flow_.GetCurrentScreen(), a);
    EXPECT_EQ(a->moves, 41); // untouched while stacked
    // A returning screen gets no first-capture call in a single-phase return.
    EXPECT_EQ(log_, (std::vector<std::string>{"B deleted", "A 2nd"}));
}

TEST_F(RootFlowTest, ReturnOfDepthTwoDeletesTheTopStackedScreen) {
    LogScreen* a = Make("A");
    flow_.ChangeScreen(Cut(), nullptr, nullptr, a, false);
    Settle();
    flow_.ChangeScreen(Cut(), nullptr, nullptr, Make("B"), true);
    Settle();
    flow_.ChangeScreen(Cut(), nullptr, nullptr, Make("C"), true);
    Settle();
    ASSERT_EQ(flow_.GetStackCount(), 2);
    log_.clear();
    flow_.ReturnScreen(Cut(), nullptr, nullptr, 2);
    Settle();
    EXPECT_EQ(log_, (std::vector<std::string>{"B deleted", "C deleted", "A 2nd"})); // no "A 1st"
    EXPECT_EQ(flow_.GetCurrentScreen(), a);
    EXPECT_EQ(flow_.GetStackCount(), 0);
    // A return with an empty stack does nothing.
    flow_.ReturnScreen(Cut(), nullptr, nullptr, 1);
    EXPECT_FALSE(flow_.IsChanging());
}

TEST_F(RootFlowTest, TheStackHoldsAtMost256Screens) {
    flow_.ChangeScreen(Cut(), nullptr, nullptr, Make("first"), false);
    Settle();
    for (int i = 0; i < CRootFlow::kStackSize; ++i) {
        ASSERT_TRUE(flow_.ChangeScreen(Cut(), nullptr, nullptr, Make("s"), true)) << i;
        Settle();
    }
    EXPECT_EQ(flow_.GetStackCount(), 256);
    std::unique_ptr<LogScreen> extra(Make("extra"));
    EXPECT_FALSE(flow_.ChangeScreen(Cut(), nullptr, nullptr, extra.get(), true));
    EXPECT_FALSE(flow_.IsChanging());
    // Without keeping the current screen the change is still possible (the stack empties).
    EXPECT_TRUE(flow_.ChangeScreen(Cut(), nullptr, nullptr, extra.release(), false));
    Settle();
    EXPECT_EQ(flow_.GetStackCount(), 0);
}

TEST_F(RootFlowTest, MusicChangeStopsTheOldPieceFirstAndCompletesOnceTheNewOnePlays) {
    music_->Read("OLD");
    music_->Play(0, true);
    flow_.ChangeScreen(Cut(), nullptr, nullptr, Make("A"), false);
    Settle();
    log_.clear();

    ScreenBGMParam bgm;
    bgm.name = "NEW";
    bgm.flags = ScreenBGMParam::kPlay | ScreenBGMParam::kStopFirst;
    bgm.waitMs = 60;
    bgm.fadeOutMs = 90;
    bgm.fadeInMs = 60;
    LogScreen* b = Make("B");
    ASSERT_TRUE(flow_.ChangeScreen(Cut(), nullptr, &bgm, b, false));
    EXPECT_EQ(log_, (std::vector<std::string>{"B 1st", "cache NEW"}));
    int ticks = Settle();
    ASSERT_GT(ticks, 0);
    EXPECT_EQ(flow_.GetCurrentScreen(), b);
    // Stop with its fade, then the new piece, then the change completes.
    EXPECT_EQ(log_, (std::vector<std::string>{"B 1st", "cache NEW", "stop 90", "read NEW",
                                              "play NEW", "A deleted", "B 2nd"}));
    EXPECT_TRUE(music_->CheckPlaying("NEW"));
    // The wait (60) and the fade-out (90) at 30 ms a tick come before the new piece starts.
    EXPECT_GE(ticks, 7);
}

TEST_F(RootFlowTest, MusicAlreadyPlayingIsNotRestartedUnlessAsked) {
    music_->Read("SAME");
    music_->Play(0, true);
    flow_.ChangeScreen(Cut(), nullptr, nullptr, Make("A"), false);
    Settle();
    log_.clear();
    ScreenBGMParam bgm;
    bgm.name = "same";
    bgm.flags = ScreenBGMParam::kPlay;
    flow_.ChangeScreen(Cut(), nullptr, &bgm, Make("B"), false);
    Settle();
    EXPECT_EQ(log_, (std::vector<std::string>{"B 1st", "cache same", "A deleted", "B 2nd"}));
    log_.clear();
    bgm.flags = ScreenBGMParam::kPlay | ScreenBGMParam::kRestart;
    flow_.ChangeScreen(Cut(), nullptr, &bgm, Make("C"), false);
    Settle();
    EXPECT_EQ(log_, (std::vector<std::string>{"C 1st", "cache same", "read same", "play same",
                                              "B deleted", "C 2nd"}));
}

} // namespace
} // namespace qw
