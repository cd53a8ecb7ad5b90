// Sound: the mixer alone and on SDL's disk driver, beside SDL2_mixer on the same driver and a
// memcpy floor; our streaming decode beside libvorbisfile's own loop. Times are per second of
// audio (44100 stereo frames in 512-frame periods).
//
// The disk-driver cases run SDL with SDL_DISKAUDIOFILE=/dev/null and SDL_DISKAUDIODELAY=0, so
// the audio thread mixes as fast as it can; the wall time per second of audio is its CPU time.

#include <SDL.h>
#include <SDL_mixer.h>
#include <benchmark/benchmark.h>

#define OV_EXCLUDE_STATIC_CALLBACKS
#include <vorbis/vorbisfile.h>

#include <atomic>
#include <chrono>
#include <cmath>
#include <cstring>
#include <random>
#include <thread>
#include <vector>

#include "OggEncode.h"
#include "audio/OggStream.h"
#include "platform/AudioSink.h"
#include "platform/SoundMixer.h"

namespace {

using qw::platform::SoundBuffer;
using qw::platform::SoundMixer;

constexpr int kPeriod = 512;
constexpr int kSecond = 44100;

std::vector<int16_t> Noise(size_t n, unsigned seed) {
    std::mt19937 random(seed);
    std::vector<int16_t> v(n);
    for (auto& s : v)
        s = static_cast<int16_t>(static_cast<int>(random() % 20000) - 10000);
    return v;
}

std::shared_ptr<SoundBuffer> Filled(SoundMixer& mixer, int rate, int channels, unsigned seed) {
    auto b = mixer.MakeBuffer({rate, channels}, static_cast<uint32_t>(rate * channels * 2));
    void *p1, *p2;
    uint32_t n1, n2;
    b->Lock(0, 0, &p1, &n1, &p2, &n2, true);
    auto data = Noise(n1 / 2, seed);
    std::memcpy(p1, data.data(), n1);
    b->Unlock(p1, n1, p2, n2);
    b->SetVolume(-600);
    b->SetPan(static_cast<int32_t>(seed % 2000) - 1000);
    b->Play(true);
    return b;
}

void MixOneSecond(SoundMixer& mixer, std::vector<int16_t>& out) {
    for (int done = 0; done < kSecond; done += kPeriod)
        mixer.Mix(out.data(), std::min(kPeriod, kSecond - done), SoundMixer::Handover::Signal);
}

// Ours alone: `range(0)` channels, each its own samples (or all duplicates of one).
void Mixer(benchmark::State& state, int rate, int channels, bool shared) {
    auto mixer = SoundMixer::Create();
    std::vector<std::shared_ptr<SoundBuffer>> buffers;
    auto first = Filled(*mixer, rate, channels, 1);
    buffers.push_back(first);
    for (int i = 1; i < state.range(0); ++i) {
        if (shared) {
            auto d = first->Duplicate();
            d->SetVolume(-600);
            d->Play(true);
            buffers.push_back(d);
        } else {
            buffers.push_back(Filled(*mixer, rate, channels, static_cast<unsigned>(i + 1)));
        }
    }
    std::vector<int16_t> out(kPeriod * 2);
    for (auto _ : state) {
        MixOneSecond(*mixer, out);
        benchmark::DoNotOptimize(out.data());
    }
}
void BM_MixerDistinct(benchmark::State& s) {
    Mixer(s, kSecond, 2, false);
}
void BM_MixerOneSound(benchmark::State& s) {
    Mixer(s, kSecond, 2, true);
}
void BM_Mixer22kMono(benchmark::State& s) {
    Mixer(s, 22050, 1, false);
}
BENCHMARK(BM_MixerDistinct)->Arg(1)->Arg(16)->Arg(256)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_MixerOneSound)->Arg(256)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_Mixer22kMono)->Arg(1)->Arg(16)->Unit(benchmark::kMillisecond);

// The floor: copying a second of every source once.
void BM_MemcpyFloor(benchmark::State& state) {
    std::vector<std::vector<int16_t>> sources;
    for (int i = 0; i < state.range(0); ++i)
        sources.push_back(Noise(kSecond * 2, static_cast<unsigned>(i)));
    std::vector<int16_t> out(kSecond * 2);
    for (auto _ : state) {
        for (const auto& s : sources)
            std::memcpy(out.data(), s.data(), s.size() * 2);
        benchmark::DoNotOptimize(out.data());
    }
}
BENCHMARK(BM_MemcpyFloor)->Arg(256)->Unit(benchmark::kMillisecond);

void UseDiskDriver() {
    SDL_setenv("SDL_AUDIODRIVER", "disk", 1);
    SDL_setenv("SDL_DISKAUDIOFILE", "/dev/null", 1);
    SDL_setenv("SDL_DISKAUDIODELAY", "0", 1);
}

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

void BM_OursOnDiskDriver(benchmark::State& state) {
    UseDiskDriver();
    auto mixer = SoundMixer::Create();
    std::vector<std::shared_ptr<SoundBuffer>> buffers;
    for (int i = 0; i < state.range(0); ++i)
        buffers.push_back(Filled(*mixer, kSecond, 2, static_cast<unsigned>(i + 1)));
    auto sink = qw::platform::OpenSdlAudioSink(mixer);
    TimeSeconds(state, [&] { return sink->Frames(); });
    sink.reset();
}
BENCHMARK(BM_OursOnDiskDriver)
    ->Arg(1)
    ->Arg(16)
    ->Arg(256)
    ->UseManualTime()
    ->Unit(benchmark::kMillisecond);

