// Controls driven through the input, tick by tick as a screen runs them: clicks and Enter, the
// fired flag's single tick, the press flag, the keyboard focus, navigation rows, input modes
// and the system sounds.

#include <vector>

#include "unit/ui/CtrlFixture.h"

namespace qw::test {
namespace {

class ControlInput : public CtrlFixture {
protected:
    // IsPush of `c` after each of the next `n` ticks.
    std::vector<bool> FiredOver(CDIBBaseCtrl* c, int n) {
        std::vector<bool> out;
        for (int i = 0; i < n; ++i) {
            Tick();
            out.push_back(c->IsPush());
        }
        return out;
    }
};

TEST_F(ControlInput, AClickFiresOnTheTickAfterTheReleaseForThatTickOnly) {
    CDIBButtonCtrl* b = MakeButton(3);
    MoveTo(110, 205); // hover: the focus comes with this tick's UpdateForcus
    EXPECT_TRUE(b->IsForcus());
    EXPECT_EQ(b->GetState(), 1);
    Press(vk::kLButton);
    EXPECT_EQ(b->GetState(), 2);
    EXPECT_EQ(owner_.GetCtrlFlag(), 1);
    window_->keys[vk::kLButton] = false;
    EXPECT_EQ(FiredOver(b, 4), (std::vector<bool>{false, true, false, false}));
    EXPECT_EQ(owner_.GetCtrlFlag(), 0);
    EXPECT_TRUE(b->IsForcus());
    EXPECT_EQ(b->GetState(), 1);
    EXPECT_EQ(Sounds(1), 1); // the decide sound, once
    EXPECT_EQ(Sounds(2), 1); // the cursor sound for the hover only, not for the refocus
}

TEST_F(ControlInput, EnterFiresTheFocusedControlOnTheTickAfterItsRelease) {
    CDIBButtonCtrl* b = MakeButton(3);
    owner_.SetForcus(3);
    Tick();
    ASSERT_TRUE(b->IsForcus());
    Press(vk::kReturn);
    EXPECT_EQ(b->GetState(), 2);
    window_->keys[vk::kReturn] = false;
    EXPECT_EQ(FiredOver(b, 3), (std::vector<bool>{false, true, false}));
    EXPECT_EQ(b->GetState(), 1);
}

TEST_F(ControlInput, ADisabledButtonIsNeverPressed) {
    CtrlParam p = Param(3);
    p.enable = 0;
    auto* b = Make<CDIBButtonCtrl>(kCtrlButton, p);
    MoveTo(110, 205);
    EXPECT_EQ(b->GetState(), 4); // hovered: focused while disabled
    std::vector<bool> fired;
    for (int key : {vk::kLButton, vk::kReturn}) {
        window_->keys[static_cast<size_t>(key)] = true;
        Tick();
        EXPECT_EQ(owner_.GetCtrlFlag(), 0);
        EXPECT_EQ(b->GetState(), 4);
        window_->keys[static_cast<size_t>(key)] = false;
        for (bool f : FiredOver(b, 2))
            fired.push_back(f);
    }
    EXPECT_EQ(fired, std::vector<bool>(4, false));
    EXPECT_EQ(Sounds(0) + Sounds(1), 0);
}

TEST_F(ControlInput, AReleaseOutsideDoesNotFireAndDropsTheFocus) {
    CDIBButtonCtrl* b = MakeButton(3);
    MoveTo(110, 205);
    Press(vk::kLButton);
    MoveTo(50, 50); // dragged off, still held
    EXPECT_TRUE(b->IsForcus());
    EXPECT_EQ(b->GetState(), 0);
    MoveTo(112, 206); // and back
    EXPECT_EQ(b->GetState(), 2);
    MoveTo(50, 50);
    window_->keys[vk::kLButton] = false;
    EXPECT_EQ(FiredOver(b, 3), std::vector<bool>(3, false));
    EXPECT_FALSE(b->IsForcus());
    EXPECT_EQ(b->GetState(), 0);
    EXPECT_EQ(owner_.GetCtrlFlag(), 0);
    EXPECT_EQ(Sounds(1), 0);
}

TEST_F(ControlInput, APressInTheTickThePointerArrivesIsIgnored) {
    // The pointer arrives and the button goes down in one tick: the focus is still pending when
    // the press is seen, so that click does not fire; the release gives the focus.
    CDIBButtonCtrl* b = MakeButton(3);
    window_->cursor = {110, 205};
    Press(vk::kLButton);
    EXPECT_FALSE(b->IsPush());
    EXPECT_EQ(owner_.GetCtrlFlag(), 0);
    window_->keys[vk::kLButton] = false;
    EXPECT_EQ(FiredOver(b, 2), std::vector<bool>(2, false));
    EXPECT_TRUE(b->IsForcus());
    // Now focused, the next click fires.
    Press(vk::kLButton);
    window_->keys[vk::kLButton] = false;
    EXPECT_EQ(FiredOver(b, 2), (std::vector<bool>{false, true}));
}

TEST_F(ControlInput, ThePressFlagHoldsTheFocus) {
    CtrlParam a = Param(1, 100, 200);
    a.jumpTable[0][kJumpDown] = 2;
    auto* first = Make<CDIBButtonCtrl>(kCtrlButton, a);
    CDIBButtonCtrl* second = MakeButton(2, 100, 240);
    // Keys: Enter held on the first, Down does not move the focus.
    owner_.SetForcus(1);
    Tick();
    Press(vk::kReturn);
    Press(vk::kDown);
    EXPECT_TRUE(first->IsForcus());
    EXPECT_FALSE(second->IsForcus());
    EXPECT_EQ(first->GetState(), 2);
    Lift(vk::kDown);
    Lift(vk::kReturn); // a click: the first fires on the next tick, and takes no input then
    EXPECT_EQ(owner_.GetCtrlFlag(), 0);
    Tick();
    EXPECT_TRUE(first->IsPush());
    // Mouse: pressed on the first and dragged over the second, which stays unfocused until the
    // release; neither fires.
    MoveTo(110, 205);
    Press(vk::kLButton);
    MoveTo(110, 245);
    EXPECT_TRUE(first->IsForcus());
    EXPECT_FALSE(second->IsForcus());
    EXPECT_EQ(first->GetState(), 0);
    EXPECT_EQ(second->GetState(), 0);
    window_->keys[vk::kLButton] = false;
    Tick();
    EXPECT_FALSE(first->IsForcus());
    EXPECT_TRUE(second->IsForcus());
    Tick();
    EXPECT_FALSE(first->IsPush());
    EXPECT_FALSE(second->IsPush());
}

TEST_F(ControlInput, ACheckBoxTogglesOnTheReleaseAndFires) {
    auto* box = Make<CDIBCheckCtrl>(kCtrlCheck, Param(4));
    MoveTo(110, 205);
    Press(vk::kLButton);
    EXPECT_FALSE(box->GetCheck());
    EXPECT_EQ(box->GetState(), 2);
    window_->keys[vk::kLButton] = false;
    EXPECT_EQ(FiredOver(box, 2), (std::vector<bool>{false, true}));
    EXPECT_TRUE(box->GetCheck());
    EXPECT_EQ(box->GetState(), 6);
    Stroke(vk::kReturn); // keys from here on
    EXPECT_FALSE(box->GetCheck());
    EXPECT_EQ(box->GetState(), 1);
}

TEST_F(ControlInput, NavigationRowsAreAlternativesInOrder) {
    CtrlParam p = Param(1, 100, 100);
    p.jumpRows = 2;
    p.jumpTable[0] = {-1, 5, -1, -1, -1};
    p.jumpTable[1] = {-1, 6, -1, -1, -1};
    CDIBBaseCtrl* first = owner_.MakeControl(kCtrlButton, &p);
    CDIBButtonCtrl* five = MakeButton(5, 100, 140);
    CDIBButtonCtrl* six = MakeButton(6, 100, 180);
    struct Case {
        bool fiveShown, sixShown;
        int jump;
    };
    for (Case c : {Case{true, true, 5}, Case{false, true, 6}, Case{false, false, -1}}) {
        five->SetShow(c.fiveShown);
        six->SetShow(c.sixShown);
        EXPECT_EQ(first->GetJumpToCtrlID(kJumpDown), c.jump) << c.fiveShown << c.sixShown;
        EXPECT_EQ(first->GetJumpToCtrlID(kJumpUp), -1);
    }
    // Through the keys: Down goes to 5 while it is shown, to 6 once it is hidden.
    five->SetShow(true);
    six->SetShow(true);
    for (bool fiveShown : {true, false}) {
        five->SetShow(fiveShown);
        owner_.ResetForcusInAll();
        owner_.SetForcus(1);
        Tick();
        ASSERT_TRUE(first->IsForcus());
        Stroke(vk::kDown);
        EXPECT_FALSE(first->IsForcus());
        EXPECT_EQ(five->IsForcus(), fiveShown);
        EXPECT_EQ(six->IsForcus(), !fiveShown);
    }
    // Only the rows the count names are consulted; counts are kept to 0-256.
    p.jumpRows = 1;
    five->SetShow(false);
    first->Initialize(p);
    EXPECT_EQ(first->GetJumpToCtrlID(kJumpDown), -1);
    for (auto [given, kept] : {std::pair{-3, 0}, {0, 0}, {256, 256}, {1000, 256}}) {
        p.jumpRows = given;
        first->Initialize(p);
        EXPECT_EQ(first->GetJumpRows(), kept);
    }
}

TEST_F(ControlInput, TheMouseTakesTheFocusFromTheKeysAndTheKeysKeepTheHoveredOne) {
    CtrlParam a = Param(1, 100, 200);
    a.jumpTable[0][kJumpDown] = 2;
    auto* first = Make<CDIBButtonCtrl>(kCtrlButton, a);
    CDIBButtonCtrl* second = MakeButton(2, 100, 240);
    owner_.SetForcus(2);
    Press(vk::kTab); // keyboard mode, the second focused
    Lift(vk::kTab);
    ASSERT_TRUE(second->IsForcus());
    MoveTo(400, 400); // the mouse: the keyboard focus goes
    EXPECT_EQ(Input().GetInputMode(), CInput::kMouseMode);
    EXPECT_FALSE(second->IsForcus());
    MoveTo(110, 205); // hover the first
    ASSERT_TRUE(first->IsForcus());
    Stroke(vk::kDown); // back to keys: the hovered control takes the arrow
    EXPECT_EQ(Input().GetInputMode(), CInput::kKeyboardMode);
    EXPECT_FALSE(first->IsForcus());
    EXPECT_TRUE(second->IsForcus());
}

TEST_F(ControlInput, LockedInputDropsTheFocusAndIgnoresKeys) {
    CDIBButtonCtrl* b = MakeButton(3);
    owner_.SetForcus(3);
    Tick();
    owner_.SetAllCtrlInput(false);
    Tick();
    EXPECT_FALSE(b->IsForcus());
    owner_.SetForcus(3);
    Tick();
    Stroke(vk::kReturn); // focused again by the owner, but input stays off
    Tick();
    EXPECT_FALSE(b->IsPush());
    EXPECT_EQ(Sounds(1), 0);
}

TEST_F(ControlInput, SystemSoundsFollowTheSwitchesAndTheSoundKind) {
    struct Case {
        uint8_t enterSE, oncurSE, soundKind;
        int cancel, decide, cursor;
    };
    for (Case c : {Case{1, 1, 0, 0, 1, 1}, Case{1, 1, 1, 1, 0, 1}, Case{0, 1, 0, 0, 0, 1},
                   Case{1, 0, 1, 1, 0, 0}}) {
        CtrlParam p = Param(3);
        p.enterSE = c.enterSE;
        p.oncurSE = c.oncurSE;
        p.soundKind = c.soundKind;
        CDIBBaseCtrl* b = owner_.MakeControl(kCtrlButton, &p);
        const int before[3] = {Sounds(0), Sounds(1), Sounds(2)};
        MoveTo(110, 205);
        Press(vk::kLButton);
        Lift(vk::kLButton);
        Tick();
        EXPECT_EQ(Sounds(0) - before[0], c.cancel);
        EXPECT_EQ(Sounds(1) - before[1], c.decide);
        EXPECT_EQ(Sounds(2) - before[2], c.cursor);
        owner_.DeleteControl(b->GetCtrlID());
        MoveTo(-1, -1);
    }
}

} // namespace
} // namespace qw::test
