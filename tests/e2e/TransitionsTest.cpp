// The fifteen transitions run by the scenario's OVERLAP, end to end: a headless game whose first
// OVERLAP cuts to one picture and whose second changes to another with the effect under test.
// quillwork-layer-test puts the pictures on the back page (its layer script); the scenario does
// the rest. For each effect the first, the middle and the final frame are taken, each from a run
// that ends on that tick, so the dumped state belongs to the frame: both runs (scalar kernels
// and the default ones) give the same screenshot and the same state, the pixel effects equal the
// frame computed here from the two pictures at the dumped elapsed time, and the frame after the
// final one is the new picture.

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdint>
#include <functional>
#include <ostream>
#include <string>
#include <vector>

#include "TestGame.h"
#include "common/Bytes.h"
#include "common/Random.h"
#include "graphics/CDIBImage.h"
#include "graphics/MgdFormat.h"
#include "graphics/PngCodec.h"

namespace qw::e2e {
namespace {

constexpr int kW = 800, kH = 600;
// The game's start screen is the scenario screen, shown by the screen flow with a cut: its first
// tick is tick 3. There OVERLAP 0, 0 is reached; it shows the first picture from tick 4 and goes
// on in tick 7, where the OVERLAP under test is reached: its first frame is tick 8.
constexpr int kScreenTick = 3;
constexpr int kFirstTick = kScreenTick + 5;
constexpr int kTickMs = 30;

using Pixels = std::vector<uint32_t>;

// A picture as the test knows it and as the game stores it (raw MGD).
struct Picture {
    int w = 0, h = 0;
    Pixels pixels;
    std::vector<SpriteElement> elements;

