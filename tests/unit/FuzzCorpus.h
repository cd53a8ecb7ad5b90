#pragma once
// Inputs that a fuzz target once choked on are kept in its seed folder, fuzz/corpus/<target>/, so
// every fuzz run starts from them; the unit tests read the same files to check the fix.

#include <gtest/gtest.h>

#include <string>

#include "common/Bytes.h"
#include "platform/FileSystem.h"

namespace qw::test {

// The whole input file fuzz/corpus/<target>/<name>; an empty buffer (and a test failure) when it
// cannot be read.
inline Bytes ReadCorpusFile(const std::string& target, const std::string& name) {
    std::string path = std::string(QW_SOURCE_DIR) + "/fuzz/corpus/" + target + "/" + name;
    auto data = platform::ReadWholeFile(path);
    EXPECT_TRUE(data) << "missing fixture " << path;
    return data ? *data : Bytes{};
}

// The same for targets whose first byte picks the parser (app_inputs): the bytes after it.
inline Bytes ReadCorpusPayload(const std::string& target, const std::string& name) {
    Bytes all = ReadCorpusFile(target, name);
    return all.empty() ? all : Bytes(all.begin() + 1, all.end());
}

} // namespace qw::test
