// A typical scene tick: a background, three characters with soft alpha edges and a translucent
// 800 × 150 window panel, built by the scenario's picture and layer commands and brought in with
// a cut. One iteration is one tick as the main window runs it: the frame's dirty areas flip, the
// interpreter runs (CDIBSnrScreen::Move, which moves the virtual VRAM), the dirty list is built
// and the shown page is drawn into the frame.
//   scene/idle          the scenario waits for a click; nothing changes
//   scene/character     a character moves on the shown page every tick (the page is
//                       recomposed over its old and new rectangles and those are copied)
//   scene/commands      as idle, while the scenario moves a character of the same scene on the
//                       page it builds with LYPOS every tick (interpreter and back-page
//                       recomposition; the shown page is unchanged)
//   memcpy/frame        memcpy of one 800 × 600 frame, for scale
// Run from a release build:
//   bench_scene_tick --benchmark_repetitions=5 --benchmark_report_aggregates_only=true

#include <benchmark/benchmark.h>

#include <algorithm>
#include <cstring>
#include <filesystem>
#include <memory>
#include <string>
#include <vector>

#include "app/CScreenBuffer.h"
#include "common/Random.h"
#include "files/MemberSource.h"
#include "graphics/CDIBImage.h"
#include "graphics/CDIBSnrVVram.h"
#include "graphics/CSpriteCache.h"
#include "graphics/CallEffectParam.h"
#include "graphics/MgdFormat.h"
#include "save/CSaveData.h"
#include "scenario/CDIBSnrScreen.h"
#include "scenario_lang/Assembler.h"
#include "support/LightServices.h"

namespace {

using namespace qw;

// A picture of random colours whose alpha rises from 0 at its edges to opaque `rim` pixels in
// (`rim` 0: opaque everywhere; `alpha` caps it, for the translucent panel).
Bytes MakePicture(int w, int h, uint32_t seed, int rim, uint32_t alpha = 255) {
    Lcg lcg(seed);
    ByteWriter data;
    for (int y = 0; y < h; ++y)
        for (int x = 0; x < w; ++x) {
            const int edge = std::min(std::min(x, w - 1 - x), std::min(y, h - 1 - y));
            const uint32_t a =
                rim ? std::min<uint32_t>(alpha, static_cast<uint32_t>(edge * 255 / rim)) : alpha;
            const uint32_t rgb =
                (static_cast<uint32_t>(lcg.Next()) << 9 ^ static_cast<uint32_t>(lcg.Next())) &
                0xFFFFFF;
            data.Put<uint32_t>(a << 24 | rgb);
        }
    const std::vector<SpriteElement> elements = {
        {0, 0, static_cast<int16_t>(w), static_cast<int16_t>(h)}};
    return BuildMgdFile(static_cast<uint16_t>(w), static_cast<uint16_t>(h), MgdEncoding::Raw,
                        data.Take(), elements, 4);
}

class Pictures : public IMemberSource {
public:
    std::optional<Bytes> ReadMember(std::string_view name) override {
        for (const auto& [n, file] : files)
            if (n == name) return file;
        return std::nullopt;
    }
    std::vector<std::pair<std::string, Bytes>> files;
};

class SceneServices : public test::LightServices {
public:
    CScreenBuffer* GetScreenBuffer() const override { return buffer; }
    CScreenBuffer* buffer = nullptr;
};

constexpr const char* kScene = R"(IMREAD 0, "BG"
IMREAD 1, "CHR1"
IMREAD 2, "CHR2"
IMREAD 3, "CHR3"
IMREAD 4, "PANEL"
LYIMAGE 0, 0
LYIMAGE 1, 1
LYPOS 1, 20, 80, 0
LYIMAGE 2, 2
LYPOS 2, 260, 60, 0
LYIMAGE 3, 3
LYPOS 3, 500, 90, 0
LYIMAGE 4, 4
LYPOS 4, 0, 450, 0
)";

