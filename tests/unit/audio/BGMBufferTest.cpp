#include <gtest/gtest.h>

#include <algorithm>
#include <map>
#include <memory>
#include <string>

#include "audio/CBGMBuffer.h"
#include "audio/CDSound.h"
#include "audio/VolumeTable.h"
#include "files/CFileJoin.h"
#include "files/MemberSource.h"
#include "platform/AudioSink.h"
#include "platform/SoundMixer.h"
#include "support/FakeWindow.h"
#include "support/OggFixtures.h"

namespace qw {
namespace {

TEST(VolumeTableTest, Entries) {
    struct Case {
        int index;
        int32_t attenuation;
    } cases[] = {{-5, -10000}, {0, -10000}, {1, -6224}, {2, -5526}, {3, -5115}, {128, -1362},
                 {255, -673},  {497, -6},   {498, -3},  {499, 0},   {900, 0}};
    for (const Case& c : cases)
        EXPECT_EQ(VolumeTableEntry(c.index), c.attenuation) << c.index;
    EXPECT_EQ(VolumeToAttenuation(300), -673); // volumes stop at 255
    EXPECT_EQ(VolumeToAttenuation(-1), -10000);
}

TEST(CmpFNameTest, CutsAtTheFirstDotAndIgnoresCase) {
    struct Case {
        const char *a, *b;
        bool same;
    } cases[] = {{"BGM01", "bgm01.ogg", true},
                 {"bgm01.OGG", "BGM01.wav", true},
                 {"BGM01.a.b", "bgm01", true},
                 {"BGM01", "BGM011", false},
                 {"BGM01.ogg", "BGM02.ogg", false},
                 {"", ".ogg", true},
                 {"A", "", false}};
    for (const Case& c : cases)
        EXPECT_EQ(CmpFName(c.a, c.b), c.same) << c.a << " " << c.b;
}

// Members by name; like an archive, the lookup ignores case and the extension.
class MapSource : public IMemberSource {
public:
    std::optional<Bytes> ReadMember(std::string_view name) override {
        for (const auto& [key, bytes] : files)
            if (CmpFName(key, name)) return bytes;
        return std::nullopt;
    }
    std::map<std::string, Bytes> files;
};

class Settings : public AudioSettingsView {
public:
    int FrameSpeed() const override { return speed; }
    bool MusicSmallVolume() const override { return small; }
    int speed = 1;
    bool small = false;
};

class BGMBufferTest : public ::testing::Test {
protected:
    void SetUp() override {
        ASSERT_TRUE(sound_.Initialize(&window_, 44100, 2, 16));
        ASSERT_TRUE(bgm_.Initialize(&sound_, &files_));
        bgm_.SetSettings(&settings_);
    }
    void TearDown() override {
        bgm_.Release();
        sound_.Release();
    }
    // One tick as the main window runs it: the buffer's Move, then the pass's sound.
    void Tick(int frameMs = 30) {
        bgm_.Move(frameMs);
        sound_.Pass(30);
    }
    int TicksUntilStopped(int limit) {
        for (int i = 1; i <= limit; ++i) {
            Tick();
            if (!bgm_.IsPlaying()) return i;
        }
        return -1;
    }

