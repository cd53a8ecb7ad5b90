#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "files/ArchiveTable.h"
#include "files/ArchiveWriter.h"

namespace qw {
namespace {

const ArchiveFormat kFormats[] = {ArchiveFormat::Sm2mpx10, ArchiveFormat::Mgcfile,
                                  ArchiveFormat::Fjsys};

Bytes Text(std::string_view s) {
    return Bytes(s.begin(), s.end());
}

std::vector<ArchiveMemberData> SampleMembers() {
    return {{"START.MSD", Text("scenario")}, {"_A.DAT", Text("under")},
            {"0A.DAT", Text("digit")},       {"ABCDEFGH.DAT", Text("12-byte name")},
            {"A-B.DAT", Text("")},           {"\x83\x41.DAT", Text("katakana a")},
            {"\x83\x61.DAT", Text("other")}};
}

Bytes Build(ArchiveFormat format, const std::vector<ArchiveMemberData>& members,
            bool sorted = true) {
    std::string error;
    auto bytes = BuildArchive(format, members, error, sorted);
    EXPECT_TRUE(bytes) << error;
    return bytes.value_or(Bytes{});
}

std::string MemberText(const ArchiveTable& t, const Bytes& data, int i) {
    return std::string(data.begin() + static_cast<std::ptrdiff_t>(t.Offset(i)),
                       data.begin() + static_cast<std::ptrdiff_t>(t.Offset(i) + t.Size(i)));
}

TEST(ArchiveTable, EveryFormatFindsEachMemberWithCaseIgnored) {
    for (auto format : kFormats) {
        SCOPED_TRACE(ArchiveMagic(format));
        auto members = SampleMembers();
        Bytes data = Build(format, members);
        auto table = ArchiveTable::Parse(data, data.size());
        ASSERT_TRUE(table);
        EXPECT_EQ(table->Format(), format);
        ASSERT_EQ(table->Count(), static_cast<int>(members.size()));
        for (const auto& m : members) {
            int i = table->FindBinary(m.name); // written in lookup order: no fallback needed
            ASSERT_GE(i, 0) << m.name;
            EXPECT_EQ(table->Name(i), m.name);
            EXPECT_TRUE(table->InBounds(i));
            EXPECT_EQ(MemberText(*table, data, i), std::string(m.data.begin(), m.data.end()));
        }
        EXPECT_EQ(table->Find("start.msd"), table->Find("START.MSD"));
        EXPECT_EQ(table->Find("START"), -1);
        EXPECT_EQ(table->Find("NOSUCH.DAT"), -1);
    }
}

TEST(ArchiveTable, TablesInAnotherOrderAreStillRead) {
    // Plain byte order, as another tool might write it: '0' < 'A' < '_'.
    std::vector<ArchiveMemberData> members = {{"0A.DAT", Text("1")}, {"A-B.DAT", Text("2")},
                                              {"AB.DAT", Text("3")}, {"B.DAT", Text("4")},
                                              {"_A.DAT", Text("5")}, {"a_.DAT", Text("6")}};
    for (auto format : kFormats) {
        SCOPED_TRACE(ArchiveMagic(format));
        Bytes data = Build(format, members, /*sorted=*/false);
        auto table = ArchiveTable::Parse(data, data.size());
        ASSERT_TRUE(table);
        int binaryMisses = 0;
        for (int n = 0; n < static_cast<int>(members.size()); ++n) {
            EXPECT_EQ(table->Find(members[static_cast<size_t>(n)].name), n);
            binaryMisses += table->FindBinary(members[static_cast<size_t>(n)].name) < 0;
        }
        EXPECT_GT(binaryMisses, 0); // the fallback was needed
    }
}

TEST(ArchiveTable, MagicIsComparedUpToItsTerminator) {
    const struct {
        std::string head;
        ArchiveFormat format;
    } cases[] = {
        {std::string("SM2MPX10"), ArchiveFormat::Sm2mpx10},
        {std::string("MGCFILE\0", 8), ArchiveFormat::Mgcfile},
        {std::string("FJSYS\0\0\0", 8), ArchiveFormat::Fjsys},
        {std::string("FJSYS\0xy", 8), ArchiveFormat::Fjsys},
        {std::string("FJSYSX\0\0", 8), ArchiveFormat::None},
        {std::string("MGCFILEX"), ArchiveFormat::None},
        {std::string("SM2MPX11"), ArchiveFormat::None},
        {std::string("SM2MP"), ArchiveFormat::None}, // short read
    };
    for (const auto& c : cases) {
        Bytes head(c.head.begin(), c.head.end());
        EXPECT_EQ(DetectArchiveFormat(head), c.format) << c.head;
    }
}

// Patches a little-endian field of a built archive.
template <typename T>
Bytes Patched(Bytes data, size_t offset, T value) {
    StoreLE<T>(data, offset, value);
    return data;
}

TEST(ArchiveTable, BadHeadersAreRefused) {
    std::vector<ArchiveMemberData> one = {{"A.DAT", Text("abcd")}};
    Bytes sm = Build(ArchiveFormat::Sm2mpx10, one);
    Bytes mg = Build(ArchiveFormat::Mgcfile, one);
    Bytes fj = Build(ArchiveFormat::Fjsys, one);
    const struct {
        const char* what;
        Bytes data;
    } cases[] = {
        {"unknown magic", Patched<uint8_t>(sm, 0, 'X')},
        {"short header", Bytes(sm.begin(), sm.begin() + 20)},
        {"no entries", Patched<int32_t>(sm, 8, 0)},
        {"negative count", Patched<int32_t>(mg, 12, -1)},
        {"count past the end", Patched<int32_t>(sm, 8, 2)},
        {"huge count", Patched<int32_t>(fj, 16, 0x7FFFFFFF)},
        {"name block past the end", Patched<uint32_t>(fj, 12, 0xFFFFFFF0)},
        {"table cut short", Bytes(mg.begin(), mg.begin() + 40)},
    };
    for (const auto& c : cases)
        EXPECT_FALSE(ArchiveTable::Parse(c.data, c.data.size())) << c.what;
}

TEST(ArchiveTable, BadEntriesNeverMatchAndAreNotOpenable) {
    std::vector<ArchiveMemberData> two = {{"A.DAT", Text("abcd")}, {"B.DAT", Text("efgh")}};
    // FJSYS: entry 0's name offset points outside the name block.
    Bytes fj = Patched<uint32_t>(Build(ArchiveFormat::Fjsys, two), 84, 1000);
    auto table = ArchiveTable::Parse(fj, fj.size());
    ASSERT_TRUE(table);
    EXPECT_EQ(table->Name(0), std::nullopt);
    EXPECT_EQ(table->Find("A.DAT"), -1);
    EXPECT_EQ(table->Find("B.DAT"), 1);

    // MGCFILE: entry 1 runs past the end of the file; entry 0's offset + size overflows.
    Bytes mg = Build(ArchiveFormat::Mgcfile, two);
    mg = Patched<uint32_t>(mg, 32 + 32 + 20, 5);
    mg = Patched<uint64_t>(mg, 32 + 24, 0xFFFFFFFFFFFFFFF0ull);
    mg = Patched<uint32_t>(mg, 32 + 20, 0x20);
    table = ArchiveTable::Parse(mg, mg.size());
    ASSERT_TRUE(table);
    EXPECT_FALSE(table->InBounds(0));
    EXPECT_FALSE(table->InBounds(1));
}

TEST(ArchiveWriter, RefusesNamesTheFormatCannotHold) {
    const struct {
        ArchiveFormat format;
        std::string name;
        bool ok;
    } cases[] = {
        {ArchiveFormat::Sm2mpx10, "ABCDEFGH.DAT", true},
        {ArchiveFormat::Sm2mpx10, "ABCDEFGHI.DAT", false},
        {ArchiveFormat::Mgcfile, std::string(19, 'M'), true},
        {ArchiveFormat::Mgcfile, std::string(20, 'M'), false},
        {ArchiveFormat::Fjsys, std::string(300, 'F'), true},
        {ArchiveFormat::Fjsys, "", false},
    };
    for (const auto& c : cases) {
        std::string error;
        std::vector<ArchiveMemberData> m = {{c.name, Text("x")}};
        EXPECT_EQ(BuildArchive(c.format, m, error).has_value(), c.ok) << c.name;
        EXPECT_EQ(error.empty(), c.ok) << error;
    }
    std::string error;
    std::vector<ArchiveMemberData> dup = {{"a.dat", Text("1")}, {"A.DAT", Text("2")}};
    EXPECT_FALSE(BuildArchive(ArchiveFormat::Fjsys, dup, error));
    EXPECT_NE(error.find("duplicate"), std::string::npos);
}

} // namespace
} // namespace qw
