#include <gtest/gtest.h>

#include <algorithm>
#include <string>
#include <vector>

#include "audio/CDSound.h"
#include "audio/CSEBuffer.h"
#include "audio/VolumeTable.h"
#include "platform/SoundMixer.h"
#include "support/FakeWindow.h"
#include "support/OggFixtures.h"
#include "unit/audio/AudioTestSupport.h"

namespace qw {
namespace {

using platform::SoundBuffer;

class SEBufferTest : public ::testing::Test {
protected:
    void SetUp() override {
        ASSERT_TRUE(sound_.Initialize(&window_, 44100, 2, 16));
        ASSERT_TRUE(se_.Initialize(&sound_, &files_));
        files_.files["BELL"] = test::ToneOgg(0.3, 22050, 1);
    }
    void TearDown() override {
        se_.Release();
        sound_.Release();
    }
    // One tick: the buffer's Move, then 30 ms of sound, kept.
    void Tick(int frameMs = 30) {
        se_.Move(frameMs);
        std::vector<int16_t> block(1323 * 2);
        sound_.GetMixer()->Mix(block.data(), 1323, platform::SoundMixer::Handover::WaitHandled);
        mixed_.insert(mixed_.end(), block.begin(), block.end());
    }
    double LastTickRms() const { return test::Rms(mixed_, mixed_.size() / 2 - 1323, 1323); }
    const SoundBuffer& Buffer(int channel) const { return *se_.GetChannel(channel)->buffer; }

