// The picture, layer and action commands run by the interpreter: what each sets on the back page
// and reports to the development module, whether the next command runs in the same tick, the
// numbers and parameter forms they refuse, the image slots' references, and the saved page
// record they leave.

#include <gtest/gtest.h>

#include <bit>
#include <cstring>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "graphics/CDIBSnrAction.h"
#include "graphics/CDIBSnrVVram.h"
#include "graphics/CSpriteCache.h"
#include "unit/graphics/SpriteFixtures.h"
#include "unit/graphics/VVramFixture.h"
#include "unit/scenario/InterpreterFixture.h"

namespace qw::test {
namespace {

// A scenario screen whose layer reports go to a log.
class HookedScreen : public CDIBSnrScreen {
public:
    explicit HookedScreen(LayerDebugHook* hook) : hook_(hook) {}
    LayerDebugHook* GetLayerDebugHook() const override { return hook_; }

private:
    LayerDebugHook* hook_;
};

Bytes Picture(uint16_t w, uint16_t h, uint8_t seed) {
    Bytes data;
    for (int i = 0; i < w * h * 4; ++i)
        data.push_back(static_cast<uint8_t>(seed + i * 7));
    return MakeMgd(w, h, MgdEncoding::Raw, data);
}

// The end of a test scenario: it waits for ever, so the game does not end.
const std::string kHold = "ATIMES -1\nAWAIT 0, 900, 901, 902, 903, 904\n";

class LayerCommands : public InterpreterFixture {
protected:
    void SetUp() override {
        InterpreterFixture::SetUp();
        pictures_.files["BG01.MGD"] = Picture(4, 2, 1);
        pictures_.files["BG02.MGD"] = Picture(3, 3, 2);
        pictures_.files["DROP.MGD"] = Picture(2, 4, 3);
        cache_.Initialize(&pictures_);
        services_.spriteCache = &cache_;
        Save().imageSlots.SetCache(&cache_);
    }
    void TearDown() override {
        screen_.reset();
        Save().Release();
        services_.spriteCache = nullptr;
        InterpreterFixture::TearDown();
    }

    // Runs `source` on a screen that logs its layer reports.
    void Run(const std::string& source) {
        AddScenario("T", source);
        main_->SetCloseWithoutAsking(false);
        main_->TakeCloseRequest();
        hook_.log.clear();
        screen_ = std::make_unique<HookedScreen>(&hook_);
        ASSERT_TRUE(screen_->Initialize(SnrStartRecord::ForFile("T")));
        Tick();
    }
    CDIBSnrVVram& VVram() const { return *screen_->GetVVram(); }
    const LayerProp& Back(int layer) const { return VVram().GetBackLayer(layer)->GetProp(); }
    // References the cache holds for `name` (-1: not held).
    int Count(const char* name) const {
        for (int i = 0; i < CSpriteCache::kEntries; ++i) {
            const CSpriteCache::Entry& e = cache_.GetEntry(i);
            if (e.picture && std::strcmp(reinterpret_cast<const char*>(e.key), name) == 0)
                return e.count;
        }
        return -1;
    }
    int HeldReferences() const {
        int n = 0;
        for (int i = 0; i < CSpriteCache::kEntries; ++i)
            if (cache_.GetEntry(i).picture) n += cache_.GetEntry(i).count;
        return n;
    }

