#include "ui/CtrlParam.h"

#include <cstring>

#include "common/Text.h"

namespace qw {

std::string_view CtrlNameText(const CtrlName& name) {
    const char* end = static_cast<const char*>(std::memchr(name.data(), 0, name.size()));
    return std::string_view(name.data(),
                            end ? static_cast<size_t>(end - name.data()) : name.size());
}

void SetCtrlName(CtrlName& name, std::string_view text) {
    size_t n = 0;
    while (n < text.size() && n < name.size() - 1 && text[n] != 0) {
        size_t width = IsLeadByte(static_cast<uint8_t>(text[n])) ? 2 : 1;
        if (n + width > name.size() - 1 || n + width > text.size()) break;
        n += width;
    }
    name.fill(0);
    std::memcpy(name.data(), text.data(), n);
}

CtrlCommonParam::CtrlCommonParam() {
    for (CtrlJumpRow& row : jumpTable)
        row.fill(-1);
}

const CtrlParam& DefaultCtrlParam() {
    static const CtrlParam defaults;
    return defaults;
}

} // namespace qw
