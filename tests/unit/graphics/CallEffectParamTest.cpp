// The transition record's fields sit at their offsets, and names are cut to their fields.

#include <gtest/gtest.h>

#include <string>

#include "graphics/CallEffectParam.h"

namespace qw {
namespace {

TEST(CallEffectParamTest, MakersPutEveryFieldAtItsOffset) {
    const struct {
        CallEffectParam p;
        std::vector<std::pair<size_t, int32_t>> ints;
        std::vector<std::pair<size_t, std::string>> names;
    } cases[] = {
        {CallEffectParam::Make(kEffectFade, 500), {{0, 2}, {4, 500}}, {}},
        {CallEffectParam::MakeMode(kEffectBlur, 700, 12), {{0, 15}, {4, 700}, {8, 12}}, {}},
        {CallEffectParam::MakeAlpha(900, 2, "rule01", 64),
         {{0, 3}, {4, 900}, {8, 2}, {268, 64}},
         {{12, "rule01"}}},
        {CallEffectParam::MakeWipe(300, 1, "star"), {{0, 4}, {4, 300}, {8, 1}}, {{12, "star"}}},
        {CallEffectParam::MakeLensFlare(2000, "flare", 400, 1600, 1),
         {{0, 6}, {4, 2000}, {264, 400}, {268, 1600}, {272, 1}},
         {{8, "flare"}}},
        {CallEffectParam::MakeBound(800, 11, 3, -40, 25),
         {{0, 8}, {4, 800}, {8, 11}, {12, 3}, {16, -40}, {20, 25}},
         {}},
        {CallEffectParam::MakeFilm("scratch", "overlay", 100, 200, 300),
         {{0, 13}, {516, 100}, {520, 200}, {524, 300}},
         {{4, "scratch"}, {260, "overlay"}}},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.p.Type());
        for (const auto& [offset, value] : c.ints) {
            const uint8_t* b = c.p.bytes.data() + offset;
            EXPECT_EQ(static_cast<int32_t>(b[0] | b[1] << 8 | b[2] << 16 | uint32_t{b[3]} << 24),
                      value)
                << "offset " << offset;
        }
        for (const auto& [offset, name] : c.names)
            EXPECT_EQ(std::string(reinterpret_cast<const char*>(c.p.bytes.data() + offset)), name);
    }
    const CallEffectParam a = cases[2].p, f = cases[4].p, b = cases[5].p, film = cases[6].p;
    EXPECT_EQ(a.ImageName(), "rule01");
    EXPECT_EQ(a.AlphaLevel(), 64);
    EXPECT_EQ(f.FlareImage(), "flare");
    EXPECT_EQ(f.FlareStart(), 400);
    EXPECT_EQ(f.FlareEnd(), 1600);
    EXPECT_EQ(f.FlareDirection(), 1);
    EXPECT_EQ(b.BoundSpeed(), 3);
    EXPECT_EQ(b.BoundDirX(), -40);
    EXPECT_EQ(b.BoundDirY(), 25);
    EXPECT_EQ(film.FilmFirstImage(), "scratch");
    EXPECT_EQ(film.FilmSecondImage(), "overlay");
    EXPECT_EQ(film.FilmFadeIn() + film.FilmHold() + film.FilmFinal(), 600);
}

TEST(CallEffectParamTest, NamesAreCutToTheirFieldAndDoNotSpillIntoTheNext) {
    const std::string longName(400, 'x');
    CallEffectParam p = CallEffectParam::MakeAlpha(100, 0, longName, 200);
    EXPECT_EQ(p.ImageName(), std::string(255, 'x'));
    EXPECT_EQ(p.AlphaLevel(), 200); // the level after the name field is intact
    // A name that fills its field with no zero (as a record from elsewhere may) ends there.
    for (size_t i = 0; i < 256; ++i)
        p.bytes[8 + i] = 'y';
    EXPECT_EQ(p.FlareImage(), std::string(256, 'y'));
}

} // namespace
} // namespace qw
