// A typical scene tick: the demo's first picture scene (the town at dusk: a background, three
// people and the translucent message panel), played from the built demo game — its compiled
// CHAPTER2 scenario on the scenario screen, its pictures from the game's picture archive — until
// the scene waits for its click. One iteration is one tick as the main window runs it: the
// frame's dirty areas flipped, the interpreter run (CDIBSnrScreen::Move, which moves and
// recomposes the pages), the rectangle list built and the shown page drawn into the frame:
//   ours/idle_tick           nothing changes (the scene waits for a click)
//   ours/character_changes   one person's picture is swapped on the shown page every tick
//                            (the page recomposed over that person, the frame copied)
//   ours/character_moves     one person steps 4 pixels to the side every tick
//   ours/recompose_full      the whole page composed again (a camera move, a transition's end)
//                            and copied into the frame
// and its peers in the same run:
//   memcpy/frame             one 800 × 600 frame copied
//   pixman/scene_full        pixman compositing the same stack (the background copied, the
//                            people and the panel OVER it; pictures premultiplied outside the
//                            timing) and copying the page into a frame
//   pixman/character_area    pixman recomposing the one person's rectangle and copying it out
// (bench_scene_tick measures the same tick on made-up pictures, and the scenario's own layer
// commands on the page it builds.) Run from a release build; CPU time is what counts:
//   bench_scene --benchmark_repetitions=5 --benchmark_report_aggregates_only=true

#include <benchmark/benchmark.h>

#include <pixman.h>

#include <cstring>
#include <filesystem>
#include <memory>
#include <string>
#include <vector>

#include "PixmanImage.h"
#include "app/CScreenBuffer.h"
#include "files/CFileJoin.h"
#include "graphics/CDIBImage.h"
#include "graphics/CDIBSnrVVram.h"
#include "graphics/CDIBSprite.h"
#include "graphics/CSpriteCache.h"
#include "platform/FileSystem.h"
#include "save/CSaveData.h"
#include "scenario/CDIBSnrScreen.h"
#include "support/LightServices.h"

namespace {

using namespace qw;

constexpr int kW = 800, kH = 600;

// The first scene's layers, as the town chapter builds them.
struct Placed {
    int layer;
    const char* picture;
    int x, y;
};
constexpr Placed kScene[] = {{0, "BG_TOWN", 0, 0},
                             {1, "CHR_AOI", 60, 130},
                             {2, "CHR_BEN", 280, 130},
                             {3, "CHR_CORA", 500, 130},
                             {8, "WINDOW", 0, 450}};
constexpr int kChanging = 2; // Ben's layer

class SceneServices : public test::LightServices {
public:
    CScreenBuffer* GetScreenBuffer() const override { return buffer; }
    CScreenBuffer* buffer = nullptr;
};

// The demo's town chapter on a scenario screen, played up to its first scene's click.
struct Scene {
    bool Open(benchmark::State& state) {
        const std::string game = QW_DEMO_GAME_DIR;
        const auto scenario = platform::ReadWholeFile(game + "/MSD/CHAPTER2.MSD");
        if (!scenario || !archive.Initialize(game, "MGD", ".MGD") || !cache.Initialize(&archive) ||
            !frame.Initialize()) {
            state.SkipWithError("the demo game is missing (build demo_game)");
            return false;
        }
        dir = (std::filesystem::temp_directory_path() / "qw_bench_scene").string();
        std::filesystem::create_directories(dir);
        services.AttachSaveData(std::make_unique<CSaveData>(dir + "/"));
        services.spriteCache = &cache;
        services.GetSaveData()->imageSlots.SetCache(&cache);
        services.buffer = &frame;
        services.scenarios.files[test::ScenarioArchive::Key("CHAPTER2")] = *scenario;
        if (!screen.Initialize(SnrStartRecord::ForFile("CHAPTER2"))) {
            state.SkipWithError("the scenario screen did not start");
            return false;
        }
        // The fade and the three people's entrances take about four seconds of game time.
        for (int i = 0; i < 400 && !Shown(); ++i)
            Tick();
        for (int i = 0; i < 10; ++i)
            Tick();
        if (!Shown()) {
            state.SkipWithError("the scene did not come up");
            return false;
        }
        // Held as the chapter's image slots hold them, so a swap never decodes a picture again.
        for (const Placed& p : kScene)
            held.push_back(cache.Read(p.picture));
        // The page a transition drew on is composed whole the first time it changes; the ticks
        // measured are the ones after that.
        VVram().ComposeFull(VVram().GetFrontPage());
        return true;
    }
    ~Scene() {
        for (CDIBSprite* p : held)
            cache.Free(p);
        screen.Release();
        if (services.GetSaveData()) services.GetSaveData()->Release();
        services.spriteCache = nullptr;
        if (!dir.empty()) std::filesystem::remove_all(dir);
    }
    // Every person and the panel on the shown page, and no transition running.
    bool Shown() {
        CDIBSnrVVram* v = screen.GetVVram();
        if (!v || v->IsTransitionRunning()) return false;
        for (const Placed& p : kScene)
            if (!v->GetLayer(p.layer)->GetProp().picture) return false;
        return true;
    }
    // One tick of the main loop's picture work.
    void Tick() {
        services.clock.Advance(30);
        frame.FlipDirty();
        screen.Move();
        frame.BuildRectList();
        screen.Draw(*frame.GetImage());
    }
    CDIBSnrVVram& VVram() { return *screen.GetVVram(); }

