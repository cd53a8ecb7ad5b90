#include <gtest/gtest.h>

#include <cstring>
#include <functional>
#include <limits>

#include "files/TitleKeyStream.h"
#include "scenario/CSnrBuffer.h"
#include "unit/scenario/SnrTestFile.h"

namespace qw {
namespace {

using test::ExprPairs;
using test::ExprParam;
using test::NumParam;
using test::StrRef;
using test::StrVarParam;
using test::TextParam;
using test::VarParam;

// One command whose only parameter is `param`, read with variables 0-9 bound to 100 + index and
// string variables 0 and 1 bound.
class OneParam : public ::testing::Test {
protected:
    void Load(const Bytes& param) {
        test::SnrTestFile f;
        f.Command(7, {param});
        ASSERT_TRUE(reader.ReadFromMemory("T", f.Build()));
        for (int i = 0; i < 10; ++i)
            values[i] = 100 + i;
        reader.SetValList(values, 10);
        std::strcpy(str0, "Ann");
        std::strcpy(str1, "Bob");
        reader.SetStrList(0, str0);
        reader.SetStrList(1, str1);
        reader.SetStrList(257, str1);
    }
    int32_t Value(const Bytes& param) {
        Load(param);
        return reader.GetValueParam(reader.GetParam());
    }
    std::string Text(const Bytes& param) {
        Load(param);
        return std::string(reader.GetStringParam(reader.GetParam()));
    }