    test::FakeWindow window_;
    CDSound sound_;
    MapSource files_;
    Settings settings_;
    CBGMBuffer bgm_;
};

TEST_F(BGMBufferTest, TheBufferIsKeptForTheSameFormatAndMadeAgainForAnother) {
    files_.files["A"] = test::ToneOgg(0.5, 44100, 2);
    files_.files["B"] = test::ToneOgg(0.5, 44100, 2, 660.0);
    files_.files["C"] = test::ToneOgg(0.5, 22050, 1);
    ASSERT_TRUE(bgm_.Read("A"));
    const platform::SoundBuffer* first = bgm_.GetSoundBuffer();
    ASSERT_TRUE(first);
    EXPECT_EQ(first->Size(), 44100u * 4 * 8);
    ASSERT_TRUE(bgm_.Play(0, true));
    Tick();
    ASSERT_TRUE(bgm_.Read("B"));
    EXPECT_EQ(bgm_.GetSoundBuffer(), first);
    EXPECT_FALSE(bgm_.IsPlaying()); // a Read stops the piece before
    ASSERT_TRUE(bgm_.Read("C"));
    ASSERT_TRUE(bgm_.GetSoundBuffer());
    EXPECT_EQ(bgm_.GetSoundBuffer()->Format(), (platform::SoundFormat{22050, 1}));
    EXPECT_EQ(bgm_.GetSoundBuffer()->Size(), 22050u * 2 * 8);
    EXPECT_EQ(bgm_.GetName(), "C");
}

TEST_F(BGMBufferTest, AOneShotPlaysItsTailThenStops) {
    files_.files["SHORT"] = test::ToneOgg(0.5, 44100, 2);
    ASSERT_TRUE(bgm_.Read("SHORT.ogg"));
    ASSERT_TRUE(bgm_.Play(0, false));
    EXPECT_TRUE(bgm_.CheckPlaying("short"));
    // The decoded data (and the quarters of silence after it) play out to the buffer's end.
    int ticks = TicksUntilStopped(400);
    EXPECT_GT(ticks, 7000 / 30);
    EXPECT_LE(ticks, 8100 / 30 + 1);
    EXPECT_TRUE(bgm_.HasEnded());
    EXPECT_FALSE(bgm_.CheckPlaying("SHORT"));
    // Stopped at its end, it can be started again.
    EXPECT_TRUE(bgm_.Play(0, false));
}

TEST_F(BGMBufferTest, ALoopingPieceGoesOnPastItsEnd) {
    files_.files["LOOP"] = test::ToneOgg(1.0, 22050, 1);
    ASSERT_TRUE(bgm_.Read("LOOP"));
    ASSERT_TRUE(bgm_.Play(0, true));
    for (int i = 0; i < 12000 / 30; ++i)
        Tick();
    EXPECT_TRUE(bgm_.CheckPlaying("LOOP"));
    EXPECT_FALSE(bgm_.HasEnded());
}

TEST_F(BGMBufferTest, StopWithAFadeFollowsTheFrameSpeed) {
    files_.files["A"] = test::ToneOgg(0.5, 44100, 2);
    struct Case {
        int speed, frameMs, ticks;
    } cases[] = {{1, 30, 35}, {2, 60, 10}, {3, 90, 2}};
    for (const Case& c : cases) {
        settings_.speed = c.speed;
        ASSERT_TRUE(bgm_.Read("A"));
        ASSERT_TRUE(bgm_.Play(0, true));
        bgm_.Stop(1000);
        EXPECT_EQ(bgm_.GetFadeMode(), 2);
        int ticks = 0;
        while (bgm_.IsPlaying() && ticks < 100) {
            bgm_.Move(c.frameMs);
            ++ticks;
        }
        EXPECT_EQ(ticks, c.ticks) << "speed " << c.speed;
        EXPECT_EQ(bgm_.GetFadeMode(), 0);
        // Stopped at once: nothing is left to play until the next Read.
        EXPECT_FALSE(bgm_.Play(0, true));
    }
}

TEST_F(BGMBufferTest, FadeInRaisesTheVolumeToItsSetting) {
    files_.files["A"] = test::ToneOgg(0.5, 44100, 2);
    bgm_.SetVolume(128);
    ASSERT_TRUE(bgm_.Read("A"));
    ASSERT_TRUE(bgm_.Play(300, true));
    EXPECT_EQ(bgm_.GetAttenuation(), -10000);
    Tick();
    EXPECT_EQ(bgm_.GetAttenuation(), -10000); // elapsed 0 when first applied
    Tick();
    EXPECT_EQ(bgm_.GetAttenuation(), VolumeTableEntry(128 * 30 / 300));
    for (int i = 0; i < 10; ++i)
        Tick();
    EXPECT_EQ(bgm_.GetFadeMode(), 0);
    EXPECT_EQ(bgm_.GetAttenuation(), -1362);
    EXPECT_EQ(bgm_.GetSoundBuffer()->GetVolume(), -1362);
    bgm_.SetMute(true);
    EXPECT_EQ(bgm_.GetSoundBuffer()->GetVolume(), -10000);
}

TEST_F(BGMBufferTest, PausesNest) {
    files_.files["A"] = test::ToneOgg(0.5, 44100, 2);
    ASSERT_TRUE(bgm_.Read("A"));
    ASSERT_TRUE(bgm_.Play(0, true));
    Tick();
    bgm_.SetPause(true);
    bgm_.SetPause(true);
    bgm_.SetPause(false);
    EXPECT_EQ(bgm_.GetSoundBuffer()->GetStatus(), 0u);
    Tick();
    EXPECT_TRUE(bgm_.IsPlaying()); // paused, not ended
    bgm_.SetPause(false);
    EXPECT_EQ(bgm_.GetSoundBuffer()->GetStatus(),
              platform::SoundBuffer::kStatusPlaying | platform::SoundBuffer::kStatusLooping);
    EXPECT_EQ(bgm_.GetSoundBuffer()->GetCurrentPosition(), 0u); // resumed from a fresh half
    bgm_.SetPause(false); // more resumes than pauses change nothing
    bgm_.SetPause(true);
    EXPECT_EQ(bgm_.GetSoundBuffer()->GetStatus(), 0u);
    // Lost while paused (the test hook): restored, filled again and played on resume.
    const_cast<platform::SoundBuffer*>(bgm_.GetSoundBuffer())->MarkLost();
    bgm_.SetPause(false);
    EXPECT_EQ(bgm_.GetSoundBuffer()->GetStatus(),
              platform::SoundBuffer::kStatusPlaying | platform::SoundBuffer::kStatusLooping);
}

TEST_F(BGMBufferTest, AVoiceLowersTheMusicWhileTheSettingIsOn) {
    files_.files["A"] = test::ToneOgg(0.5, 44100, 2);
    settings_.small = true;
    bgm_.SetVolume(200);
    ASSERT_TRUE(bgm_.Read("A"));
    ASSERT_TRUE(bgm_.Play(0, true));
    bgm_.SetVoicePlaying(true);
    Tick();
    EXPECT_EQ(bgm_.GetDuckLevel(), 30);
    EXPECT_EQ(bgm_.GetDuckedVolume(), 200 - 100 * 30 / 100);
    for (int i = 0; i < 5; ++i)
        Tick();
    EXPECT_EQ(bgm_.GetDuckLevel(), 100);
    EXPECT_EQ(bgm_.GetDuckedVolume(), 100);
    EXPECT_EQ(bgm_.GetSoundBuffer()->GetVolume(), VolumeTableEntry(100));
    bgm_.SetVoicePlaying(false);
    Tick();
    EXPECT_EQ(bgm_.GetDuckLevel(), 70);
    EXPECT_EQ(bgm_.GetDuckedVolume(), 130);
    // Turned off: the full volume, and the ducked volume is cleared.
    settings_.small = false;
    Tick();
    EXPECT_EQ(bgm_.GetDuckedVolume(), 0);
    EXPECT_EQ(bgm_.GetSoundBuffer()->GetVolume(), VolumeTableEntry(200));
}

TEST_F(BGMBufferTest, BadDataIsRefusedWithOneLine) {
    Bytes good = test::ToneOgg(0.2, 44100, 2);
    Bytes noMagic = good;
    noMagic[0] = 'X';
    Bytes junk = {'O', 'g', 'g', 'S', 1, 2, 3, 4, 5, 6, 7, 8};
    Bytes threeChannels = test::ToneOgg(0.2, 44100, 3), slow = good, fast = good;
    test::PatchOggFormat(slow, 2, 7999);
    test::PatchOggFormat(fast, 2, 192001);
    struct Case {
        const char* name;
        Bytes bytes;
        const char* reason;
    } cases[] = {{"SHORT", {'O', 'g', 'g'}, "shorter"},
                 {"MAGIC", noMagic, "OggS"},
                 {"JUNK", junk, "refused"},
                 {"THREE", threeChannels, "channels"},
                 {"SLOW", slow, "rate"},
                 {"FAST", fast, "rate"},
                 {"MISSING", {}, "cannot be read"}};
    for (const Case& c : cases) {
        if (std::string(c.name) != "MISSING") files_.files[c.name] = c.bytes;
        for (bool cache : {false, true}) {
            ::testing::internal::CaptureStderr();
            EXPECT_FALSE(cache ? bgm_.Cache(c.name) : bgm_.Read(c.name)) << c.name;
            std::string err = ::testing::internal::GetCapturedStderr();
            EXPECT_NE(err.find(c.reason), std::string::npos) << c.name << ": " << err;
            EXPECT_EQ(std::count(err.begin(), err.end(), '\n'), 1) << err;
        }
        EXPECT_FALSE(bgm_.Play(0, true)) << c.name; // nothing is loaded after a failed Read
    }
    // The game goes on: a good piece still plays.
    files_.files["GOOD"] = good;
    EXPECT_TRUE(bgm_.Read("GOOD"));
    EXPECT_TRUE(bgm_.Play(0, true));

    OggStream big;
    MemberStream huge;
    huge.size = kMaxOggBytes + 1;
    std::string why;
    EXPECT_FALSE(big.OpenMember(huge, why));
    EXPECT_NE(why.find("256 MiB"), std::string::npos);
}

TEST_F(BGMBufferTest, AStreamWithoutSamplesEndsEvenWhenLooping) {
    files_.files["EMPTY"] = oggenc::EncodeVorbis({}, 2, 44100);
    ASSERT_TRUE(bgm_.Read("EMPTY"));
    ASSERT_TRUE(bgm_.Play(0, true));
    EXPECT_TRUE(bgm_.HasEnded());
    EXPECT_GT(TicksUntilStopped(400), 0);
}

TEST_F(BGMBufferTest, APreloadServesTheNextReadOfItsName) {
    files_.files["A"] = test::ToneOgg(0.2, 44100, 2);
    ASSERT_TRUE(bgm_.Cache("A.ogg"));
    files_.files.clear(); // the archive no longer has it: only the preload can serve it
    EXPECT_TRUE(bgm_.Read("a"));
    EXPECT_FALSE(bgm_.Read("A")); // used up
}

TEST_F(BGMBufferTest, WithoutADeviceNothingLoads) {
    CBGMBuffer silent;
    ASSERT_TRUE(silent.Initialize(nullptr, &files_));
    files_.files["A"] = test::ToneOgg(0.2, 44100, 2);
    EXPECT_FALSE(silent.Read("A"));
    EXPECT_FALSE(silent.Cache("A"));
    EXPECT_FALSE(silent.Play(0, true));
    silent.Release();
}

} // namespace
} // namespace qw
