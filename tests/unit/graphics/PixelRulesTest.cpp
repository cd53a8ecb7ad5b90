#include <gtest/gtest.h>

#include "graphics/CDIBImage.h"
#include "graphics/PixelKernelsScalar.h"
#include "graphics/PixelRules.h"

namespace qw {

namespace {

struct Case {
    uint32_t d, s, c, want;
};

template <typename Rule>
void CheckTable(const char* name, Rule rule, std::initializer_list<Case> cases) {
    for (const Case& k : cases)
        EXPECT_EQ(rule(k.d, k.s, k.c), k.want)
            << name << std::hex << " d=" << k.d << " s=" << k.s << " c=" << k.c;
}

} // namespace

TEST(PixelRules, BltBlend) {
    CheckTable("BltBlend", pixel::BltBlend,
               {
                   {0x80112233, 0x00FFFFFF, 0xFFFFFFFF, 0x80112233}, // transparent source
                   {0x80112233, 0xFF445566, 0x00000000, 0x80112233}, // colour 0 draws nothing
                   {0x12345678, 0xFFABCDEF, 0xFFFFFFFF, 0xFFABCDEF}, // opaque replaces exactly
                   {0xFF0000FF, 0x80FF0000, 0xFFFFFFFF, 0xBF80007F}, // alpha (255·127+128²)/255
                   {0xFF204060, 0xFF808080, 0x80FF8000, 0xBF50402F}, // tint, alpha too
                   {0x11223344, 0x01FFFFFF, 0x80FFFFFF, 0x11223344}, // tinted alpha 0
               });
}

TEST(PixelRules, BltFastAndModulate) {
    CheckTable("BltFast", pixel::BltFast,
               {
                   {0x11223344, 0x00FFFFFF, 0xFFFFFFFF, 0x11223344}, // transparent: untouched
                   {0x11223344, 0x01ABCDEF, 0x00000000, 0xFF000000},
                   {0x11223344, 0x01ABCDEF, 0xFFFFFFFF, 0xFFABCDEF},
                   {0x11223344, 0x40FF8040, 0x00804020, 0xFF802008},
               });
    const auto modulate = [](uint32_t, uint32_t s, uint32_t c) { return pixel::Modulate(s, c); };
    CheckTable("Modulate", modulate,
               {
                   {0, 0x12345678, 0x00FFFFFF, 0xFF345678},
                   {0, 0x12345678, 0xFF000000, 0xFF000000},
                   {0, 0x40FF8040, 0x00804020, 0x40802008}, // keeps the source alpha
                   {0, 0x00FF8040, 0x00804020, 0x00802008}, // written whatever the alpha
               });
}

TEST(PixelRules, BlendShiftsByEight) {
    const auto blend = [](uint32_t d, uint32_t s, uint32_t c) {
        BlendPixel(&d, s, c);
        return d;
    };
    CheckTable(
        "BlendPixel", blend,
        {
            {0x12345678, 0x00FFFFFF, 0xFFFFFFFF, 0x12345678}, // transparent: skipped
            {0x12345678, 0xFFFFFFFF, 0xFFFFFFFF, 0xFEFEFEFE}, // opaque white gives 254
            {0x00000000, 0xFFFFFFFF, 0xFFFFFFFF, 0xFEFEFEFE},
            {0x12345678, 0xFF102030, 0xFFFFFFFF, 0xFE0F1F2F},
            {0x00000000, 0xFFFFFFFF, 0x80FFFFFF, 0x3F7E7E7E}, // tint by (s × c) >> 8: a = 127
            {0xFFFFFFFF, 0xFF000000, 0x00FFFFFF, 0xFEFEFEFE}, // tinted alpha 0 still darkens
        });
    CheckTable("XorBlend", pixel::XorBlend,
               {
                   {0x12345678, 0x00FFFFFF, 0xFFFFFFFF, 0x12345678},
                   {0x12345678, 0xFFFFFFFF, 0xFFFFFFFF, 0xFE010101},
               });
}

TEST(PixelRules, AddOneAndGray) {
    CheckTable("AddBlend", pixel::AddBlend,
               {
                   {0x10203040, 0xFFFFFFFF, 0x00000000, 0x10203040},
                   {0x10F01010, 0x80FF8000, 0xFFFFFFFF, 0x90FF5010}, // saturates at 255
                   {0x10203040, 0x80FFFFFF, 0x01FFFFFF, 0x10203040}, // tinted alpha 0
                   {0xF0000000, 0x20000000, 0xFFFFFFFF, 0xFF000000}, // alpha saturates
               });
    CheckTable("OneBlend", pixel::OneBlend,
               {
                   {0x11223344, 0x00FFFFFF, 0xFFFF0000, 0x11223344},
                   {0x400000FF, 0xFF000000, 0x80FF0000, 0xC080007F}, // source is only a mask
               });
    CheckTable("GrayBlend", pixel::GrayBlend,
               {
                   {0x11223344, 0xFFFFFFFF, 0x00000000, 0x11223344},
                   {0x00000000, 0xFF640000, 0xFFFFFFFF, 0xFF1E1E1E}, // grey of red 100 is 30
                   {0xFF0000FF, 0xFF640000, 0x80FF0000, 0xFF0F007F},
               });
}

TEST(PixelRules, BilinearFadesAndFixMul) {
    // A plane of 255 samples as 253; half way between 0 and 255 is 127.
    EXPECT_EQ(pixel::Bilinear(~0u, ~0u, ~0u, ~0u, 0, 0), 0xFDFDFDFDu);
    EXPECT_EQ(pixel::Bilinear(~0u, ~0u, ~0u, ~0u, 128, 64), 0xFDFDFDFDu);
    EXPECT_EQ(pixel::Bilinear(0, ~0u, 0, ~0u, 128, 0), 0x7F7F7F7Fu);
    // The last column and row are taken as they are.
    const uint32_t plane[4] = {~0u, ~0u, ~0u, ~0u};
    EXPECT_EQ(scalar::BilinearAt(plane, 2, 2, 0x8000, 0x8000), 0xFDFDFDFDu);
    EXPECT_EQ(scalar::BilinearAt(plane, 2, 2, 0x18000, 0x8000), 0xFFFFFFFFu);
    EXPECT_EQ(scalar::BilinearAt(plane, 2, 2, 0x8000, 0x18000), 0xFFFFFFFFu);

    EXPECT_EQ(pixel::Fade255(0, ~0u, 0), 0u);
    EXPECT_EQ(pixel::Fade255(0, ~0u, 128), 0x80808080u);
    EXPECT_EQ(pixel::Fade255(0x12345678, 0x9ABCDEF0, 255), 0x9ABCDEF0u);
    EXPECT_EQ(pixel::FadeShift8(0, ~0u, 255), 0xFEFEFEFEu);

    EXPECT_EQ(FixMul16(0x10000, 0x10000), 0x10000);
    EXPECT_EQ(FixMul16(-0x18000, 0x20000), -0x30000);
    EXPECT_EQ(FixMul16(0x40000000, 0x8000), 0x20000000); // needs the 64-bit product
}

} // namespace qw
