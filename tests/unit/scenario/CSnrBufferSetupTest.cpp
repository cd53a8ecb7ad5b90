#include <gtest/gtest.h>

#include "scenario/CSnrBuffer.h"
#include "unit/scenario/SnrTestFile.h"

namespace qw {
namespace {

using test::ExprParam;
using test::NumParam;
using test::TextParam;
using test::VarParam;

class SetupRecords : public ::testing::Test {
protected:
    void SetUp() override {
        test::SnrTestFile f;
        f.Command(
            0, {NumParam(3), NumParam(1), NumParam(10), NumParam(20), NumParam(30), NumParam(40)});
        f.Command(0, {NumParam(3), NumParam(2), TextParam("name"), NumParam(1), NumParam(0),
                      NumParam(5)});
        f.Command(5, {NumParam(3), NumParam(9)});    // not a record: id 5
        f.Command(0, {TextParam("3"), NumParam(9)}); // first id is a string
        f.Command(0, {NumParam(3)});                 // a single parameter
        f.Command(0, {NumParam(3), NumParam(7), NumParam(1)});
        f.Command(0, {NumParam(3), NumParam(7), NumParam(2)});
        f.Command(0, {VarParam(0), ExprParam({{0, 2}, {0, 4}, {4, 0}}), NumParam(77)});
        f.Command(0, {NumParam(3), NumParam(9), NumParam(99)});
        ASSERT_TRUE(reader.ReadFromMemory("OPTION", f.Build()));
    }
    CSnrBuffer reader;
};

TEST_F(SetupRecords, FailsAfterStoringWhatFits) {
    int32_t v[5] = {-1, -1, -1, -1, -1};
    EXPECT_FALSE(reader.GetSetupParam(3, 1, "NNNNN", &v[0], &v[1], &v[2], &v[3], &v[4]));
    EXPECT_EQ(std::vector<int32_t>(v, v + 5), (std::vector<int32_t>{10, 20, 30, 40, -1}));
    EXPECT_EQ(reader.GetCmdID(), 0); // left on the found record
    EXPECT_EQ(reader.GetValueParam(reader.NextParam(reader.GetParam())), 1);

    reader.SeekBegin(0);
    EXPECT_TRUE(reader.GetSetupParam(3, 1, "nnnn", &v[0], &v[1], &v[2], &v[3]));
}

TEST_F(SetupRecords, FormatLettersAndOutputs) {
    std::string name;
    int32_t n = 0;
    uint8_t b = 7;
    bool flag = false;
    EXPECT_TRUE(reader.GetSetupParam(3, 2, "SnbB", &name, &n, &b, &flag));
    EXPECT_EQ(name, "name");
    EXPECT_EQ(n, 1);
    EXPECT_EQ(b, 0);
    EXPECT_TRUE(flag); // 5 counts as set

    char small[4] = "???";
    reader.SeekBegin(0);
    EXPECT_TRUE(reader.GetSetupParam(3, 2, "s", small));
    EXPECT_STREQ(small, "nam");

    struct Case {
        const char* what;
        std::string_view format;
        std::vector<SetupOutput> outputs;
    };
    std::string s;
    const Case refused[] = {
        {"number where the record has a string", "N", {&n}},
        {"string where the record has a number", "NS", {&n, &s}},
        {"another letter", "X", {&n}},
        {"fewer outputs than letters", "SN", {&s}},
        {"output of another kind", "S", {&n}},
        {"null output", "S", {static_cast<std::string*>(nullptr)}},
    };
    for (const Case& c : refused) {
        SCOPED_TRACE(c.what);
        reader.SeekBegin(0);
        EXPECT_FALSE(reader.GetSetupParam(3, 2, c.format, c.outputs));
    }
    reader.SeekBegin(0);
    EXPECT_TRUE(reader.GetSetupParam(3, 2, ""));
}

TEST_F(SetupRecords, MissingRecordsLeaveThePositionAtTheEnd) {
    int32_t n = 0;
    EXPECT_FALSE(reader.GetSetupParam(3, 99, "N", &n));
    EXPECT_TRUE(reader.IsFinish());
    // Searching starts at the current position: record (3, 1) lies behind.
    reader.SeekBegin(0);
    reader.NextCommand();
    EXPECT_FALSE(reader.GetSetupParam(3, 1, ""));
}

TEST_F(SetupRecords, RepeatedRecordsAreWalkedWithNextCommand) {
    std::vector<int32_t> seen;
    for (;;) {
        int32_t n = 0;
        if (!reader.GetSetupParam(3, 7, "N", &n)) break;
        seen.push_back(n);
        reader.NextCommand();
    }
    EXPECT_EQ(seen, (std::vector<int32_t>{1, 2}));
    EXPECT_TRUE(reader.IsFinish());
}

TEST_F(SetupRecords, RecordIdsAreValuesOfVariablesAndExpressions) {
    int32_t n = 0;
    // Without a variable list the record cannot match, and nothing is read out of bounds.
    EXPECT_FALSE(reader.GetSetupParam(4, 8, "N", &n));
    int32_t vars[1] = {4};
    reader.SetValList(vars, 1);
    reader.SeekBegin(0);
    EXPECT_TRUE(reader.GetSetupParam(4, 8, "N", &n));
    EXPECT_EQ(n, 77);
    // The record with ids (3, 9) lies after it, past the non-record with the same numbers.
    reader.SeekBegin(0);
    EXPECT_TRUE(reader.GetSetupParam(3, 9, "N", &n));
    EXPECT_EQ(n, 99);
}

// A file with large label and load-point tables, read through a source.
class SavedPosition : public ::testing::Test {
protected:
    void SetUp() override {
        test::SnrTestFile f;
        f.Command(1, {NumParam(0)});
        second = f.Command(1000, {NumParam(1)});
        f.Command(10000, {});
        f.labels.assign(3000, 0);
        for (auto& t : f.loadPoints)
            t.assign(10, second);
        streamStart = f.StreamStart();
        source.members["START"] = f.Build();
        reader.Initialize(&source);
        ASSERT_TRUE(reader.Read("START"));
    }
    test::MapSource source;
    CSnrBuffer reader;
    uint32_t second = 0;
    size_t streamStart = 0;
};

TEST_F(SavedPosition, RecordStoresThePositionFromTheFileStartAndReloads) {
    reader.NextCommand();
    ByteWriter out;
    reader.Save(out);
    Bytes record = out.Take();
    ASSERT_EQ(record.size(), CSnrBuffer::kSaveHeaderSize);
    EXPECT_EQ(LoadFixedString(record, 0, 64), "START");
    EXPECT_EQ(LoadLE<uint32_t>(record, 64), streamStart + second);
    EXPECT_EQ(LoadLE<int32_t>(record, 68), 0);

    CSnrBuffer other;
    other.Initialize(&source);
    record.push_back(0xEE); // whatever follows the record is not consumed
    EXPECT_EQ(other.Load(record), CSnrBuffer::kSaveHeaderSize);
    EXPECT_EQ(other.GetFileName(), "START");
    EXPECT_EQ(other.GetPos(), second);
    EXPECT_EQ(other.GetCmdID(), 1000);
}

TEST_F(SavedPosition, ReturnListRoundTrips) {
    ByteWriter in;
    in.PutFixedString("START", 64);
    in.Put<uint32_t>(static_cast<uint32_t>(streamStart));
    in.Put<int32_t>(2);
    in.Put<uint32_t>(11);
    in.Put<uint32_t>(22);
    Bytes record = in.Take();
    EXPECT_EQ(reader.Load(record), record.size());
    ByteWriter out;
    reader.Save(out);
    EXPECT_EQ(out.Data(), record);
}

TEST_F(SavedPosition, DamagedRecordsAreRefused) {
    auto make = [&](std::string_view name, uint32_t pos, int32_t count, size_t positions) {
        ByteWriter w;
        w.PutFixedString(name, 64);
        w.Put<uint32_t>(pos);
        w.Put<int32_t>(count);
        for (size_t i = 0; i < positions; ++i)
            w.Put<uint32_t>(0);
        return w.Take();
    };
    const uint32_t fileSize = static_cast<uint32_t>(source.members["START"].size());
    struct Case {
        const char* what;
        Bytes record;
        SnrFault fault;
    };
    Bytes cut = make("START", uint32_t(streamStart), 0, 0);
    cut.resize(70);
    const Case cases[] = {
        {"cut before the count", cut, SnrFault::kBadRecord},
        {"negative count", make("START", uint32_t(streamStart), -1, 0), SnrFault::kBadRecord},
        {"257 return positions", make("START", uint32_t(streamStart), 257, 257),
         SnrFault::kBadRecord},
        {"positions missing", make("START", uint32_t(streamStart), 2, 1), SnrFault::kBadRecord},
        {"unknown file", make("NOPE", uint32_t(streamStart), 0, 0), SnrFault::kNoMember},
        {"position inside the tables", make("START", 1112, 0, 0), SnrFault::kBadTarget},
        {"position past the file", make("START", fileSize + 1, 0, 0), SnrFault::kBadTarget},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        EXPECT_EQ(reader.Load(c.record), std::nullopt);
        EXPECT_EQ(reader.GetFault(), c.fault);
    }
    EXPECT_EQ(reader.Load(make("START", fileSize, 0, 0)), CSnrBuffer::kSaveHeaderSize);
    EXPECT_TRUE(reader.IsFinish());
}

} // namespace
} // namespace qw
