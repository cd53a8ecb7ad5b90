#include "common/Text.h"

#include "common/ExecLog.h"

namespace qw {

namespace {
constexpr bool IsTrailByte(uint8_t b) {
    return b >= 0x40 && b != 0x7F && b <= 0xFC;
}
} // namespace

void AddPathSeparator(std::string& path, char separator) {
    AddExecLog("AddPathSeparator");
    bool endsWithSeparator = false;
    for (size_t i = 0; i < path.size(); ++i) {
        auto b = static_cast<uint8_t>(path[i]);
        if (IsLeadByte(b) && i + 1 < path.size() &&
            IsTrailByte(static_cast<uint8_t>(path[i + 1]))) {
            endsWithSeparator = false; // a double-byte character, whatever its trail byte
            ++i;
        } else {
            endsWithSeparator = path[i] == separator;
        }
    }
    if (!endsWithSeparator) path.push_back(separator);
}

namespace {
std::string& TitleStorage() {
    static std::string title = kDefaultProductTitle;
    return title;
}
} // namespace

const std::string& ProductTitle() {
    return TitleStorage();
}
void SetProductTitle(std::string_view title) {
    TitleStorage() = std::string(title);
}

} // namespace qw
