#include <gtest/gtest.h>

#include <vector>

#include "common/Random.h"
#include "graphics/CDIBImage.h"
#include "graphics/CDIBSprite.h"
#include "graphics/CRegion.h"
#include "graphics/MgdFormat.h"
#include "text/MesCell.h"

namespace qw {
namespace {

// A window background of random opaque pixels (every pixel differs from its neighbours), and a
// text image of the default text area (8, 8)–(645, 116).
struct CellFixture {
    CDIBImage background, text;
    CellFixture() {
        EXPECT_TRUE(background.Create(700, 160));
        EXPECT_TRUE(text.Create(638, 109));
        Lcg random(11);
        for (int i = 0; i < 700 * 160; ++i)
            background.GetPixels()[i] =
                0xFF000000u | (uint32_t(random.Next()) << 9 ^ uint32_t(random.Next()));
        text.FillFull(0x12345678);
        text.CreateRGN();
    }
    MesCellTarget Target(CDIBSprite* glyphs = nullptr) {
        MesCellTarget t;
        t.text = &text;
        t.background = &background;
        t.backgroundX = 20;
        t.backgroundY = 10;
        t.glyphs = glyphs;
        t.leftX = 8;
        t.topY = 8;
        t.profile = &Cp932TextProfile();
        return t;
    }
};

MesDrawItem Word(uint8_t b0, uint8_t b1, int x, int y, bool shadow) {
    MesDrawItem item;
    item.type = kMesDrawWord;
    item.character[0] = b0;
    item.character[1] = b1;
    item.x = x;
    item.y = y;
    item.fontSize = 24;
    item.textColour = 0xFFE0C0A0;
    item.shadowColour = 0xFF102030;
    item.shadow = shadow;
    return item;
}

// What the cell steps give, composed here from the surface's own operations: the background
// copied in, the drawing, then pixels equal in RGB to the background cleared.
void ComposeExpected(CellFixture& f, CDIBImage& expected, const MesDrawItem& item,
                     void (*draw)(CDIBImage&, int, int)) {
    const int x = item.x - 8, y = item.y - 8, n = item.fontSize + 2;
    for (int py = 0; py < n; ++py)
        for (int px = 0; px < n; ++px)
            expected.Row(y + py)[x + px] = f.background.Row(10 + item.y + py)[20 + item.x + px];
    draw(expected, x, y);
    for (int py = 0; py < n; ++py)
        for (int px = 0; px < n; ++px) {
            uint32_t& p = expected.Row(y + py)[x + px];
            if (((p ^ f.background.Row(10 + item.y + py)[20 + item.x + px]) & 0xFFFFFF) == 0) p = 0;
        }
}

void ExpectSame(const CDIBImage& a, const CDIBImage& b) {
    for (int i = 0; i < a.GetWidth() * a.GetHeight(); ++i)
        ASSERT_EQ(a.GetPixels()[i], b.GetPixels()[i])
            << "at " << i % a.GetWidth() << "," << i / a.GetWidth();
}

TEST(MesCell, CharacterWithAndWithoutShadow) {
    for (bool shadow : {false, true}) {
        CellFixture f;
        CDIBImage expected;
        ASSERT_TRUE(expected.Create(638, 109));
        expected.FillFull(0x12345678);
        const MesDrawItem item = Word(0x8A, 0xBF, 58, 36, shadow); // 漢
        static bool withShadow;
        withShadow = shadow;
        ComposeExpected(f, expected, item, [](CDIBImage& img, int x, int y) {
            img.SetTextProfile(Cp932TextProfile());
            img.BeginDrawString(Cp932TextProfile().face, 24, 400, false, false, false, 0);
            if (withShadow)
                img.DrawStringS(x, y, 2, 2, 0xFFE0C0A0, 0xFF102030, "\x8A\xBF");
            else
                img.DrawString(x, y, 0xFFE0C0A0, "\x8A\xBF");
            img.EndDrawString();
        });
        DrawMesCell(f.Target(), item);
        ExpectSame(f.text, expected);
        // The text is there, the rest of the cell is transparent, and the cell is dirty.
        int ink = 0, clear = 0;
        for (int py = 28; py < 54; ++py)
            for (int px = 50; px < 76; ++px)
                (f.text.Row(py)[px] == 0 ? clear : ink) += 1;
        EXPECT_GT(ink, 40);
        EXPECT_GT(clear, 200);
        EXPECT_TRUE(f.text.GetRGN()->Contains(50, 28));
        EXPECT_TRUE(f.text.GetRGN()->Contains(75, 53));
        EXPECT_FALSE(f.text.GetRGN()->Contains(76, 53));
    }
}

// A special glyph comes from FONT.MGD entry n − 1, stretched to the font size at +1 (its shadow
// at +3 first); a missing entry leaves only the cleared cell.
TEST(MesCell, SpecialGlyphFromTheGlyphPicture) {
    // Two 4 × 4 entries: an opaque white square and a half-transparent grey one.
    std::vector<uint8_t> data;
    for (int y = 0; y < 4; ++y)
        for (int x = 0; x < 8; ++x) {
            const bool first = x < 4;
            data.insert(data.end(), {uint8_t(first ? 255 : 128), uint8_t(first ? 255 : 128),
                                     uint8_t(first ? 255 : 128), uint8_t(first ? 255 : 128)});
        }
    const std::vector<SpriteElement> elements = {{0, 0, 4, 4}, {4, 0, 4, 4}};
    static CDIBSprite glyphs;
    ASSERT_TRUE(glyphs.Decode(BuildMgdFile(8, 4, MgdEncoding::Raw, data, elements, 4)));

    struct Case {
        uint8_t glyph;
        bool shadow;
    };
    for (const Case c : {Case{1, false}, Case{1, true}, Case{2, true}, Case{3, true}}) {
        CellFixture f;
        CDIBImage expected;
        ASSERT_TRUE(expected.Create(638, 109));
        expected.FillFull(0x12345678);
        const MesDrawItem item = Word(0x01, c.glyph, 108, 64, c.shadow);
        static Case current;
        current = c;
        ComposeExpected(f, expected, item, [](CDIBImage& img, int x, int y) {
            const int index = current.glyph - 1;
            if (!glyphs.GetElement(index)) return;
            VertexQuad quad;
            if (current.shadow) {
                glyphs.SetStretchVertex(quad, index, x + 3, y + 3, 24, 24, 0xFF102030);
                glyphs.StretchBltBlend(&img, quad, true);
            }
            glyphs.SetStretchVertex(quad, index, x + 1, y + 1, 24, 24, 0xFFE0C0A0);
            glyphs.StretchBltBlend(&img, quad, true);
        });
        DrawMesCell(f.Target(&glyphs), item);
        ExpectSame(f.text, expected);
        // Row 0 and column 0 of the cell are never drawn; the glyph covers (1, 1).
        const int x = 100, y = 56;
        EXPECT_EQ(f.text.Row(y)[x], 0u);
        if (c.glyph == 3)
            EXPECT_EQ(f.text.Row(y + 12)[x + 12], 0u);
        else
            EXPECT_NE(f.text.Row(y + 12)[x + 12], 0u);
        // The shadow alone shows at the far corner.
        EXPECT_EQ(f.text.Row(y + 25)[x + 25] != 0, c.shadow && c.glyph != 3);
    }
}

TEST(MesCell, CellsAtTheEdgeOrOutsideStayInTheImage) {
    CellFixture f;
    // Partly past the right and bottom edges, wholly outside, and a control item.
    DrawMesCell(f.Target(), Word(0x82, 0xA0, 8 + 630, 8 + 100, true));
    DrawMesCell(f.Target(), Word(0x82, 0xA0, -500, 8, false));
    DrawMesCell(f.Target(), Word(0x82, 0xA0, 8 + 638, 8, false));
    MesDrawItem page;
    page.type = kMesDrawPage;
    DrawMesCell(f.Target(), page);
    EXPECT_EQ(f.text.Row(0)[0], 0x12345678u);
    EXPECT_EQ(f.text.Row(100)[629], 0x12345678u);
    int changed = 0;
    for (int py = 100; py < 109; ++py)
        for (int px = 630; px < 638; ++px)
            changed += f.text.Row(py)[px] != 0x12345678u;
    EXPECT_EQ(changed, 8 * 9);
}

} // namespace
} // namespace qw