    MapSource pictures_;
    CSpriteCache cache_;
    LoggingHook hook_;
};

TEST_F(LayerCommands, EachLayerCommandSetsTheBackLayerReportsItAndLetsTheNextCommandRun) {
    struct Case {
        const char* command;
        std::vector<std::string> reports;
        std::function<bool(const LayerProp&)> holds;
    } cases[] = {
        {"LYPOS 3, 10, -20, 5",
         {"pos 1 3 10 -20 5"},
         [](const LayerProp& p) { return p.x == 10 && p.y == -20 && p.z == 5; }},
        {"LYSIZE 3, 40, 0",
         {"size 1 3 40 0"},
         [](const LayerProp& p) { return p.width == 40 && p.height == 0; }},
        {"LYCOLOR 3, 300, -5, 128, 7",
         {"color 1 3 FF008007"},
         [](const LayerProp& p) { return p.colour == 0xFF008007u; }},
        {"LYBLEND 3, 0", {"blend 1 3 0"}, [](const LayerProp& p) { return p.blend == 0; }},
        {"LYBLEND 3, -9", {"blend 1 3 1"}, [](const LayerProp& p) { return p.blend == 1; }},
        {"LYANTI 3, 2", {"anti 1 3 1"}, [](const LayerProp& p) { return p.anti == 1; }},
        {"LYACTION 3, 0", {"action 1 3 1"}, [](const LayerProp& p) { return p.action == 1; }},
        {"LYACTION 3, 255", {"action 1 3 256"}, [](const LayerProp& p) { return p.action == 256; }},
        {"LYACTION 3, -1", {"action 1 3 0"}, [](const LayerProp& p) { return p.action == 0; }},
        // Rates in percent: the product in double, rounded once (10 % is 0.1f, not
        // 10.0f × 0.01f, which is one step below).
        {"LYCAMSTATE 3, 0, 5, 10, 33",
         {"camera 1 3 0", "bill 1 3 1", "xyrate 1 3 0.100000", "wrate 1 3 0.330000"},
         [](const LayerProp& p) {
             return p.camera == 0 && p.billboard == 1 && p.xyRate == 0.1f && p.wRate == 0.33f;
         }},
        {"LYCAMSTATE 15, 1, 0, 150, -20",
         {"camera 1 15 1", "bill 1 15 0", "xyrate 1 15 1.500000", "wrate 1 15 -0.200000"},
         [](const LayerProp& p) {
             return p.camera == 1 && p.billboard == 0 && p.xyRate == 1.5f && p.wRate == -0.2f;
         }},
        {"LYIMAGE 3, \"BG01.MGD\"",
         {"image 1 3 BG01.MGD 4 2 pixels"},
         [](const LayerProp& p) { return p.picture != nullptr; }},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.command);
        const int layer = std::string(c.command).find(" 15,") != std::string::npos ? 15 : 3;
        Run(std::string(c.command) + "\nMOV 1, 1\nEND\n");
        EXPECT_EQ(Var(1), 1); // the next command ran in the same tick
        EXPECT_EQ(hook_.log, c.reports);
        EXPECT_TRUE(c.holds(Back(layer)));
        EXPECT_EQ(VVram().GetLayer(layer)->GetProp().updated, 0); // the front page is untouched
        EXPECT_TRUE(window_->boxes.empty()) << LastBox();
    }
}

TEST_F(LayerCommands, WrongCountsTypesAndNumbersEndTheGameNamingTheParameter) {
    const std::string count = "パラメータ数が不正エラー(パラメータ数：";
    const std::string type = "パラメータタイプが不正エラー(パラメータ：";
    const std::string range = "パラメータが不正エラー(パラメータ：";
    struct Case {
        const char* command;
        std::string box;
    } cases[] = {
        {"IMREAD 0, 5", "【IMREAD】" + type + "2番)"},
        {"IMREAD 256, \"BG01.MGD\"", "【IMREAD】" + range + "1番)"},
        {"IMREAD 0", "【IMREAD】" + count + "1個)"},
        {"IMFREE -1", "【IMFREE】" + range + "1番)"},
        {"LYIMAGE \"BG01.MGD\", 0", "【LYIMAGE】" + type + "1番)"},
        {"LYIMAGE 0, 256", "【LYIMAGE】" + range + "2番)"},
        {"LYIMAGE 16, \"BG01.MGD\"", "【LYIMAGE】" + range + "1番)"},
        {"LYPOS -1, 0, 0, 0", "【LYPOS】" + range + "1番)"},
        {"LYPOS 1, 2, 3", "【LYPOS】" + count + "3個)"},
        {"LYPOS 1, \"x\", 3, 4", "【LYPOS】" + type + "2番)"},
        {"LYSIZE 16, 1, 1", "【LYSIZE】" + range + "1番)"},
        {"LYCOLOR 0, 1, 2, 3", "【LYCOLOR】" + count + "4個)"},
        {"LYBLEND 0, \"on\"", "【LYBLEND】" + type + "2番)"},
        {"LYANTI 99, 1", "【LYANTI】" + range + "1番)"},
        {"LYACTION 0, -2", "【LYACTION】" + range + "2番)"},
        {"LYACTION 0, 256", "【LYACTION】" + range + "2番)"},
        {"LYCAMSTATE 0, 1, 1, 100", "【LYCAMSTATE】" + count + "4個)"},
        {"ACTMAKE 0", "【ACTMAKE】" + count + "1個)"},
        {"ACTMAKE 256, 4", "【ACTMAKE】" + range + "1番)"},
        {"ACTMAKE -1, 4", "【ACTMAKE】" + range + "1番)"},
        {"ACTMAKE 0, \"rain\"", "【ACTMAKE】" + type + "2番)"},
        {"ACTMAKE 0, 0, 1, 2", "【ACTMAKE】" + count + "4個)"},
        {"ACTMAKE 0, 0, 1, \"x\", 3", "【ACTMAKE】" + type + "4番)"},
        {"ACTMAKE 0, 1, 1, 0, 0, 1, 2", "【ACTMAKE】" + count + "7個)"},
        {"ACTMAKE 0, 1, 1, 0, 0, 1, 2, \"z\"", "【ACTMAKE】" + type + "8番)"},
        {"ACTMAKE 0, 2, 1, 2, 3, 4", "【ACTMAKE】" + count + "6個)"},
        {"ACTMAKE 0, 3, 1, 2, 3, 4, 5", "【ACTMAKE】" + type + "7番)"},
        {"ACTMAKE 0, 3, 1, 2, \"3\", 4, \"DROP.MGD\"", "【ACTMAKE】" + type + "5番)"},
        {"ACTMAKE 0, 4, 1, 2, 3", "【ACTMAKE】" + count + "5個)"},
        {"ACTMAKE 0, 4, 1, 2, 3, \"4\"", "【ACTMAKE】" + type + "6番)"},
        {"ACTFREE 300", "【ACTFREE】" + range + "1番)"},
        {"ACTPLAY", "【ACTPLAY】" + count + "0個)"},
        {"ACTPLAY 1, \"a\"", "【ACTPLAY】" + type + "2番)"},
        {"ACTPLAY 1, 2, 256", "【ACTPLAY】" + range + "3番)"},
        {"ACTSTOP 0, 1, 2, 3, 4, 5, 6, 7, 8, 9, 10", "【ACTSTOP】" + count + "11個)"},
        {"ACTSTOP -1", "【ACTSTOP】" + range + "1番)"},
        {"SCREENACT 256", "【SCREENACT】" + range + "1番)"},
        {"SCREENACT \"x\"", "【SCREENACT】" + type + "1番)"},
        {"FACE 1", "【FACE】" + count + "1個)"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.command);
        window_->boxes.clear();
        Run(std::string(c.command) + "\nMOV 1, 1\nEND\n");
        EXPECT_TRUE(Ended());
        EXPECT_EQ(Var(1), 0);
        EXPECT_EQ(LastBox(), c.box);
        EXPECT_EQ(window_->boxes.size(), 1u);
        EXPECT_TRUE(hook_.log.empty());
        EXPECT_EQ(HeldReferences(), 0);
    }
}

TEST_F(LayerCommands, ActionCommandsEndTheTickAndTheOthersLetTheNextCommandRun) {
    struct Case {
        const char* command;
        bool continues;
    } cases[] = {
        {"IMREAD 0, \"BG01.MGD\"", true},
        {"IMFREE 0", true},
        {"ACTMAKE 0, 4", true},
        {"ACTMAKE 0, 9, 1", true},
        {"ACTFREE 0", false},
        {"ACTPLAY 0, 1, 2", false},
        {"ACTSTOP 0", false},
        {"SCREENACT -1", false},
        {"SCREENACT 0", false},
        {"FACE", false},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.command);
        Run(std::string(c.command) + "\nMOV 1, 1\n" + kHold);
        EXPECT_EQ(Var(1), c.continues ? 1 : 0);
        EXPECT_FALSE(Ended());
        Tick();
        EXPECT_EQ(Var(1), 1);
        EXPECT_TRUE(window_->boxes.empty()) << LastBox();
    }
}