    std::string dir;
    SceneServices services;
    CFileJoin archive;
    CSpriteCache cache;
    CScreenBuffer frame;
    CDIBSnrScreen screen;
    std::vector<CDIBSprite*> held;
};

void OursIdle(benchmark::State& state) {
    Scene s;
    if (!s.Open(state)) return;
    for (auto _ : state) {
        s.Tick();
        benchmark::DoNotOptimize(s.frame.GetImage()->GetPixels());
        benchmark::ClobberMemory();
    }
}

void OursCharacterChanges(benchmark::State& state) {
    Scene s;
    if (!s.Open(state)) return;
    CDIBSnrLayer* layer = s.VVram().GetLayer(kChanging);
    bool other = false;
    for (auto _ : state) {
        other = !other;
        layer->SetImage(other ? "CHR_AOI" : "CHR_BEN");
        s.Tick();
        benchmark::DoNotOptimize(s.frame.GetImage()->GetPixels());
        benchmark::ClobberMemory();
    }
    const int page = s.VVram().GetFrontPage();
    if (s.VVram().GetPageStats(page).partial == 0) state.SkipWithError("no partial composition");
}

void OursCharacterMoves(benchmark::State& state) {
    Scene s;
    if (!s.Open(state)) return;
    CDIBSnrLayer* layer = s.VVram().GetLayer(kChanging);
    int x = 280;
    for (auto _ : state) {
        x = x == 280 ? 284 : 280;
        layer->SetPos(x, 130, 0);
        s.Tick();
        benchmark::DoNotOptimize(s.frame.GetImage()->GetPixels());
        benchmark::ClobberMemory();
    }
}

void OursRecomposeFull(benchmark::State& state) {
    Scene s;
    if (!s.Open(state)) return;
    for (auto _ : state) {
        s.VVram().ComposeFull(s.VVram().GetFrontPage());
        s.VVram().Blt(*s.frame.GetImage());
        benchmark::DoNotOptimize(s.frame.GetImage()->GetPixels());
        benchmark::ClobberMemory();
    }
}

void MemcpyFrame(benchmark::State& state) {
    std::vector<uint32_t> src(size_t{kW} * kH, 1), dst(size_t{kW} * kH, 2);
    for (auto _ : state) {
        std::memcpy(dst.data(), src.data(), src.size() * 4);
        benchmark::DoNotOptimize(dst.data());
        benchmark::ClobberMemory();
    }
    state.SetBytesProcessed(static_cast<int64_t>(state.iterations()) * kW * kH * 4);
}

// Composites the scene's stack over the rectangle (x, y, w, h) of the page, then copies that
// rectangle into the frame.
void PixmanCompose(const std::vector<std::unique_ptr<PixmanImage>>& pictures, PixmanImage& page,
                   PixmanImage& frame, int x, int y, int w, int h) {
    pixman_image_composite32(PIXMAN_OP_CLEAR, page.image, nullptr, page.image, 0, 0, 0, 0, x, y, w,
                             h);
    for (size_t i = 0; i < pictures.size(); ++i) {
        const Placed& p = kScene[i];
        pixman_image_composite32(i == 0 ? PIXMAN_OP_SRC : PIXMAN_OP_OVER, pictures[i]->image,
                                 nullptr, page.image, x - p.x, y - p.y, 0, 0, x, y, w, h);
    }
    pixman_image_composite32(PIXMAN_OP_SRC, page.image, nullptr, frame.image, x, y, 0, 0, x, y, w,
                             h);
}

void PixmanScene(benchmark::State& state, bool characterOnly) {
    Scene s;
    if (!s.Open(state)) return;
    std::vector<std::unique_ptr<PixmanImage>> pictures;
    for (CDIBSprite* p : s.held)
        pictures.push_back(std::make_unique<PixmanImage>(*p));
    PixmanImage page(kW, kH), frame(kW, kH);
    const CDIBSprite* ben = s.held[2];
    for (auto _ : state) {
        if (characterOnly)
            PixmanCompose(pictures, page, frame, kScene[kChanging].x, kScene[kChanging].y,
                          ben->GetWidth(), ben->GetHeight());
        else
            PixmanCompose(pictures, page, frame, 0, 0, kW, kH);
        benchmark::DoNotOptimize(frame.bits.data());
        benchmark::ClobberMemory();
    }
}

} // namespace

BENCHMARK(OursIdle)->Name("ours/idle_tick")->Unit(benchmark::kMicrosecond);
BENCHMARK(OursCharacterChanges)->Name("ours/character_changes")->Unit(benchmark::kMicrosecond);
BENCHMARK(OursCharacterMoves)->Name("ours/character_moves")->Unit(benchmark::kMicrosecond);
BENCHMARK(OursRecomposeFull)->Name("ours/recompose_full")->Unit(benchmark::kMicrosecond);
BENCHMARK(MemcpyFrame)->Name("memcpy/frame")->Unit(benchmark::kMicrosecond);
BENCHMARK_CAPTURE(PixmanScene, full, false)
    ->Name("pixman/scene_full")
    ->Unit(benchmark::kMicrosecond);
BENCHMARK_CAPTURE(PixmanScene, character, true)
    ->Name("pixman/character_area")
    ->Unit(benchmark::kMicrosecond);

BENCHMARK_MAIN();
