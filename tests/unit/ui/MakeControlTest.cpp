// Making controls: the four types, the refusals (an unknown type, a parts image that cannot be
// read), a control made without a record, and the default record.

#include "unit/ui/CtrlFixture.h"

namespace qw::test {
namespace {

using MakeControl = CtrlFixture;

TEST_F(MakeControl, EachTypeMakesItsKindAtTheEndOfTheList) {
    struct Case {
        int type;
        bool (*is)(const CDIBBaseCtrl*);
    };
    const Case cases[] = {
        {kCtrlButton,
         [](const CDIBBaseCtrl* c) { return !!dynamic_cast<const CDIBButtonCtrl*>(c); }},
        {kCtrlCheck, [](const CDIBBaseCtrl* c) { return !!dynamic_cast<const CDIBCheckCtrl*>(c); }},
        {kCtrlScroll,
         [](const CDIBBaseCtrl* c) { return !!dynamic_cast<const CDIBScrollCtrl*>(c); }},
        {kCtrlImage, [](const CDIBBaseCtrl* c) { return !!dynamic_cast<const CDIBImageCtrl*>(c); }},
    };
    int id = 0;
    CDIBBaseCtrl* last = nullptr;
    for (const Case& c : cases) {
        CtrlParam p = Param(++id);
        CDIBBaseCtrl* made = owner_.MakeControl(c.type, &p);
        ASSERT_NE(made, nullptr);
        EXPECT_TRUE(c.is(made));
        EXPECT_EQ(made->GetCtrlType(), c.type);
        EXPECT_EQ(made->GetOwner(), &owner_);
        EXPECT_TRUE(made->IsInputEnable());
        if (last) {
            EXPECT_EQ(last->GetNext(), made);
        }
        last = made;
    }
    EXPECT_EQ(owner_.GetCtrlCount(), 4);
    EXPECT_EQ(owner_.GetCtrlTop()->GetCtrlID(), 1);
}

TEST_F(MakeControl, AnUnknownTypeOrAMissingPictureGivesNullAndAppendsNothing) {
    CtrlParam p = Param(1);
    EXPECT_EQ(owner_.MakeControl(4, &p), nullptr);
    EXPECT_EQ(owner_.MakeControl(0, nullptr), nullptr);
    EXPECT_TRUE(window_->boxes.empty());
    SetCtrlName(p.parts, "GONE.MGD");
    EXPECT_EQ(owner_.MakeControl(kCtrlButton, &p), nullptr);
    EXPECT_EQ(owner_.GetCtrlCount(), 0);
    ASSERT_EQ(window_->boxes.size(), 1u);
    EXPECT_NE(window_->boxes[0].find("CDIBBaseCtrl"), std::string::npos);
    EXPECT_NE(window_->boxes[0].find("GONE.MGD"), std::string::npos);
}

TEST_F(MakeControl, WithoutARecordTheControlIsMadeButNotSetUp) {
    CDIBBaseCtrl* c = owner_.MakeControl(kCtrlCheck, nullptr);
    ASSERT_NE(c, nullptr);
    EXPECT_EQ(owner_.GetCtrlCount(), 1);
    EXPECT_EQ(c->GetCtrlType(), kCtrlCheck);
    EXPECT_EQ(c->GetParts(), nullptr);
    CDIBImage target;
    target.Create(64, 64);
    MoveTo(10, 10);
    Stroke(vk::kReturn);
    c->UpdateRGN(&target);
    c->Draw(target, true);
    EXPECT_FALSE(c->IsPush());
}

TEST_F(MakeControl, TheDefaultRecord) {
    const CtrlParam& d = DefaultCtrlParam();
    EXPECT_EQ(CtrlNameText(d.parts), "");
    EXPECT_EQ(CtrlNameText(d.hitName), "");
    EXPECT_EQ(d.id, 0);
    EXPECT_EQ(d.colour, 0xFFFFFFFFu);
    EXPECT_EQ(d.show + d.enable + d.enterSE + d.oncurSE, 4);
    EXPECT_EQ(d.jumpRows, 1);
    for (const CtrlJumpRow& row : d.jumpTable)
        for (int32_t target : row)
            ASSERT_EQ(target, -1);
    EXPECT_EQ(d.soundKind, 0);
    EXPECT_EQ(d.button.blend, 1);
    EXPECT_EQ(d.check.checked, 0);
    EXPECT_EQ(&d, &DefaultCtrlParam()); // one record for the process
}

TEST_F(MakeControl, NamesAreCutOnACharacterBoundary) {
    CtrlName name;
    SetCtrlName(name, std::string(300, 'a'));
    EXPECT_EQ(CtrlNameText(name).size(), 255u);
    // 254 single bytes, then a double-byte character that does not fit whole.
    SetCtrlName(name, std::string(254, 'a') + "\x82\xA0");
    EXPECT_EQ(CtrlNameText(name).size(), 254u);
}

} // namespace
} // namespace qw::test
