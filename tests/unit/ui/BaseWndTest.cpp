// Windows that open and close with an animation: control input is off while it runs and comes
// back at the end of an opening, animated or not.

#include "ui/CDIBBaseWnd.h"
#include "unit/ui/CtrlFixture.h"

namespace qw::test {
namespace {

class Window : public CDIBBaseWnd {};

class BaseWnd : public CtrlFixture {
protected:
    void SetUp() override {
        CtrlFixture::SetUp();
        ASSERT_TRUE(window.Initialize());
        window.SetDuration(100);
        CtrlParam p = Param(1);
        button = window.MakeControl(kCtrlButton, &p);
        ASSERT_NE(button, nullptr);
    }
    void TearDown() override {
        window.Release();
        CtrlFixture::TearDown();
    }
    Window window;
    CDIBBaseCtrl* button = nullptr;
};

TEST_F(BaseWnd, AnAnimatedOpeningRunsItsDurationWithInputOff) {
    window.Open(true);
    EXPECT_TRUE(window.IsOpen());
    for (int elapsed : {30, 60, 90}) {
        EXPECT_TRUE(window.IsAnimating());
        EXPECT_FALSE(button->IsInputEnable());
        window.Move(); // 30 ms a tick
        EXPECT_EQ(window.GetElapsed(), elapsed);
    }
    window.Move();
    EXPECT_EQ(window.GetElapsed(), 100); // clamped to the duration
    EXPECT_FALSE(window.IsAnimating());
    EXPECT_TRUE(button->IsInputEnable());
}

TEST_F(BaseWnd, WithoutAnimationInputReturnsOnTheNextMove) {
    window.Open(false);
    EXPECT_TRUE(window.IsOpen());
    EXPECT_TRUE(window.IsAnimating());
    EXPECT_EQ(window.GetElapsed(), 100);
    EXPECT_FALSE(button->IsInputEnable());
    window.Move();
    EXPECT_FALSE(window.IsAnimating());
    EXPECT_TRUE(button->IsInputEnable());
}

TEST_F(BaseWnd, ClosingLeavesInputOff) {
    for (bool animate : {true, false}) {
        window.Open(false);
        window.Move();
        window.Close(animate);
        EXPECT_FALSE(window.IsOpen());
        EXPECT_FALSE(button->IsInputEnable());
        for (int i = 0; i < 5; ++i)
            window.Move();
        EXPECT_FALSE(window.IsAnimating());
        EXPECT_FALSE(button->IsInputEnable()) << animate;
    }
}

TEST_F(BaseWnd, AZeroDurationEndsOnTheFirstMove) {
    window.SetDuration(0);
    window.Open(true);
    window.Move();
    EXPECT_FALSE(window.IsAnimating());
    EXPECT_TRUE(button->IsInputEnable());
}

} // namespace
} // namespace qw::test
