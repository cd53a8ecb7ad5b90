// A chunk header may claim up to 2 GiB. Both PNG readers refuse such a stream without allocating
// what it claims (the suite's sanitizer settings cap a single allocation, so a reader that trusts
// the length fails here instead of passing slowly).
#include <gtest/gtest.h>

#include <vector>

#include "graphics/PngCodec.h"
#include "unit/FuzzCorpus.h"
#include "unit/graphics/SpriteFixtures.h"

namespace qw {
namespace {

// A 4 × 2 RGB picture with a chunk of `type` after IHDR whose header claims `length` bytes of
// which only 16 follow.
Bytes WithOversizedChunk(const char* type, uint32_t length) {
    Bytes rows;
    for (int y = 0; y < 2; ++y) {
        rows.push_back(0);
        rows.insert(rows.end(), 12, static_cast<uint8_t>(y * 40));
    }
    Bytes png = test::MakePngStream(4, 2, 8, 2, rows);
    Bytes chunk;
    test::PutBE32(chunk, length);
    chunk.insert(chunk.end(), type, type + 4);
    chunk.insert(chunk.end(), 16, 's');
    png.insert(png.begin() + 33, chunk.begin(), chunk.end()); // after signature and IHDR
    return png;
}

TEST(PngChunkLimit, ClaimedChunkLengthsAreNotAllocated) {
    for (const char* type : {"sPLT", "tEXt", "zTXt", "iTXt", "iCCP", "eXIf"}) {
        SCOPED_TRACE(type);
        Bytes png = WithOversizedChunk(type, 0x7FFFFFF0u);
        std::vector<uint32_t> pixels(8);
        EXPECT_FALSE(DecodePng(png, pixels.data(), 4, 2));
        auto any = DecodeAnyPng(png, 1024);
        ASSERT_FALSE(any);
        EXPECT_EQ(any.Reason(),
                  std::string("the ") + type + " chunk claims 2147483632 bytes where 77 remain");
    }
    // The stream is still read when the chunk is whole.
    Bytes rows(26, 0);
    Bytes good = test::MakePngStream(4, 2, 8, 2, rows);
    std::vector<uint32_t> pixels(8);
    EXPECT_TRUE(DecodePng(good, pixels.data(), 4, 2));
    EXPECT_TRUE(DecodeAnyPng(good, 1024));
}

TEST(PngChunkLimit, FuzzFindingIsRefused) {
    // A palette picture whose sPLT chunk claims 1.9 GiB.
    Bytes png = test::ReadCorpusFile("png_picture", "splt-length-1-9gib.png");
    ASSERT_FALSE(png.empty());
    auto picture = DecodeAnyPng(png, 1024);
    EXPECT_FALSE(picture);
}

} // namespace
} // namespace qw
