#include <gtest/gtest.h>

#include <cstring>
#include <string>
#include <vector>

#include "TextTestHelpers.h"
#include "text/CMesTextBuffer.h"

namespace qw {
namespace {

using texttest::Enc;
using texttest::Lay;
using texttest::Repeat;
using texttest::SetupDefaults;
using texttest::Types;
using texttest::Words;

class TextLayout : public testing::TestWithParam<const TextProfile*> {
protected:
    const TextProfile& P() const { return *GetParam(); }
    std::string E(std::u8string_view s) const { return Enc(P(), s); }
    CMesTextBuffer buffer{*GetParam()};
    std::vector<MesDrawItem> LayText(const std::string& text) {
        return Lay(buffer, {MesOutItem::Text(text, P())});
    }
};

std::string Hex(std::string_view bytes) {
    static const char* digits = "0123456789ABCDEF";
    std::string out;
    for (unsigned char c : bytes) {
        out += digits[c >> 4];
        out += digits[c & 15];
    }
    return out;
}

TEST_P(TextLayout, ConstructorLeavesBothRulesOffAndSetupPlacesThePen) {
    EXPECT_FALSE(buffer.kinsoku);
    EXPECT_FALSE(buffer.indent);
    EXPECT_EQ(buffer.fontSize, 0);
    buffer.Setup(MesTextSetup{});
    EXPECT_FALSE(buffer.kinsoku);
    EXPECT_FALSE(buffer.indent);
    EXPECT_EQ(buffer.curX, 8);
    EXPECT_EQ(buffer.curY, 8);
    EXPECT_EQ(buffer.nextLineY, 36);
    EXPECT_EQ(buffer.rightX, 645);
    EXPECT_EQ(buffer.bottomY, 116);
    EXPECT_EQ(buffer.textColour, 0xFFFFFFFFu);
    EXPECT_EQ(buffer.shadowColour, 0xFF010101u);
}

// Unit splitting and widths: which bytes lead a unit differs from the code page's own lead
// bytes, and widths truncate.
TEST_P(TextLayout, UnitsAndWidths) {
    const bool gbk = P().everyHighByteLeads;
    struct Case {
        std::string text;
        int size;
        std::vector<std::string> units; // hex
        std::vector<int> xs;
    };
    const std::vector<Case> cases = {
        {"AB", 24, {"41", "42"}, {8, 21}},
        {"AB", 25, {"41", "42"}, {8, 21}}, // 1 + 25 / 2 = 13
        {E(u8"あA"), 24, {Hex(E(u8"あ")), "41"}, {8, 33}},
        {"\x80\x41"
         "B",
         24,
         {"8041", "42"},
         {8, 33}},
        {"\xF0\x41"
         "B",
         24,
         {"F041", "42"},
         {8, 33}},
        {"\xFF\x41"
         "B",
         24,
         {"FF41", "42"},
         {8, 33}},
        {"\x01\x05"
         "A",
         24,
         {"0105", "41"},
         {8, 33}},
        // 0xA0–0xDF are one-byte units in CP932 and lead in GBK.
        {"\xA0\x41"
         "B",
         24,
         gbk ? std::vector<std::string>{"A041", "42"} : std::vector<std::string>{"A0", "41", "42"},
         gbk ? std::vector<int>{8, 33} : std::vector<int>{8, 21, 34}},
        // A lead byte before the terminator is a unit of its own.
        {"A\x82", 24, {"41", "82"}, {8, 21}},
    };
    for (const auto& c : cases) {
        SetupDefaults(buffer, false, false);
        buffer.fontSize = c.size;
        buffer.ChangePage();
        const auto words = Words(LayText(c.text));
        ASSERT_EQ(words.size(), c.units.size()) << Hex(c.text);
        for (size_t i = 0; i < words.size(); ++i) {
            EXPECT_EQ(Hex(words[i].Bytes()), c.units[i]) << Hex(c.text) << " unit " << i;
            EXPECT_EQ(words[i].x, c.xs[i]) << Hex(c.text) << " unit " << i;
        }
    }
}

TEST_P(TextLayout, NoBreakListMatchesWholeUnitsOnlyWhileEnabled) {
    const std::u8string list[] = {u8",",  u8".",  u8")",  u8"]",  u8"、", u8"。", u8"）", u8"」",
                                  u8"』", u8"！", u8"？", u8"ー", u8"―",  u8"…",  u8"゛", u8"・",
                                  u8"．", u8"ぁ", u8"ぃ", u8"ぅ", u8"ぇ", u8"ぉ", u8"っ", u8"ゃ",
                                  u8"ゅ", u8"ょ", u8"ァ", u8"ィ", u8"ゥ", u8"ェ", u8"ォ", u8"ッ",
                                  u8"ャ", u8"ュ", u8"ョ", u8"　"};
    const bool gbk = P().everyHighByteLeads;
    for (size_t i = 0; i < 36; ++i) {
        std::string expected;
        if (gbk && list[i] == u8"・")
            expected = "\xA1\xA4";
        else if (!(gbk && list[i] == u8"　"))
            expected = E(list[i]);
        EXPECT_EQ(Hex(P().noBreak[i]), Hex(expected)) << "entry " << i;
    }
    const auto unit = [](std::string_view s) {
        MesTextUnit u;
        std::memcpy(u.b, s.data(), s.size());
        return u;
    };
    SetupDefaults(buffer, false, false);
    EXPECT_FALSE(buffer.IsKinsoku(unit(E(u8"。"))));
    buffer.kinsoku = true;
    for (const char* entry : P().noBreak)
        if (*entry) {
            EXPECT_TRUE(buffer.IsKinsoku(unit(entry))) << Hex(entry);
        }
    EXPECT_FALSE(buffer.IsKinsoku(unit(E(u8"あ"))));
    EXPECT_FALSE(buffer.IsKinsoku(unit(std::string(E(u8"。"), 0, 1)))); // lead byte alone
    // Brackets against the converter.
    const std::u8string brackets[3][2] = {{u8"（", u8"）"}, {u8"「", u8"」"}, {u8"『", u8"』"}};
    for (int r = 0; r < 3; ++r)
        for (int c = 0; c < 2; ++c) {
            EXPECT_EQ(Hex(P().brackets[r][c]), Hex(E(brackets[r][c])));
            EXPECT_FALSE(buffer.IsDownStr(unit(E(brackets[r][c])), c));
        }
    buffer.indent = true;
    EXPECT_TRUE(buffer.IsDownStr(unit(E(u8"「")), 0));
    EXPECT_FALSE(buffer.IsDownStr(unit(E(u8"「")), 1));
    EXPECT_TRUE(buffer.IsDownStr(unit(E(u8"』")), 1));
}

// 25 full-width characters a line and 3 lines a page at the defaults; the page turn keeps x.
TEST_P(TextLayout, LineAndPageLimitsAtTheDefaults) {
    SetupDefaults(buffer, false, false);
    const auto items = LayText(Repeat(E(u8"あ"), 80));
    const auto words = Words(items);
    ASSERT_EQ(words.size(), 80u);
    EXPECT_EQ(words[24].x, 8 + 24 * 25);
    EXPECT_EQ(words[24].y, 8);
    EXPECT_EQ(words[25].x, 8);
    EXPECT_EQ(words[25].y, 36);
    EXPECT_EQ(words[50].y, 64);
    EXPECT_EQ(words[75].y, 8);
    EXPECT_EQ(words[75].x, 8);
    std::vector<int> expected(75, kMesDrawWord);
    expected.push_back(kMesDrawPage);
    expected.insert(expected.end(), 5, kMesDrawWord);
    expected.push_back(kMesDrawEnd);
    EXPECT_EQ(Types(items), expected);
    EXPECT_EQ(buffer.curX, 8 + 5 * 25);
    EXPECT_EQ(buffer.nextLineY, 36);
}

TEST_P(TextLayout, NoBreakCharacterTakesThePreviousOneAlong) {
    for (bool kinsoku : {false, true}) {
        SetupDefaults(buffer, kinsoku, false);
        const auto words = Words(LayText(Repeat(E(u8"あ"), 25) + E(u8"。")));
        ASSERT_EQ(words.size(), 26u);
        const int firstOfLine2 = kinsoku ? 24 : 25;
        EXPECT_EQ(words[firstOfLine2].y, 36) << kinsoku;
        EXPECT_EQ(words[firstOfLine2].x, 8) << kinsoku;
        EXPECT_EQ(words[firstOfLine2 - 1].y, 8) << kinsoku;
    }
}

// A run of no-break characters longer than a line still ends: a line with nothing on it keeps
// what fits; a line already begun by an earlier text hands the whole run to the next line.
TEST_P(TextLayout, NoBreakRunsAlwaysMakeProgress) {
    SetupDefaults(buffer, true, false);
    auto words = Words(LayText(Repeat(E(u8"ー"), 30)));
    ASSERT_EQ(words.size(), 30u);
    EXPECT_EQ(words[24].y, 8);
    EXPECT_EQ(words[25].y, 36);
    EXPECT_EQ(words[25].x, 8);

    SetupDefaults(buffer, true, false);
    words = Words(Lay(buffer, {MesOutItem::Text(Repeat(E(u8"あ"), 10)),
                               MesOutItem::Text(Repeat(E(u8"ー"), 20))}));
    ASSERT_EQ(words.size(), 30u);
    EXPECT_EQ(words[9].y, 8);
    EXPECT_EQ(words[10].y, 36);
    EXPECT_EQ(words[10].x, 8);
    EXPECT_EQ(words[29].y, 36);

    // A unit wider than the area goes on a line of its own.
    SetupDefaults(buffer, true, false);
    buffer.rightX = 20;
    words = Words(LayText(E(u8"ああ")));
    ASSERT_EQ(words.size(), 2u);
    EXPECT_EQ(words[1].y, 36);
}

TEST_P(TextLayout, BracketIndentFollowsOnlyLineStarts) {
    struct Case {
        const char* what;
        std::string text;
        int probe; // a unit on line 2
        int x;     // its expected x
    };
    const std::string a = E(u8"あ");
    const std::vector<Case> cases = {
        {"opening bracket indents from line 2", E(u8"「") + Repeat(a, 30), 25, 33},
        {"line starting with the closing bracket", E(u8"「") + Repeat(a, 24) + E(u8"」") + a, 25,
         8},
        {"closing bracket mid-line keeps the indent", E(u8"「") + a + E(u8"」") + Repeat(a, 30), 25,
         33},
    };
    for (const auto& c : cases) {
        SetupDefaults(buffer, false, true);
        const auto words = Words(LayText(c.text));
        ASSERT_GT(words.size(), size_t(c.probe)) << c.what;
        EXPECT_EQ(words[c.probe].y, 36) << c.what;
        EXPECT_EQ(words[c.probe].x, c.x) << c.what;
    }
    // Indent off: no depth, no indent.
    SetupDefaults(buffer, false, false);
    const auto words = Words(LayText(E(u8"「") + Repeat(a, 30)));
    EXPECT_EQ(words[25].x, 8);
    EXPECT_EQ(buffer.bracketDepth, 0);
}

TEST_P(TextLayout, ParagraphIndent) {
    const std::string space = P().fullWidthSpace;
    const std::string a = E(u8"あ");
    const int spaceWidth = space.empty() ? 1 : 25;
    struct Case {
        const char* what;
        std::vector<MesOutItem> items;
        bool indented; // the first word is the indent and the next one is `a` after it
    };
    const std::vector<Case> cases = {
        {"at the top", {MesOutItem::Text(a)}, true},
        {"before an opening bracket", {MesOutItem::Text(E(u8"「"))}, false},
        {"lower down", {MesOutItem::Code(kMesCodeLine), MesOutItem::Text(a)}, false},
        {"after code 2",
         {MesOutItem::Code(kMesCodeLine), MesOutItem::Code(kMesCodePage), MesOutItem::Text(a)},
         true},
        {"after code 0", {MesOutItem::Text("x"), MesOutItem::Code(0), MesOutItem::Text(a)}, false},
    };
    for (const auto& c : cases) {
        SetupDefaults(buffer, false, true);
        const auto words = Words(Lay(buffer, c.items));
        ASSERT_FALSE(words.empty()) << c.what;
        const MesDrawItem& last = words.back();
        EXPECT_EQ(std::string(last.Bytes()), c.items.back().text) << c.what;
        EXPECT_EQ(last.x, c.indented ? 8 + spaceWidth : 8) << c.what;
        if (c.indented) {
            ASSERT_GE(words.size(), 2u) << c.what;
            EXPECT_EQ(std::string(words[words.size() - 2].Bytes()), space) << c.what;
        }
    }
    // A text that starts with the full-width space keeps just that one (CP932).
    if (!space.empty()) {
        SetupDefaults(buffer, false, true);
        const auto words = Words(LayText(space + a));
        ASSERT_EQ(words.size(), 2u);
        EXPECT_EQ(words[1].x, 33);
    }
    // Indent disabled: nothing added.
    SetupDefaults(buffer, false, false);
    EXPECT_EQ(Words(LayText(a)).size(), 1u);
}

TEST_P(TextLayout, MessagesCodesAndGlyphs) {
    SetupDefaults(buffer, false, false);
    const std::string a = E(u8"あ");
    auto items = Lay(buffer, {MesOutItem::Code(0), MesOutItem::Text(a + a), MesOutItem::Code(3)});
    EXPECT_EQ(Types(items), (std::vector<int>{3, 2, 2, 4, 0}));

    // Glyph codes after a text join its line; a glyph alone is laid out by itself.
    items = Lay(buffer, {MesOutItem::Code(0), MesOutItem::Text(a), MesOutItem::Code(100),
                         MesOutItem::Code(354), MesOutItem::Code(10), MesOutItem::Code(150),
                         MesOutItem::Code(11), MesOutItem::Code(99), MesOutItem::Code(-1),
                         MesOutItem::Code(355), MesOutItem::Code(4)});
    EXPECT_EQ(Types(items), (std::vector<int>{3, 2, 2, 2, 10, 2, 11, 99, 4, 0}));
    EXPECT_EQ(Hex(items[2].Bytes()), "0101");
    EXPECT_EQ(Hex(items[3].Bytes()), "01FF");
    EXPECT_TRUE(items[3].IsGlyph());
    EXPECT_EQ(items[3].x, 58);
    EXPECT_EQ(items[3].y, 8);
    EXPECT_EQ(Hex(items[5].Bytes()), "0133");
    EXPECT_EQ(items[5].x, 83);
    EXPECT_EQ(buffer.Ignored(), 2);
    EXPECT_FALSE(buffer.Cut());

    // Style is copied into each item at layout time.
    buffer.textColour = 0xFF102030;
    buffer.bold = true;
    buffer.fontIndex = 2;
    items = Lay(buffer, {MesOutItem::Text(a)});
    EXPECT_EQ(items[0].textColour, 0xFF102030u);
    EXPECT_EQ(items[0].bold, 1);
    EXPECT_EQ(items[0].fontIndex, 2);

    // An empty list: the terminator only.
    std::vector<MesDrawItem> list(kMesDrawItems);
    list[0].type = 7;
    EXPECT_TRUE(buffer.Convert(nullptr, 0, list));
    EXPECT_EQ(list[0].type, kMesDrawEnd);
}

// Code 1 turns the page only when the new line does not fit.
TEST_P(TextLayout, LineCodeTurnsThePageAtTheBottom) {
    SetupDefaults(buffer, false, false);
    const std::string a = E(u8"あ");
    const auto items = Lay(buffer, {MesOutItem::Text(a), MesOutItem::Code(1), MesOutItem::Text(a),
                                    MesOutItem::Code(1), MesOutItem::Text(a), MesOutItem::Code(1),
                                    MesOutItem::Text(a)});
    EXPECT_EQ(Types(items), (std::vector<int>{2, 2, 2, 1, 2, 0}));
    EXPECT_EQ(items[2].y, 64);
    EXPECT_EQ(items[4].y, 8);
}

TEST_P(TextLayout, TextsAndListsAreCutInBounds) {
    SetupDefaults(buffer, false, false);
    buffer.rightX = 100000;
    buffer.bottomY = 100000;
    buffer.ChangePage();
    const std::string a = E(u8"あ");
    // 511 bytes on unit boundaries: "AA" + 255 double-byte units loses the last one.
    auto words = Words(LayText("AA" + Repeat(a, 255)));
    EXPECT_EQ(words.size(), 2u + 254u);
    words = Words(LayText("A" + Repeat(a, 255)));
    EXPECT_EQ(words.size(), 256u);
    // A text item whose buffer holds no terminator at all is read to 511 bytes and no further.
    MesOutItem unterminated = MesOutItem::Text("", P());
    std::memset(unterminated.text, 'A', sizeof unterminated.text);
    words = Words(Lay(buffer, {unterminated}));
    EXPECT_EQ(words.size(), 511u);
    std::memset(unterminated.text, 0x82, sizeof unterminated.text); // lead bytes throughout
    words = Words(Lay(buffer, {unterminated}));
    EXPECT_EQ(words.size(), 255u);
    // Glyphs appended to a full work string are left out.
    words = Words(Lay(buffer, {MesOutItem::Text("A" + Repeat(a, 254), P()), MesOutItem::Code(100),
                               MesOutItem::Code(101)}));
    EXPECT_EQ(words.size(), 256u);
    EXPECT_EQ(Hex(words.back().Bytes()), "0101");

    // More than 511 draw items: the rest is dropped and the list still ends.
    std::vector<MesOutItem> many(200, MesOutItem::Text(Repeat(a, 3), P()));
    std::vector<MesDrawItem> list(kMesDrawItems);
    buffer.Convert(many.data(), int(many.size()), list);
    EXPECT_TRUE(buffer.Cut());
    EXPECT_EQ(list[510].type, kMesDrawWord);
    EXPECT_EQ(list[511].type, kMesDrawEnd);
}

INSTANTIATE_TEST_SUITE_P(Profiles, TextLayout,
                         testing::Values(&Cp932TextProfile(), &GbkTextProfile()),
                         [](const auto& info) { return std::string(info.param->name); });

} // namespace
} // namespace qw
