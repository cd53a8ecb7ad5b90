#pragma once
// A fresh directory for one test, removed with everything in it afterwards.

#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <string>
#include <string_view>

#include "common/Bytes.h"
#include "platform/FileSystem.h"

namespace qw::testing {

class FilesTestDir : public ::testing::Test {
protected:
    void SetUp() override {
        std::string pattern = ::testing::TempDir() + "qwfilesXXXXXX";
        ASSERT_NE(::mkdtemp(pattern.data()), nullptr);
        dir_ = pattern + "/";
    }
    void TearDown() override { std::filesystem::remove_all(dir_); }

    const std::string& Dir() const { return dir_; }
    std::string Path(std::string_view name) const { return dir_ + std::string(name); }
    void Write(std::string_view name, ByteSpan data) const {
        ASSERT_TRUE(platform::WriteFileAtomic(Path(name), data)) << name;
    }
    void Write(std::string_view name, std::string_view text) const {
        Write(name, ByteSpan(reinterpret_cast<const uint8_t*>(text.data()), text.size()));
    }
    void MakeDir(std::string_view name) const { std::filesystem::create_directories(Path(name)); }

private:
    std::string dir_;
};

} // namespace qw::testing
