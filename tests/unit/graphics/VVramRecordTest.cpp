// The saved records of a layer and of the virtual VRAM: sizes, field offsets, the round trip,
// and records Load refuses without changing anything.

#include <gtest/gtest.h>

#include <bit>

#include "graphics/CDIBSnrAction.h"
#include "graphics/CallEffectParam.h"
#include "unit/FuzzCorpus.h"
#include "unit/graphics/VVramFixture.h"

namespace qw::test {
namespace {

size_t DefaultActionsSize() {
    CDIBSnrAction a;
    a.Initialize();
    ByteWriter w;
    a.Save(w);
    return w.Size() * 256;
}

// Where the layer records start: after the two numbers and the 256 action records.
size_t LayersAt(const CDIBSnrVVram& v) {
    ByteWriter w;
    for (int i = 1; i <= 256; ++i)
        v.GetAction(i)->Save(w);
    return 8 + w.Size();
}

// Every field at its offset: a layer with a still picture is 105 bytes, one with a movie 110.
TEST(LayerRecord, FieldsAndSizes) {
    TestHost host;
    host.AddPicture("BG01", 8, 8, 1);
    FakeMovie* movie = host.AddMovie("OP.MPG", 8, 8);
    LayerActionTable actions;
    CDIBSnrLayer layer;
    layer.Initialize(&actions, &host.cache);
    layer.SetImage("BG01");
    layer.SetPos(-3, 400, 7);
    layer.SetBaseSize(64, 0);
    layer.SetColor(0x80, 0x11, 0x22, 0x33);
    layer.SetBlend(false);
    layer.SetAnti(true);
    layer.SetAction(12);
    layer.SetCameraState(false, true, 0.5f, 2.0f);
    ByteWriter w;
    layer.Save(w);
    ASSERT_EQ(w.Size(), CDIBSnrLayer::kRecordSize);
    const Bytes& b = w.Data();
    const auto i32 = [&](size_t at) { return *LoadLE<int32_t>(b, at); };
    EXPECT_EQ(b[0], 1); // updated
    EXPECT_EQ(std::string(reinterpret_cast<const char*>(&b[1])), "BG01");
    EXPECT_EQ(b[64], 0);
    EXPECT_EQ(i32(65), -3);
    EXPECT_EQ(i32(69), 400);
    EXPECT_EQ(i32(73), 7);
    EXPECT_EQ(i32(77), 64);
    EXPECT_EQ(i32(81), 0);
    EXPECT_EQ(static_cast<uint32_t>(i32(85)), 0x80112233u);
    EXPECT_EQ(b[89], 0);
    EXPECT_EQ(b[90], 1);
    EXPECT_EQ(i32(91), 12);
    EXPECT_EQ(b[95], 0);
    EXPECT_EQ(b[96], 1);
    EXPECT_EQ(std::bit_cast<float>(i32(97)), 0.5f);
    EXPECT_EQ(std::bit_cast<float>(i32(101)), 2.0f);

    layer.SetImage("OP.MPG");
    movie->SetRate(1.5f);
    movie->SetPause(true);
    ByteWriter m;
    layer.Save(m);
    ASSERT_EQ(m.Size(), CDIBSnrLayer::kMovieRecordSize);
    EXPECT_EQ(std::bit_cast<float>(*LoadLE<int32_t>(m.Data(), 65)), 1.5f);
    EXPECT_EQ(m.Data()[69], 1);
    EXPECT_EQ(*LoadLE<int32_t>(m.Data(), 70), -3);

    // Loaded into a layer at its defaults, the movie gets its rate and pause back.
    movie->SetPause(false);
    movie->SetRate(1.0f);
    CDIBSnrLayer other;
    other.Initialize(&actions, &host.cache);
    EXPECT_EQ(other.Load(m.Data()), CDIBSnrLayer::kMovieRecordSize);
    EXPECT_EQ(other.GetProp().picture, movie);
    EXPECT_EQ(movie->rate, 1.5f);
    EXPECT_EQ(movie->pauses, 1);
    ByteWriter again;
    other.Save(again);
    EXPECT_EQ(again.Data(), m.Data());
}

// The movie's five bytes belong to the stored name: a movie that does not open still has them
// read, and the rest of the record stays in place.
TEST(LayerRecord, AMovieNameCarriesItsBytesWhetherOrNotItOpens) {
    TestHost host;
    Bytes r(CDIBSnrLayer::kMovieRecordSize, 0);
    std::memcpy(&r[1], "GONE.mpg2", 9);
    StoreLE(std::span<uint8_t>(r), 70, int32_t{123}); // x
    LayerActionTable actions;
    CDIBSnrLayer layer;
    layer.Initialize(&actions, &host.cache);
    EXPECT_EQ(layer.Load(r), CDIBSnrLayer::kMovieRecordSize);
    EXPECT_EQ(layer.GetProp().picture, nullptr);
    EXPECT_EQ(layer.GetProp().x, 123);
    r.resize(CDIBSnrLayer::kRecordSize + 4);
    EXPECT_EQ(layer.Load(r), std::nullopt);
}

struct Saved {
    Saved() {
        host.frame = &frame;
        host.AddPicture("BG01", 90, 60, 1);
        host.AddPicture("CH02", 30, 70, 2);
        host.AddMovie("OP.mpg", 16, 16);
        EXPECT_TRUE(vvram.Initialize(&host));
    }
    Bytes Save() const {
        ByteWriter w;
        EXPECT_TRUE(vvram.Save(w));
        return w.Take();
    }
    TestHost host;
    RecordingFrame frame;
    CDIBSnrVVram vvram;
};

// The record's layout: front page, screen action, actions, 32 layers (105 or 110 bytes each),
// two cameras; and it comes back the same, with both pages recomposed and the frame marked.
TEST(VVramRecord, LayoutAndRoundTrip) {
    Saved a;
    EXPECT_EQ(a.Save().size(), 8 + DefaultActionsSize() + 32 * 105 + 2 * 168);
    a.vvram.GetAction(3)->Setup(MakeDef(ActionType::Rot2D, 700, 2, 1));
    a.vvram.GetLayer(0)->SetImage("BG01");
    a.vvram.GetLayer(0)->SetPos(5, 6, 0);
    a.vvram.GetBackLayer(2)->SetImage("CH02");
    a.vvram.GetBackLayer(2)->SetAction(3);
    a.vvram.SetScreenAct(256);
    a.vvram.GetCamera()->SetTarget({10, 20, 30, 0});
    a.vvram.Move(false);
    a.vvram.StartTransition(CallEffectParam::Make(2, 31));
    a.vvram.Move(false);
    a.vvram.Move(false);
    a.vvram.Move(false); // swapped: front page 1
    ASSERT_EQ(a.vvram.GetFrontPage(), 1);
    a.vvram.GetBackLayer(1)->SetImage("CH02"); // not composed yet: its flag is saved set
    a.vvram.GetBackLayer(9)->SetImage("OP.mpg");
    const Bytes saved = a.Save();
    EXPECT_EQ(*LoadLE<int32_t>(saved, 0), 1);
    EXPECT_EQ(*LoadLE<int32_t>(saved, 4), 256);
    const size_t layers = LayersAt(a.vvram);
    // Page 0, layer 9 holds the movie: its record is the longer one.
    EXPECT_EQ(saved.size() - layers, 32 * 105 + 5 + 336u);
    EXPECT_EQ(saved[layers], 1);       // page 0 layer 0: SetDefaultProp's flag
    EXPECT_EQ(saved[layers + 105], 1); // page 0 layer 1: the new picture
    EXPECT_EQ(std::string(reinterpret_cast<const char*>(&saved[layers + 106])), "CH02");

    Saved b;
    const int marked = b.frame.invalidations;
    ASSERT_EQ(b.vvram.Load(saved), saved.size());
    EXPECT_EQ(b.Save(), saved);
    EXPECT_GT(b.frame.invalidations, marked);
    EXPECT_EQ(b.vvram.GetFrontPage(), 1);
    EXPECT_TRUE(SameFrame(*b.vvram.GetScreen(), *a.vvram.GetScreen()));
    EXPECT_EQ(b.vvram.GetLayer(2)->GetProp().action, 3);
    EXPECT_TRUE(b.vvram.GetBackLayer(1)->IsUpdated());
}

// The fuzz target's seed is a record as a game saves it: it loads and saves back the same.
TEST(VVramRecord, TheFuzzSeedRoundTrips) {
    Saved t;
    const Bytes seed = ReadCorpusFile("vvram", "two_pages");
    ASSERT_EQ(t.vvram.Load(seed), seed.size());
    EXPECT_EQ(t.Save(), seed);
    EXPECT_TRUE(t.vvram.IsLayerVisible(0, 1));
}

// A record with any part wrong is refused, and nothing changes: not the layers, the pictures
// held, the pages or the front page.
TEST(VVramRecord, BadRecordsAreRefusedUnchanged) {
    Saved good;
    good.vvram.GetBackLayer(4)->SetImage("CH02");
    good.vvram.GetBackLayer(4)->SetPos(1, 2, 3);
    const Bytes valid = good.Save();
    const size_t layers = 8 + DefaultActionsSize();

    struct Case {
        const char* name;
        size_t size; // cut to this size (0: whole)
        size_t at;   // int32 patched at this offset …
        int32_t value;
    } cases[] = {
        {"empty", 4, 0, 0},
        {"cut in the actions", 1000, 0, 0},
        {"cut in the layers", layers + 50, 0, 0},
        {"cut in a camera", valid.size() - 1, 0, 0},
        {"front page 2", 0, 0, 2},
        {"front page -1", 0, 0, -1},
        {"screen action 257", 0, 4, 257},
        {"screen action -1", 0, 4, -1},
        {"layer action 257", 0, layers + 3 * 105 + 91, 257},
        {"layer action -1", 0, layers + 20 * 105 + 91, -1},
    };
    for (const Case& c : cases) {
        Saved t;
        t.vvram.GetLayer(0)->SetImage("BG01");
        t.vvram.Move(false);
        const Bytes before = t.Save();
        ByteWriter pageBefore;
        pageBefore.PutBytes(
            ByteSpan(reinterpret_cast<const uint8_t*>(t.vvram.GetScreen()->GetPixels()),
                     t.vvram.GetScreen()->GetByteSize()));
        const int count = t.host.cache.GetDataID(t.vvram.GetLayer(0)->GetProp().picture)->count;
        Bytes bad = valid;
        if (c.size) bad.resize(c.size);
        if (!c.size) StoreLE(std::span<uint8_t>(bad), c.at, c.value);
        EXPECT_EQ(t.vvram.Load(bad), std::nullopt) << c.name;
        EXPECT_EQ(t.Save(), before) << c.name;
        EXPECT_EQ(0, std::memcmp(pageBefore.Data().data(), t.vvram.GetScreen()->GetPixels(),
                                 pageBefore.Size()))
            << c.name;
        EXPECT_EQ(t.host.cache.GetDataID(t.vvram.GetLayer(0)->GetProp().picture)->count, count)
            << c.name;
    }
}

} // namespace
} // namespace qw::test
