#include <gtest/gtest.h>

#include "app/CursorFile.h"
#include "unit/FuzzCorpus.h"

namespace qw {
namespace {

// A 2 × 2 cursor file: `bpp` bits per pixel, the given XOR rows (bottom row first) and AND mask.
Bytes MakeCursor(uint16_t bpp, const Bytes& xorRows, const Bytes& andRows, const Bytes& palette,
                 uint16_t hotX, uint16_t hotY) {
    ByteWriter image;
    image.Put<uint32_t>(40);
    image.Put<int32_t>(2);
    image.Put<int32_t>(4);
    image.Put<uint16_t>(1);
    image.Put<uint16_t>(bpp);
    image.PutZeros(16);
    image.Put<uint32_t>(static_cast<uint32_t>(palette.size() / 4));
    image.Put<uint32_t>(0);
    image.PutBytes(palette);
    image.PutBytes(xorRows);
    image.PutBytes(andRows);
    ByteWriter file;
    file.Put<uint16_t>(0);
    file.Put<uint16_t>(2);
    file.Put<uint16_t>(1);
    file.Put<uint8_t>(2);
    file.Put<uint8_t>(2);
    file.Put<uint16_t>(0);
    file.Put<uint16_t>(hotX);
    file.Put<uint16_t>(hotY);
    file.Put<uint32_t>(static_cast<uint32_t>(image.Size()));
    file.Put<uint32_t>(22);
    file.PutBytes(image.Data());
    return file.Take();
}

TEST(CursorFile, DecodesBitmapsWithMasksHotSpotsAndAnimatedFirstFrames) {
    // 1 bit per pixel, palette black/white; bottom row: white, black; top row: black, white.
    // The mask makes the top-left pixel transparent.
    Bytes mono = MakeCursor(1, {0x80, 0, 0, 0, 0x40, 0, 0, 0}, {0, 0, 0, 0, 0x80, 0, 0, 0},
                            {0, 0, 0, 0, 0xFF, 0xFF, 0xFF, 0}, 1, 0);
    auto c = DecodeCursorFile(mono);
    ASSERT_TRUE(c);
    EXPECT_EQ(std::tuple(c->width, c->height, c->hotX, c->hotY), std::tuple(2, 2, 1, 0));
    EXPECT_EQ(c->pixels, (std::vector<uint32_t>{0x00000000, 0xFFFFFFFF, 0xFFFFFFFF, 0xFF000000}));

    // 32 bits with their own alpha ignore the mask.
    ByteWriter rows;
    for (uint32_t p : {0x80FF0000u, 0x00000000u, 0xFF0000FFu, 0xFF00FF00u})
        rows.Put<uint32_t>(p);
    Bytes argb = MakeCursor(32, rows.Data(), Bytes(8, 0xFF), {}, 0, 1);
    c = DecodeCursorFile(argb);
    ASSERT_TRUE(c);
    EXPECT_EQ(c->pixels, (std::vector<uint32_t>{0xFF0000FF, 0xFF00FF00, 0x80FF0000, 0x00000000}));

    // An animated cursor shows its first frame.
    ByteWriter list;
    list.PutBytes(std::string_view("fram"));
    list.PutBytes(std::string_view("icon"));
    list.Put<uint32_t>(static_cast<uint32_t>(argb.size()));
    list.PutBytes(argb);
    ByteWriter ani;
    ani.PutBytes(std::string_view("RIFF"));
    ani.Put<uint32_t>(static_cast<uint32_t>(4 + 8 + list.Size()));
    ani.PutBytes(std::string_view("ACON"));
    ani.PutBytes(std::string_view("LIST"));
    ani.Put<uint32_t>(static_cast<uint32_t>(list.Size()));
    ani.PutBytes(list.Data());
    auto first = DecodeCursorFile(ani.Data());
    ASSERT_TRUE(first);
    EXPECT_EQ(first->pixels, c->pixels);

    // Cut files and other formats are refused.
    Bytes cut = argb;
    cut.resize(cut.size() - 20);
    EXPECT_FALSE(DecodeCursorFile(cut));
    EXPECT_FALSE(DecodeCursorFile(Bytes{'B', 'M', 0, 0}));
}

// Chunk sizes near 2^32 once made the step over a chunk wrap to 0 (a decoder that never
// returned). Every walk must end, and a frame that does not fit is not decoded.
TEST(CursorFile, AnimatedCursorChunkWalkAlwaysEnds) {
    EXPECT_FALSE(DecodeCursorFile(test::ReadCorpusPayload("app_inputs", "ani-chunk-size-wraps")));

    auto ani = [](uint32_t outerSize, uint32_t innerSize, size_t tail) {
        ByteWriter w;
        w.PutBytes(std::string_view("RIFF"));
        w.Put<uint32_t>(0xFFFFFFFFu);
        w.PutBytes(std::string_view("ACON"));
        w.PutBytes(std::string_view("LIST"));
        w.Put<uint32_t>(outerSize);
        w.PutBytes(std::string_view("fram"));
        w.PutBytes(std::string_view("icon"));
        w.Put<uint32_t>(innerSize);
        w.PutZeros(tail);
        return w.Take();
    };
    struct Case {
        uint32_t outer, inner;
    };
    for (Case c : {Case{0xFFFFFFF8u, 0xFFFFFFF8u}, Case{0xFFFFFFF7u, 0xFFFFFFF7u},
                   Case{0xFFFFFFFFu, 0xFFFFFFFFu}, Case{0xFFFFFFF8u, 8}, Case{20, 0xFFFFFFF8u},
                   Case{0, 0}}) {
        EXPECT_FALSE(DecodeCursorFile(ani(c.outer, c.inner, 16))) << c.outer << " " << c.inner;
    }
}

} // namespace
} // namespace qw