TEST_F(LayerCommands, ActmakeFillsEachKindsDefinition) {
    struct Case {
        const char* command;
        ActionType type;
        int32_t a, b, c;
        std::vector<std::pair<int, int32_t>> extra; // (index, value); the rest stay 0
    } cases[] = {
        {"ACTMAKE 7, 0, 3000, 2, -1", ActionType::Rot2D, 3000, 2, -1, {}},
        {"ACTMAKE 7, 1, 900, 5, 0, 1, 2, 3, 4, 5, 6, 7, 8",
         ActionType::Scroll,
         900,
         1,
         2,
         {{0, 1}, {16, 2}, {32, 3}, {1, 4}, {17, 5}, {33, 6}}},
        {"ACTMAKE 7, 1, 900, 0, -3, 10, 20, 30",
         ActionType::Scroll,
         900,
         0x100,
         1,
         {{0, 10}, {16, 20}, {32, 30}}},
        {"ACTMAKE 7, 2, 11, 22, 33, 44, 55", ActionType::Raster, 22, 33, 11, {{0, 44}, {1, 55}}},
        {"ACTMAKE 7, 4", ActionType::Fire, 10000, 400, 800, {{0, 1}}},
        {"ACTMAKE 7, 4, 5000, 300, 700, 0", ActionType::Fire, 5000, 300, 700, {}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.command);
        Run(std::string(c.command) + "\nEND\n");
        EXPECT_TRUE(window_->boxes.empty()) << LastBox();
        const CDIBSnrAction* action = VVram().GetAction(8);
        ASSERT_TRUE(action->IsDefined());
        const ActionDefinition& d = action->Definition();
        EXPECT_EQ(d.Type(), static_cast<int32_t>(c.type));
        EXPECT_EQ(d.A(), c.a);
        EXPECT_EQ(d.B(), c.b);
        EXPECT_EQ(d.C(), c.c);
        for (int i = 0; i < 48; ++i) {
            int32_t want = 0;
            for (const auto& [index, value] : c.extra)
                if (index == i) want = value;
            EXPECT_EQ(d.Extra(i), want) << "extra " << i;
        }
        EXPECT_FALSE(VVram().GetAction(7)->IsDefined());
    }
}

