#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "common/ExecLog.h"
#include "common/Text.h"

namespace qw {
namespace {

// Names must outlive the ring; keep them in static storage for the test.
const std::vector<std::string>& Names() {
    static std::vector<std::string> names = [] {
        std::vector<std::string> v;
        for (int i = 0; i < 300; ++i)
            v.push_back("C::M" + std::to_string(i));
        return v;
    }();
    return names;
}

std::vector<std::string> Lines(const std::string& text) {
    std::vector<std::string> lines;
    size_t start = 0;
    for (size_t nl; (nl = text.find('\n', start)) != std::string::npos; start = nl + 1)
        lines.push_back(text.substr(start, nl - start));
    return lines;
}

TEST(ExecLog, FewerThanARingListNewestFirst) {
    OutputExecLog(nullptr);
    ASSERT_TRUE(InitExecLog());
    EXPECT_FALSE(InitExecLog()); // already on
    for (int i = 0; i < 3; ++i)
        AddExecLog(Names()[static_cast<size_t>(i)].c_str());
    auto lines = Lines(FormatExecLog());
    ASSERT_EQ(lines.size(), 6u);
    EXPECT_EQ(lines[0], "【実行ログ】");
    EXPECT_EQ(lines[1], "Old");
    EXPECT_EQ(lines[2], "0001:C::M2");
    EXPECT_EQ(lines[3], "0002:C::M1");
    EXPECT_EQ(lines[4], "0003:C::M0");
    EXPECT_EQ(lines[5], "New");
    OutputExecLog(nullptr);
    AddExecLog("ignored"); // the trace is off again
    ASSERT_TRUE(InitExecLog());
    EXPECT_EQ(Lines(FormatExecLog()).size(), 3u);
    OutputExecLog(nullptr);
}

TEST(ExecLog, AWrappedRingListsTheOldestFirstThenNewestToOldest) {
    OutputExecLog(nullptr);
    ASSERT_TRUE(InitExecLog());
    for (int i = 0; i < 300; ++i)
        AddExecLog(Names()[static_cast<size_t>(i)].c_str());
    auto lines = Lines(FormatExecLog());
    ASSERT_EQ(lines.size(), 2u + 256u + 1u);
    // 300 names: 44..299 are kept; the walk starts at the oldest (44), then 299, 298, … 45.
    EXPECT_EQ(lines[2], "0001:C::M44");
    EXPECT_EQ(lines[3], "0002:C::M299");
    EXPECT_EQ(lines[257], "0256:C::M45");
    EXPECT_EQ(lines[258], "New");
    OutputExecLog(nullptr);
}

TEST(AddPathSeparator, WalksDoubleByteCharacters) {
    const struct {
        std::string in;
        char separator;
        std::string out;
    } cases[] = {
        {"/games/demo", '/', "/games/demo/"},
        {"/games/demo/", '/', "/games/demo/"},
        {"C:\\Game", '\\', "C:\\Game\\"},
        {"C:\\Game\\", '\\', "C:\\Game\\"},
        // "表" is 0x95 0x5C: its trail byte is the backslash code, but it is not a separator.
        {"C:\\\x95\x5C", '\\', "C:\\\x95\x5C\\"},
        {"", '/', "/"},
    };
    for (const auto& c : cases) {
        std::string path = c.in;
        AddPathSeparator(path, c.separator);
        EXPECT_EQ(path, c.out) << c.in;
    }
}

} // namespace
} // namespace qw
