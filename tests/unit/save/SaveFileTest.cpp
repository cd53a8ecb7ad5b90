#include <gtest/gtest.h>

#include <cstring>

#include "common/Bytes.h"
#include "files/CMD5.h"
#include "files/TitleKeyStream.h"
#include "save/SaveFile.h"

namespace qw {
namespace {

using savefile::Contents;

constexpr const char* kTitle = "Quillwork";

Contents Sample(int width, int height, size_t stateBytes) {
    Contents c;
    c.summary.header = savefile::Header(kTitle);
    std::strcpy(c.summary.subtitle.data(), "chapter");
    c.summary.thumbWidth = width;
    c.summary.thumbHeight = height;
    c.pixels.resize(size_t(width) * size_t(height) * 4);
    for (size_t i = 0; i < c.pixels.size(); ++i)
        c.pixels[i] = static_cast<uint8_t>(i * 7);
    c.locals[0] = 11;
    c.locals[999] = -2;
    std::strcpy(c.scenario.data(), "START");
    std::strcpy(c.strings[255].data(), "s255");
    std::strcpy(c.imageNames[1].data(), "BG01");
    std::strcpy(c.musicList[2].data(), "BGM02");
    std::strcpy(c.music.data(), "BGM02");
    c.musicPlaying = 1;
    c.musicLoop = 1;
    std::memcpy(c.effects[3].data(), "SE03", 4);
    c.effects[3][32] = 1;
    c.effects[3][33] = 0;
    std::strcpy(c.voices[4].data(), "V04");
    c.state.resize(stateBytes);
    for (size_t i = 0; i < c.state.size(); ++i)
        c.state[i] = static_cast<uint8_t>(i * 13 + 1);
    return c;
}

uint32_t U32(const Bytes& b, size_t at) {
    return *LoadLE<uint32_t>(b, at);
}
std::string_view Str(const Bytes& b, size_t at) {
    return *LoadFixedString(b, at, 64);
}

// Every field at its offset, for the 160 × 120 thumbnail and for a save without one.
TEST(SaveFileTest, FieldsLieAtTheirOffsets) {
    struct Case {
        int w, h;
        size_t pixels; // bytes between offset 112 and the locals
    };
    for (Case k : {Case{160, 120, 76800}, Case{0, 0, 0}}) {
        SCOPED_TRACE(k.w);
        TitleKeyCache keys;
        const Bytes file = savefile::Write(Sample(k.w, k.h, 5), kTitle, keys);
        const size_t d = k.pixels - 76800; // shift from the 160 × 120 offsets
        EXPECT_EQ(file.size(), 155478 + d + 5);
        EXPECT_EQ(std::string_view(reinterpret_cast<const char*>(file.data()), 32),
                  CMD5::Hex("QuillworkSaveData"));
        EXPECT_EQ(U32(file, 32), 78642 + k.pixels);
        EXPECT_EQ(Str(file, 36), "chapter");
        EXPECT_EQ(U32(file, 100), k.pixels);
        EXPECT_EQ(U32(file, 104), uint32_t(k.w));
        EXPECT_EQ(U32(file, 108), uint32_t(k.h));
        if (k.pixels) {
            EXPECT_EQ(file[112 + 1], 7);
        }
        EXPECT_EQ(U32(file, 76912 + d), 11u);
        EXPECT_EQ(U32(file, 76912 + d + 999 * 4), uint32_t(-2));
        EXPECT_EQ(Str(file, 80912 + d), "START");
        EXPECT_EQ(Str(file, 81168 + d + 255 * 64), "s255");
        EXPECT_EQ(Str(file, 97552 + d + 64), "BG01");
        EXPECT_EQ(Str(file, 113936 + d + 128), "BGM02");
        EXPECT_EQ(Str(file, 130320 + d), "BGM02");
        EXPECT_EQ(file[130384 + d], 1);
        EXPECT_EQ(file[130385 + d], 1);
        EXPECT_EQ(std::string_view(reinterpret_cast<const char*>(&file[130386 + d + 3 * 34]), 4),
                  "SE03");
        EXPECT_EQ(file[130386 + d + 3 * 34 + 32], 1);
        EXPECT_EQ(Str(file, 139090 + d + 4 * 64), "V04");
        EXPECT_EQ(U32(file, 155474 + d), 5u);
    }
}

// Block i of the state is XORed with the hex digest of title + i; the last block may be short.
TEST(SaveFileTest, StateIsScrambledPerBlock) {
    for (size_t n : {size_t(0), size_t(33)}) {
        SCOPED_TRACE(n);
        TitleKeyCache keys;
        Contents c = Sample(0, 0, n);
        std::fill(c.state.begin(), c.state.end(), 0);
        const Bytes file = savefile::Write(c, kTitle, keys);
        ASSERT_EQ(file.size(), 78678 + n);
        const std::string key0 = CMD5::Hex("Quillwork0"), key1 = CMD5::Hex("Quillwork1");
        for (size_t i = 0; i < n; ++i)
            EXPECT_EQ(file[78678 + i], static_cast<uint8_t>(i < 32 ? key0[i] : key1[i - 32])) << i;
        auto back = savefile::Parse(file, kTitle, keys);
        ASSERT_TRUE(back) << back.Reason();
        EXPECT_EQ(back->state, c.state);
    }
}

TEST(SaveFileTest, CachedKeysMatchTheKeyStream) {
    Bytes a(1000), b(1000);
    for (size_t i = 0; i < a.size(); ++i)
        a[i] = b[i] = static_cast<uint8_t>(i);
    TitleKeyCache keys;
    keys.Xor(std::span<uint8_t>(a).first(40), "Other"); // a shorter run first, another title
    keys.Xor(std::span<uint8_t>(a).first(40), "Other");
    keys.Xor(a, "Quillwork");
    XorTitleKeyStream(b, "Quillwork");
    EXPECT_EQ(a, b);
}

TEST(SaveFileTest, ParsedFileWritesBackTheSameBytes) {
    TitleKeyCache keys;
    Bytes file = savefile::Write(Sample(160, 120, 777), kTitle, keys);
    // An upper-case header is the same header; bytes after the state are ignored.
    for (size_t i = 0; i < 32; ++i)
        file[i] = static_cast<uint8_t>(std::toupper(file[i]));
    file[130320 + 63] = 'x'; // an unterminated name is kept as it is in the file
    Bytes padded = file;
    padded.insert(padded.end(), {1, 2, 3});
    auto parsed = savefile::Parse(padded, kTitle, keys);
    ASSERT_TRUE(parsed) << parsed.Reason();
    EXPECT_EQ(parsed->locals[0], 11);
    EXPECT_EQ(savefile::Write(*parsed, kTitle, keys), file);
}

TEST(SaveFileTest, RefusesWithTheReason) {
    TitleKeyCache keys;
    const Bytes good = savefile::Write(Sample(160, 120, 100), kTitle, keys);
    const Bytes bare = savefile::Write(Sample(0, 0, 100), kTitle, keys);
    struct Case {
        const char* what;
        Bytes file;
        const char* reason;
    };
    auto patched = [](Bytes b, size_t at, uint32_t v) {
        StoreLE<uint32_t>(b, at, v);
        return b;
    };
    auto cut = [](Bytes b, size_t n) {
        b.resize(n);
        return b;
    };
    Bytes bareSized = patched(bare, 104, 5000); // w, h of a save without picture are not checked
    ASSERT_TRUE(savefile::Parse(bareSized, kTitle, keys));
    const Case cases[] = {
        {"another title", good, "header differs"},
        {"length", patched(good, 32, 155443), "main block length 155443"},
        {"count", patched(good, 100, 76804), "byte count 76804"},
        {"width", patched(patched(good, 104, 801), 100, 801 * 120 * 4), "801 x 120"},
        {"height 0", patched(good, 108, 0), "160 x 0"},
        {"no picture, length", patched(bare, 32, 155442), "main block length"},
        {"state over 1 MiB", patched(good, 155474, 1048577), "1048577 bytes"},
        {"state past the end", cut(good, good.size() - 1), "cut short: 155577 of 155578"},
        {"no state length", cut(good, 155475), "cut short: 155475 of 155478"},
        {"summary", cut(good, 111), "cut short: 111 of 112"},
    };
    for (const Case& k : cases) {
        SCOPED_TRACE(k.what);
        auto r = savefile::Parse(k.file, std::string(k.what) == "another title" ? "Other" : kTitle,
                                 keys);
        ASSERT_FALSE(r);
        EXPECT_NE(r.Reason().find(k.reason), std::string::npos) << r.Reason();
    }
}

} // namespace
} // namespace qw
