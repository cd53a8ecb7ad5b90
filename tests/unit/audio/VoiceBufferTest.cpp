#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <string>
#include <vector>

#include "audio/CBGMBuffer.h"
#include "audio/CDSound.h"
#include "audio/CVoiceBuffer.h"
#include "audio/VolumeTable.h"
#include "files/ArchiveWriter.h"
#include "files/CFileJoin.h"
#include "platform/SoundMixer.h"
#include "support/FakeWindow.h"
#include "support/OggFixtures.h"
#include "unit/audio/AudioTestSupport.h"
#include "unit/files/FilesTestDir.h"

namespace qw {
namespace {

using platform::SoundBuffer;

// A line of `seconds` whose tone changes from `hz1` to `hz2` at `switchAt` seconds (44100 Hz
// stereo), so where a stream is can be heard.
Bytes TwoToneOgg(double seconds, double switchAt, double hz1, double hz2) {
    size_t frames = static_cast<size_t>(seconds * 44100);
    std::vector<int16_t> pcm(frames * 2);
    for (size_t i = 0; i < frames; ++i) {
        double t = static_cast<double>(i) / 44100;
        double hz = t < switchAt ? hz1 : hz2;
        pcm[2 * i] = pcm[2 * i + 1] =
            static_cast<int16_t>(10000 * std::sin(2 * 3.14159265358979 * hz * t));
    }
    return oggenc::EncodeVorbis(pcm, 2, 44100, 0.3f);
}

class VoiceBufferTest : public ::testing::Test {
protected:
    void SetUp() override {
        ASSERT_TRUE(sound_.Initialize(&window_, 44100, 2, 16));
        ASSERT_TRUE(voice_.Initialize(&sound_, &files_));
    }
    void TearDown() override {
        voice_.Release();
        sound_.Release();
    }
    // One tick: Move, then 30 ms of sound, kept.
    void Tick() {
        voice_.Move(30);
        std::vector<int16_t> block(1323 * 2);
        sound_.GetMixer()->Mix(block.data(), 1323, platform::SoundMixer::Handover::WaitHandled);
        mixed_.insert(mixed_.end(), block.begin(), block.end());
    }
    int TicksUntilStopped(int limit) {
        for (int i = 1; i <= limit; ++i) {
            Tick();
            if (!voice_.IsPlaying()) return i;
        }
        return -1;
    }
    size_t Frames() const { return mixed_.size() / 2; }
    // The last frame with sound, + 1.
    size_t HeardUntil() const {
        size_t end = Frames();
        while (end > 0 && mixed_[2 * end - 2] == 0)
            --end;
        return end;
    }

