#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "FilesTestDir.h"
#include "files/ArchiveWriter.h"
#include "files/CFileJoin.h"
#include "files/GameArchives.h"

namespace qw {
namespace {

Bytes Text(std::string_view s) {
    return Bytes(s.begin(), s.end());
}

std::string ReadOpen(CFileJoin& join, size_t count) {
    std::string out(count, '\0');
    out.resize(join.ReadBytes(out.data(), count));
    return out;
}

std::string ReadStream(const MemberStream& s) {
    std::string out(static_cast<size_t>(s.size) + 8, '\0');
    out.resize(s.Read(0, out.data(), out.size()));
    return out;
}

class CFileJoinTest : public testing::FilesTestDir {
protected:
    void WriteArchive(std::string_view name, ArchiveFormat format) {
        std::vector<ArchiveMemberData> members = {{"START.MSD", Text("scenario start")},
                                                  {"TITLE.MSD", Text("title")},
                                                  {"ABCDEFGH.DAT", Text("twelve")}};
        std::string error;
        auto bytes = BuildArchive(format, members, error);
        ASSERT_TRUE(bytes) << error;
        Write(name, *bytes);
    }
};

TEST_F(CFileJoinTest, ArchiveMembersOpenReadAndStream) {
    for (auto format : {ArchiveFormat::Sm2mpx10, ArchiveFormat::Mgcfile, ArchiveFormat::Fjsys}) {
        SCOPED_TRACE(ArchiveMagic(format));
        WriteArchive("msd", format); // base name case does not matter
        CFileJoin join;
        ASSERT_TRUE(join.Initialize(Dir(), "MSD", ".MSD"));
        EXPECT_EQ(join.GetMode(), CFileJoin::kModeArchive);
        EXPECT_EQ(join.GetFormat(), static_cast<int>(format));

        // Default extension added, case ignored; reads stop at the member's end.
        ASSERT_TRUE(join.Open("start"));
        EXPECT_EQ(join.GetSize(), 14u);
        EXPECT_EQ(ReadOpen(join, 8), "scenario");
        // Whole-member reads and the multi operations leave the open member alone.
        EXPECT_EQ(join.ReadMember("title"), Text("title"));
        int h = join.OpenMulti("Title");
        ASSERT_NE(h, 0);
        EXPECT_EQ(join.GetSizeMulti(h), 5u);
        auto handle = join.GetHandleMulti(h);
        char buf[5];
        ASSERT_EQ(handle.ReadAt(join.GetBeginOffsetMulti64(h), buf, 5), 5u);
        EXPECT_EQ(std::string(buf, 5), "title");
        EXPECT_EQ(ReadOpen(join, 100), " start");
        EXPECT_EQ(ReadOpen(join, 100), "");
        join.SeekEntry(9);
        EXPECT_EQ(ReadOpen(join, 5), "start");

        // A name with an extension is used as is: the 12-byte name is found.
        ASSERT_TRUE(join.Open("abcdefgh.dat"));
        EXPECT_EQ(ReadOpen(join, 100), "twelve");
        auto stream = join.OpenStream("ABCDEFGH.DAT");
        ASSERT_TRUE(stream);
        EXPECT_EQ(ReadStream(*stream), "twelve");

        EXPECT_FALSE(join.Open("ABCDEFGH")); // would be ABCDEFGH.MSD
        EXPECT_FALSE(join.IsMemberOpen());
        EXPECT_EQ(join.GetSize(), 0u);
        EXPECT_EQ(join.OpenMulti("NOSUCH"), 0);
        EXPECT_EQ(join.ReadMember("NOSUCH"), std::nullopt);
    }
}

TEST_F(CFileJoinTest, InitializeFailsForMissingOrUnknownFiles) {
    Write("DATA", "NOTANARCHIVE-AT-ALL-------------------");
    CFileJoin join;
    EXPECT_FALSE(join.Initialize(Dir(), "DATA", ".DAT"));
    EXPECT_EQ(join.GetMode(), CFileJoin::kModeNone);
    EXPECT_FALSE(join.Initialize(Dir(), "NOTHERE", ".DAT"));
    EXPECT_FALSE(join.Open("ANY"));
    EXPECT_FALSE(join.GetHandleMulti(1).IsOpen());
    EXPECT_EQ(join.ReadMember("ANY"), std::nullopt);
}

TEST_F(CFileJoinTest, MembersOutsideTheArchiveCannotBeOpened) {
    std::vector<ArchiveMemberData> members = {{"A.DAT", Text("aaaa")}, {"B.DAT", Text("bbbb")}};
    std::string error;
    Bytes bytes = BuildArchive(ArchiveFormat::Fjsys, members, error).value();
    StoreLE<uint32_t>(bytes, 84 + 16 + 4, 100); // B.DAT claims 100 bytes
    Write("DATA", bytes);
    CFileJoin join;
    ASSERT_TRUE(join.Initialize(Dir(), "DATA", ".DAT"));
    EXPECT_TRUE(join.Open("A"));
    EXPECT_FALSE(join.Open("B"));
    EXPECT_EQ(join.OpenMulti("B"), 0);
    EXPECT_EQ(join.ReadMember("B"), std::nullopt);
}

TEST_F(CFileJoinTest, OffsetsBeyondFourGiBAreHonoured) {
    // A 4 GiB - 1 member pushes the next one past 4 GiB; the file is sparse.
    const std::string tail = "past four GiB";
    for (auto format : {ArchiveFormat::Mgcfile, ArchiveFormat::Fjsys}) {
        SCOPED_TRACE(ArchiveMagic(format));
        std::vector<ArchiveMemberInfo> infos = {{"A.DAT", 0xFFFFFFFFu}, {"TAIL.DAT", tail.size()}};
        std::string error;
        auto plan = PlanArchive(format, infos, error);
        ASSERT_TRUE(plan) << error;
        const uint64_t offset = plan->offset[1];
        ASSERT_GT(offset, 0x100000000ull);
        {
            platform::FileHandle f;
            ASSERT_TRUE(f.Open(Path("BIG"), platform::FileHandle::Mode::CreateTruncate));
            ASSERT_EQ(f.Write(plan->head.data(), plan->head.size()), plan->head.size());
            ASSERT_EQ(f.Seek(static_cast<int64_t>(offset), 0), offset);
            ASSERT_EQ(f.Write(tail.data(), tail.size()), tail.size());
        }
        CFileJoin join;
        ASSERT_TRUE(join.Initialize(Dir(), "BIG", ".DAT"));
        ASSERT_TRUE(join.Open("TAIL"));
        EXPECT_EQ(ReadOpen(join, 100), tail);
        int h = join.OpenMulti("TAIL");
        EXPECT_EQ(join.GetBeginOffsetMulti64(h), offset);
        auto stream = join.OpenStream("TAIL");
        ASSERT_TRUE(stream);
        EXPECT_EQ(ReadStream(*stream), tail);
        platform::RemoveFile(Path("BIG"));
    }
}

TEST_F(CFileJoinTest, DirectoryModeMatchesNamesWithoutRegardToCase) {
    MakeDir("msd");
    Write("msd/start.msd", "lower");
    Write("msd/Title.MSD", "mixed");
    Write("msd/\xE8\x83\x8C\xE6\x99\xAF.MSD", "utf-8 name"); // 背景 on disk in UTF-8
    Write("secret.msd", "outside");
    CFileJoin join;
    ASSERT_TRUE(join.Initialize(Dir(), "MSD", ".MSD"));
    EXPECT_EQ(join.GetMode(), CFileJoin::kModeDirectory);

    ASSERT_TRUE(join.Open("START"));
    EXPECT_EQ(join.GetSize(), 5u);
    EXPECT_EQ(ReadOpen(join, 100), "lower");
    EXPECT_EQ(join.ReadMember("title"), Text("mixed"));
    EXPECT_EQ(join.ReadMember("\x94\x77\x8C\x69"), Text("utf-8 name")); // asked in CP932
    EXPECT_EQ(join.ReadMember("../secret"), std::nullopt);

    int h = join.OpenMulti("TITLE");
    ASSERT_NE(h, 0);
    EXPECT_EQ(join.GetSizeMulti(h), 5u);
    EXPECT_EQ(join.GetBeginOffsetMulti64(h), 0u);
    EXPECT_TRUE(join.GetHandleMulti(h).IsOpen());
    EXPECT_EQ(join.OpenMulti("NOSUCH"), 0);

    // A file added while the reader is in use is found.
    Write("msd/LATER.MSD", "later");
    EXPECT_EQ(join.ReadMember("later"), Text("later"));
    join.Close();
    EXPECT_FALSE(join.IsMemberOpen());
    EXPECT_EQ(join.ReadBytes(nullptr, 4), 0u);
}

TEST_F(CFileJoinTest, GameArchivesOpenInOrderAndReportTheFirstMissing) {
    for (int slot = 0; slot < kArchiveVoice; ++slot)
        MakeDir(kGameArchiveNames[slot].baseName);
    CFileJoin archives[kGameArchiveCount];
    EXPECT_EQ(OpenGameArchives(Dir(), archives), kArchiveVoice);
    EXPECT_NE(GameArchiveErrorText(kArchiveVoice).find("VOICE"), std::string::npos);

    MakeDir("VOICE");
    Write("VOICE/V001.OGG", "ogg");
    EXPECT_EQ(OpenGameArchives(Dir(), archives), -1);
    EXPECT_EQ(archives[kArchiveVoice].ReadMember("v001"), Text("ogg"));
}

} // namespace
} // namespace qw
