// The saved record of a layer action: each type's bytes, round trips that go on moving alike,
// records that are refused without changing the action.
#include <gtest/gtest.h>

#include <algorithm>
#include <vector>

#include "graphics/CDIBFireEx.h"

#include "unit/graphics/ActionFixture.h"

namespace qw {
namespace {

using test::MakeDef;

Bytes SaveOf(const CDIBSnrAction& a) {
    ByteWriter w;
    EXPECT_TRUE(a.Save(w));
    return w.Take();
}

// The fixed head: active, playing, int32 0, drawn, played in, stopped, the definition.
Bytes Head(uint8_t active, uint8_t playing, uint8_t drawn, uint8_t playedIn, uint8_t stopped,
           const ActionDefinition& d) {
    ByteWriter w;
    w.PutBytes(Bytes{active, playing, 0, 0, 0, 0, drawn, playedIn, stopped});
    w.PutBytes(ByteSpan(d.bytes));
    return w.Take();
}

Bytes Cat(Bytes head, std::initializer_list<int32_t> words, ByteSpan tail = {}) {
    ByteWriter w;
    w.PutBytes(head);
    for (int32_t v : words)
        w.Put<int32_t>(v);
    w.PutBytes(tail);
    return w.Take();
}

TEST(ActionRecord, EachTypeAsBytes) {
    test::DropCache drops;
    // 2D rotation, 250 ms into its second turn: time, turns.
    {
        const ActionDefinition d = MakeDef(ActionType::Rot2D, 1000, 0, 1);
        CDIBSnrAction a;
        a.Initialize();
        a.Setup(d);
        a.Play();
        a.Move(false, 1250, 1);
        EXPECT_EQ(SaveOf(a), Cat(Head(1, 1, 1, 1, 0, d), {250, 1}));
    }
    // Scroll, stopped: time.
    {
        const ActionDefinition d = MakeDef(ActionType::Scroll, 500, 0x0101, 2, {1, 2});
        CDIBSnrAction a;
        a.Initialize();
        a.Setup(d);
        a.Play();
        a.Move(false, 120, 1);
        a.Stop();
        a.Move(false, 30, 1);
        EXPECT_EQ(SaveOf(a), Cat(Head(0, 0, 1, 1, 1, d), {120}));
    }
    // Raster, the definition as given (its period is doubled only inside): phase, fade-in,
    // fade-out.
    {
        const ActionDefinition d = MakeDef(ActionType::Raster, 100, 200, 50, {8, 1});
        CDIBSnrAction a;
        a.Initialize();
        a.Setup(d);
        a.Play();
        a.Move(false, 30, 1);
        a.Stop();
        a.Move(false, 20, 1);
        // Phase 30 × 1.3 = 39, then 20 × (2 − 0.1) = 38.
        EXPECT_EQ(SaveOf(a), Cat(Head(1, 0, 1, 0, 0, d), {77, 30, 20}));
    }
    // Rain: an int32 0 and the drop name in 64 bytes.
    {
        const ActionDefinition d = test::RainDef(800, 5, 2, 1);
        CDIBSnrAction a;
        a.Initialize(&drops.cache);
        ASSERT_TRUE(a.Setup(d));
        ByteWriter name;
        name.PutFixedString("DROP", 64);
        EXPECT_EQ(SaveOf(a), Cat(Head(0, 0, 0, 0, 0, d), {0}, name.Data()));
    }
    // Fire: the head alone; the flame is not saved.
    {
        const ActionDefinition d = MakeDef(ActionType::Fire, 9000, 350, 700, {0});
        CDIBSnrAction a;
        a.Initialize();
        ASSERT_TRUE(a.Setup(d));
        a.Play();
        a.Move(false, 30, 1);
        EXPECT_EQ(SaveOf(a), Head(1, 1, 1, 1, 0, d));
    }
    // Undefined: the head alone, all zero.
    {
        CDIBSnrAction a;
        a.Initialize();
        EXPECT_EQ(SaveOf(a), Bytes(CDIBSnrAction::kRecordHead, 0));
    }
}

// A record loads back to the same bytes and the action goes on as the original does.
void ExpectRoundTrip(CDIBSnrAction& original, CSpriteCache* cache, const char* what) {
    const Bytes saved = SaveOf(original);
    CDIBSnrAction copy;
    copy.Initialize(cache);
    ASSERT_EQ(copy.Load(saved), saved.size()) << what;
    EXPECT_EQ(SaveOf(copy), saved) << what;
    for (int i = 0; i < 6; ++i) {
        original.Move(false, 30, 1);
        copy.Move(false, 30, 1);
        EXPECT_EQ(SaveOf(copy), SaveOf(original)) << what << " move " << i;
        EXPECT_EQ(copy.RasterAmplitude(), original.RasterAmplitude()) << what;
    }
}

TEST(ActionRecord, RoundTrips) {
    test::DropCache drops;
    {
        CDIBSnrAction a; // a raster halfway through its fade-out
        a.Initialize();
        a.Setup(MakeDef(ActionType::Raster, 60, 300, 400, {12, 2}));
        a.Play();
        for (int i = 0; i < 4; ++i)
            a.Move(false, 30, 1);
        a.Stop();
        for (int i = 0; i < 5; ++i)
            a.Move(false, 30, 1);
        ExpectRoundTrip(a, nullptr, "raster mid-stop");
    }
    {
        CDIBSnrAction a;
        a.Initialize();
        a.Setup(MakeDef(ActionType::Rot2D, 100, 3, 0));
        a.Play();
        a.Move(false, 130, 1);
        ExpectRoundTrip(a, nullptr, "rotation");
    }
    {
        // Rain: the loaded drops start afresh from the generator, as a set-up's do.
        SeedRandom(77);
        CDIBSnrAction a;
        a.Initialize(&drops.cache);
        ASSERT_TRUE(a.Setup(test::RainDef(700, 40, 3, -1)));
        a.Play();
        a.Move(false, 200, 1);
        const Bytes saved = SaveOf(a);
        SeedRandom(77);
        CDIBSnrAction fresh;
        fresh.Initialize(&drops.cache);
        fresh.Setup(test::RainDef(700, 40, 3, -1));
        SeedRandom(77);
        CDIBSnrAction copy;
        copy.Initialize(&drops.cache);
        ASSERT_EQ(copy.Load(saved), saved.size());
        EXPECT_EQ(SaveOf(copy), saved);
        ASSERT_EQ(copy.GetDropCount(), 40);
        for (int i = 0; i < 40; ++i) {
            EXPECT_EQ(copy.GetDrop(i).x, fresh.GetDrop(i).x);
            EXPECT_EQ(copy.GetDrop(i).time, fresh.GetDrop(i).time);
        }
        EXPECT_TRUE(copy.IsPlaying());
    }
    {
        // Fire: the loaded flame is rebuilt as a set-up builds it, and burns on while playing.
        const ActionDefinition d = MakeDef(ActionType::Fire, 8000, 500, 300, {1});
        SeedRandom(5);
        CDIBSnrAction fresh;
        fresh.Initialize();
        ASSERT_TRUE(fresh.Setup(d));
        CDIBSnrAction a;
        a.Initialize();
        ASSERT_TRUE(a.Setup(d));
        a.Play();
        a.Move(false, 45, 1);
        SeedRandom(5);
        CDIBSnrAction copy;
        copy.Initialize();
        const Bytes saved = SaveOf(a);
        ASSERT_EQ(copy.Load(saved), saved.size());
        EXPECT_EQ(SaveOf(copy), saved);
        ASSERT_NE(copy.GetFire(), nullptr);
        EXPECT_EQ(copy.GetFire()->GetBaseHeat(), 8000);
        EXPECT_EQ(copy.GetFire()->GetCentre(), 500);
        EXPECT_EQ(copy.GetFire()->GetSpread(), 300);
        for (int r = 0; r < CDIBFire::kGridHeight; ++r)
            ASSERT_TRUE(std::equal(copy.GetFire()->HeatRow(r),
                                   copy.GetFire()->HeatRow(r) + CDIBFire::kGridWidth,
                                   fresh.GetFire()->HeatRow(r)))
                << r;
        copy.Move(false, 30, 1);
        EXPECT_TRUE(copy.IsDrawn());
        EXPECT_EQ(copy.GetFire()->GetLeftOver(), 0);
    }
}

TEST(ActionRecord, ARainWithoutItsPictureLoadsUndefined) {
    test::DropCache drops;
    CDIBSnrAction a;
    a.Initialize(&drops.cache);
    ASSERT_TRUE(a.Setup(test::RainDef(700, 4, 0, 0)));
    a.Play();
    const Bytes saved = SaveOf(a);
    CDIBSnrAction other;
    other.Initialize(nullptr); // no cache: the picture cannot be read
    // The record is read whole, so the records after it still line up.
    EXPECT_EQ(other.Load(saved), saved.size());
    EXPECT_FALSE(other.IsDefined());
    EXPECT_FALSE(other.IsActive());
    other.Move(false, 30, 1);
}

TEST(ActionRecord, BadRecordsAreRefusedUnchanged) {
    CDIBSnrAction a;
    a.Initialize();
    a.Setup(MakeDef(ActionType::Rot2D, 100, 0, 0));
    a.Play();
    a.Move(false, 40, 1);
    const Bytes before = SaveOf(a);

    const auto withType = [](const ActionDefinition& d, size_t bodyBytes) {
        Bytes r = Head(1, 1, 0, 0, 0, d);
        r.resize(r.size() + bodyBytes, 0);
        return r;
    };
    Bytes good = withType(MakeDef(ActionType::Rot2D, 100, 0, 0), 8);
    const struct {
        const char* what;
        Bytes record;
    } cases[] = {
        {"empty", {}},
        {"short head", Bytes(good.begin(), good.begin() + 216)},
        {"short body", Bytes(good.begin(), good.end() - 1)},
        {"type 6", withType(MakeDef(static_cast<ActionType>(6), 0, 0, 0), 64)},
        {"type -1", withType(MakeDef(static_cast<ActionType>(-1), 0, 0, 0), 64)},
        {"17 scroll points", withType(MakeDef(ActionType::Scroll, 100, 0, 17), 4)},
        {"negative scroll points", withType(MakeDef(ActionType::Scroll, 100, 0, -1), 4)},
        {"too many drops", withType(test::RainDef(100, CDIBSnrAction::kMaxDrops + 1, 0, 0), 68)},
        {"negative drops", withType(test::RainDef(100, -2, 0, 0), 68)},
        {"rain body short", withType(test::RainDef(100, 2, 0, 0), 67)},
    };
    for (const auto& c : cases) {
        EXPECT_FALSE(a.Load(c.record)) << c.what;
        EXPECT_EQ(SaveOf(a), before) << c.what;
    }
    // The good one loads, and a longer buffer is read only as far as the record goes.
    good.push_back(0xAB);
    EXPECT_EQ(a.Load(good), good.size() - 1);
}

} // namespace
} // namespace qw
