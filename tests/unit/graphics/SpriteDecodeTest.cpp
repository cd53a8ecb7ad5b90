// Decoding ".MGD" pictures from memory: the three encodings from hand-made bytes with known
// pixels, the element table, and the refusals of bad data.
#include <gtest/gtest.h>

#include <string>

#include "common/ExecLog.h"
#include "graphics/CDIBSprite.h"
#include "graphics/MgdRunLength.h"
#include "graphics/PngCodec.h"
#include "unit/FuzzCorpus.h"
#include "unit/graphics/SpriteFixtures.h"

namespace qw {
namespace {

using test::MakeMgd;
using test::RunLengthBlock;

std::vector<uint32_t> PixelsOf(const CDIBSprite& s) {
    return {s.GetPixels(), s.GetPixels() + s.GetByteSize() / 4};
}

TEST(SpriteDecode, RawCopiesBgraBytesAndReadsElements) {
    const Bytes data = {0x01, 0x02, 0x03, 0x04, 0x05, 0x06, 0x07, 0x08,
                        0x09, 0x0A, 0x0B, 0x0C, 0x0D, 0x0E, 0x0F, 0x10};
    std::vector<SpriteElement> elements = {{0, 0, 1, 2, 7, -8}, {1, 0, 1, 2, 9, 10}};
    CDIBSprite s;
    ASSERT_TRUE(s.Decode(MakeMgd(2, 2, MgdEncoding::Raw, data, elements, 6)));
    EXPECT_EQ(s.GetWidth(), 2);
    EXPECT_EQ(s.GetHeight(), 2);
    EXPECT_EQ(PixelsOf(s), (std::vector<uint32_t>{0x04030201, 0x08070605, 0x0C0B0A09, 0x100F0E0D}));
    EXPECT_EQ(s.GetElementWords(), 6);
    ASSERT_EQ(s.GetElementCount(), 2);
    EXPECT_EQ(*s.GetElement(0), elements[0]);
    EXPECT_EQ(*s.GetElement(1), elements[1]);
    EXPECT_EQ(s.GetElement(2), nullptr);
    EXPECT_EQ(s.GetElement(-1), nullptr);

    // Four words per element: the two further words are 0.
    ASSERT_TRUE(s.Decode(MakeMgd(2, 2, MgdEncoding::Raw, data, elements, 4)));
    EXPECT_EQ(s.GetElementWords(), 4);
    EXPECT_EQ(*s.GetElement(1), (SpriteElement{1, 0, 1, 2, 0, 0}));
}

TEST(SpriteDecode, RunLengthPlanesWithEveryRunKind) {
    const Bytes alpha = {
        0x00, 0x00,             // literal of no pixels
        0x02, 0x00, 0x10, 0x20, // literal of two
        0x00, 0x80, 0x30,       // repeat word 0x8000: one pixel
        0x04, 0x80, 0xFF,       // repeat of five
    };
    const Bytes colour = {
        0x01, 0x10, 0x20, 0x30, // literal: B, G, R
        0x84,                   // four delta words
        0x00, 0x80,             // 0x8000: unchanged
        0x11, 0x00,             // 0x0011: blue − 1
        0x00, 0x44,             // 0x4400: red − 1
        0x21, 0x84,             // 0x8421: each + 1
        0xC5,                   // invalid control byte: skipped
        0x42, 0x01, 0x02, 0x03, // repeat of three
    };
    OutputExecLog(nullptr);
    InitExecLog();
    CDIBSprite s;
    ASSERT_TRUE(s.Decode(MakeMgd(4, 2, MgdEncoding::RunLength, RunLengthBlock(alpha, colour))));
    EXPECT_EQ(PixelsOf(s), (std::vector<uint32_t>{0x10302010, 0x20302010, 0x3030200F, 0xFF2F200F,
                                                  0xFF302110, 0xFF030201, 0xFF030201, 0xFF030201}));
    EXPECT_NE(FormatExecLog().find("ＲＧＢ展開に失敗"), std::string::npos);
    OutputExecLog(nullptr);
}

TEST(SpriteDecode, DeltaWords) {
    const struct {
        uint32_t base, expected;
        uint16_t word;
    } cases[] = {
        {0x808080, 0x808080, 0x8000}, // bit 15 with nothing to add
        {0x808080, 0x80807F, 0x0011}, // blue − 1
        {0x808080, 0x7F8080, 0x4400}, // red − 1
        {0x808080, 0x807F80, 0x0220}, // green − 1
        {0x808080, 0x9F9F9F, 0xFFFF}, // + 31 each
        {0x808080, 0x717171, 0x7FFF}, // − 15 each
        {0x808080, 0x8F8F8F, 0x3DEF}, // + 15 each
        {0xFF01FF, 0x00FF00, 0x0641}, // wraps modulo 256: R + 1, G − 2 (bit 9), B + 1
    };
    for (const auto& c : cases) {
        const Bytes alpha = {0x01, 0x80, 0xFF};
        const Bytes colour = {0x40,
                              static_cast<uint8_t>(c.base),
                              static_cast<uint8_t>(c.base >> 8),
                              static_cast<uint8_t>(c.base >> 16),
                              0x81,
                              static_cast<uint8_t>(c.word),
                              static_cast<uint8_t>(c.word >> 8)};
        CDIBSprite s;
        ASSERT_TRUE(s.Decode(MakeMgd(2, 1, MgdEncoding::RunLength, RunLengthBlock(alpha, colour))));
        EXPECT_EQ(s.GetPixels()[1], 0xFF000000 | c.expected) << std::hex << c.word;
    }
}

TEST(SpriteDecode, PngKeepsAlphaOnlyWhenThePictureHasIt) {
    const std::vector<uint32_t> pixels = {0x80112233, 0x00445566, 0xFF778899,
                                          0x01AABBCC, 0x7FDDEEFF, 0x10000000};
    for (bool withAlpha : {true, false}) {
        const Bytes png = EncodePng(pixels.data(), 3, 2, withAlpha);
        ASSERT_FALSE(png.empty());
        CDIBSprite s;
        ASSERT_TRUE(s.Decode(MakeMgd(3, 2, MgdEncoding::Png, png, {{1, 1, 2, 1, 5, 6}}, 6)));
        for (size_t i = 0; i < pixels.size(); ++i)
            EXPECT_EQ(s.GetPixels()[i], withAlpha ? pixels[i] : pixels[i] & 0xFFFFFF) << i;
        // The element table follows the end of the PNG stream.
        EXPECT_EQ(*s.GetElement(0), (SpriteElement{1, 1, 2, 1, 5, 6}));
    }
}

TEST(SpriteDecode, PngColourTypesAndDepths) {
    const struct {
        const char* what;
        int depth, colorType, palette;
        Bytes rows;
        bool interlaced;
        std::vector<uint32_t> expected; // empty: refused
    } cases[] = {
        {"palette", 8, 3, 4, {0, 1, 2}, false, {}},
        {"gray", 8, 0, 0, {0, 0x40, 0x80}, false, {0x00404040, 0x00808080}},
        {"gray 2-bit", 2, 0, 0, {0, 0xC0}, false, {0x00FFFFFF, 0x00000000}},
        {"gray+alpha", 8, 4, 0, {0, 0x40, 0x11, 0x80, 0x22}, false, {0x11404040, 0x22808080}},
        // Adam7 on two pixels: pass 1 holds the first, pass 6 the second.
        {"interlaced rgb", 8, 2, 0, {0, 1, 2, 3, 0, 4, 5, 6}, true, {0x00010203, 0x00040506}},
        {"rgba 16-bit",
         16,
         6,
         0,
         {0, 0x12, 0x34, 0x56, 0x78, 0x9A, 0xBC, 0xDE, 0xF0, 1, 2, 3, 4, 5, 6, 7, 8},
         false,
         {0xDE12569A, 0x07010305}},
    };
    for (const auto& c : cases) {
        CDIBSprite s;
        const Bytes png =
            test::MakePngStream(2, 1, c.depth, c.colorType, c.rows, c.palette, c.interlaced);
        const bool ok = s.Decode(MakeMgd(2, 1, MgdEncoding::Png, png));
        EXPECT_EQ(ok, !c.expected.empty()) << c.what;
        if (ok) {
            EXPECT_EQ(PixelsOf(s), c.expected) << c.what;
        } else {
            EXPECT_STREQ(s.GetLastError(), "デコード失敗") << c.what;
        }
    }
}

TEST(SpriteDecode, FormatNumbers) {
    const Bytes data(4, 0x7F);
    for (uint16_t format : {0, 1, 2, 3, 4, 5, 6, 0xFFFF}) {
        Bytes file = MakeMgd(1, 1, MgdEncoding::Raw, data);
        test::PatchU16(file, kMgdFormatOffset, format);
        CDIBSprite s;
        const bool refused = format >= 2 && format <= 5;
        EXPECT_EQ(s.Decode(file), !refused) << format;
        if (refused) {
            EXPECT_STREQ(s.GetLastError(), "フォーマットエラー");
        }
    }
}

Bytes Cut(Bytes b, size_t drop) {
    b.resize(b.size() - drop);
    return b;
}

Bytes WithU32(Bytes b, size_t offset, uint32_t value) {
    StoreLE(std::span<uint8_t>(b), offset, value);
    return b;
}

TEST(SpriteDecode, BadDataIsRefusedWithItsText) {
    const Bytes onePixel = {1, 2, 3, 4};
    const Bytes okAlpha = {0x01, 0x80, 0xFF}; // two pixels of alpha 255
    const Bytes okColour = {0x41, 1, 2, 3};   // two pixels of one colour
    const Bytes rgba2x1 = EncodePng(std::vector<uint32_t>{1, 2, 3}.data(), 3, 1, true);
    Bytes badWords = MakeMgd(1, 1, MgdEncoding::Raw, onePixel);
    test::PatchU16(badWords, badWords.size() - 8 - 2, 5); // words per element 5
    const struct {
        const char* what;
        Bytes file;
        const char* error;
    } cases[] = {
        {"shorter than the header", Bytes(95, 0), "フォーマットエラー"},
        {"width 0", MakeMgd(0, 1, MgdEncoding::Raw, {}), "イメージ作成失敗"},
        {"height 0", MakeMgd(1, 0, MgdEncoding::Raw, {}), "イメージ作成失敗"},
        {"absurd width", MakeMgd(60000, 1, MgdEncoding::Raw, {}), "イメージ作成失敗"},
        {"raw too short", MakeMgd(2, 1, MgdEncoding::Raw, onePixel), "デコード失敗"},
        {"alpha stream past the file",
         MakeMgd(2, 1, MgdEncoding::RunLength, WithU32(RunLengthBlock(okAlpha, okColour), 0, 1000)),
         "デコード失敗"},
        {"alpha literal past its stream",
         MakeMgd(2, 1, MgdEncoding::RunLength, RunLengthBlock({0x02, 0x00, 0xFF}, okColour)),
         "デコード失敗"},
        {"alpha repeat without its byte",
         MakeMgd(2, 1, MgdEncoding::RunLength, RunLengthBlock({0x01, 0x80}, okColour)),
         "デコード失敗"},
        {"alpha control word cut",
         MakeMgd(2, 1, MgdEncoding::RunLength, RunLengthBlock({0x01, 0x80, 0xFF, 0x01}, okColour)),
         "デコード失敗"},
        {"colour literal past its stream",
         MakeMgd(2, 1, MgdEncoding::RunLength, RunLengthBlock(okAlpha, {0x02, 1, 2, 3, 4, 5})),
         "デコード失敗"},
        {"colour repeat past its stream",
         MakeMgd(2, 1, MgdEncoding::RunLength, RunLengthBlock(okAlpha, {0x41, 1, 2})),
         "デコード失敗"},
        {"delta past its stream",
         MakeMgd(2, 1, MgdEncoding::RunLength, RunLengthBlock(okAlpha, {0x41, 1, 2, 3, 0x81, 0})),
         "デコード失敗"},
        {"colour stream length past the file",
         MakeMgd(2, 1, MgdEncoding::RunLength,
                 WithU32(RunLengthBlock(okAlpha, okColour), 4 + okAlpha.size(), 1000)),
         "デコード失敗"},
        {"PNG of another size", MakeMgd(2, 1, MgdEncoding::Png, rgba2x1), "デコード失敗"},
        {"PNG cut short", MakeMgd(3, 1, MgdEncoding::Png, Cut(rgba2x1, 12)), "デコード失敗"},
        {"not a PNG", MakeMgd(1, 1, MgdEncoding::Png, onePixel), "デコード失敗"},
        {"element words 5", badWords, "スプライト要素数エラー"},
        {"element table cut", Cut(MakeMgd(1, 1, MgdEncoding::Raw, onePixel), 1),
         "スプライト要素数エラー"},
        {"element table missing", Cut(MakeMgd(1, 1, MgdEncoding::Raw, onePixel), 8 + 4 + 8),
         "スプライト要素数エラー"},
    };
    for (const auto& c : cases) {
        OutputExecLog(nullptr);
        InitExecLog();
        CDIBSprite s;
        EXPECT_FALSE(s.Decode(c.file)) << c.what;
        EXPECT_STREQ(s.GetLastError(), c.error) << c.what;
        EXPECT_NE(FormatExecLog().find(c.error), std::string::npos) << c.what;
    }
    OutputExecLog(nullptr);
}

// A header may name a picture of up to 16384 × 16384 (a gigabyte) in a file of a hundred bytes;
// the surface must not be allocated before the data is known to be able to fill it.
TEST(SpriteDecode, DataTooSmallForThePictureIsRefusedBeforeAllocating) {
    for (const char* name : {"big-raw-no-pixels.mgd", "big-rle-empty-planes.mgd",
                             "big-png-header-only.mgd", "big-unknown-encoding.mgd"}) {
        const Bytes file = test::ReadCorpusFile("mgd", name);
        ASSERT_EQ(ParseMgdHeader(file)->width, 8192) << name;
        CDIBSprite s;
        EXPECT_FALSE(s.Decode(file)) << name;
        EXPECT_STREQ(s.GetLastError(), "デコード失敗") << name;
        EXPECT_FALSE(s.IsCreated()) << name;
    }

    // Large pictures whose data does fill them still decode: a blank picture is the most
    // compressed one each encoder makes.
    const int side = 1024;
    const std::vector<uint32_t> blank(size_t{side} * side, 0);
    const Bytes png = EncodePng(blank.data(), side, side, true, 9);
    const Bytes planes = EncodeRunLengthPlanes(blank.data(), blank.size());
    for (const Bytes& file : {MakeMgd(side, side, MgdEncoding::Png, png),
                              MakeMgd(side, side, MgdEncoding::RunLength, planes)}) {
        CDIBSprite s;
        EXPECT_TRUE(s.Decode(file)) << s.GetLastError();
        EXPECT_EQ(s.GetWidth(), side);
    }
}

TEST(SpriteDecode, LenientCasesThatStillLookRight) {
    CDIBSprite s;
    // Raw data longer than the picture: the extra bytes are skipped, the table follows them.
    const Bytes eight = {1, 2, 3, 4, 5, 6, 7, 8};
    ASSERT_TRUE(
        s.Decode(MakeMgd(1, 1, MgdEncoding::Raw, eight, {{0, 0, 1, 1, 0, 0}, {3, 4, 5, 6}})));
    EXPECT_EQ(s.GetPixels()[0], 0x04030201u);
    EXPECT_EQ(s.GetElementCount(), 2);

    // Runs past the last pixel are cut there.
    const Bytes alpha = {0x09, 0x80, 0x80};
    const Bytes colour = {0x49, 1, 2, 3, 0x01, 9, 9, 9};
    ASSERT_TRUE(s.Decode(MakeMgd(2, 1, MgdEncoding::RunLength, RunLengthBlock(alpha, colour),
                                 {{0, 0, 2, 1}, {1, 0, 1, 1}})));
    EXPECT_EQ(PixelsOf(s), (std::vector<uint32_t>{0x80030201, 0x80030201}));
    EXPECT_EQ(s.GetElementCount(), 2);

    // A delta run at the very first pixel starts from black.
    ASSERT_TRUE(s.Decode(MakeMgd(1, 1, MgdEncoding::RunLength,
                                 RunLengthBlock({0x01, 0x00, 0xFF}, {0x81, 0x21, 0x84}))));
    EXPECT_EQ(s.GetPixels()[0], 0xFF010101u);

    // Streams that end early leave the rest of the picture blank.
    ASSERT_TRUE(
        s.Decode(MakeMgd(2, 1, MgdEncoding::RunLength, RunLengthBlock({}, {0x01, 1, 2, 3}))));
    EXPECT_EQ(PixelsOf(s), (std::vector<uint32_t>{0x00030201, 0}));

    // An unknown encoding decodes nothing; the table follows the header's 8 spare bytes.
    ASSERT_TRUE(s.Decode(MakeMgd(2, 1, static_cast<MgdEncoding>(7), {}, {{1, 0, 1, 1}})));
    EXPECT_EQ(PixelsOf(s), (std::vector<uint32_t>{0, 0}));
    EXPECT_EQ(*s.GetElement(0), (SpriteElement{1, 0, 1, 1}));
}

TEST(SpriteDecode, ReadThroughAMemberSource) {
    test::MapSource source;
    source.files["A.MGD"] = MakeMgd(1, 1, MgdEncoding::Raw, Bytes{1, 2, 3, 4});
    CDIBSprite s;
    EXPECT_TRUE(s.Read(&source, "A.MGD"));
    EXPECT_EQ(s.GetName(), "A.MGD");
    EXPECT_EQ(s.GetLastError(), nullptr);
    EXPECT_FALSE(s.Read(&source, "B.MGD"));
    EXPECT_STREQ(s.GetLastError(), "オープンエラー");
    EXPECT_EQ(s.GetName(), "B.MGD");
}

TEST(SpriteDecode, CreateNamesAndType) {
    CDIBSprite a, b;
    ASSERT_TRUE(a.Create(5, 3));
    EXPECT_EQ(a.GetElementCount(), 1);
    EXPECT_EQ(*a.GetElement(0), (SpriteElement{0, 0, 5, 3}));
    EXPECT_FALSE(a.InitSprtInfo(2, 3));
    EXPECT_TRUE(a.InitSprtInfo(2, 6));
    EXPECT_EQ(a.GetElementCount(), 2);
    EXPECT_STREQ(a.GetTypeName(), "CDIBSprite");
    a.MakeUniqueName();
    b.MakeUniqueName();
    EXPECT_EQ(a.GetName().rfind("QW", 0), 0u);
    EXPECT_GE(a.GetName().size(), 10u);
    EXPECT_LT(a.GetName().size(), 32u);
    EXPECT_NE(a.GetName(), b.GetName());
}

} // namespace
} // namespace qw