TEST_F(LayerCommands, AScrollKeepsSixteenOfTwentyGroupsAndARainNamesItsDrop) {
    std::string scroll = "ACTMAKE 0, 1, 500, 1, 1";
    for (int g = 0; g < 20; ++g)
        scroll += ", " + std::to_string(g * 10) + ", " + std::to_string(g * 10 + 1) + ", " +
                  std::to_string(g * 10 + 2);
    Run(scroll + ", 7\nACTMAKE 1, 3, 800, 40, 3, -2, \"DROP.MGD\"\nEND\n");
    EXPECT_TRUE(window_->boxes.empty()) << LastBox();
    const ActionDefinition& d = VVram().GetAction(1)->Definition();
    EXPECT_EQ(d.C(), 16);
    EXPECT_EQ(d.B(), 0x101);
    for (int g = 0; g < 16; ++g) {
        EXPECT_EQ(d.ScrollX(g), g * 10);
        EXPECT_EQ(d.ScrollY(g), g * 10 + 1);
        EXPECT_EQ(d.ScrollZ(g), g * 10 + 2);
    }
    const CDIBSnrAction* rain = VVram().GetAction(2);
    ASSERT_TRUE(rain->IsDefined());
    EXPECT_EQ(rain->Type(), ActionType::Rain);
    EXPECT_EQ(rain->Definition().A(), 800);
    EXPECT_EQ(rain->Definition().C(), 3);
    EXPECT_EQ(rain->Definition().Extra(0), -2);
    EXPECT_EQ(rain->Definition().RainDropName(), "DROP.MGD");
    EXPECT_EQ(rain->GetDropCount(), 40);
    EXPECT_EQ(Count("DROP.MGD"), 1);
}

TEST_F(LayerCommands, ARainWithoutItsDropIsReportedAndLeftUndefinedAndOtherKindsChangeNothing) {
    Run("ACTMAKE 4, 0, 1000, 1, 0\nACTMAKE 4, 9, 1, 2\nMOV 1, 1\n"
        "ACTMAKE 4, 3, 800, 10, 3, 0, \"NODROP.MGD\"\nMOV 2, 1\n" +
        kHold);
    EXPECT_EQ(Var(1), 1);
    EXPECT_EQ(Var(2), 1);
    EXPECT_FALSE(Ended());
    ASSERT_EQ(window_->boxes.size(), 1u);
    EXPECT_EQ(LastBox(), "【ACTMAKE】読み込みエラー(ファイル名：NODROP.MGD)");
    EXPECT_FALSE(VVram().GetAction(5)->IsDefined());
    EXPECT_EQ(VVram().GetAction(5)->Type(), ActionType::None);
    EXPECT_EQ(VVram().GetAction(5)->GetDropCount(), 0);
}

