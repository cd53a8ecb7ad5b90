#include <gtest/gtest.h>

#include "platform/CodePage.h"

namespace qw::platform {

TEST(CodePage, RoundTripsShiftJisAndRefusesBadBytes) {
    const std::string utf8 = "\xE7\xB5\x82\xE4\xBA\x86"; // 終了
    const std::string sjis = "\x8F\x49\x97\xB9";
    EXPECT_EQ(GameToUtf8(sjis), utf8);
    EXPECT_EQ(Utf8ToGame(utf8), sjis);
    EXPECT_EQ(GameToUtf8(std::string("\x81")), std::nullopt); // lead byte without trail
    EXPECT_EQ(GameToUtf8Lossy(std::string("a\x81")), "a\xEF\xBF\xBD");
}

#if defined(QW_LITERALS_IN_CODEPAGE) && !defined(QW_CODEPAGE_GBK)
TEST(CodePage, EngineLiteralsAreCompiledToShiftJis) {
    EXPECT_EQ(std::string("終了"), "\x8F\x49\x97\xB9");
}
#endif

} // namespace qw::platform
