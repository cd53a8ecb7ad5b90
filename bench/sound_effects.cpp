// Sound effects and voices: the heap a channel costs (ours for a Read of a decoded sound,
// SDL2_mixer's per allocated channel), 256 channels of one sound through the effects buffer on
// SDL's disk driver beside SDL2_mixer on the same driver, PlayAutoFree to the first mixed
// sample, and the first whole decode of a two-second stereo effect beside libvorbisfile alone.
//
// The heap is read from mallinfo2 (operator new and SDL both allocate through malloc), before and
// after, with nothing else running in the process.

#include <SDL.h>
#include <SDL_mixer.h>
#include <benchmark/benchmark.h>
#include <malloc.h>

#define OV_EXCLUDE_STATIC_CALLBACKS
#include <vorbis/vorbisfile.h>

#include <atomic>
#include <chrono>
#include <cmath>
#include <cstring>
#include <thread>
#include <vector>

#include "OggEncode.h"
#include "audio/CDSound.h"
#include "audio/CSEBuffer.h"
#include "audio/OggStream.h"
#include "files/MemberSource.h"
#include "platform/AudioSink.h"
#include "platform/SoundMixer.h"
#include "support/FakeWindow.h"

namespace {

constexpr int kSecond = 44100;
constexpr int kPeriod = 512;

// Two seconds of a stereo chord.
const std::vector<uint8_t>& Effect() {
    static const std::vector<uint8_t> ogg = [] {
        std::vector<int16_t> pcm(static_cast<size_t>(kSecond) * 2 * 2);
        for (size_t i = 0; i < pcm.size() / 2; ++i) {
            double t = static_cast<double>(i) / kSecond;
            pcm[2 * i] = static_cast<int16_t>(8000 * std::sin(2 * 3.14159265 * 523 * t));
            pcm[2 * i + 1] = static_cast<int16_t>(8000 * std::sin(2 * 3.14159265 * 659 * t));
        }
        return qw::oggenc::EncodeVorbis(pcm, 2, kSecond, 0.4f);
    }();
    return ogg;
}

class OneFile : public qw::IMemberSource {
public:
    std::optional<qw::Bytes> ReadMember(std::string_view) override {
        return qw::Bytes(Effect().begin(), Effect().end());
    }
};

size_t HeapInUse() {
    return mallinfo2().uordblks;
}

struct Device {
    Device() {
        sound.Initialize(&window, 44100, 2, 16);
        se.Initialize(&sound, &files);
    }
    ~Device() {
        se.Release();
        sound.Release();
    }
    qw::test::FakeWindow window;
    qw::CDSound sound;
    OneFile files;
    qw::CSEBuffer se;
};

// Heap per channel: 255 Reads of a sound already decoded by the first.
void BM_HeapPerChannelOurs(benchmark::State& state) {
    double perChannel = 0;
    for (auto _ : state) {
        Device d;
        int first = d.se.Read("FX");
        size_t before = HeapInUse();
        for (int i = 1; i < 256; ++i)
            benchmark::DoNotOptimize(d.se.Read("FX"));
        perChannel = double(HeapInUse() - before) / 255;
        benchmark::DoNotOptimize(first);
    }
    state.counters["heap_bytes_per_channel"] = perChannel;
}
BENCHMARK(BM_HeapPerChannelOurs)->Iterations(3)->Unit(benchmark::kMillisecond);

void UseDiskDriver() {
    SDL_setenv("SDL_AUDIODRIVER", "disk", 1);
    SDL_setenv("SDL_DISKAUDIOFILE", "/dev/null", 1);
    SDL_setenv("SDL_DISKAUDIODELAY", "0", 1);
}

void BM_HeapPerChannelSdlMixer(benchmark::State& state) {
    UseDiskDriver();
    if (SDL_Init(SDL_INIT_AUDIO) != 0 || Mix_OpenAudio(kSecond, AUDIO_S16SYS, 2, kPeriod) != 0) {
        state.SkipWithError("no SDL audio");
        return;
    }
    double perChannel = 0;
    for (auto _ : state) {
        Mix_AllocateChannels(1);
        size_t before = HeapInUse();
        Mix_AllocateChannels(256);
        perChannel = double(HeapInUse() - before) / 255;
    }
    state.counters["heap_bytes_per_channel"] = perChannel;
    Mix_CloseAudio();
    SDL_QuitSubSystem(SDL_INIT_AUDIO);
}
BENCHMARK(BM_HeapPerChannelSdlMixer)->Iterations(3)->Unit(benchmark::kMillisecond);

// Waits, in manual time, for each second of audio the driver's thread mixes.
template <typename Frames>
void TimeSeconds(benchmark::State& state, Frames frames) {
    for (auto _ : state) {
        uint64_t start = frames();
        auto t0 = std::chrono::steady_clock::now();
        while (frames() - start < kSecond)
            std::this_thread::yield();
        state.SetIterationTime(
            std::chrono::duration<double>(std::chrono::steady_clock::now() - t0).count());
    }
}

void BM_Effects256OneSoundOnDiskDriver(benchmark::State& state) {
    UseDiskDriver();
    Device d;
    for (int i = 0; i < 256; ++i)
        d.se.Play(d.se.Read("FX"), 0, true);
    auto sink = qw::platform::OpenSdlAudioSink(d.sound.GetMixer()->shared_from_this());
    TimeSeconds(state, [&] { return sink->Frames(); });
    sink.reset();
}
BENCHMARK(BM_Effects256OneSoundOnDiskDriver)->UseManualTime()->Unit(benchmark::kMillisecond);

std::atomic<uint64_t> g_frames{0};
void CountFrames(void*, Uint8*, int len) {
    g_frames += static_cast<uint64_t>(len / 4);
}

void BM_SdlMixer256OneSoundOnDiskDriver(benchmark::State& state) {
    UseDiskDriver();
    if (SDL_Init(SDL_INIT_AUDIO) != 0 || Mix_OpenAudio(kSecond, AUDIO_S16SYS, 2, kPeriod) != 0) {
        state.SkipWithError("no SDL audio");
        return;
    }
    Mix_AllocateChannels(256);
    SDL_RWops* rw = SDL_RWFromConstMem(Effect().data(), static_cast<int>(Effect().size()));
    Mix_Chunk* chunk = Mix_LoadWAV_RW(rw, 1);
    if (!chunk) {
        state.SkipWithError("SDL2_mixer cannot load Ogg");
        Mix_CloseAudio();
        return;
    }
    for (int i = 0; i < 256; ++i)
        Mix_Volume(Mix_PlayChannel(-1, chunk, -1), 64);
    Mix_SetPostMix(&CountFrames, nullptr);
    TimeSeconds(state, [] { return g_frames.load(); });
    Mix_HaltChannel(-1);
    Mix_SetPostMix(nullptr, nullptr);
    Mix_FreeChunk(chunk);
    Mix_CloseAudio();
    SDL_QuitSubSystem(SDL_INIT_AUDIO);
}
BENCHMARK(BM_SdlMixer256OneSoundOnDiskDriver)->UseManualTime()->Unit(benchmark::kMillisecond);

// PlayAutoFree of a decoded sound, then one device period: the sound is in that period's first
// frame (latency_frames 0 means it starts at the next period the device asks for).
void BM_PlayAutoFreeToFirstSample(benchmark::State& state) {
    Device d;
    d.se.Free(d.se.Read("FX")); // decoded once, kept until the sweep
    std::vector<int16_t> out(kPeriod * 2);
    int latency = -1;
    for (auto _ : state) {
        int ch = d.se.PlayAutoFree("FX", 0);
        d.sound.GetMixer()->Mix(out.data(), kPeriod, qw::platform::SoundMixer::Handover::Signal);
        latency = -1;
        for (int f = 0; f < kPeriod && latency < 0; ++f)
            if (out[2 * static_cast<size_t>(f)] != 0 || out[2 * static_cast<size_t>(f) + 1] != 0)
                latency = f;
        d.se.Stop(ch, 0);
        d.se.Free(ch);
    }
    state.counters["latency_frames"] = latency;
}
BENCHMARK(BM_PlayAutoFreeToFirstSample)->Unit(benchmark::kMicrosecond);

// The first decode of an effect: the whole file into a new buffer.
void BM_EffectFirstDecodeOurs(benchmark::State& state) {
    Device d;
    for (auto _ : state) {
        std::string why;
        auto buffer = d.se.OggDecode(Effect(), why);
        benchmark::DoNotOptimize(buffer.get());
    }
}
BENCHMARK(BM_EffectFirstDecodeOurs)->Unit(benchmark::kMillisecond);

// libvorbisfile's own loop over the same memory reads, into one buffer kept across iterations
// (range 0) or into a new one each time, as a first decode needs (range 1).
void BM_EffectDecodeVorbisfileAlone(benchmark::State& state) {
    std::vector<char> out(static_cast<size_t>(kSecond) * 2 * 4 + 8192);
    for (auto _ : state) {
        if (state.range(0)) out = std::vector<char>(static_cast<size_t>(kSecond) * 2 * 4 + 8192);
        qw::OggSource source;
        source.begin = source.current = Effect().data();
        source.end = Effect().data() + Effect().size();
        ov_callbacks callbacks{};
        callbacks.read_func = &qw::OggCallbackRead;
        callbacks.seek_func = [](void* s, ogg_int64_t o, int w) {
            return qw::OggCallbackSeek(s, o, w);
        };
        callbacks.close_func = &qw::OggCallbackClose;
        callbacks.tell_func = &qw::OggCallbackFell;
        OggVorbis_File vf;
        ov_open_callbacks(&source, &vf, nullptr, 0, callbacks);
        size_t at = 0;
        int link;
        long got;
        while (at < out.size() &&
               (got = ov_read(&vf, out.data() + at,
                              static_cast<int>(std::min<size_t>(4096, out.size() - at)), 0, 2, 1,
                              &link)) > 0)
            at += static_cast<size_t>(got);
        ov_clear(&vf);
        benchmark::DoNotOptimize(out.data());
    }
}
BENCHMARK(BM_EffectDecodeVorbisfileAlone)->Arg(0)->Arg(1)->Unit(benchmark::kMillisecond);

} // namespace

BENCHMARK_MAIN();