// The scene on the shown page and its tick, for one benchmark.
class Scene {
public:
    explicit Scene(const std::string& rest) {
        dir_ = (std::filesystem::temp_directory_path() / "qw_bench_scene").string();
        std::filesystem::create_directories(dir_);
        services_.AttachSaveData(std::make_unique<CSaveData>(dir_ + "/"));
        pictures_.files = {{"BG", MakePicture(800, 600, 1, 0)},
                           {"CHR1", MakePicture(260, 520, 2, 24)},
                           {"CHR2", MakePicture(280, 540, 3, 24)},
                           {"CHR3", MakePicture(260, 510, 4, 24)},
                           {"PANEL", MakePicture(800, 150, 5, 12, 180)}};
        cache_.Initialize(&pictures_);
        services_.spriteCache = &cache_;
        services_.GetSaveData()->imageSlots.SetCache(&cache_);
        buffer_.Initialize();
        services_.buffer = &buffer_;
        scenario_lang::AssembleOptions options;
        services_.scenarios.files[test::ScenarioArchive::Key("SCENE")] =
            scenario_lang::Assemble(std::string(kScene) + rest, "SCENE.qws", options).file;
        ok_ = screen_.Initialize(SnrStartRecord::ForFile("SCENE"));
        if (!ok_) return;
        Tick(); // the commands build the back page
        screen_.GetVVram()->StartTransition(CallEffectParam::Make(kEffectBlt, 1));
        for (int i = 0; i < 4; ++i)
            Tick();
        ok_ = !screen_.GetVVram()->IsTransitionRunning() &&
              screen_.GetVVram()->GetLayer(4)->GetProp().picture != nullptr;
    }
    ~Scene() {
        screen_.Release();
        services_.GetSaveData()->Release();
        services_.spriteCache = nullptr;
        std::filesystem::remove_all(dir_);
    }
    bool Ok() const { return ok_; }
    void Tick() {
        services_.clock.Advance(30);
        buffer_.FlipDirty();
        screen_.Move();
        buffer_.BuildRectList();
        screen_.Draw(*buffer_.GetImage());
    }
    CDIBSnrVVram& VVram() { return *screen_.GetVVram(); }
    int32_t Var(int i) const { return services_.GetSaveData()->localVars[static_cast<size_t>(i)]; }

private:
    std::string dir_;
    SceneServices services_;
    Pictures pictures_;
    CSpriteCache cache_;
    CScreenBuffer buffer_;
    CDIBSnrScreen screen_;
    bool ok_ = false;
};

constexpr const char* kWait = "ATIMES -1\nAWAIT 0, 1, 1, 1, 1, 1\n";

void BM_SceneIdle(benchmark::State& state) {
    Scene scene(kWait);
    if (!scene.Ok()) return state.SkipWithError("the scene did not start");
    for (auto _ : state)
        scene.Tick();
}
BENCHMARK(BM_SceneIdle)->Name("scene/idle")->Unit(benchmark::kMicrosecond);

void BM_SceneCharacter(benchmark::State& state) {
    Scene scene(kWait);
    if (!scene.Ok()) return state.SkipWithError("the scene did not start");
    CDIBSnrLayer* layer = scene.VVram().GetLayer(2);
    int step = 0;
    for (auto _ : state) {
        layer->SetPos(260 + (step++ % 40), 60, 0);
        scene.Tick();
    }
}
BENCHMARK(BM_SceneCharacter)->Name("scene/character")->Unit(benchmark::kMicrosecond);

void BM_SceneCommands(benchmark::State& state) {
    // The cut's end empties the page left behind; the scenario builds the scene on it again
    // once the cut is over, then moves a character there every tick.
    Scene scene("FACE\nFACE\nFACE\nFACE\nFACE\nFACE\n" + std::string(kScene) +
                "@loop\nLYPOS 2, (260 + v1 % 40), 60, 0\nMOV 1, (v1 + 1)\nFACE\nJP @loop\n");
    for (int i = 0; i < 4; ++i)
        scene.Tick();
    if (!scene.VVram().GetBackLayer(2)->GetProp().picture)
        return state.SkipWithError("the scene was not built again");
    if (!scene.Ok()) return state.SkipWithError("the scene did not start");
    const int32_t before = scene.Var(1);
    for (auto _ : state)
        scene.Tick();
    // One LYPOS a tick: the scenario's loop really ran.
    state.counters["moves_per_tick"] =
        static_cast<double>(scene.Var(1) - before) / static_cast<double>(state.iterations());
}
BENCHMARK(BM_SceneCommands)->Name("scene/commands")->Unit(benchmark::kMicrosecond);

void BM_MemcpyFrame(benchmark::State& state) {
    std::vector<uint32_t> src(800 * 600, 0x80402010u), dst(800 * 600);
    for (auto _ : state) {
        std::memcpy(dst.data(), src.data(), src.size() * 4);
        benchmark::DoNotOptimize(dst.data());
    }
}
BENCHMARK(BM_MemcpyFrame)->Name("memcpy/frame")->Unit(benchmark::kMicrosecond);

} // namespace

BENCHMARK_MAIN();