TEST_F(LayerCommands, ActionsPlayStopAndFreeOnlyWhenDefined) {
    Run("ACTMAKE 2, 0, 1000, 0, 0\nACTMAKE 3, 4\nACTPLAY 2, 3, 4\nMOV 1, 1\nEND\n");
    EXPECT_TRUE(VVram().GetAction(3)->IsPlaying());
    EXPECT_TRUE(VVram().GetAction(4)->IsPlaying());
    EXPECT_FALSE(VVram().GetAction(5)->IsActive()); // undefined: left alone
    EXPECT_EQ(Var(1), 0);

    Run("ACTMAKE 2, 0, 1000, 0, 0\nACTPLAY 2\nACTSTOP 2, 9\nMOV 1, 1\nEND\n");
    Tick();
    EXPECT_FALSE(VVram().GetAction(3)->IsPlaying());
    EXPECT_TRUE(VVram().GetAction(3)->IsStopped()); // the tick's move finished the stop
    EXPECT_FALSE(VVram().GetAction(3)->IsActive());
    EXPECT_FALSE(VVram().GetAction(10)->IsStopped());
    EXPECT_TRUE(window_->boxes.empty()) << LastBox();

    // ACTFREE: the front page's layers and the screen lose the action, the back page keeps it.
    Run("ACTMAKE 2, 0, 1000, 0, 0\nACTMAKE 5, 0, 1000, 0, 0\nLYACTION 1, 2\n"
        "SCREENACT 2\nACTFREE 2\nMOV 1, 1\nSCREENACT 5\nACTFREE 2\nMOV 2, 1\nEND\n");
    // The first tick stops after SCREENACT; the front page's layers are set here for the free.
    EXPECT_EQ(VVram().GetScreenAct(), 3);
    VVram().GetLayer(0)->SetAction(3);
    VVram().GetLayer(4)->SetAction(6);
    Tick();
    EXPECT_FALSE(VVram().GetAction(3)->IsDefined());
    EXPECT_EQ(VVram().GetLayer(0)->GetProp().action, 0);
    EXPECT_EQ(VVram().GetLayer(4)->GetProp().action, 6);
    EXPECT_EQ(Back(1).action, 3);
    EXPECT_EQ(VVram().GetScreenAct(), 0);
    Tick(); // MOV, SCREENACT 5
    EXPECT_EQ(VVram().GetScreenAct(), 6);
    Tick(); // freeing an undefined action changes nothing
    EXPECT_EQ(Var(2), 0);
    EXPECT_EQ(VVram().GetScreenAct(), 6);
    EXPECT_TRUE(VVram().GetAction(6)->IsDefined());
    Tick();
    EXPECT_EQ(Var(2), 1);
    EXPECT_TRUE(window_->boxes.empty()) << LastBox();
}

