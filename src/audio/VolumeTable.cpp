#include "audio/VolumeTable.h"

#include <algorithm>
#include <array>
#include <cmath>

namespace qw {

int32_t VolumeTableEntry(int index) {
    static const std::array<int32_t, 500> table = [] {
        std::array<int32_t, 500> t{};
        t[0] = -10000;
        t[1] = -6224;
        t[2] = -5526;
        for (int i = 3; i <= 497; ++i)
            t[static_cast<size_t>(i)] = static_cast<int32_t>(1000.0 * std::log(i / 500.0));
        t[498] = -3;
        t[499] = 0;
        return t;
    }();
    return table[static_cast<size_t>(std::clamp(index, 0, 499))];
}

} // namespace qw