    std::string Mgd() const {
        ByteWriter data;
        for (uint32_t p : pixels)
            data.Put<uint32_t>(p);
        std::vector<SpriteElement> e = elements;
        if (e.empty()) e.push_back({0, 0, static_cast<int16_t>(w), static_cast<int16_t>(h)});
        const Bytes file = BuildMgdFile(static_cast<uint16_t>(w), static_cast<uint16_t>(h),
                                        MgdEncoding::Raw, data.Take(), e, 4);
        return std::string(file.begin(), file.end());
    }
};

Picture Noise(int w, int h, uint32_t seed, uint32_t orMask,
              const std::function<uint32_t(int, int, uint32_t)>& shape = nullptr) {
    Picture p;
    p.w = w, p.h = h;
    Lcg lcg(seed);
    for (int y = 0; y < h; ++y)
        for (int x = 0; x < w; ++x) {
            uint32_t v = static_cast<uint32_t>(lcg.Next()) << 17 ^
                         static_cast<uint32_t>(lcg.Next()) << 2 ^ static_cast<uint32_t>(lcg.Next());
            if (shape) v = shape(x, y, v);
            p.pixels.push_back(v | orMask);
        }
    return p;
}

// The pictures of every run, made once.
struct Pictures {
    Picture from = Noise(kW, kH, 11, 0xFF000000u);
    Picture to = Noise(kW, kH, 12, 0xFF000000u);
    Picture rule = Noise(kW, kH, 13, 0);
    // A checker of blue 0 and not 0 with noise in the set squares.
    Picture shape = Noise(64, 48, 14, 0, [](int x, int y, uint32_t v) {
        return (x / 8 + y / 8) % 2 ? (v & ~0xFFu) : (v | 0x01u);
    });
    Picture flare = [] {
        Picture p = Noise(120, 40, 15, 0);
        p.elements.push_back({0, 0, 60, 40});
        for (int i = 0; i < 11; ++i)
            p.elements.push_back(
                {static_cast<int16_t>(60 + i % 6 * 10), static_cast<int16_t>(i / 6 * 20), 10, 20});
        return p;
    }();
    Picture scratch = [] {
        Picture p = Noise(90, 30, 16, 0);
        for (int i = 0; i < 3; ++i)
            p.elements.push_back({static_cast<int16_t>(30 * i), 0, 30, 30});
        return p;
    }();
    Picture dust = Noise(100, 100, 17, 0);
};

const Pictures& Pics() {
    static const Pictures pictures;
    return pictures;
}

// Per channel: (a × (255 − k) + b × k) >> 8, and (a × (255 − k) + b × k) / 255 with alpha 255.
uint32_t Shift8(uint32_t a, uint32_t b, uint32_t k) {
    uint32_t out = 0;
    for (int s = 0; s < 32; s += 8)
        out |= (((a >> s & 0xFF) * (255 - k) + (b >> s & 0xFF) * k) >> 8) << s;
    return out;
}
uint32_t Div255(uint32_t a, uint32_t b, uint32_t k) {
    uint32_t out = 0xFF000000u;
    for (int s = 0; s < 24; s += 8)
        out |= (((a >> s & 0xFF) * (255 - k) + (b >> s & 0xFF) * k) / 255) << s;
    return out;
}

// The frame of a pixel effect at `elapsed` of `duration`, from the two pages.
using Model =
    std::function<Pixels(const Pixels& from, const Pixels& to, int64_t elapsed, int64_t duration)>;

Pixels EachPixel(const std::function<uint32_t(int i)>& f) {
    Pixels out(kW * kH);
    for (int i = 0; i < kW * kH; ++i)
        out[i] = f(i);
    return out;
}

uint32_t Rule(int i) {
    return Pics().rule.pixels[i] & 0xFF;
}

const Model kBlt = [](const Pixels&, const Pixels& to, int64_t, int64_t) { return to; };

const Model kFade = [](const Pixels& from, const Pixels& to, int64_t e, int64_t d) {
    const uint32_t level = static_cast<uint32_t>(e * 255 / d);
    return level >= 255 ? to : EachPixel([&](int i) { return Shift8(from[i], to[i], level); });
};

const Model kAlpha0 = [](const Pixels& from, const Pixels& to, int64_t e, int64_t d) {
    if (e >= d) return to;
    const int64_t c = e * 510 / d;
    return EachPixel([&](int i) {
        const uint32_t mixed = Div255(from[i], to[i], Rule(i));
        return c <= 254 ? Shift8(from[i], mixed, static_cast<uint32_t>(c))
                        : Shift8(mixed, to[i], static_cast<uint32_t>(c - 255));
    });
};

const Model kAlpha1 = [](const Pixels& from, const Pixels& to, int64_t e, int64_t d) {
    const int64_t a = e * 255 / d;
    return EachPixel([&](int i) { return Rule(i) < 255 - a ? from[i] : to[i]; });
};

Model Alpha2(int64_t level) {
    return [level](const Pixels& from, const Pixels& to, int64_t e, int64_t d) {
        const int64_t b = (level + 255) * e / d;
        return EachPixel([&](int i) {
            const int64_t c = (Rule(i) + b - 255) * 255 / level;
            return c <= 0
                       ? from[i]
                       : Div255(from[i], to[i], static_cast<uint32_t>(std::min<int64_t>(c, 255)));
        });
    };
}

// The shape stretched (nearest) into a centred box (W + W / 2, H + H / 2) × the part shown; the
// to page where its blue byte is set (mode 0, the box growing), the from page there in mode 1
// (the box shrinking).
Model Wipe(int mode) {
    return [mode](const Pixels& from, const Pixels& to, int64_t e, int64_t d) {
        const Picture& s = Pics().shape;
        const int64_t part = mode == 0 ? e : d - e;
        const int64_t bw = (kW + kW / 2) * part / d, bh = (kH + kH / 2) * part / d;
        const int64_t bx = (kW - bw) / 2, by = (kH - bh) / 2;
        return EachPixel([&](int i) {
            const int64_t x = i % kW, y = i / kW;
            bool set = false;
            if (x >= bx && x < bx + bw && y >= by && y < by + bh) {
                const int64_t sx = (x - bx) * s.w / bw, sy = (y - by) * s.h / bh;
                set = (s.pixels[static_cast<size_t>(sy * s.w + sx)] & 0xFF) != 0;
            }
            return set == (mode == 0) ? to[i] : from[i];
        });
    };
}

struct EffectCase {
    const char* name;
    const char* command;
    int effect;   // the effect number the dump shows
    int duration; // ms
    Model model;  // null: not a pixel effect
    // The final frame is the new page exactly. Not so for Wipe with a shape that has holes (the
    // old page shows through them until the swap), nor for RotDoor, whose shaded blend of the
    // opaque door (>> 8) leaves each channel above 0 one less.
    bool finalIsNew = true;
};

void PrintTo(const EffectCase& c, std::ostream* out) {
    *out << c.command;
}

std::string PrintName(const ::testing::TestParamInfo<EffectCase>& info) {
    return info.param.name;
}

// The pixels of a screenshot (B, G, R; alpha left out), or empty.
Pixels Screenshot(const std::string& path) {
    const std::string text = ReadText(path);
    const ByteSpan bytes(reinterpret_cast<const uint8_t*>(text.data()), text.size());
    const auto header = ReadPngHeader(bytes);
    if (!header || header->width != kW || header->height != kH) return {};
    Pixels pixels(kW * kH);
    if (!DecodePng(bytes, pixels.data(), kW, kH)) return {};
    for (uint32_t& p : pixels)
        p &= 0xFFFFFF;
    return pixels;
}

// "" when the colours agree, else the first pixel that differs.
std::string Differs(const Pixels& shot, const Pixels& want) {
    if (shot.size() != want.size()) return "no 800 × 600 screenshot";
    for (size_t i = 0; i < shot.size(); ++i)
        if ((shot[i] ^ want[i]) & 0xFFFFFF)
            return "pixel (" + std::to_string(i % kW) + ", " + std::to_string(i / kW) + ")";
    return "";
}

// A game with the pictures, the scenario around `command`, and the layer script that puts the
// first picture on the back page in the screen's first tick and the second after the cut swapped.
class TransitionGame {
public:
    // `lead` runs between the cut and `command`.
    TransitionGame(const std::string& name, const std::string& command, const std::string& ini,
                   const std::string& lead = "")
        : game_("transition_" + name) {
        const Pictures& p = Pics();
        game_.AddFile("MGD", "FROM.MGD", p.from.Mgd());
        game_.AddFile("MGD", "TO.MGD", p.to.Mgd());
        game_.AddFile("MGD", "RULE.MGD", p.rule.Mgd());
        game_.AddFile("MGD", "SHAPE.MGD", p.shape.Mgd());
        game_.AddFile("MGD", "FLARE.MGD", p.flare.Mgd());
        game_.AddFile("MGD", "SCRATCH.MGD", p.scratch.Mgd());
        game_.AddFile("MGD", "DUST.MGD", p.dust.Mgd());
        game_.AddScenario("START.MSD", "OVERLAP 0, 0\n" + lead + command +
                                           "\nATIMES -1\nAWAIT 0, 1, 1, 1, 1, 1\n");
        WriteText(game_.Path("layers.txt"), std::to_string(kScreenTick) + " image 0 FROM.MGD\n" +
                                                std::to_string(kScreenTick + 3) +
                                                " image 0 TO.MGD\n");
        if (!ini.empty()) game_.WriteIni(ini);
    }

