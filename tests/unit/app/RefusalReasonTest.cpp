// The reasons the cursor, hit-map and scenario readers give with a refusal (and that qwdis
// prints): each small damaged file is refused with what is wrong in it and where.
#include <gtest/gtest.h>

#include <string>

#include "app/CursorFile.h"
#include "app/HitMap.h"
#include "scenario/CSnrBuffer.h"
#include "scenario_lang/Disassembler.h"
#include "unit/scenario/SnrTestFile.h"

namespace qw {
namespace {

struct Case {
    const char* what;
    Bytes file;
    std::string reason;
};

Bytes IconDirectory(uint32_t size, uint32_t offset) {
    ByteWriter w;
    w.Put<uint16_t>(0);
    w.Put<uint16_t>(2); // a cursor
    w.Put<uint16_t>(1);
    w.Put<uint8_t>(32);
    w.Put<uint8_t>(32);
    w.Put<uint16_t>(0);
    w.Put<uint16_t>(3); // hot spot
    w.Put<uint16_t>(4);
    w.Put<uint32_t>(size);
    w.Put<uint32_t>(offset);
    return w.Take();
}

TEST(RefusalReason, CursorFiles) {
    Bytes cut = IconDirectory(40, 22);
    cut.resize(12);
    const Case cases[] = {
        {"not a cursor", Bytes{'B', 'M', 0, 0, 0, 0},
         "not a cursor or icon file (no icon directory)"},
        {"directory cut", cut, "the icon directory is cut short (12 bytes)"},
        {"image past the end", IconDirectory(40, 1000),
         "image 0: offset 1000 + size 40 is past the end of the file (22 bytes)"},
    };
    for (const Case& c : cases) {
        auto cursor = DecodeCursorFile(c.file);
        EXPECT_FALSE(cursor) << c.what;
        EXPECT_EQ(cursor.Reason(), c.reason) << c.what;
    }
}

TEST(RefusalReason, HitMaps) {
    const Bytes good = EncodeHitMap(std::vector<uint8_t>(800 * 600, 1));
    Bytes wide = good;
    StoreLE(std::span<uint8_t>(wide), 18, int32_t{640});
    const Case cases[] = {
        {"not a bitmap", Bytes(100, 0), "not a bitmap file (100 bytes, no BM header)"},
        {"wrong size", wide,
         "a 640 x 600 bitmap of 8 bits per pixel; hit maps are 800 x 600 of 8 bits"},
        {"pixels cut", Bytes(good.begin(), good.end() - 1),
         "the pixels (480000 bytes at 1078) run past the end of the file (481077 bytes)"},
    };
    for (const Case& c : cases) {
        auto map = DecodeHitMap(c.file);
        EXPECT_FALSE(map) << c.what;
        EXPECT_EQ(map.Reason(), c.reason) << c.what;
    }
}

// The engine's reader and qwdis's disassembler say the same about a scenario file's tables.
TEST(RefusalReason, ScenarioFiles) {
    test::SnrTestFile f;
    const Bytes good = f.Build();
    Bytes labels = good;
    StoreLE<uint32_t>(labels, 20, 1000); // a label table past the end
    const Case cases[] = {
        {"short", Bytes(good.begin(), good.begin() + 30), "30 bytes, shorter than the"},
        {"label table", labels, "the label table (1000"},
        {"not a scenario", Bytes(2000, 'x'),
         "not a scenario file, or scrambled with another title"},
    };
    for (const Case& c : cases) {
        CSnrBuffer reader;
        EXPECT_FALSE(reader.ReadFromMemory("BAD", c.file)) << c.what;
        EXPECT_NE(reader.GetReadRefusal().find(c.reason), std::string::npos)
            << c.what << ": " << reader.GetReadRefusal();
        const auto dis = scenario_lang::Disassemble(c.file);
        EXPECT_FALSE(dis.Ok()) << c.what;
        EXPECT_NE(dis.error.find(c.reason), std::string::npos) << c.what << ": " << dis.error;
    }
}

} // namespace
} // namespace qw
