#include <gtest/gtest.h>

#include <filesystem>

#include "platform/FileSystem.h"
#include "platform/IniProfile.h"

namespace qw::platform {
namespace {

class IniProfileTest : public ::testing::Test {
protected:
    void SetUp() override {
        dir_ = std::filesystem::temp_directory_path() /
               ("qw_ini_" + std::to_string(::testing::UnitTest::GetInstance()->random_seed()) +
                ::testing::UnitTest::GetInstance()->current_test_info()->name());
        std::filesystem::create_directories(dir_);
        path_ = (dir_ / "Novel.ini").string();
    }
    void TearDown() override { std::filesystem::remove_all(dir_); }
    void WriteText(const std::string& text) {
        ASSERT_TRUE(WriteFileAtomic(
            path_, std::span(reinterpret_cast<const uint8_t*>(text.data()), text.size())));
    }
    std::string ReadText() {
        auto data = ReadWholeFile(path_);
        return data ? std::string(data->begin(), data->end()) : std::string();
    }
    std::filesystem::path dir_;
    std::string path_;
};

TEST_F(IniProfileTest, ReadsWithDefaultsAndCaseInsensitiveNames) {
    WriteText("; comment\n[MainWindow]\r\nd3d = "
              "0\r\nPos=\"12,34\"\r\n[ConfigEx]\nFrameSpeed=2x\nBad=abc\n");
    EXPECT_EQ(GetProfileInt("mainwindow", "D3D", 1, path_), 0);
    EXPECT_EQ(GetProfileString("MAINWINDOW", "pos", "", path_), "12,34");
    EXPECT_EQ(GetProfileInt("ConfigEx", "FrameSpeed", 1, path_), 2);
    EXPECT_EQ(GetProfileInt("ConfigEx", "Bad", 7, path_), 0);
    EXPECT_EQ(GetProfileInt("ConfigEx", "Missing", 7, path_), 7);
    EXPECT_EQ(GetProfileString("Nowhere", "d3d", "dflt", path_), "dflt");
    EXPECT_EQ(GetProfileInt("MainWindow", "d3d", 5, path_ + ".none"), 5);
}

TEST_F(IniProfileTest, WritingKeepsOtherKeysAndCreatesWhatIsMissing) {
    WriteText("; keep me\n[MainWindow]\nd3d=1\nPos=1,2\n\n[Other]\nx=5\n");
    ASSERT_TRUE(WriteProfileString("mainwindow", "POS", "30,40", path_));
    ASSERT_TRUE(WriteProfileString("MainWindow", "Title", "Game", path_));
    ASSERT_TRUE(WriteProfileString("New", "k", "v", path_));
    EXPECT_EQ(ReadText(),
              "; keep me\n[MainWindow]\nd3d=1\nPOS=30,40\nTitle=Game\n\n[Other]\nx=5\n\n"
              "[New]\nk=v\n");
    EXPECT_EQ(GetProfileString("MainWindow", "pos", "", path_), "30,40");

    std::string fresh = (dir_ / "fresh.ini").string();
    ASSERT_TRUE(WriteProfileString("A", "b", "c", fresh));
    EXPECT_EQ(GetProfileString("a", "B", "", fresh), "c");
}

} // namespace
} // namespace qw::platform
