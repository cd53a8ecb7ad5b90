// Saved games, beside their peers in one run, with the files in the build directory:
//   SaveGame (no fsync, and with it)          vs  write + rename of the same bytes
//   LoadGame (pictures cached)                vs  reading the file
//   scrambling 1 MiB with cached keys         vs  memcpy of 1 MiB; the keys digested once
//   GetSubTitle for the 14 slots of a page
//   CreateSaveSum mode 0 (800 × 600 → 160 × 120) vs pixman bilinear OVER of the same
//   a load point (LPT: configuration and snapshot), without fsync
// "typical" is a slot of about 215 KB (a 59 KB state), "full" one with a 1 MiB state.

#include <benchmark/benchmark.h>
#include <fcntl.h>
#include <pixman.h>
#include <unistd.h>

#include <cstdio>
#include <cstring>
#include <filesystem>
#include <memory>
#include <string>

#include "common/Random.h"
#include "common/Text.h"
#include "files/TitleKeyStream.h"
#include "graphics/CDIBImage.h"
#include "platform/FileSystem.h"
#include "save/CSaveData.h"
#include "scenario/CDIBSnrScreen.h"
#include "support/LightServices.h"

namespace {

const std::string& BenchDir() {
    static const std::string dir = [] {
        std::string d = std::filesystem::current_path().string() + "/bench_save_files/";
        std::filesystem::remove_all(d);
        std::filesystem::create_directories(d);
        return d;
    }();
    return dir;
}

constexpr size_t kTypicalState = 59384;
constexpr size_t kFullState = qw::CSaveData::kComponentBufferSize;

std::unique_ptr<qw::CSaveData> Filled(size_t state) {
    auto save = std::make_unique<qw::CSaveData>(BenchDir());
    save->Initialize();
    qw::Lcg lcg(7);
    for (auto& v : save->localVars)
        v = lcg.Next();
    for (size_t i = 0; i < state; ++i)
        save->componentBuffer[i] = static_cast<uint8_t>(lcg.Next());
    save->componentLength = static_cast<int32_t>(state);
    for (int i = 0; i < 160 * 120; ++i)
        save->thumbnail->GetPixels()[i] = static_cast<uint32_t>(lcg.Next()) * 2654435761u;
    save->TakeSnapshot();
    return save;
}

void SaveGame(benchmark::State& st, size_t state, bool durable) {
    auto save = Filled(state);
    qw::platform::SetDurableWrites(durable);
    for (auto _ : st)
        if (!save->SaveGame(1)) st.SkipWithError("save failed");
    qw::platform::SetDurableWrites(true);
    st.SetBytesProcessed(st.iterations() * int64_t(155478 + state));
}

void WriteRename(benchmark::State& st, size_t state, bool durable) {
    auto save = Filled(state);
    save->SaveGame(2);
    const auto bytes = *qw::platform::ReadWholeFile(save->SaveFilePath(2));
    const std::string path = BenchDir() + "peer.bin", temp = path + ".tmp";
    for (auto _ : st) {
        int fd = ::open(temp.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
        if (::write(fd, bytes.data(), bytes.size()) != static_cast<ssize_t>(bytes.size()))
            st.SkipWithError("write failed");
        if (durable) ::fsync(fd);
        ::close(fd);
        ::rename(temp.c_str(), path.c_str());
    }
    st.SetBytesProcessed(st.iterations() * int64_t(bytes.size()));
}

void LoadGame(benchmark::State& st, size_t state) {
    auto save = Filled(state);
    save->SaveGame(3);
    for (auto _ : st)
        if (!save->LoadGame(3)) st.SkipWithError("load failed");
    st.SetBytesProcessed(st.iterations() * int64_t(155478 + state));
}

void ReadFile(benchmark::State& st, size_t state) {
    auto save = Filled(state);
    save->SaveGame(4);
    const std::string path = save->SaveFilePath(4);
    for (auto _ : st) {
        auto bytes = qw::platform::ReadWholeFile(path);
        benchmark::DoNotOptimize(bytes->data());
    }
    st.SetBytesProcessed(st.iterations() * int64_t(155478 + state));
}

void Scramble(benchmark::State& st) {
    qw::TitleKeyCache keys;
    qw::Bytes data(kFullState, 0x5A);
    keys.Prepare("Quillwork", data.size());
    for (auto _ : st) {
        keys.Xor(data, "Quillwork");
        benchmark::DoNotOptimize(data.data());
    }
    st.SetBytesProcessed(st.iterations() * int64_t(data.size()));
}

void Memcpy(benchmark::State& st) {
    qw::Bytes from(kFullState, 0x5A), to(kFullState);
    for (auto _ : st) {
        std::memcpy(to.data(), from.data(), from.size());
        benchmark::DoNotOptimize(to.data());
    }
    st.SetBytesProcessed(st.iterations() * int64_t(from.size()));
}

void Keys(benchmark::State& st) {
    for (auto _ : st) {
        qw::TitleKeyCache keys;
        keys.Prepare("Quillwork", kFullState);
        benchmark::DoNotOptimize(keys.CachedBytes());
    }
}

void SubTitles(benchmark::State& st) {
    auto save = Filled(kTypicalState);
    for (int slot = 0; slot < 14; ++slot)
        save->SaveGame(slot);
    std::array<char, 64> caption{};
    for (auto _ : st)
        for (int slot = 0; slot < 14; ++slot) {
            std::unique_ptr<qw::CDIBImage> thumb;
            int64_t time = 0;
            if (!save->GetSubTitle(slot, caption, &thumb, &time)) st.SkipWithError("no caption");
        }
}

qw::CDIBImage& Screen() {
    static qw::CDIBImage screen;
    if (!screen.IsCreated()) {
        screen.Create(800, 600);
        qw::Lcg lcg(3);
        for (int i = 0; i < 800 * 600; ++i)
            screen.GetPixels()[i] = 0xFF000000u | (static_cast<uint32_t>(lcg.Next()) * 40503u);
    }
    return screen;
}

void SaveSum(benchmark::State& st) {
    auto save = Filled(0);
    for (auto _ : st)
        save->CreateSaveSum(Screen());
}

void PixmanOver(benchmark::State& st) {
    qw::CDIBImage& screen = Screen();
    std::vector<uint32_t> thumb(160 * 120);
    pixman_image_t* src =
        pixman_image_create_bits(PIXMAN_a8r8g8b8, 800, 600, screen.GetPixels(), 800 * 4);
    pixman_image_t* dst =
        pixman_image_create_bits(PIXMAN_a8r8g8b8, 160, 120, thumb.data(), 160 * 4);
    pixman_transform_t scale;
    pixman_transform_init_scale(&scale, pixman_double_to_fixed(5.0), pixman_double_to_fixed(5.0));
    pixman_image_set_transform(src, &scale);
    pixman_image_set_filter(src, PIXMAN_FILTER_BILINEAR, nullptr, 0);
    for (auto _ : st) {
        std::fill(thumb.begin(), thumb.end(), 0u);
        pixman_image_composite32(PIXMAN_OP_OVER, src, nullptr, dst, 0, 0, 0, 0, 0, 0, 160, 120);
        benchmark::DoNotOptimize(thumb.data());
    }
    pixman_image_unref(src);
    pixman_image_unref(dst);
}

// A load point as LPT makes it: the configuration written, the records saved, the snapshot taken.
void LoadPoint(benchmark::State& st) {
    qw::test::LightServices services;
    auto save = std::make_unique<qw::CSaveData>(BenchDir());
    save->Initialize();
    services.AttachSaveData(std::move(save));
    qw::ByteWriter file;
    file.PutBytes(std::string_view("MSCENARIO FILE  "));
    file.PutZeros(1112 - 16);
    services.scenarios.fallback = file.Take();
    qw::CDIBSnrScreen screen;
    screen.Initialize(qw::SnrStartRecord::ForFile("START"));
    qw::platform::SetDurableWrites(false);
    for (auto _ : st) {
        services.GetSaveData()->SaveConfig();
        screen.Save();
    }
    qw::platform::SetDurableWrites(true);
}

} // namespace

int main(int argc, char** argv) {
    auto ms = [](benchmark::internal::Benchmark* b) { b->Unit(benchmark::kMicrosecond); };
    for (auto [name, bytes] : {std::pair{"typical", kTypicalState}, {"full", kFullState}}) {
        const std::string n = name;
        const size_t s = bytes;
        ms(benchmark::RegisterBenchmark(("SaveGame/" + n).c_str(), SaveGame, s, false));
        ms(benchmark::RegisterBenchmark(("peer/write+rename/" + n).c_str(), WriteRename, s, false));
        ms(benchmark::RegisterBenchmark(("SaveGame_fsync/" + n).c_str(), SaveGame, s, true));
        ms(benchmark::RegisterBenchmark(("peer/write+fsync+rename/" + n).c_str(), WriteRename, s,
                                        true));
        ms(benchmark::RegisterBenchmark(("LoadGame/" + n).c_str(), LoadGame, s));
        ms(benchmark::RegisterBenchmark(("peer/read/" + n).c_str(), ReadFile, s));
    }
    ms(benchmark::RegisterBenchmark("scramble/1MiB_cached_keys", Scramble));
    ms(benchmark::RegisterBenchmark("peer/memcpy/1MiB", Memcpy));
    ms(benchmark::RegisterBenchmark("keys/1MiB_once_per_title", Keys));
    ms(benchmark::RegisterBenchmark("GetSubTitle/x14", SubTitles));
    ms(benchmark::RegisterBenchmark("CreateSaveSum/mode0", SaveSum));
    ms(benchmark::RegisterBenchmark("peer/pixman/bilinear_OVER_800x600_to_160x120", PixmanOver));
    ms(benchmark::RegisterBenchmark("LPT/no_fsync", LoadPoint));
    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    std::filesystem::remove_all(BenchDir());
    return 0;
}
