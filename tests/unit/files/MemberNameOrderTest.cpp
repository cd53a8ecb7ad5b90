#include <gtest/gtest.h>

#include <algorithm>
#include <random>
#include <string>
#include <vector>

#include "files/MemberNameOrder.h"

namespace qw {
namespace {

int Sign(int v) {
    return (v > 0) - (v < 0);
}

// Results of the desktop platform's case-insensitive comparison, recorded on its Japanese locale.
TEST(MemberNameOrder, ReproducesThePlatformWordOrder) {
    const struct {
        const char* a;
        const char* b;
        int expected;
    } cases[] = {
        {"start.msd", "START.MSD", 0},
        {"a_b", "a0", -1},            // '_' before digits
        {"A.MSD", "A_1.MSD", -1},     // '.' before '_'
        {"A1.MSD", "A.MSD", 1},       // digits after punctuation
        {"a b", "a!b", -1},           // space first
        {"Z~", "Z+", -1},             // + < = > come after ~
        {"9", "a", -1},               // digits before letters
        {"ab", "a-b", -1},            // hyphen left out, then the name with it sorts later
        {"a-b", "ac", -1},            //   ... so it sorts by "ab"
        {"a-b", "a'b", 1},            // apostrophe before hyphen at the same place
        {"co-op", "coo-p", 1},        // a hyphen further left sorts later
        {"ab-c", "a-bc", -1},         //
        {"a-bc", "ab'c", 1},          // place decides before the character
        {"a--b", "a-b-", 1},          //
        {"a-b-c", "ab-c-", 1},        //
        {"abc'", "abc-", -1},         //
        {"A-b", "a-B", 0},            // still no case
        {"a-", "ab", -1},             //
        {"-", "a", -1},               //
        {"z", "\xB1", -1},            // half-width katakana after letters
        {"\xB1", "\x82\xA0", -1},     // ... and before double-byte characters
        {"\x83\x41", "\x83\x61", -1}, // trail bytes are never case-folded
    };
    for (const auto& c : cases) {
        EXPECT_EQ(Sign(CompareMemberNames(c.a, c.b)), c.expected) << c.a << " vs " << c.b;
        EXPECT_EQ(Sign(CompareMemberNames(c.b, c.a)), -c.expected) << c.b << " vs " << c.a;
    }
}

TEST(MemberNameOrder, SortingGivesTheTableOrder) {
    const std::vector<std::string> sorted = {
        "-",          " A",        "!A", "#A",   "$A",       "%A",       "&A",      "(A",
        ")A",         "*A",        ",A", ".A",   ";A",       "@A",       "[A",      "]A",
        "^A",         "_A",        "`A", "{A",   "}A",       "~A",       "+A",      "=A",
        "0A",         "9A",        "A",  "a0",   "AB",       "a-b",      "a-c",     "BG01.MGD",
        "bg01_2.mgd", "BG010.MGD", "z",  "\xB1", "\x81\x40", "\x82\xA0", "\x88\x9F"};
    std::vector<std::string> shuffled = sorted;
    std::mt19937 rng(7);
    std::shuffle(shuffled.begin(), shuffled.end(), rng);
    std::sort(shuffled.begin(), shuffled.end(), MemberNameLess);
    EXPECT_EQ(shuffled, sorted);
}

TEST(MemberNameOrder, FoldKeepsDoubleByteCharactersWhole) {
    EXPECT_EQ(FoldMemberName("Start.MSD"), "start.msd");
    // 0x83 0x41 is one character: its trail byte 'A' is not lowered; the 'B' after it is.
    EXPECT_EQ(FoldMemberName("\x83\x41"
                             "B"),
              "\x83\x41"
              "b");
}

} // namespace
} // namespace qw