TEST_F(LayerCommands, SlotsHoldOneReferenceEachAndLayersTheirOwn) {
    Run("IMREAD 4, \"BG01.MGD\"\nMOV 1, 1\nEND\n");
    EXPECT_EQ(Save().imageSlots.Name(4), "BG01.MGD");
    EXPECT_EQ(Count("BG01.MGD"), 1);

    Run("IMREAD 4, \"BG01.MGD\"\nIMREAD 4, \"BG02.MGD\"\nLYIMAGE 2, 4\nIMFREE 4\n"
        "IMREAD 5, \"NONE.MGD\"\nLYIMAGE 3, 5\nMOV 1, 1\n" +
        kHold);
    EXPECT_EQ(Var(1), 1);
    EXPECT_FALSE(Ended());
    // A second read replaced the first; the layer kept the picture after the slot emptied.
    EXPECT_EQ(Count("BG01.MGD"), 0);
    EXPECT_EQ(Count("BG02.MGD"), 1);
    EXPECT_EQ(Save().imageSlots.Get(4), nullptr);
    EXPECT_NE(Back(2).picture, nullptr);
    EXPECT_EQ(VVram().GetBackLayer(2)->GetImageName(), "BG02.MGD");
    // A picture that cannot be read leaves its slot empty, and an empty slot names nothing.
    ASSERT_EQ(window_->boxes.size(), 2u);
    EXPECT_EQ(window_->boxes[0], "【IMREAD】読み込みエラー(ファイル名：NONE.MGD)");
    EXPECT_EQ(window_->boxes[1], "【LYIMAGE】読み込みエラー(ファイル名：)");
    EXPECT_EQ(Save().imageSlots.Get(5), nullptr);
    EXPECT_EQ(Back(3).picture, nullptr);
    EXPECT_EQ(hook_.log,
              (std::vector<std::string>{"image 1 2 BG02.MGD 3 3 pixels", "image 1 3  0 0 none"}));

    // A picture both held by a slot and shown, then the game's end: every reference goes back.
    Run("IMREAD 9, \"BG01.MGD\"\nLYIMAGE 0, 9\nLYIMAGE 1, \"BG02.MGD\"\nEND\n");
    EXPECT_TRUE(Ended());
    EXPECT_EQ(Count("BG01.MGD"), 2);
    screen_.reset();
    Save().Release();
    EXPECT_EQ(HeldReferences(), 0);
}

// The saved page record after layer commands: the layer fields at their offsets, the action as
// number + 1, the rates as float32, the screen action; and the record loads back to the same
// bytes.
TEST_F(LayerCommands, ThePageRecordCarriesWhatTheCommandsSetAndLoadsBackTheSame) {
    Run("IMREAD 0, \"BG02.MGD\"\nLYIMAGE 6, 0\nLYPOS 6, -7, 8, 9\nLYCOLOR 6, 128, 1, 2, 3\n"
        "LYACTION 6, 41\nLYCAMSTATE 6, 0, 1, 10, 250\nACTMAKE 41, 4\nACTPLAY 41\n"
        "SCREENACT 41\n" +
        kHold);
    Tick();
    EXPECT_TRUE(window_->boxes.empty()) << LastBox();
    ByteWriter out;
    ASSERT_TRUE(VVram().Save(out));
    const Bytes record = out.Take();

    size_t at = 8;
    for (int n = 1; n <= CDIBSnrVVram::kActions; ++n) {
        ByteWriter one;
        VVram().GetAction(n)->Save(one);
        at += one.Size();
    }
    // Page 0, the front page, comes first; layer 6 of the back page after it.
    ASSERT_EQ(VVram().GetFrontPage(), 0);
    at += (CDIBSnrVVram::kLayers + 6) * CDIBSnrLayer::kRecordSize;
    const ByteSpan bytes(record);
    EXPECT_EQ(LoadLE<int32_t>(bytes, 4), 42); // screen action
    EXPECT_EQ(*LoadFixedString(bytes, at + 1, 64), "BG02.MGD");
    EXPECT_EQ(LoadLE<int32_t>(bytes, at + 65), -7);
    EXPECT_EQ(LoadLE<uint32_t>(bytes, at + 85), 0x80010203u);
    EXPECT_EQ(LoadLE<int32_t>(bytes, at + 91), 42);
    EXPECT_EQ(bytes[at + 95], 0);
    EXPECT_EQ(bytes[at + 96], 1);
    EXPECT_EQ(LoadLE<uint32_t>(bytes, at + 97), std::bit_cast<uint32_t>(0.1f));
    EXPECT_EQ(LoadLE<uint32_t>(bytes, at + 101), std::bit_cast<uint32_t>(2.5f));

    struct CacheHost : VVramHost {
        CSpriteCache* cache = nullptr;
        CSpriteCache* GetSpriteCache() const override { return cache; }
    } host;
    host.cache = &cache_;
    CDIBSnrVVram copy;
    ASSERT_TRUE(copy.Initialize(&host));
    ASSERT_EQ(copy.Load(record), record.size());
    EXPECT_EQ(copy.GetBackLayer(6)->GetProp().action, 42);
    EXPECT_TRUE(copy.GetAction(42)->IsPlaying());
    ByteWriter again;
    ASSERT_TRUE(copy.Save(again));
    EXPECT_EQ(again.Take(), record);
}

} // namespace
} // namespace qw::test