    test::FakeWindow window_;
    CDSound sound_;
    test::MapSource files_;
    CSEBuffer se_;
    std::vector<int16_t> mixed_;
};

TEST_F(SEBufferTest, OneSoundIsDecodedOnceAndSharedByItsChannelsWhateverTheCase) {
    int a = se_.Read("BELL");
    int b = se_.Read("bell");
    int c = se_.Read("Bell");
    EXPECT_EQ(a, 1);
    EXPECT_EQ(b, 2);
    EXPECT_EQ(c, 3);
    EXPECT_EQ(files_.reads, 1);
    EXPECT_EQ(se_.GetSound(0)->uses, 3);
    EXPECT_FALSE(se_.GetSound(1)->master);
    for (int ch : {a, b, c})
        EXPECT_EQ(se_.GetChannel(ch)->sound, 0);
    // The channels play at once, each on its own cursor: two started together sound twice as
    // loud as one.
    ASSERT_TRUE(se_.Play(a, 0, false));
    Tick();
    double one = LastTickRms();
    ASSERT_TRUE(se_.Play(a, 0, false));
    ASSERT_TRUE(se_.Play(b, 0, false));
    Tick();
    EXPECT_NEAR(LastTickRms(), 2 * one, one * 0.02);
    // Freed channels give their uses back; the name stays until the sweep.
    se_.Free(b);
    se_.Free(c);
    EXPECT_EQ(se_.GetSound(0)->uses, 1);
    // A name with an extension is another sound, even where the archive finds the same file.
    int other = se_.Read("BELL.OGG");
    EXPECT_NE(other, 0);
    EXPECT_EQ(se_.GetChannel(other)->sound, 1);
}

TEST_F(SEBufferTest, TheTablesHold256ChannelsAnd256Sounds) {
    for (int i = 1; i <= 256; ++i)
        ASSERT_EQ(se_.Read("BELL"), i);
    ::testing::internal::CaptureStderr();
    EXPECT_EQ(se_.Read("BELL"), 0);
    std::string err = ::testing::internal::GetCapturedStderr();
    EXPECT_NE(err.find("no free channel"), std::string::npos) << err;
    se_.Free(100);
    EXPECT_EQ(se_.Read("BELL"), 100); // the first free channel

    for (int i = 1; i <= 256; ++i)
        se_.Free(i);
    Bytes bytes = files_.files["BELL"];
    for (int i = 0; i < 256; ++i)
        files_.files["S" + std::to_string(i)] = bytes;
    // BELL has no channel left but is kept until the sweep: 255 more sounds fit.
    for (int i = 0; i < 255; ++i)
        ASSERT_EQ(se_.Read("S" + std::to_string(i)), i + 1) << i;
    ::testing::internal::CaptureStderr();
    EXPECT_EQ(se_.Read("S255"), 0);
    err = ::testing::internal::GetCapturedStderr();
    EXPECT_NE(err.find("no free sound entry"), std::string::npos) << err;
    for (int t = 0; t * 30 <= CSEBuffer::kSweepMs + 30; ++t)
        se_.Move(30);
    EXPECT_FALSE(se_.GetSound(0)->master);
    EXPECT_EQ(se_.Read("S255"), 256);
    EXPECT_EQ(se_.GetChannel(256)->sound, 0);
}

TEST_F(SEBufferTest, FadesAutoFreeAndTheSweepFollowTheFrameTime) {
    // A 500 ms fade-out: the factor falls to 0 in 500 ms, the buffer stops in that Move, and
    // the next Move finds the channel inactive.
    int ch = se_.Read("BELL");
    ASSERT_TRUE(se_.Play(ch, 0, true));
    Tick();
    se_.Stop(ch, 500);
    EXPECT_EQ(se_.GetFadeMode(ch), 2);
    std::vector<int> factors;
    while (Buffer(ch).GetStatus() & SoundBuffer::kStatusPlaying && factors.size() < 40) {
        Tick();
        factors.push_back(se_.GetChannel(ch)->fadeFactor);
    }
    ASSERT_EQ(factors.size(), 18u); // elapsed 0, 30, …, 480, 500
    EXPECT_EQ(factors.front(), 255);
    EXPECT_EQ(factors[1], 255 - 30 * 255 / 500);
    EXPECT_EQ(factors.back(), 0);
    EXPECT_TRUE(std::is_sorted(factors.rbegin(), factors.rend()));
    EXPECT_EQ(se_.GetFadeMode(ch), 0);
    EXPECT_TRUE(se_.IsPlay(ch));
    Tick();
    EXPECT_FALSE(se_.IsPlay(ch));

    // A fade-in starts silent: no burst before the first Move.
    se_.SetVolume(200);
    ASSERT_TRUE(se_.Play(ch, 300, false));
    EXPECT_EQ(se_.GetChannel(ch)->fadeFactor, 0);
    EXPECT_EQ(Buffer(ch).GetVolume(), -10000);
    Tick();
    EXPECT_EQ(LastTickRms(), 0.0);
    Tick();
    EXPECT_EQ(Buffer(ch).GetVolume(), VolumeTableEntry(200 * (30 * 255 / 300) / 255));
    EXPECT_GT(LastTickRms(), 0.0);

    // Auto free: in the first Move after the sound has stopped by itself.
    int once = se_.PlayAutoFree("BELL", 0);
    ASSERT_NE(once, 0);
    EXPECT_EQ(se_.GetSound(0)->uses, 2);
    int ticks = 0;
    while (se_.GetChannel(once)->buffer && ticks < 40) {
        bool playedBefore = Buffer(once).GetStatus() & SoundBuffer::kStatusPlaying;
        Tick();
        ++ticks;
        if (se_.GetChannel(once)->buffer) continue;
        EXPECT_FALSE(playedBefore); // freed by the Move right after it stopped
    }
    // 300 ms of sound: about ten blocks, then freed in the next Move.
    EXPECT_GE(ticks, 11);
    EXPECT_LE(ticks, 12);
    EXPECT_EQ(se_.GetSound(0)->uses, 1);

    // The sweep: every 10000 ms (the timer passes 10000 first), sounds without channels go.
    se_.Free(ch);
    CSEBuffer fresh;
    ASSERT_TRUE(fresh.Initialize(&sound_, &files_));
    int k = fresh.Read("BELL");
    fresh.Free(k);
    int moves = 0;
    while (fresh.GetSound(0)->master && moves < 1000) {
        fresh.Move(30);
        ++moves;
    }
    EXPECT_EQ(moves, 10020 / 30 + 1);
    EXPECT_EQ(fresh.GetReleaseTimer(), 0);
}

TEST_F(SEBufferTest, HurriedFadesEndAtTheNextMove) {
    int ch = se_.Read("BELL");
    ASSERT_TRUE(se_.Play(ch, 2000, true));
    Tick();
    se_.FinishFade(ch);
    Tick();
    EXPECT_EQ(se_.GetChannel(ch)->fadeFactor, 255);
    se_.Stop(ch, 2000);
    Tick();
    se_.FinishFade(ch);
    Tick();
    EXPECT_EQ(se_.GetChannel(ch)->fadeFactor, 0);
    EXPECT_EQ(Buffer(ch).GetStatus(), 0u);
}

TEST_F(SEBufferTest, ChannelsOutsideTheTableOrFreeDoNothing) {
    int used = se_.Read("BELL");
    ASSERT_TRUE(se_.Play(used, 0, true));
    for (int ch : {-1, 0, 2, 257, 1 << 30}) {
        EXPECT_FALSE(se_.IsPlay(ch)) << ch;
        EXPECT_EQ(se_.GetFadeMode(ch), 0) << ch;
        EXPECT_FALSE(se_.Play(ch, 0, false)) << ch;
        se_.Stop(ch, 100);
        se_.Free(ch);
        se_.FinishFade(ch);
        EXPECT_EQ(se_.GetSlotRecord(ch).name[0], 0) << ch;
    }
    EXPECT_TRUE(se_.IsPlay(used));
    EXPECT_EQ(se_.GetSound(0)->uses, 1);
    se_.Free(used);
    se_.Free(used); // twice: the use count is not taken twice
    EXPECT_EQ(se_.GetSound(0)->uses, 0);
}

TEST_F(SEBufferTest, PauseResumesPlayingChannelsAndDecodesLostSoundsAgain) {
    int playing = se_.Read("BELL"), stopped = se_.Read("BELL"), prepared = se_.Read("BELL");
    ASSERT_TRUE(se_.Play(playing, 0, true));
    ASSERT_TRUE(se_.Play(stopped, 0, true));
    Tick();
    se_.Stop(stopped, 0);
    Tick();
    se_.SetPause(true);
    se_.SetPause(true);
    EXPECT_EQ(sound_.GetMixer()->PlayingCount(), 1); // the device's own silent buffer
    se_.SetPause(false);
    EXPECT_EQ(sound_.GetMixer()->PlayingCount(), 1); // still paused once
    Tick();
    EXPECT_TRUE(se_.IsPlay(playing)); // Move holds while paused
    // Started while paused: it waits for the resume.
    int during = se_.Read("BELL");
    ASSERT_TRUE(se_.Play(during, 0, false));
    EXPECT_EQ(Buffer(during).GetStatus(), 0u);

    // The device loses the sound (the test hook zeroes its samples).
    se_.GetSound(0)->master->MarkLost();
    const_cast<SoundBuffer&>(Buffer(playing)).MarkLost();
    int readsBefore = files_.reads;
    se_.SetPause(false);
    EXPECT_EQ(files_.reads, readsBefore + 1); // read again by name
    EXPECT_EQ(Buffer(playing).GetStatus(),
              SoundBuffer::kStatusPlaying | SoundBuffer::kStatusLooping);
    EXPECT_EQ(Buffer(during).GetStatus(), SoundBuffer::kStatusPlaying);
    EXPECT_EQ(Buffer(stopped).GetStatus(), 0u);
    EXPECT_EQ(Buffer(prepared).GetStatus(), 0u);
    Tick();
    EXPECT_GT(LastTickRms(), 1000.0); // the samples are back
    se_.SetPause(false);              // more resumes than pauses change nothing
    EXPECT_EQ(se_.GetPauseCount(), 0);
}

TEST_F(SEBufferTest, BadDataAndLongNamesAreRefusedWithOneLine) {
    Bytes good = test::ToneOgg(0.2, 44100, 2);
    Bytes noMagic = good;
    noMagic[0] = 'X';
    Bytes truncated = test::ToneOgg(2.0, 44100, 2);
    truncated.resize(truncated.size() / 2);
    struct Case {
        std::string name;
        Bytes bytes;
        const char* reason;
    } cases[] = {{"SHORT", {'O', 'g', 'g'}, "shorter"},
                 {"MAGIC", noMagic, "OggS"},
                 {"JUNK", {'O', 'g', 'g', 'S', 1, 2, 3, 4, 5, 6, 7, 8}, "refused"},
                 {"THREE", test::ToneOgg(0.2, 44100, 3), "channels"},
                 {"EMPTY", oggenc::EncodeVorbis({}, 2, 44100), "no samples"},
                 {"CUT", truncated, "no samples"}, // no complete page of samples left
                 {"MISSING", {}, "cannot be read"},
                 {std::string(32, 'N'), good, "longer than 31"}};
    for (const Case& c : cases) {
        if (c.name != "MISSING") files_.files[c.name] = c.bytes;
        for (bool once : {false, true}) {
            ::testing::internal::CaptureStderr();
            EXPECT_EQ(once ? se_.PlayAutoFree(c.name, 0) : se_.Read(c.name), 0) << c.name;
            std::string err = ::testing::internal::GetCapturedStderr();
            EXPECT_NE(err.find(c.reason), std::string::npos) << c.name << ": " << err;
            EXPECT_EQ(std::count(err.begin(), err.end(), '\n'), 1) << err;
        }
    }
    EXPECT_FALSE(se_.GetChannel(1)->buffer);
    // A name of 31 bytes fits.
    files_.files[std::string(31, 'L')] = good;
    EXPECT_NE(se_.Read(std::string(31, 'L')), 0);
    // Without a device nothing is read.
    CSEBuffer silent;
    ASSERT_TRUE(silent.Initialize(nullptr, &files_));
    EXPECT_EQ(silent.Read("BELL"), 0);
    EXPECT_EQ(silent.PlayAutoFree("BELL", 0), 0);
    silent.Move(30);
}

// The sizes a whole decode takes, checked before anything is allocated. (The decoder's count
// follows the packets, so a file cannot claim more than it holds: the rule is tested alone.)
TEST(SEDecodeSize, TheCountMustBeKnownAndTheSizeAtMost0x0FFFFFFF) {
    struct Case {
        int64_t frames;
        int channels;
        const char* refusal; // null: taken
    } cases[] = {{-1, 2, "no sample count"},
                 {0, 1, "no samples"},
                 {1, 1, nullptr},
                 {0x3FFFFFF, 2, nullptr},
                 {0x4000000, 2, "more than 0x0FFFFFFF"},
                 {0x7FFFFFF, 1, nullptr},
                 {0x8000000, 1, "more than 0x0FFFFFFF"},
                 {INT64_MAX / 2, 2, "more than 0x0FFFFFFF"}};
    for (const Case& c : cases) {
        std::string why;
        uint64_t bytes = 0;
        bool taken =
            CSEBuffer::DecodedSize(c.frames, platform::SoundFormat{22050, c.channels}, bytes, why);
        EXPECT_EQ(taken, c.refusal == nullptr) << c.frames;
        if (c.refusal) {
            EXPECT_NE(why.find(c.refusal), std::string::npos) << c.frames << why;
        } else {
            EXPECT_EQ(bytes, static_cast<uint64_t>(c.frames) * 2 * c.channels);
        }
    }
}

TEST_F(SEBufferTest, SlotRecordsGoOutAndComeBack) {
    files_.files["LOOPER"] = test::ToneOgg(0.5, 22050, 1);
    int looping = se_.Read("LOOPER"), idle = se_.Read("bell");
    ASSERT_TRUE(se_.Play(looping, 0, true));
    Tick();
    std::vector<uint8_t> file(3 * SESlotRecord::kSize, 0xEE);
    int slots[3] = {looping, idle, 0};
    for (int i = 0; i < 3; ++i)
        CSEBuffer::WriteSlotRecord(se_.GetSlotRecord(slots[i]), &file[i * SESlotRecord::kSize]);
    EXPECT_EQ(std::string(reinterpret_cast<const char*>(file.data())), "LOOPER");
    EXPECT_EQ(file[32], 1);
    EXPECT_EQ(file[33], 1);
    EXPECT_EQ(std::string(reinterpret_cast<const char*>(&file[34])), "bell");
    EXPECT_EQ(file[34 + 32], 0);
    EXPECT_TRUE(std::all_of(file.begin() + 68, file.end(), [](uint8_t b) { return b == 0; }));

    // Loading: the old channels stop and go, the records are read again, the playing one plays.
    int restored[3];
    for (int i = 0; i < 3; ++i)
        restored[i] =
            se_.RestoreSlot(slots[i], CSEBuffer::ReadSlotRecord(&file[i * SESlotRecord::kSize]));
    EXPECT_NE(restored[0], 0);
    EXPECT_NE(restored[1], 0);
    EXPECT_EQ(restored[2], 0);
    EXPECT_TRUE(se_.IsPlay(restored[0]));
    EXPECT_TRUE(se_.GetChannel(restored[0])->loop);
    EXPECT_FALSE(se_.IsPlay(restored[1]));
    EXPECT_EQ(se_.GetSound(0)->uses, 1);
    EXPECT_EQ(se_.GetSound(1)->uses, 1);
    // A record whose name fills all 32 bytes is cut to 31, never read past.
    std::vector<uint8_t> full(SESlotRecord::kSize, 'Z');
    EXPECT_EQ(std::string(CSEBuffer::ReadSlotRecord(full.data()).name.data()),
              std::string(31, 'Z'));
}

} // namespace
} // namespace qw