    test::FakeWindow window_;
    CDSound sound_;
    test::MapSource files_;
    CVoiceBuffer voice_;
    std::vector<int16_t> mixed_;
};

TEST_F(VoiceBufferTest, AShortLinePlaysOnceAndALongOneStopsWithinAQuarterOfItsEnd) {
    for (double seconds : {0.8, 1.9, 2.5, 5.3}) {
        SCOPED_TRACE(seconds);
        files_.files["V"] = test::ToneOgg(seconds, 44100, 2, 300.0);
        mixed_.clear();
        ASSERT_TRUE(voice_.Read("V", false));
        EXPECT_TRUE(voice_.IsMemoryForm());
        ASSERT_TRUE(voice_.Play(0, false));
        int ticks = TicksUntilStopped(400);
        ASSERT_GT(ticks, 0);
        const double length = seconds * 1000;
        // Heard to its end, once: sound up to the end, silence after.
        size_t heard = HeardUntil();
        EXPECT_NEAR(static_cast<double>(heard) / 44.1, length, 30.0);
        EXPECT_GT(test::Rms(mixed_, heard - 4410, 4410), 1000.0);
        // Stopped after its end, with at most one quarter (1000 ms) of silence, plus the tick
        // in which Move sees it. A line that ends in the first half plays that half once.
        EXPECT_GE(ticks * 30, length);
        EXPECT_LE(ticks * 30, std::max(length + 1000, 2000.0) + 60);
        EXPECT_TRUE(voice_.HasEnded());
    }
}

TEST_F(VoiceBufferTest, ANewReadStopsThePlayingVoiceAndStopWaitsForTheThread) {
    files_.files["A"] = test::ToneOgg(3.0, 44100, 2);
    files_.files["B"] = test::ToneOgg(1.0, 22050, 1);
    ASSERT_TRUE(voice_.Read("A", false));
    ASSERT_TRUE(voice_.Play(0, false));
    for (int i = 0; i < 40; ++i)
        Tick();
    ASSERT_TRUE(voice_.IsPlaying());
    ASSERT_TRUE(voice_.Read("B", false));
    EXPECT_FALSE(voice_.IsPlaying());
    ASSERT_TRUE(voice_.GetSoundBuffer());
    EXPECT_EQ(voice_.GetSoundBuffer()->GetStatus(), 0u);
    EXPECT_EQ(voice_.GetSoundBuffer()->Format(), (platform::SoundFormat{22050, 1}));
    EXPECT_EQ(voice_.GetSoundBuffer()->Size(), 22050u * 2 * 4);
    EXPECT_EQ(voice_.GetName(), "B");
    // Stop (0) leaves nothing to play until the next Read.
    ASSERT_TRUE(voice_.Play(0, false));
    Tick();
    voice_.Stop(0);
    EXPECT_FALSE(voice_.IsPlaying());
    EXPECT_FALSE(voice_.Play(0, false));
    // A fade-out stops it when it has run.
    ASSERT_TRUE(voice_.Read("A", false));
    ASSERT_TRUE(voice_.Play(0, false));
    Tick();
    voice_.Stop(300);
    EXPECT_EQ(TicksUntilStopped(40), 11);
}

TEST_F(VoiceBufferTest, ResumeGoesOnWithTheStream) {
    // 440 Hz for the first 1.5 s, 880 Hz after: on resume the buffer is filled again from where
    // the stream is (two quarters ahead), so the line goes on, not from its start.
    files_.files["L"] = TwoToneOgg(5.0, 1.5, 440, 880);
    ASSERT_TRUE(voice_.Read("L", false));
    ASSERT_TRUE(voice_.Play(0, false));
    for (int i = 0; i < 10; ++i)
        Tick();
    voice_.SetPause(true);
    EXPECT_EQ(voice_.GetSoundBuffer()->GetStatus(), 0u);
    Tick();
    EXPECT_TRUE(voice_.IsPlaying());
    size_t resumedAt = Frames();
    // Lost while paused (the test hook): restored and filled again on resume.
    const_cast<SoundBuffer*>(voice_.GetSoundBuffer())->MarkLost();
    EXPECT_EQ(voice_.GetSoundBuffer()->GetStatus(), SoundBuffer::kStatusLost);
    voice_.SetPause(false);
    EXPECT_EQ(voice_.GetSoundBuffer()->GetStatus(),
              SoundBuffer::kStatusPlaying | SoundBuffer::kStatusLooping);
    Tick();
    Tick();
    EXPECT_GT(test::ToneLevel(mixed_, resumedAt, 2646, 880),
              4 * test::ToneLevel(mixed_, resumedAt, 2646, 440));
    EXPECT_GT(TicksUntilStopped(400), 0);
    // Resumed after its data ended it does not play again.
    files_.files["S"] = test::ToneOgg(0.5, 44100, 2);
    ASSERT_TRUE(voice_.Read("S", false));
    ASSERT_TRUE(voice_.Play(0, false));
    Tick();
    voice_.SetPause(true);
    voice_.SetPause(false);
    EXPECT_EQ(voice_.GetSoundBuffer()->GetStatus(), 0u);
    Tick();
    EXPECT_FALSE(voice_.IsPlaying());
}

TEST_F(VoiceBufferTest, TheCharacterComesFromTheFirstMatchingPrefix) {
    EXPECT_EQ(voice_.GetCharaCount(), 0);
    EXPECT_EQ(voice_.GetCharaNo("KA0001"), 8); // an empty table: every voice is character 8
    voice_.SetCharaPrefix(0, 0, "ka");
    voice_.SetCharaPrefix(0, 5, "KAN");
    voice_.SetCharaPrefix(2, 0, "KAN"); // character 0 comes first
    voice_.SetCharaPrefix(2, 1, "MI_");
    voice_.SetCharaPrefix(200, 31, "ZZ");
    voice_.SetCharaPrefix(201, 0, "TOOLONGPREFIX");
    voice_.SetCharaPrefix(256, 0, "X");
    voice_.SetCharaPrefix(3, 32, "Y");
    EXPECT_EQ(voice_.GetCharaCount(), 202);
    struct Case {
        const char* name;
        int character;
    } cases[] = {{"KA0001", 0}, {"kan0002", 0}, {"MI_0003", 2}, {"mi_0004", 2},
                 {"MI0005", 8}, {"ka", 8},      {"zz1", 200},   {"TOOLONGP1", 201},
                 {"X0001", 8},  {"Y0001", 8},   {"", 8},        {"ZZ", 8}};
    for (const Case& c : cases)
        EXPECT_EQ(voice_.GetCharaNo(c.name), c.character) << c.name;
}

TEST_F(VoiceBufferTest, OneCharactersMuteSilencesOnlyItsLines) {
    voice_.SetCharaPrefix(3, 0, "KA");
    voice_.SetCharaPrefix(250, 0, "RE");
    files_.files["KA0001"] = test::ToneOgg(1.0, 44100, 2);
    files_.files["MI0001"] = test::ToneOgg(1.0, 44100, 2);
    files_.files["RE0001"] = test::ToneOgg(1.0, 44100, 2);
    voice_.SetVolume(128);
    voice_.SetCharaMute(3, true);
    voice_.SetCharaMute(250, true);
    struct Case {
        const char* name;
        int32_t attenuation;
    } cases[] = {{"KA0001", -10000}, {"MI0001", -1362}, {"RE0001", -10000}};
    for (const Case& c : cases) {
        ASSERT_TRUE(voice_.Read(c.name, false));
        ASSERT_TRUE(voice_.Play(0, false));
        EXPECT_EQ(voice_.GetSoundBuffer()->GetVolume(), c.attenuation) << c.name;
    }
    // Unmatched names are character 8: its mute covers them.
    voice_.SetCharaMute(8, true);
    ASSERT_TRUE(voice_.Read("MI0001", false));
    ASSERT_TRUE(voice_.Play(0, false));
    EXPECT_EQ(voice_.GetAttenuation(), -10000);
    voice_.SetMuteBypass(true);
    EXPECT_EQ(voice_.GetAttenuation(), -1362);
    ASSERT_TRUE(voice_.Play(0, false)); // Play clears the bypass
    EXPECT_EQ(voice_.GetAttenuation(), -10000);
    voice_.SetCharaMute(8, false);
    EXPECT_EQ(voice_.GetAttenuation(), -1362);
    voice_.SetMute(true);
    EXPECT_EQ(voice_.GetAttenuation(), -10000);
}

TEST_F(VoiceBufferTest, AFadeInStartsSilent) {
    files_.files["A"] = test::ToneOgg(2.0, 44100, 2);
    voice_.SetVolume(200);
    ASSERT_TRUE(voice_.Read("A", false));
    ASSERT_TRUE(voice_.Play(300, false));
    EXPECT_EQ(voice_.GetSoundBuffer()->GetVolume(), -10000);
    Tick();
    EXPECT_EQ(test::Rms(mixed_, 0, 1323), 0.0);
    Tick();
    EXPECT_EQ(voice_.GetAttenuation(), VolumeTableEntry(200 * 30 / 300));
    for (int i = 0; i < 12; ++i)
        Tick();
    EXPECT_EQ(voice_.GetFadeMode(), 0);
    EXPECT_EQ(voice_.GetAttenuation(), VolumeTableEntry(200));
}

TEST_F(VoiceBufferTest, MusicDucksUnderAVoiceInTheSameMixer) {
    // Music at 441 Hz and a voice at 1500 Hz: the music's tone falls to the ducked volume's
    // gain while the voice is heard.
    test::Settings settings;
    settings.small = true;
    CBGMBuffer bgm;
    ASSERT_TRUE(bgm.Initialize(&sound_, &files_));
    bgm.SetSettings(&settings);
    files_.files["MUSIC"] = test::ToneOgg(2.0, 44100, 2, 441.0);
    files_.files["LINE"] = test::ToneOgg(3.0, 44100, 2, 1500.0);
    bgm.SetVolume(128);
    ASSERT_TRUE(bgm.Read("MUSIC"));
    ASSERT_TRUE(bgm.Play(0, true));
    auto tick = [&] {
        bgm.Move(30);
        Tick();
    };
    for (int i = 0; i < 10; ++i)
        tick();
    const double full = test::ToneLevel(mixed_, Frames() - 4410, 4410, 441);
    ASSERT_TRUE(voice_.Read("LINE", false));
    ASSERT_TRUE(voice_.Play(0, false));
    bgm.SetVoicePlaying(true);
    for (int i = 0; i < 20; ++i)
        tick();
    EXPECT_EQ(bgm.GetDuckedVolume(), 64);
    const double ducked = test::ToneLevel(mixed_, Frames() - 4410, 4410, 441);
    const double expected = std::pow(10.0, (VolumeTableEntry(64) - VolumeTableEntry(128)) / 2000.0);
    EXPECT_NEAR(ducked / full, expected, 0.03);
    EXPECT_GT(test::ToneLevel(mixed_, Frames() - 4410, 4410, 1500), ducked);
    bgm.Release();
}

TEST_F(VoiceBufferTest, BadDataIsRefusedWithOneLineAndACutLineEndsInSilence) {
    Bytes good = test::ToneOgg(0.2, 44100, 2);
    Bytes noMagic = good;
    noMagic[0] = 'X';
    Bytes threeChannels = test::ToneOgg(0.2, 44100, 3);
    struct Case {
        std::string name;
        Bytes bytes;
        const char* reason;
    } cases[] = {{"SHORT", {'O', 'g', 'g'}, "shorter"},
                 {"MAGIC", noMagic, "OggS"},
                 {"JUNK", {'O', 'g', 'g', 'S', 1, 2, 3, 4, 5, 6, 7, 8}, "refused"},
                 {"THREE", threeChannels, "channels"},
                 {"MISSING", {}, "cannot be read"},
                 {std::string(260, 'N'), good, "longer than 259"}};
    for (const Case& c : cases) {
        if (c.name != "MISSING") files_.files[c.name] = c.bytes;
        ::testing::internal::CaptureStderr();
        EXPECT_FALSE(voice_.Read(c.name, false)) << c.name;
        std::string err = ::testing::internal::GetCapturedStderr();
        EXPECT_NE(err.find(c.reason), std::string::npos) << c.name << ": " << err;
        EXPECT_EQ(std::count(err.begin(), err.end(), '\n'), 1) << err;
        EXPECT_FALSE(voice_.Play(0, false));
    }
    // The map source holds no files: the file form finds nothing.
    files_.files["GOOD"] = good;
    ::testing::internal::CaptureStderr();
    EXPECT_FALSE(voice_.Read("GOOD", true));
    EXPECT_NE(::testing::internal::GetCapturedStderr().find("cannot be found"), std::string::npos);
    // An empty stream and a cut one play what they have and end.
    Bytes cut = test::ToneOgg(3.0, 44100, 2);
    cut.resize(cut.size() / 2);
    files_.files["EMPTY"] = oggenc::EncodeVorbis({}, 2, 44100);
    files_.files["CUT"] = cut;
    for (const char* name : {"EMPTY", "CUT"}) {
        ASSERT_TRUE(voice_.Read(name, false)) << name;
        ASSERT_TRUE(voice_.Play(0, false));
        EXPECT_GT(TicksUntilStopped(400), 0) << name;
        EXPECT_TRUE(voice_.HasEnded());
    }
    CVoiceBuffer silent;
    ASSERT_TRUE(silent.Initialize(nullptr, &files_));
    EXPECT_FALSE(silent.Read("GOOD", false));
    EXPECT_FALSE(silent.Play(0, false));
    silent.Release();
}

class VoiceFileFormTest : public qw::testing::FilesTestDir {};

TEST_F(VoiceFileFormTest, StreamsFromTheArchiveWhileTheMainThreadReadsIt) {
    Bytes line = TwoToneOgg(6.0, 2.5, 440, 660);
    std::vector<ArchiveMemberData> members = {{"LINE.OGG", line}};
    for (int i = 0; i < 8; ++i)
        members.push_back({"PAD" + std::to_string(i) + ".OGG", Bytes(70000 + i, uint8_t(i))});
    std::string error;
    auto archive = BuildArchive(ArchiveFormat::Fjsys, members, error);
    ASSERT_TRUE(archive) << error;
    Write("VOICE", *archive);
    CFileJoin join;
    ASSERT_TRUE(join.Initialize(Dir(), "VOICE", ".OGG"));

    test::FakeWindow window;
    CDSound sound;
    ASSERT_TRUE(sound.Initialize(&window, 44100, 2, 16));
    auto run = [&](bool fromFile) {
        CVoiceBuffer voice;
        EXPECT_TRUE(voice.Initialize(&sound, &join));
        EXPECT_TRUE(voice.Read("line", fromFile));
        EXPECT_EQ(voice.IsMemoryForm(), !fromFile);
        EXPECT_TRUE(voice.Play(0, false));
        std::vector<int16_t> out;
        for (int t = 0; t < 300 && voice.IsPlaying(); ++t) {
            voice.Move(30);
            // The main thread reads the same archive between the refills.
            join.Open("PAD" + std::to_string(t % 8));
            uint8_t scratch[4096];
            join.SeekEntry(static_cast<uint64_t>(t) * 100);
            join.ReadBytes(scratch, sizeof scratch);
            EXPECT_TRUE(join.ReadMember("PAD" + std::to_string((t + 3) % 8)));
            std::vector<int16_t> block(1323 * 2);
            sound.GetMixer()->Mix(block.data(), 1323, platform::SoundMixer::Handover::WaitHandled);
            out.insert(out.end(), block.begin(), block.end());
        }
        EXPECT_FALSE(voice.IsPlaying());
        voice.Release();
        return out;
    };
    std::vector<int16_t> memory = run(false), file = run(true);
    ASSERT_GT(memory.size(), 6u * 44100 * 2);
    EXPECT_TRUE(memory == file) << "the streamed line differs from the one read whole";
    sound.Release();
}

} // namespace
} // namespace qw