std::atomic<uint64_t> g_mixerFrames{0};
void CountFrames(void*, Uint8*, int len) {
    g_mixerFrames += static_cast<uint64_t>(len / 4);
}

void SdlMixer(benchmark::State& state, bool oneSound) {
    UseDiskDriver();
    if (SDL_Init(SDL_INIT_AUDIO) != 0 || Mix_OpenAudio(kSecond, AUDIO_S16SYS, 2, kPeriod) != 0) {
        state.SkipWithError("no SDL audio");
        return;
    }
    int n = static_cast<int>(state.range(0));
    Mix_AllocateChannels(n);
    std::vector<std::vector<int16_t>> data;
    std::vector<Mix_Chunk*> chunks;
    for (int i = 0; i < (oneSound ? 1 : n); ++i) {
        data.push_back(Noise(kSecond * 2, static_cast<unsigned>(i + 1)));
        chunks.push_back(Mix_QuickLoad_RAW(reinterpret_cast<Uint8*>(data.back().data()),
                                           static_cast<Uint32>(data.back().size() * 2)));
    }
    for (int i = 0; i < n; ++i) {
        int ch = Mix_PlayChannel(-1, chunks[oneSound ? 0 : static_cast<size_t>(i)], -1);
        Mix_Volume(ch, 64);
        Mix_SetPanning(ch, 200, 255);
    }
    Mix_SetPostMix(&CountFrames, nullptr);
    TimeSeconds(state, [] { return g_mixerFrames.load(); });
    Mix_HaltChannel(-1);
    Mix_SetPostMix(nullptr, nullptr);
    for (Mix_Chunk* c : chunks)
        Mix_FreeChunk(c);
    Mix_CloseAudio();
    SDL_QuitSubSystem(SDL_INIT_AUDIO);
}
void BM_SdlMixerOnDiskDriver(benchmark::State& s) {
    SdlMixer(s, false);
}
void BM_SdlMixerOneSoundOnDiskDriver(benchmark::State& s) {
    SdlMixer(s, true);
}
BENCHMARK(BM_SdlMixerOnDiskDriver)
    ->Arg(1)
    ->Arg(16)
    ->Arg(256)
    ->UseManualTime()
    ->Unit(benchmark::kMillisecond);
BENCHMARK(BM_SdlMixerOneSoundOnDiskDriver)
    ->Arg(256)
    ->UseManualTime()
    ->Unit(benchmark::kMillisecond);

// Sixty seconds of stereo music, decoded in quarters (ours) or by libvorbisfile's plain loop.
const std::vector<uint8_t>& Music() {
    static const std::vector<uint8_t> ogg = [] {
        std::vector<int16_t> pcm(static_cast<size_t>(kSecond) * 60 * 2);
        for (size_t i = 0; i < pcm.size() / 2; ++i) {
            double t = static_cast<double>(i) / kSecond;
            pcm[2 * i] = static_cast<int16_t>(9000 * std::sin(2 * 3.14159265 * 220 * t) *
                                              std::sin(3.14159265 * t));
            pcm[2 * i + 1] = static_cast<int16_t>(9000 * std::sin(2 * 3.14159265 * 330 * t));
        }
        return qw::oggenc::EncodeVorbis(pcm, 2, kSecond, 0.4f);
    }();
    return ogg;
}

void BM_DecodeOurs(benchmark::State& state) {
    const auto& ogg = Music();
    std::vector<uint8_t> quarter(kSecond * 4 * 2);
    for (auto _ : state) {
        qw::OggStream stream;
        std::string why;
        stream.OpenMemory(ogg, why);
        while (stream.Decode(quarter.data(), quarter.size(), false)) {}
        benchmark::DoNotOptimize(quarter.data());
    }
}
BENCHMARK(BM_DecodeOurs)->Unit(benchmark::kMillisecond);

void BM_DecodeVorbisfile(benchmark::State& state) {
    const auto& ogg = Music();
    std::vector<char> out(4096);
    for (auto _ : state) {
        // The same memory reads as ours, so the loop around the decoder is what differs.
        qw::OggSource source;
        source.begin = source.current = ogg.data();
        source.end = ogg.data() + ogg.size();
        ov_callbacks callbacks{};
        callbacks.read_func = &qw::OggCallbackRead;
        callbacks.seek_func = [](void* s, ogg_int64_t o, int w) {
            return qw::OggCallbackSeek(s, o, w);
        };
        callbacks.close_func = &qw::OggCallbackClose;
        callbacks.tell_func = &qw::OggCallbackFell;
        OggVorbis_File vf;
        ov_open_callbacks(&source, &vf, nullptr, 0, callbacks);
        int link;
        while (ov_read(&vf, out.data(), 4096, 0, 2, 1, &link) > 0) {}
        ov_clear(&vf);
    }
}
BENCHMARK(BM_DecodeVorbisfile)->Unit(benchmark::kMillisecond);

} // namespace

BENCHMARK_MAIN();