    CSnrBuffer reader;
    int32_t values[10] = {};
    char str0[64] = {};
    char str1[64] = {};
};

TEST(CSnrBufferRead, ScrambledFilesUnscrambleToTheLastByte) {
    for (size_t total : {32u * 40, 32u * 40 + 5}) {
        SCOPED_TRACE(total);
        test::SnrTestFile f;
        f.Command(1, {NumParam(5)});
        // A last text that fills the file up to `total` bytes.
        size_t textLen = total - f.Build().size() - 4 - 2;
        std::string text(textLen, 'x');
        text.back() = 'Z';
        f.Command(2, {TextParam(text)});
        Bytes plain = f.Build();
        ASSERT_EQ(plain.size(), total);

        Bytes scrambled = plain;
        XorTitleKeyStream(scrambled, "Some Title");
        ASSERT_NE(scrambled, plain);

        CSnrBuffer reader;
        reader.SetKeyTitle("Some Title");
        ASSERT_TRUE(reader.ReadFromMemory("A", scrambled));
        EXPECT_EQ(reader.GetValueParam(reader.GetParam()), 5);
        reader.NextCommand();
        EXPECT_EQ(reader.GetStringParam(reader.GetParam()), text);
        reader.NextCommand();
        EXPECT_TRUE(reader.IsFinish());

        reader.SetKeyTitle("Another Title");
        EXPECT_FALSE(reader.ReadFromMemory("A", scrambled));
        EXPECT_EQ(reader.GetFault(), SnrFault::kBadMagic);
        EXPECT_FALSE(reader.IsLoaded());
        EXPECT_TRUE(reader.IsFinish());
    }
}

TEST(CSnrBufferRead, ReadsThroughItsSourceOrTheDefaultOne) {
    test::SnrTestFile f;
    f.Command(10000, {});
    test::MapSource source;
    source.members["START"] = f.Build();

    CSnrBuffer reader;
    EXPECT_FALSE(reader.Read("START")); // no source at all
    EXPECT_EQ(reader.GetFault(), SnrFault::kNoMember);

    CSnrBuffer::SetDefaultSource(&source);
    EXPECT_TRUE(reader.Read("START"));
    EXPECT_EQ(reader.GetCmdID(), 10000);
    CSnrBuffer::SetDefaultSource(nullptr);

    test::MapSource empty;
    reader.Initialize(&empty);
    EXPECT_FALSE(reader.Read("START"));
    EXPECT_EQ(reader.GetFault(), SnrFault::kNoMember);
    reader.SetSource(&source);
    EXPECT_TRUE(reader.Read("START"));
    EXPECT_EQ(reader.GetFileName(), "START");

    // The kept name is cut to 63 bytes.
    source.members[std::string(70, 'n')] = source.members["START"];
    EXPECT_TRUE(reader.Read(std::string(70, 'n')));
    EXPECT_EQ(reader.GetFileName(), std::string(63, 'n'));
}

TEST(CSnrBufferRead, RefusesHeadersWhoseTablesRunPastTheFile) {
    test::SnrTestFile ok;
    ok.labels = {0};
    ok.loadPoints[255] = {0};
    ok.Command(1, {});
    Bytes good = ok.Build();

    struct Case {
        const char* what;
        size_t offset;
        uint32_t value;
        size_t cut;
    };
    const Case cases[] = {
        {"shorter than the header", 0, 0, good.size() - snr::kHeaderSize + 1},
        {"label count past the end", snr::kLabelCountOffset, 0xFFFFFFFF, 0},
        {"label count one too many", snr::kLabelCountOffset, 4, 0},
        {"load-point count past the end", snr::kLoadPointCountsOffset + 4 * 7, 0x40000000, 0},
        {"last load-point table past the end", snr::kLoadPointCountsOffset + 4 * 255, 3, 0},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        Bytes file = good;
        if (c.cut)
            file.resize(file.size() - c.cut);
        else
            StoreLE<uint32_t>(file, c.offset, c.value);
        CSnrBuffer reader;
        EXPECT_FALSE(reader.ReadFromMemory("X", file));
        EXPECT_EQ(reader.GetFault(), SnrFault::kBadHeader);
        EXPECT_EQ(reader.GetCmdID(), CSnrBuffer::kNoCommand);
    }
    CSnrBuffer reader;
    EXPECT_TRUE(reader.ReadFromMemory("X", good));
    EXPECT_EQ(reader.GetCmdID(), 1);
}

TEST(CSnrBufferWalk, StepsThroughCommandsAndParameters) {
    test::SnrTestFile f;
    Bytes unknownType{9};
    f.Command(100, {NumParam(-3), VarParam(2), TextParam("hi"), ExprParam({{0, 1}, {0, 2}, {2, 0}}),
                    StrVarParam(0), unknownType, NumParam(8)});
    uint32_t second = f.Command(10000, {});
    CSnrBuffer reader;
    ASSERT_TRUE(reader.ReadFromMemory("W", f.Build()));
    int32_t vars[3] = {0, 0, 42};
    reader.SetValList(vars, 3);
    char s0[64] = "zero";
    reader.SetStrList(0, s0);

    EXPECT_EQ(reader.GetPos(), 0u);
    EXPECT_EQ(reader.GetCmdID(), 100);
    EXPECT_EQ(reader.GetParamSize(), 5u + 5 + 4 + 33 + 5 + 1 + 5);
    EXPECT_EQ(reader.GetNumParam(), 7);

    std::vector<std::string> seen;
    for (SnrParam p = reader.GetParam(); p.IsValid(); p = reader.NextParam(p)) {
        if (reader.IsStringParam(p)) {
            EXPECT_EQ(reader.GetValueParam(p), 0);
            seen.push_back("s:" + std::string(reader.GetStringParam(p)));
        } else {
            EXPECT_EQ(reader.GetStringParam(p), "");
            seen.push_back("v:" + std::to_string(reader.GetValueParam(p)));
        }
    }
    EXPECT_EQ(seen,
              (std::vector<std::string>{"v:-3", "v:42", "s:hi", "v:3", "s:zero", "v:0", "v:8"}));
    EXPECT_FALSE(reader.HasFault());

    EXPECT_TRUE(reader.NextCommand());
    EXPECT_EQ(reader.GetPos(), second);
    EXPECT_EQ(reader.GetCmdID(), 10000);
    EXPECT_EQ(reader.GetNumParam(), 0);
    EXPECT_FALSE(reader.GetParam().IsValid());
    EXPECT_FALSE(reader.IsFinish());
    EXPECT_TRUE(reader.NextCommand());
    EXPECT_TRUE(reader.IsFinish()); // exactly after the last record
    EXPECT_FALSE(reader.HasFault());
    EXPECT_EQ(reader.GetCmdID(), CSnrBuffer::kNoCommand);
    EXPECT_EQ(reader.GetFault(), SnrFault::kEndOfFile);
    EXPECT_FALSE(reader.NextCommand());

    EXPECT_TRUE(reader.SeekBegin(0));
    EXPECT_EQ(reader.GetPos(), 0u);
    EXPECT_EQ(reader.GetCmdID(), 100);
}

TEST(CSnrBufferWalk, ParameterAreasThatOverrunAreCutAndReported) {
    struct Case {
        const char* what;
        Bytes area;
        uint16_t size;
        int count;
        int32_t firstValue;
        SnrFault fault;
    };
    Bytes num = NumParam(77);
    Bytes expr = ExprParam({{0, 1}});
    const Case cases[] = {
        {"number cut by the area", num, 3, 1, 0, SnrFault::kParamOverrun},
        {"text without terminator", Bytes{3, 'a', 'b'}, 3, 1, 0, SnrFault::kParamOverrun},
        {"expression without end pair", ExprParam({{0, 5}, {0, 6}}, false), 17, 1, 0,
         SnrFault::kParamOverrun},
        {"expression end pair cut", expr, 12, 1, 0, SnrFault::kParamOverrun},
        {"area past the end of the file", num, 200, 1, 77, SnrFault::kRecordOverrun},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        test::SnrTestFile f;
        Bytes area(c.area.begin(), c.area.begin() + std::min<size_t>(c.size, c.area.size()));
        f.CommandRaw(5, area, c.size);
        CSnrBuffer reader;
        ASSERT_TRUE(reader.ReadFromMemory("O", f.Build()));
        EXPECT_EQ(reader.GetNumParam(), c.count);
        SnrParam p = reader.GetParam();
        EXPECT_EQ(reader.GetValueParam(p), c.firstValue);
        EXPECT_EQ(reader.GetFault(), c.fault);
        reader.ClearFault();
        // Reading past the last parameter is a fault, never a read outside the area.
        SnrParam past = reader.NextParam(p);
        EXPECT_FALSE(past.IsValid());
        reader.ClearFault();
        EXPECT_EQ(reader.GetValueParam(past), 0);
        EXPECT_EQ(reader.GetStringParam(past), "");
        EXPECT_EQ(reader.GetFault(), SnrFault::kParamOverrun);
        reader.NextCommand();
        EXPECT_TRUE(reader.IsFinish());
    }
}

TEST(CSnrBufferWalk, CutRecordHeaderAtTheEndGivesNoCommand) {
    test::SnrTestFile f;
    f.Command(1, {});
    f.stream.Put<uint16_t>(3); // half a record header
    CSnrBuffer reader;
    ASSERT_TRUE(reader.ReadFromMemory("H", f.Build()));
    reader.NextCommand();
    EXPECT_FALSE(reader.IsFinish());
    EXPECT_EQ(reader.GetCmdID(), CSnrBuffer::kNoCommand);
    EXPECT_EQ(reader.GetFault(), SnrFault::kRecordOverrun);
    EXPECT_EQ(reader.GetNumParam(), 0);
    reader.NextCommand();
    EXPECT_TRUE(reader.IsFinish());
}

TEST_F(OneParam, PostfixExpressions) {
    constexpr int32_t kMin = std::numeric_limits<int32_t>::min();
    struct Case {
        const char* what;
        ExprPairs pairs;
        int32_t value;
        SnrFault fault;
    };
    ExprPairs deep(51, {0, 1});
    ExprPairs fifty(50, {0, 1});
    for (int i = 0; i < 49; ++i)
        fifty.push_back({2, 0});
    const Case cases[] = {
        {"3 - 4", {{0, 3}, {0, 4}, {3, 0}}, -1, SnrFault::kNone},
        {"7 / 2", {{0, 7}, {0, 2}, {5, 0}}, 3, SnrFault::kNone},
        {"-7 mod 2", {{0, -7}, {0, 2}, {6, 0}}, -1, SnrFault::kNone},
        {"-7 / 2 truncates", {{0, -7}, {0, 2}, {5, 0}}, -3, SnrFault::kNone},
        {"v3 * (v1 + 2)", {{1, 3}, {1, 1}, {0, 2}, {2, 0}, {4, 0}}, 103 * 103, SnrFault::kNone},
        {"operator operand ignored", {{0, 2}, {0, 3}, {4, 999}}, 6, SnrFault::kNone},
        {"top of the stack at the end", {{0, 1}, {0, 2}}, 2, SnrFault::kNone},
        {"unknown kind ignored", {{0, 4}, {9, 0}}, 4, SnrFault::kNone},
        {"sum wraps", {{0, 0x7FFFFFFF}, {0, 1}, {2, 0}}, kMin, SnrFault::kNone},
        {"INT_MIN / -1 wraps", {{0, kMin}, {0, -1}, {5, 0}}, kMin, SnrFault::kNone},
        {"INT_MIN mod -1", {{0, kMin}, {0, -1}, {6, 0}}, 0, SnrFault::kNone},
        {"fifty values fit", fifty, 50, SnrFault::kNone},
        {"51 values overflow", deep, 0, SnrFault::kStackOverflow},
        {"operator on one value", {{0, 1}, {2, 0}}, 0, SnrFault::kStackUnderflow},
        {"empty expression", {}, 0, SnrFault::kStackUnderflow},
        {"divide by zero", {{0, 1}, {0, 0}, {5, 0}}, 0, SnrFault::kDivideByZero},
        {"remainder by zero", {{0, 1}, {0, 0}, {6, 0}}, 0, SnrFault::kDivideByZero},
        {"variable out of range", {{1, 10}}, 0, SnrFault::kBadVariable},
        {"negative variable", {{1, -1}}, 0, SnrFault::kBadVariable},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        EXPECT_EQ(Value(ExprParam(c.pairs)), c.value);
        EXPECT_EQ(reader.GetFault(), c.fault);
    }
}

TEST_F(OneParam, VariablesNeedABoundListAndAnIndexInside) {
    EXPECT_EQ(Value(VarParam(9)), 109);
    EXPECT_FALSE(reader.HasFault());
    EXPECT_EQ(Value(VarParam(10)), 0);
    EXPECT_EQ(reader.GetFault(), SnrFault::kBadVariable);
    Load(VarParam(0));
    reader.SetValList(nullptr);
    EXPECT_EQ(reader.GetValueParam(reader.GetParam()), 0);
    EXPECT_EQ(reader.GetFault(), SnrFault::kBadVariable);
}

TEST_F(OneParam, TextExpansion) {
    struct Case {
        const char* what;
        std::string raw;
        std::string text;
        SnrFault fault;
    };
    const Case cases[] = {
        {"doubled ampersand", "a&&b", "a&b", SnrFault::kNone},
        {"reference 0x8001 is variable 0", "[" + StrRef(0) + "]", "[Ann]", SnrFault::kNone},
        {"bit 15 is ignored", "&\x02\x01x", "Bobx", SnrFault::kNone}, // slot 0x101 = 257
        {"double-byte text is kept", "\x82\xA0&&\x82\xA2", "\x82\xA0&\x82\xA2", SnrFault::kNone},
        {"unbound slot", "<" + StrRef(5) + ">", "<>", SnrFault::kBadStringVar},
        {"zero byte inside a reference", std::string("a&\x00\x80", 4), "a", SnrFault::kBadText},
        {"slot past 2000", "a" + StrRef(2000), "a", SnrFault::kBadStringVar},
        {"reference cut by the terminator", "ab&\x81", "ab", SnrFault::kBadText},
        {"lone ampersand at the end", "ab&", "ab", SnrFault::kBadText},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        EXPECT_EQ(Text(TextParam(c.raw)), c.text);
        EXPECT_EQ(reader.GetFault(), c.fault);
    }
    EXPECT_EQ(Text(StrVarParam(1)), "Bob");
    EXPECT_EQ(Text(StrVarParam(-1)), "");
    EXPECT_EQ(reader.GetFault(), SnrFault::kBadStringVar);
}

TEST_F(OneParam, TextExpansionStopsBelow512Bytes) {
    // 510 single bytes then a double-byte character: only the 510 fit.
    std::string raw(510, 'a');
    raw += "\x82\xA0";
    std::string text = Text(TextParam(raw));
    EXPECT_EQ(text, std::string(510, 'a'));
    EXPECT_EQ(reader.GetFault(), SnrFault::kTextTooLong);
    EXPECT_EQ(text.data()[text.size()], '\0');

    EXPECT_EQ(Text(TextParam(std::string(511, 'b'))), std::string(511, 'b'));
    EXPECT_FALSE(reader.HasFault());

    // Insertions count too: eight 63-byte variables are 504 bytes, the ninth is cut.
    char longStr[64];
    std::memset(longStr, 'L', 63);
    longStr[63] = 0;
    std::string refs;
    for (int i = 0; i < 9; ++i)
        refs += StrRef(0);
    Load(TextParam(refs));
    reader.SetStrList(0, longStr);
    EXPECT_EQ(reader.GetStringParam(reader.GetParam()).size(), 511u);
    EXPECT_EQ(reader.GetFault(), SnrFault::kTextTooLong);
}

TEST(CSnrBufferJump, LabelsLoadPointsAndSeeksStayInsideTheStream) {
    test::SnrTestFile f;
    uint32_t a = f.Command(1, {});
    uint32_t b = f.Command(2, {NumParam(1)});
    uint32_t end = static_cast<uint32_t>(f.stream.Size());
    f.labels = {b, a, end, end + 1};
    f.loadPoints[0] = {a};
    f.loadPoints[255] = {b, 0x80000000};
    CSnrBuffer reader;
    ASSERT_TRUE(reader.ReadFromMemory("J", f.Build()));
    EXPECT_EQ(reader.GetLabelCount(), 4u);
    EXPECT_EQ(reader.GetLoadPointCount(255), 2u);

    EXPECT_TRUE(reader.JumpToLabel(0));
    EXPECT_EQ(reader.GetCmdID(), 2);
    EXPECT_TRUE(reader.JumpToLabel(2));
    EXPECT_TRUE(reader.IsFinish());
    EXPECT_TRUE(reader.JumpToLoadPoint(255, 0));
    EXPECT_EQ(reader.GetPos(), b);
    EXPECT_TRUE(reader.JumpToLoadPoint(0, 0));
    EXPECT_EQ(reader.GetPos(), a);
    EXPECT_FALSE(reader.HasFault());

    struct Case {
        const char* what;
        std::function<bool()> jump;
        SnrFault fault;
    };
    const Case cases[] = {
        {"label -1", [&] { return reader.JumpToLabel(-1); }, SnrFault::kBadLabel},
        {"label = count", [&] { return reader.JumpToLabel(4); }, SnrFault::kBadLabel},
        {"label past the stream", [&] { return reader.JumpToLabel(3); }, SnrFault::kBadTarget},
        {"table 256", [&] { return reader.JumpToLoadPoint(256, 0); }, SnrFault::kBadLoadPoint},
        {"table -1", [&] { return reader.JumpToLoadPoint(-1, 0); }, SnrFault::kBadLoadPoint},
        {"index = count", [&] { return reader.JumpToLoadPoint(0, 1); }, SnrFault::kBadLoadPoint},
        {"empty table", [&] { return reader.JumpToLoadPoint(1, 0); }, SnrFault::kBadLoadPoint},
        {"load point past the stream", [&] { return reader.JumpToLoadPoint(255, 1); },
         SnrFault::kBadTarget},
        {"seek past the stream", [&] { return reader.SeekBegin(end + 1); }, SnrFault::kBadTarget},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        reader.ClearFault();
        ASSERT_TRUE(reader.SeekBegin(b));
        EXPECT_FALSE(c.jump());
        EXPECT_EQ(reader.GetFault(), c.fault);
        EXPECT_EQ(reader.GetPos(), b); // unchanged
    }

    reader.Release();
    reader.ClearFault();
    EXPECT_FALSE(reader.JumpToLabel(0));
    EXPECT_EQ(reader.GetFault(), SnrFault::kNotLoaded);
}

} // namespace
} // namespace qw
