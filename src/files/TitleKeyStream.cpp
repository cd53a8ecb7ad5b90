#include "files/TitleKeyStream.h"

#include "common/ExecLog.h"
#include "files/CMD5.h"

namespace qw {

std::string TitleBlockKey(std::string_view title, uint32_t block) {
    std::string text(title);
    text += std::to_string(block);
    return CMD5::Hex(text);
}

void XorTitleKeyStream(std::span<uint8_t> data, std::string_view title) {
    AddExecLog("XorTitleKeyStream");
    for (size_t start = 0, block = 0; start < data.size(); start += 32, ++block) {
        std::string key = TitleBlockKey(title, static_cast<uint32_t>(block));
        size_t end = start + 32 < data.size() ? start + 32 : data.size();
        for (size_t i = start; i < end; ++i)
            data[i] ^= static_cast<uint8_t>(key[i - start]);
    }
}

} // namespace qw