    // A run that ends after tick `tick`, with its screenshot. `simd` names the kernels ("" for
    // the default ones); `extra` goes to the command line.
    RunResult Run(int tick, const std::string& simd, const std::string& shot,
                  const std::string& extra = "") const {
        const std::string env = "QW_LAYER_SCRIPT=" + Quote(game_.Path("layers.txt")) +
                                (simd.empty() ? "" : " QUILLWORK_SIMD=" + simd) + " ";
        return game_.RunProgram(env + QW_BIN_LAYER_TEST,
                                "--seed 7 --ticks " + std::to_string(tick) + " --screenshot " +
                                    std::to_string(tick) + ":" + Quote(game_.Path(shot)) + " " +
                                    extra);
    }
    std::string Path(const std::string& name) const { return game_.Path(name); }

private:
    TestGame game_;
};

Pixels PagePixels(const Picture& p) {
    return p.pixels; // opaque and full size: the page is the picture
}

const JsonValue& Transition(const RunResult& r) {
    return (*r.state)["vvram"]["transition"];
}

class Transitions : public ::testing::TestWithParam<EffectCase> {};

TEST_P(Transitions, FirstMiddleAndFinalFramesThenTheNewPage) {
    const EffectCase& c = GetParam();
    TransitionGame game(c.name, c.command, "");
    const int frames = (c.duration + kTickMs - 1) / kTickMs;
    const int ticks[] = {kFirstTick, kFirstTick + frames / 2, kFirstTick + frames - 1};
    const Pixels from = PagePixels(Pics().from), to = PagePixels(Pics().to);
    Pixels first;
    for (int tick : ticks) {
        SCOPED_TRACE("tick " + std::to_string(tick));
        const std::string shot = "t" + std::to_string(tick);
        const RunResult r = game.Run(tick, "", shot + ".png");
        const RunResult scalar = game.Run(tick, "scalar", shot + "-scalar.png");
        ASSERT_EQ(r.exitCode, 0) << r.stderrText;
        ASSERT_EQ(scalar.exitCode, 0) << scalar.stderrText;
        EXPECT_EQ(r.stderrText, "");
        ASSERT_TRUE(r.state && scalar.state) << r.stderrText;
        EXPECT_EQ(r.stateText, scalar.stateText);
        const Pixels pixels = Screenshot(game.Path(shot + ".png"));
        EXPECT_EQ(Differs(Screenshot(game.Path(shot + "-scalar.png")), pixels), "");

        const JsonValue& t = Transition(r);
        EXPECT_TRUE(std::get<bool>(t["active"].v));
        EXPECT_EQ(t["effect"].Int(), c.effect);
        EXPECT_EQ(t["duration"].Int(), c.duration);
        const int elapsed = t["elapsed"].Int();
        EXPECT_EQ(elapsed, std::min(c.duration, (tick - kFirstTick + 1) * kTickMs));
        EXPECT_FALSE(std::get<bool>(t["finish_now"].v));
        EXPECT_EQ((*r.state)["vvram"]["front_page"].Int(), 1); // the cut's page is shown
        if (c.model) {
            EXPECT_EQ(Differs(pixels, c.model(from, to, elapsed, c.duration)), "");
        }
        if (tick == ticks[0]) first = pixels;
        if (tick == ticks[2]) {
            EXPECT_EQ(Differs(pixels, to) == "", c.finalIsNew);
        }
    }
    // The effect moves: its first frame is not the new page (a cut's is).
    if (c.effect != 1) {
        EXPECT_NE(Differs(first, to), "");
    }

    const int next = ticks[2] + 1;
    const RunResult r = game.Run(next, "", "next.png");
    ASSERT_EQ(r.exitCode, 0) << r.stderrText;
    ASSERT_TRUE(r.state);
    EXPECT_FALSE(std::get<bool>(Transition(r)["active"].v));
    EXPECT_EQ((*r.state)["vvram"]["front_page"].Int(), 0); // swapped back
    EXPECT_EQ((*r.state)["vvram"]["pages"][0]["layers"][0]["picture"].String(), "TO.MGD");
    EXPECT_EQ(Differs(Screenshot(game.Path("next.png")), to), "");
}

INSTANTIATE_TEST_SUITE_P(
    EveryEffect, Transitions,
    ::testing::Values(
        EffectCase{"Blt", "OVERLAP 0, 299", 1, 300, kBlt},
        EffectCase{"Fade", "OVERLAP 1, 299", 2, 300, kFade},
        EffectCase{"Alpha0", "OVERLAP 2, 300, 0, \"RULE\"", 3, 300, kAlpha0},
        EffectCase{"Alpha1", "OVERLAP 2, 300, 1, \"RULE\"", 3, 300, kAlpha1},
        EffectCase{"Alpha2", "OVERLAP 2, 300, 2, \"RULE\", 64", 3, 300, Alpha2(64)},
        EffectCase{"Wipe0", "OVERLAP 3, 300, 0, \"SHAPE\"", 4, 300, Wipe(0), false},
        EffectCase{"Wipe1", "OVERLAP 3, 300, 1, \"SHAPE\"", 4, 300, Wipe(1)},
        EffectCase{"Rotate", "OVERLAP 4, 300, 0", 5, 300, nullptr},
        EffectCase{"LensFlare", "OVERLAP 5, 300, \"FLARE\", 30, 270, 0", 6, 300, nullptr},
        EffectCase{"Twist", "OVERLAP 6, 300, 0", 7, 300, nullptr},
        EffectCase{"Bound", "OVERLAP 7, 300, 1, 2, 40, 30", 8, 300, nullptr},
        EffectCase{"Kacchin", "OVERLAP 8, 300, 0", 9, 300, nullptr},
        EffectCase{"Glass", "OVERLAP 9, 300, 0", 10, 300, nullptr},
        EffectCase{"Fire", "OVERLAP 10, 300", 11, 300, nullptr},
        EffectCase{"Water", "OVERLAP 11, 300", 12, 300, nullptr},
        EffectCase{"Film", "OVERLAP 12, \"SCRATCH\", \"DUST\", 90, 90, 120", 13, 300, nullptr},
        EffectCase{"RotDoor", "OVERLAP 13, 300, 0", 14, 300, nullptr, false},
        EffectCase{"Blur", "OVERLAP 14, 300, 0", 15, 300, nullptr}),
    PrintName);

// Control held, "NoneEffect" 1 and "FrameSpeed" 3 show the final state on the first frame and
// swap on the next; "FrameSpeed" 2 runs the time four times as fast (the paced frame time, 60 ms,
// doubled again).
TEST(TransitionHurry, TheFinalStateAtOnceAndTheDoubledFrameSpeed) {
    const struct {
        const char* name;
        std::string ini;
        std::string input; // an input script
        int firstElapsed;
        bool finishNow;
    } cases[] = {
        {"control", "", "1 key CONTROL down\n", 1000, true},
        {"no_effects", "[ConfigEx]\nNoneEffect=1\n", "", 1000, true},
        {"frame_speed_3", "[ConfigEx]\nFrameSpeed=3\n", "", 1000, false},
        {"frame_speed_2", "[ConfigEx]\nFrameSpeed=2\n", "", 120, false},
    };
    // The input counts from half a second after the start: the transition waits 20 ticks (two
    // ticks for each wait of no time, whatever the frame time).
    std::string lead;
    for (int i = 0; i < 10; ++i)
        lead += "ATIMES 0\nAWAIT 0, 1, 1, 1, 1, 1\n";
    const int firstTick = kFirstTick + 20;
    const Pixels from = PagePixels(Pics().from), to = PagePixels(Pics().to);
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        TransitionGame game(std::string("hurry_") + c.name, "OVERLAP 1, 999", c.ini, lead);
        std::string extra;
        if (!c.input.empty()) {
            WriteText(game.Path("input.txt"), c.input);
            extra = "--input " + Quote(game.Path("input.txt"));
        }
        const RunResult r = game.Run(firstTick, "", "first.png", extra);
        ASSERT_EQ(r.exitCode, 0) << r.stderrText;
        ASSERT_TRUE(r.state) << r.stderrText;
        const JsonValue& t = Transition(r);
        EXPECT_TRUE(std::get<bool>(t["active"].v));
        EXPECT_EQ(t["elapsed"].Int(), c.firstElapsed);
        EXPECT_EQ(t["duration"].Int(), 1000);
        EXPECT_EQ(std::get<bool>(t["finish_now"].v), c.finishNow);
        EXPECT_EQ(
            Differs(Screenshot(game.Path("first.png")), kFade(from, to, c.firstElapsed, 1000)), "");
        const RunResult after = game.Run(firstTick + 1, "", "second.png", extra);
        ASSERT_TRUE(after.state) << after.stderrText;
        EXPECT_EQ(std::get<bool>(Transition(after)["active"].v), c.firstElapsed < 1000);
        EXPECT_EQ((*after.state)["vvram"]["front_page"].Int(), c.firstElapsed < 1000 ? 1 : 0);
    }
}

// CAMMOVE on the shown page: the camera's target follows the path (two points: a straight line)
// by the frame time, the page is recomposed through it, and the next command runs in the tick
// after the move ended.
TEST(CameraPath, TheShownPageFollowsItsCameraAndTheCommandWaitsForIt) {
    TransitionGame game("camera_path", "CAMMOVE 0, 300, 400, 300, 0, 0, 500, 300, 0, 10\nMOV 5, 1",
                        "");
    const int start = kFirstTick - 1; // the tick CAMMOVE is reached
    const struct {
        int tick;
        double targetX;
        bool moving;
        int v5;
    } cases[] = {
        {start, 10, true, 0},        {start + 4, 50, true, 0},    {start + 9, 100, false, 0},
        {start + 10, 100, false, 0}, {start + 11, 100, false, 1},
    };
    const Pixels from = PagePixels(Pics().from);
    for (const auto& c : cases) {
        SCOPED_TRACE("tick " + std::to_string(c.tick));
        const std::string shot = "cam" + std::to_string(c.tick);
        const RunResult r = game.Run(c.tick, "", shot + ".png");
        ASSERT_EQ(r.exitCode, 0) << r.stderrText;
        ASSERT_TRUE(r.state) << r.stderrText;
        const JsonValue& camera = (*r.state)["vvram"]["pages"][1]["camera"];
        EXPECT_NEAR(camera["target"][0].Number(), c.targetX, 1e-3);
        EXPECT_NEAR(camera["target"][1].Number(), 0, 1e-6);
        EXPECT_NEAR(camera["roll"].Number(), 0.1 * (c.targetX / 100), 1e-4);
        EXPECT_EQ(std::get<bool>(camera["moving"].v), c.moving);
        EXPECT_EQ((*r.state)["local_variables"][5].Int(), c.v5);
        // The page is seen from elsewhere: no longer the picture as it is.
        EXPECT_NE(Differs(Screenshot(game.Path(shot + ".png")), from), "");
        if (c.tick == start + 4) {
            const RunResult scalar = game.Run(c.tick, "scalar", shot + "-scalar.png");
            EXPECT_EQ(scalar.stateText, r.stateText);
            EXPECT_EQ(Differs(Screenshot(game.Path(shot + "-scalar.png")),
                              Screenshot(game.Path(shot + ".png"))),
                      "");
        }
    }
}

} // namespace
} // namespace qw::e2e
