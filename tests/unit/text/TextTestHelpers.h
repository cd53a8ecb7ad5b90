#pragma once
// Text in either code page for the text tests, written as UTF-8 (u8 literals keep their bytes
// whatever the build's execution character set).

#include <gtest/gtest.h>

#include <string>
#include <string_view>
#include <vector>

#include "platform/CodePage.h"
#include "text/CMesTextBuffer.h"

namespace qw::texttest {

inline std::string Enc(const TextProfile& profile, std::u8string_view utf8) {
    auto bytes = platform::Utf8ToCodePage(
        profile.name, std::string_view(reinterpret_cast<const char*>(utf8.data()), utf8.size()));
    EXPECT_TRUE(bytes.has_value()) << "not in " << profile.name;
    return bytes.value_or(std::string());
}

inline std::string Repeat(const std::string& s, int n) {
    std::string out;
    for (int i = 0; i < n; ++i)
        out += s;
    return out;
}

// A buffer at the window's defaults with the given enable flags.
inline void SetupDefaults(CMesTextBuffer& buffer, bool kinsoku, bool indent) {
    buffer.Setup(MesTextSetup{});
    buffer.kinsoku = kinsoku;
    buffer.indent = indent;
}

// Converts `items` into a fresh 512-item list; the items up to and including the terminator.
inline std::vector<MesDrawItem> Lay(CMesTextBuffer& buffer, const std::vector<MesOutItem>& items) {
    std::vector<MesDrawItem> list(kMesDrawItems);
    EXPECT_TRUE(buffer.Convert(items.data(), int(items.size()), list));
    std::vector<MesDrawItem> out;
    for (const auto& item : list) {
        out.push_back(item);
        if (item.type == kMesDrawEnd) break;
    }
    return out;
}

inline std::vector<MesDrawItem> Words(const std::vector<MesDrawItem>& items) {
    std::vector<MesDrawItem> out;
    for (const auto& item : items)
        if (item.type == kMesDrawWord) out.push_back(item);
    return out;
}

inline std::vector<int> Types(const std::vector<MesDrawItem>& items) {
    std::vector<int> out;
    for (const auto& item : items)
        out.push_back(item.type);
    return out;
}

} // namespace qw::texttest
