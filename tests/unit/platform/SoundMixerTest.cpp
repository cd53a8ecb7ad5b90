#include <gtest/gtest.h>

#include <cstring>
#include <random>
#include <vector>

#include "platform/AudioSink.h"
#include "platform/SoundMixer.h"

namespace qw::platform {
namespace {

using Frames = std::vector<int16_t>; // interleaved stereo

struct Rig {
    std::shared_ptr<SoundMixer> mixer = SoundMixer::Create();

    std::shared_ptr<SoundBuffer> Make(int rate, int channels, const std::vector<int16_t>& samples) {
        auto b = mixer->MakeBuffer({rate, channels}, static_cast<uint32_t>(samples.size() * 2));
        EXPECT_TRUE(b);
        Write(*b, 0, samples);
        return b;
    }
    static void Write(SoundBuffer& b, uint32_t offset, const std::vector<int16_t>& samples) {
        void *p1, *p2;
        uint32_t n1, n2;
        ASSERT_TRUE(b.Lock(offset, static_cast<uint32_t>(samples.size() * 2), &p1, &n1, &p2, &n2));
        std::memcpy(p1, samples.data(), n1);
        if (n2) std::memcpy(p2, reinterpret_cast<const uint8_t*>(samples.data()) + n1, n2);
        ASSERT_TRUE(b.Unlock(p1, n1, p2, n2));
    }
    Frames Mix(int frames, SoundMixer::Handover h = SoundMixer::Handover::Signal) {
        Frames out(static_cast<size_t>(frames) * 2, 12345);
        mixer->Mix(out.data(), frames, h);
        return out;
    }
};

std::vector<int16_t> Constant(size_t n, int16_t v) {
    return std::vector<int16_t>(n, v);
}

TEST(SoundMixerTest, GainFollowsTheAttenuationRule) {
    struct Case {
        int32_t attenuation, gain;
    } cases[] = {{0, 32767}, {-1, 32730}, {-600, 16423}, {-2000, 3277}, {-9999, 0}, {-10000, 0}};
    for (const Case& c : cases)
        EXPECT_EQ(GainQ15(c.attenuation), c.gain) << c.attenuation;
    EXPECT_EQ(GainQ15(-9000), 1);
}

TEST(SoundMixerTest, VolumeAndPanScaleEachSide) {
    struct Case {
        int channels;
        int32_t volume, pan;
        int16_t left, right;
    } cases[] = {
        {2, 0, 0, 9999, 9999},      {2, -10000, 0, 0, 0},        {2, -600, 0, 5011, 5011},
        {2, -600, 600, 2511, 5011}, {2, 0, -10000, 9999, 0},     {2, 0, 10000, 0, 9999},
        {1, 0, 0, 9999, 9999},      {1, -600, -600, 5011, 2511},
    };
    for (const Case& c : cases) {
        Rig rig;
        auto b =
            rig.Make(kMixRate, c.channels, Constant(64 * static_cast<size_t>(c.channels), 10000));
        b->SetVolume(c.volume);
        b->SetPan(c.pan);
        b->Play(true);
        Frames out = rig.Mix(8);
        for (int f = 0; f < 8; ++f) {
            EXPECT_EQ(out[2 * f], c.left) << c.channels << " " << c.volume << " " << c.pan;
            EXPECT_EQ(out[2 * f + 1], c.right) << c.channels << " " << c.volume << " " << c.pan;
        }
    }
}

TEST(SoundMixerTest, TheSumSaturatesOnce) {
    Rig rig;
    auto a = rig.Make(kMixRate, 2, Constant(32, 30000));
    auto b = rig.Make(kMixRate, 2, Constant(32, 30000));
    auto c = rig.Make(kMixRate, 2, Constant(32, -30000));
    for (auto* x : {a.get(), b.get(), c.get()})
        x->Play(true);
    // 30000 + 30000 - 30000 stays in range because only the final sum is clamped.
    EXPECT_EQ(rig.Mix(4)[0], 29998);
    c->Stop();
    EXPECT_EQ(rig.Mix(4)[1], 32767);
    a->Stop();
    b->SetVolume(-10000);
    EXPECT_EQ(rig.Mix(4)[0], 0);
}

TEST(SoundMixerTest, LoopingWrapsAndAOneShotStopsAtItsEnd) {
    std::vector<int16_t> ramp;
    for (int i = 0; i < 10; ++i)
        ramp.insert(ramp.end(), {static_cast<int16_t>(i * 100), 0});
    Rig rig;
    auto loop = rig.Make(kMixRate, 2, ramp);
    loop->Play(true);
    Frames out = rig.Mix(15);
    for (int f = 0; f < 15; ++f)
        EXPECT_EQ(out[2 * f], (f % 10) * 100 * 32767 >> 15) << f;
    EXPECT_EQ(loop->GetCurrentPosition(), 5u * 4);
    EXPECT_EQ(loop->GetStatus(), SoundBuffer::kStatusPlaying | SoundBuffer::kStatusLooping);

    loop->Stop();
    auto once = rig.Make(kMixRate, 2, ramp);
    once->SetCurrentPosition(7 * 4);
    once->Play(false);
    out = rig.Mix(6);
    EXPECT_EQ(out[0], 699);
    EXPECT_EQ(out[4], 899);
    EXPECT_EQ(out[6], 0); // nothing after the end
    EXPECT_EQ(once->GetStatus(), 0u);
    EXPECT_EQ(once->GetCurrentPosition(), 0u);
}

TEST(SoundMixerTest, PlayOnAPlayingBufferChangesOnlyTheLoopFlag) {
    Rig rig;
    auto b = rig.Make(kMixRate, 2, Constant(40, 100));
    b->Play(true);
    rig.Mix(5);
    b->Play(false);
    EXPECT_EQ(b->GetCurrentPosition(), 5u * 4);
    EXPECT_EQ(b->GetStatus(), SoundBuffer::kStatusPlaying);
    rig.Mix(20); // plays out its last 15 frames and stops
    EXPECT_EQ(b->GetStatus(), 0u);
}

TEST(SoundMixerTest, LocksAcrossTheWrapPublishOnlyAtUnlock) {
    Rig rig;
    auto b = rig.Make(kMixRate, 1, Constant(8, 0));
    void *p1, *p2;
    uint32_t n1, n2;
    ASSERT_TRUE(b->Lock(12, 8, &p1, &n1, &p2, &n2));
    EXPECT_EQ(n1, 4u);
    EXPECT_EQ(n2, 4u);
    EXPECT_FALSE(b->Lock(0, 2, &p1, &n1, &p2, &n2)); // one lock at a time
    auto* s1 = static_cast<int16_t*>(p1);
    auto* s2 = static_cast<int16_t*>(p2);
    s1[0] = 600, s1[1] = 700, s2[0] = 800, s2[1] = 900;
    b->Play(true);
    Frames before = rig.Mix(8);
    for (int16_t v : before)
        EXPECT_EQ(v, 0); // the writer's copy is not heard yet
    ASSERT_TRUE(b->Unlock(p1, n1, p2, n2));
    Frames after = rig.Mix(8);
    std::vector<int> left;
    for (int f = 0; f < 8; ++f)
        left.push_back(after[2 * f]);
    EXPECT_EQ(left, (std::vector<int>{799, 899, 0, 0, 0, 0, 599, 699}));

    EXPECT_FALSE(b->Lock(16, 2, &p1, &n1, &p2, &n2)); // outside
    EXPECT_FALSE(b->Lock(0, 18, &p1, &n1, &p2, &n2)); // larger than the buffer
    ASSERT_TRUE(b->Lock(0, 0, &p1, &n1, &p2, &n2, true));
    EXPECT_EQ(n1, 16u);
    EXPECT_EQ(n2, 0u);
    EXPECT_TRUE(b->Unlock(p1, n1, p2, n2));
}

TEST(SoundMixerTest, DuplicatesShareSamplesButNotTheirCursor) {
    Rig rig;
    std::vector<int16_t> ramp;
    for (int i = 0; i < 16; ++i)
        ramp.push_back(static_cast<int16_t>(i * 1000));
    auto a = rig.Make(kMixRate, 1, ramp);
    auto d = a->Duplicate();
    ASSERT_TRUE(d);
    EXPECT_EQ(d->GetStatus(), 0u);
    a->SetCurrentPosition(8 * 2);
    a->SetPan(SoundBuffer::kPanLeft);
    d->SetPan(SoundBuffer::kPanRight);
    Rig::Write(*a, 0, {-5000}); // visible through the duplicate
    a->Play(true);
    d->Play(true);
    Frames out = rig.Mix(2);
    EXPECT_EQ(out[0], 8000 * 32767 >> 15);
    EXPECT_EQ(out[1], -5000 * 32767 >> 15);
    EXPECT_EQ(out[3], 1000 * 32767 >> 15);
    a.reset(); // the duplicate keeps the samples
    out = rig.Mix(1);
    EXPECT_EQ(out[1], 2000 * 32767 >> 15);
}

TEST(SoundMixerTest, OtherRatesAreInterpolated) {
    Rig rig;
    auto b = rig.Make(22050, 1, {0, 1000, -1001, 3});
    b->Play(false);
    Frames out = rig.Mix(9);
    std::vector<int> left;
    for (int f = 0; f < 9; ++f)
        left.push_back(out[2 * f]);
    // Half-way frames take the floor of the mean; the last frame holds at the end.
    EXPECT_EQ(left, (std::vector<int>{0, 499, 999, -1, -1001, -499, 2, 2, 0}));

    Rig up;
    auto fast = up.Make(88200, 2, {0, 0, 10, 10, 20, 20, 30, 30});
    fast->Play(true);
    out = up.Mix(3);
    EXPECT_EQ(out[0], 0);
    EXPECT_EQ(out[2], 19);
    EXPECT_EQ(out[4], 0); // wrapped: frame 4 is frame 0
}

class CountingNotify : public SoundNotify {
public:
    void Signal(int index) override { signals.push_back(index); }
    void WaitHandled() override { ++waits; }
    std::vector<int> signals;
    int waits = 0;
};

TEST(SoundMixerTest, NotificationsFireWhenTheirFrameIsPassed) {
    Rig rig;
    auto b = rig.Make(kMixRate, 2, Constant(400 * 2, 1));
    auto notify = std::make_shared<CountingNotify>();
    b->SetNotificationPositions({99 * 4, 199 * 4, 299 * 4, 399 * 4}, notify);
    b->Play(true);
    rig.Mix(99);
    EXPECT_TRUE(notify->signals.empty());
    rig.Mix(1);
    EXPECT_EQ(notify->signals, std::vector<int>{0});
    rig.Mix(400, SoundMixer::Handover::WaitHandled); // one full lap: 1, 2, 3 and 0 again
    EXPECT_EQ(notify->signals, (std::vector<int>{0, 1, 2, 3, 0}));
    EXPECT_EQ(notify->waits, 1);
}

TEST(SoundMixerTest, FastPathsGiveTheReferenceBytes) {
    std::mt19937 random(7);
    auto noise = [&](size_t n) {
        std::vector<int16_t> v(n);
        for (auto& s : v)
            s = static_cast<int16_t>(random());
        return v;
    };
    struct Setup {
        int rate, channels;
        size_t frames;
        int32_t volume, pan;
        uint32_t start;
    };
    std::vector<Setup> setups;
    for (int i = 0; i < 12; ++i)
        setups.push_back({i % 3 == 0 ? 22050 : kMixRate, 1 + i % 2,
                          37 + 13 * static_cast<size_t>(i), -static_cast<int32_t>(random() % 3000),
                          static_cast<int32_t>(random() % 4000) - 2000,
                          static_cast<uint32_t>(random() % 30)});
    Rig fast, reference;
    reference.mixer->SetReferenceOnly(true);
    std::vector<std::shared_ptr<SoundBuffer>> keep;
    for (const Setup& s : setups) {
        auto samples = noise(s.frames * static_cast<size_t>(s.channels));
        for (Rig* rig : {&fast, &reference}) {
            auto b = rig->Make(s.rate, s.channels, samples);
            b->SetVolume(s.volume);
            b->SetPan(s.pan);
            b->SetCurrentPosition(s.start * static_cast<uint32_t>(s.channels) * 2);
            b->Play(s.frames % 2 == 0);
            keep.push_back(b);
        }
    }
    for (int block : {1, 7, 64, 333})
        EXPECT_EQ(fast.Mix(block), reference.Mix(block)) << block;
}

TEST(SoundMixerTest, RefusesFormatsAndSizesOutOfRange) {
    auto mixer = SoundMixer::Create();
    EXPECT_FALSE(mixer->MakeBuffer({7999, 2}, 400));
    EXPECT_FALSE(mixer->MakeBuffer({192001, 2}, 400));
    EXPECT_FALSE(mixer->MakeBuffer({44100, 3}, 600));
    EXPECT_FALSE(mixer->MakeBuffer({44100, 2}, 402)); // not whole frames
    EXPECT_FALSE(mixer->MakeBuffer({44100, 2}, 0));
    EXPECT_TRUE(mixer->MakeBuffer({8000, 1}, 2));
    EXPECT_TRUE(mixer->MakeBuffer({192000, 2}, 4));
}

TEST(SoundMixerTest, TheHeadlessSinkPullsWholePassesAndRecordsThem) {
    auto mixer = SoundMixer::Create();
    std::string path = ::testing::TempDir() + "qw_sink_test.wav";
    {
        auto sink = MakeHeadlessAudioSink(mixer, path);
        auto b = mixer->MakeBuffer({kMixRate, 2}, 4 * 2000);
        void *p1, *p2;
        uint32_t n1, n2;
        ASSERT_TRUE(b->Lock(0, 0, &p1, &n1, &p2, &n2, true));
        for (uint32_t i = 0; i < n1 / 2; ++i)
            static_cast<int16_t*>(p1)[i] = static_cast<int16_t>(i);
        b->Unlock(p1, n1, p2, n2);
        sink->Pass(30);
        EXPECT_EQ(sink->Frames(), 1323u);
        b->Play(false);
        sink->Pass(30);
        sink->Pass(10); // 441 frames
        sink->Pass(1);  // 44.1: 44 now, the remainder carried
        sink->Pass(9);
        EXPECT_EQ(sink->Frames(), 1323u * 2 + 441 + 441);
        EXPECT_STREQ(sink->Name(), "null");
    }
    FILE* f = std::fopen(path.c_str(), "rb");
    ASSERT_TRUE(f);
    std::vector<uint8_t> bytes(1 << 16);
    bytes.resize(std::fread(bytes.data(), 1, bytes.size(), f));
    std::fclose(f);
    ASSERT_EQ(bytes.size(), 44u + (1323 * 2 + 882) * 4);
    std::string header = WavHeader((1323 * 2 + 882) * 4);
    EXPECT_EQ(std::string(bytes.begin(), bytes.begin() + 44), header);
    int16_t first;
    std::memcpy(&first, bytes.data() + 44 + 1323 * 4 + 4 * 3, 2); // frame 3 of the second pass
    EXPECT_EQ(first, 6 * 32767 >> 15);
    std::remove(path.c_str());
}

} // namespace
} // namespace qw::platform
