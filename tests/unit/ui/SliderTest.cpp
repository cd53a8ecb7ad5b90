// Sliders: the integer mapping between values and knob positions, key steps (reversed ranges
// too), pressing and dragging on the track, an empty range.

#include "ui/CtrlGeometry.h"
#include "unit/ui/CtrlFixture.h"

namespace qw::test {
namespace {

TEST(SliderGeometry, KnobCentreAndValueUnderThePointer) {
    struct Case {
        SliderSpan span;
        int32_t value; // → knob centre
        int32_t centre;
        int32_t offset; // → value
        int32_t valueAt;
    };
    const Case cases[] = {
        {{0, 255, 0, 255}, 0, 0, 0, 0},
        {{0, 255, 0, 255}, 1, 1, 1, 1},
        {{0, 255, 0, 255}, 255, 255, 255, 255},
        {{0, 255, 0, 255}, 128, 128, -40, 0},   // before the track: the minimum
        {{0, 255, 0, 255}, 300, 255, 900, 255}, // past it: the maximum
        {{0, 255, 10, 255}, 0, 10, 10, 0},      // the start margin
        {{0, 255, 10, 255}, 255, 265, 265, 255},
        {{255, 0, 0, 255}, 255, 0, 0, 255}, // reversed range
        {{255, 0, 0, 255}, 0, 255, 255, 0},
        {{255, 0, 0, 255}, 200, 55, 55, 200},
        {{0, 10, 0, 3}, 5, 1, 2, 6},     // truncated: 1.5 → 1, 6.67 → 6
        {{0, -10, 0, 3}, -5, 1, 2, -6},  // toward zero: -6.67 → -6
        {{7, 7, 4, 100}, 7, 4, 50, 7},   // minimum = maximum
        {{0, 255, 4, 0}, 100, 4, 50, 0}, // no usable length
        {{INT32_MIN, INT32_MAX, 0, 1000}, INT32_MAX, 1000, 1000, INT32_MAX},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(SliderKnobCentre(c.span, c.value), c.centre)
            << c.span.minimum << ".." << c.span.maximum << " " << c.value;
        EXPECT_EQ(SliderValueAt(c.span, c.offset), c.valueAt)
            << c.span.minimum << ".." << c.span.maximum << " " << c.offset;
    }
}

class Slider : public CtrlFixture {
protected:
    CDIBScrollCtrl* MakeSlider(int32_t minimum, int32_t maximum, int32_t value = 0) {
        CtrlParam p = SliderParam(7);
        p.scroll.minimum = minimum;
        p.scroll.maximum = maximum;
        p.scroll.value = value;
        auto* s = Make<CDIBScrollCtrl>(kCtrlScroll, p);
        owner_.SetForcus(7);
        Tick();
        EXPECT_TRUE(s->IsForcus());
        return s;
    }
    // The knob's centre, from the track's start (knobs are 9 wide).
    static int KnobCentre(const CDIBScrollCtrl* s) {
        return s->GetKnobQuad().corner[0].x - 100 + 4;
    }
};

TEST_F(Slider, ArrowsStepOneValueAndTheKnobOneTwoHundredFifthOfTheTrack) {
    CDIBScrollCtrl* s = MakeSlider(0, 255);
    EXPECT_EQ(KnobCentre(s), 0);
    EXPECT_EQ(s->GetKnobQuad().corner[0].y, 296); // centred across the 12-pixel track
    Press(vk::kRight);
    EXPECT_EQ(s->GetScrollPos(), 1);
    EXPECT_TRUE(s->IsPush());
    s->UpdateRGN(nullptr);
    EXPECT_EQ(KnobCentre(s), 1);
    // Held: the next steps come with the key's repeat, after 500 ms and then every 100 ms.
    Ticks(16);
    EXPECT_EQ(s->GetScrollPos(), 1);
    Tick(); // 510 ms after the press
    EXPECT_EQ(s->GetScrollPos(), 2);
    Ticks(4);
    EXPECT_EQ(s->GetScrollPos(), 3);
    Lift(vk::kRight);
    EXPECT_FALSE(s->IsPush());
    for (int i = 0; i < 5; ++i)
        Stroke(vk::kLeft);
    EXPECT_EQ(s->GetScrollPos(), 0); // clamped at the minimum
    Stroke(vk::kUp);                 // the other pair navigates (nowhere here)
    EXPECT_EQ(s->GetScrollPos(), 0);
    EXPECT_TRUE(s->IsForcus());
}

TEST_F(Slider, AReversedRangeStepsTheOtherWay) {
    CDIBScrollCtrl* s = MakeSlider(255, 0, 255);
    EXPECT_EQ(KnobCentre(s), 0);
    Stroke(vk::kRight); // towards the maximum, 0
    EXPECT_EQ(s->GetScrollPos(), 254);
    Stroke(vk::kLeft);
    Stroke(vk::kLeft);
    EXPECT_EQ(s->GetScrollPos(), 255); // clamped at the minimum, 255
}

TEST_F(Slider, PressingJumpsAndDraggingFollowsClampedAtBothEnds) {
    CDIBScrollCtrl* s = MakeSlider(0, 255, 200);
    MoveTo(150, 305); // hover the track
    Press(vk::kLButton);
    EXPECT_EQ(s->GetScrollPos(), 50);
    EXPECT_TRUE(s->IsPush()); // the owner hears of the jump at once
    MoveTo(20, 305);
    EXPECT_EQ(s->GetScrollPos(), 0);
    EXPECT_TRUE(s->IsPush());
    MoveTo(30, 305);
    EXPECT_FALSE(s->IsPush()); // no change
    MoveTo(700, 500);
    EXPECT_EQ(s->GetScrollPos(), 255);
    Lift(vk::kLButton); // released off the track: no click
    Tick();
    EXPECT_FALSE(s->IsPush());
    EXPECT_EQ(s->GetScrollPos(), 255);
    EXPECT_EQ(owner_.GetCtrlFlag(), 0);
}

TEST_F(Slider, AnEmptyRangeStaysAtItsMinimum) {
    CDIBScrollCtrl* s = MakeSlider(40, 40, 99);
    EXPECT_EQ(s->GetScrollPos(), 40);
    Stroke(vk::kRight);
    EXPECT_EQ(s->GetScrollPos(), 40);
    EXPECT_EQ(s->CalcScrollPos(300, 305), 40);
    EXPECT_EQ(KnobCentre(s), 0);
}

TEST_F(Slider, SetScrollPosClampsAndFires) {
    CDIBScrollCtrl* s = MakeSlider(-10, 10);
    for (auto [given, kept] : {std::pair{5, 5}, {-11, -10}, {INT32_MAX, 10}}) {
        s->SetScrollPos(given);
        EXPECT_EQ(s->GetScrollPos(), kept);
        EXPECT_TRUE(s->IsPush());
        Tick();
        EXPECT_FALSE(s->IsPush());
    }
}

TEST_F(Slider, ADisabledSliderIsNeitherSteppedNorDragged) {
    CDIBScrollCtrl* s = MakeSlider(0, 255, 100);
    s->SetEnable(false);
    Stroke(vk::kRight);
    MoveTo(150, 305);
    Press(vk::kLButton);
    MoveTo(200, 305);
    EXPECT_EQ(s->GetScrollPos(), 100);
    EXPECT_EQ(s->GetState(), 4);
}

TEST_F(Slider, AVerticalSliderStepsWithUpAndDown) {
    CtrlParam p = SliderParam(7);
    p.scroll.orientation = 1;
    p.scroll.maximum = 12;
    p.scroll.endMargin = 0; // the track is 12 high
    p.jumpTable[0][kJumpRight] = 8;
    auto* s = Make<CDIBScrollCtrl>(kCtrlScroll, p);
    CDIBButtonCtrl* next = MakeButton(8, 500, 100);
    owner_.SetForcus(7);
    Tick();
    Stroke(vk::kDown);
    Stroke(vk::kDown);
    Stroke(vk::kUp);
    EXPECT_EQ(s->GetScrollPos(), 1);
    s->UpdateRGN(nullptr);
    EXPECT_EQ(s->GetKnobQuad().corner[0].y, 300 + 1 - 10); // centre 1, knob 20 high
    EXPECT_EQ(s->GetKnobQuad().corner[0].x, 100 + (265 - 9) / 2);
    Stroke(vk::kRight); // left and right navigate
    EXPECT_TRUE(next->IsForcus());
}

} // namespace
} // namespace qw::test
