#include <gtest/gtest.h>

#include "FilesTestDir.h"
#include "files/CFile.h"

namespace qw {
namespace {

using CFileTest = testing::FilesTestDir;

TEST_F(CFileTest, CreateAlwaysReplacesTheFileOnlyWhenClosed) {
    Write("SAVE.DAT", "old contents");
    CFile file;
    ASSERT_TRUE(file.Open(Path("SAVE.DAT"), CFile::kRead | CFile::kWrite, CFile::kCreateAlways));
    EXPECT_EQ(file.Write("new", 3), 3u);
    EXPECT_EQ(platform::ReadWholeFile(Path("SAVE.DAT")),
              Bytes({'o', 'l', 'd', ' ', 'c', 'o', 'n', 't', 'e', 'n', 't', 's'}));
    EXPECT_EQ(file.Size(), 3u);
    EXPECT_TRUE(file.Close());
    EXPECT_EQ(platform::ReadWholeFile(Path("SAVE.DAT")), Bytes({'n', 'e', 'w'}));
    EXPECT_EQ(platform::GetPathKind(Path("SAVE.DAT.tmp")), platform::PathKind::Missing);
}

TEST_F(CFileTest, ReadsAllOrNothingAndSeeks) {
    Write("CONFIG.SAV", "0123456789");
    CFile file;
    EXPECT_FALSE(file.Open(Path("MISSING"), CFile::kRead, CFile::kOpenExisting));
    EXPECT_FALSE(file.Open(Path("CONFIG.SAV"), CFile::kWrite, CFile::kCreateNew));
    ASSERT_TRUE(file.Open(Path("CONFIG.SAV"), CFile::kRead, CFile::kOpenExisting));
    EXPECT_EQ(file.Size(), 10u);
    EXPECT_EQ(file.Seek(-4, CFile::kEnd), 6u);
    char buf[8];
    EXPECT_EQ(file.Read(buf, 8), 0u); // only 4 left
    EXPECT_EQ(file.Seek(2, CFile::kBegin), 2u);
    ASSERT_EQ(file.Read(buf, 3), 3u);
    EXPECT_EQ(std::string(buf, 3), "234");
    EXPECT_EQ(file.Seek(1, CFile::kCurrent), 6u);
    EXPECT_EQ(file.Write("x", 1), 0u); // opened for reading only
}

} // namespace
} // namespace qw
