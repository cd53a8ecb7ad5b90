// The saved record of each kind: its size, a byte-exact round trip into a fresh control, and
// every record Load refuses, which leaves the control as it was.

#include <cstring>
#include <functional>
#include <ostream>

#include "unit/ui/CtrlFixture.h"

namespace qw::test {
namespace {

struct KindCase {
    int type;
    size_t size;
    size_t stateOffset; // where the state field lies
    int32_t badState;
};

void PrintTo(const KindCase& c, std::ostream* os) {
    *os << "type " << c.type;
}

constexpr size_t kPartsOffset = 6, kHitOffset = 262, kTypeOffset = 518, kRowsOffset = 547;

class ControlRecord : public CtrlFixture, public ::testing::WithParamInterface<KindCase> {
protected:
    // A control of the case's kind with every common field away from its default.
    CDIBBaseCtrl* MakeBusy() {
        CtrlParam p =
            GetParam().type == kCtrlScroll ? SliderParam(42, 120, 230) : Param(42, 120, 230);
        SetCtrlName(p.hitName, "HIT.BMP");
        p.hitNo = 7;
        p.colour = 0x80C0FFEE;
        p.enterSE = 0;
        p.soundKind = 1;
        p.jumpRows = 3;
        p.jumpTable[2] = {42, 2, 3, 4, 5};
        p.check.checked = 1;
        p.scroll.value = 77;
        p.scroll.orientation = 1;
        p.scroll.startMargin = 3;
        p.image.cell = 2;
        CDIBBaseCtrl* c = owner_.MakeControl(GetParam().type, &p);
        c->OnGetForcus();
        return c;
    }
    static Bytes Saved(const CDIBBaseCtrl* c) {
        ByteWriter w;
        c->Save(w);
        return w.Take();
    }
};

TEST_P(ControlRecord, RoundTripsByteForByteIntoAFreshControl) {
    CDIBBaseCtrl* original = MakeBusy();
    const Bytes record = Saved(original);
    ASSERT_EQ(record.size(), GetParam().size);
    EXPECT_EQ(LoadLE<int32_t>(record, kTypeOffset), GetParam().type);
    CDIBBaseCtrl* fresh = owner_.MakeControl(GetParam().type, nullptr); // not set up
    ASSERT_NE(fresh, nullptr);
    EXPECT_EQ(fresh->Load(record), GetParam().size);
    EXPECT_EQ(Saved(fresh), record);
    EXPECT_NE(fresh->GetParts(), nullptr); // read again by its name
    EXPECT_EQ(fresh->GetJumpToCtrlID(kJumpUp), 42);
    EXPECT_TRUE(fresh->IsForcus());
    // A longer buffer: the record's own size is consumed.
    Bytes longer = record;
    longer.resize(record.size() + 10, 0xAA);
    EXPECT_EQ(fresh->Load(longer), GetParam().size);
}

TEST_P(ControlRecord, RefusedRecordsLeaveTheControlAsItWas) {
    const CtrlParam plain = GetParam().type == kCtrlScroll ? SliderParam(5) : Param(5);
    CDIBBaseCtrl* target = owner_.MakeControl(GetParam().type, &plain);
    ASSERT_NE(target, nullptr);
    const Bytes before = Saved(target);
    const Bytes good = Saved(MakeBusy());
    struct Refusal {
        const char* why;
        std::function<void(Bytes&)> spoil;
    };
    const KindCase k = GetParam();
    const Refusal refusals[] = {
        {"one byte short", [](Bytes& r) { r.pop_back(); }},
        {"empty", [](Bytes& r) { r.clear(); }},
        {"another kind's type",
         [](Bytes& r) { StoreLE<int32_t>(r, kTypeOffset, r[kTypeOffset] == 1 ? 2 : 1); }},
        {"parts name without terminator",
         [](Bytes& r) { std::memset(r.data() + kPartsOffset, 'A', 256); }},
        {"hit-map name without terminator",
         [](Bytes& r) { std::memset(r.data() + kHitOffset, 'B', 256); }},
        {"row count -1", [](Bytes& r) { StoreLE<int32_t>(r, kRowsOffset, -1); }},
        {"row count 257", [](Bytes& r) { StoreLE<int32_t>(r, kRowsOffset, 257); }},
        {"parts image missing",
         [](Bytes& r) {
             std::memset(r.data() + kPartsOffset, 0, 256);
             std::memcpy(r.data() + kPartsOffset, "MISSING.MGD", 11);
         }},
        {"no parts image", [](Bytes& r) { std::memset(r.data() + kPartsOffset, 0, 256); }},
        {"state out of range",
         [k](Bytes& r) {
             if (k.stateOffset)
                 StoreLE<int32_t>(r, k.stateOffset, k.badState);
             else
                 r.pop_back(); // pictures have no state
         }},
        {"negative state",
         [k](Bytes& r) {
             if (k.stateOffset)
                 StoreLE<int32_t>(r, k.stateOffset, -1);
             else
                 r.pop_back();
         }},
    };
    for (const Refusal& refusal : refusals) {
        Bytes record = good;
        refusal.spoil(record);
        EXPECT_EQ(target->Load(record), std::nullopt) << refusal.why;
        EXPECT_EQ(Saved(target), before) << refusal.why;
    }
    // Row counts at the ends of the range are taken.
    for (int32_t rows : {0, 256}) {
        Bytes record = good;
        StoreLE<int32_t>(record, kRowsOffset, rows);
        EXPECT_EQ(target->Load(record), k.size) << rows;
    }
}

INSTANTIATE_TEST_SUITE_P(Kinds, ControlRecord,
                         ::testing::Values(KindCase{kCtrlButton, 5698, 5694, 5},
                                           KindCase{kCtrlCheck, 5719, 5714, 10},
                                           KindCase{kCtrlScroll, 5742, 5714, 5},
                                           KindCase{kCtrlImage, 5678, 0, 0}));

} // namespace
} // namespace qw::test
