// CDIBImage: the in-place filters, a mosaic (Mozaiku) and a blur (Befog).

#include <algorithm>
#include <array>
#include <new>
#include <vector>

#include "common/ExecLog.h"
#include "common/Random.h"
#include "graphics/CDIBImage.h"

namespace qw {

void CDIBImage::Mozaiku(int block, bool noise, bool centre) {
    AddExecLog("CDIBImage::Mozaiku");
    if (block < 1 || !IsCreated()) return;
    const int64_t b = block;
    const int64_t cols = width_ / b + (width_ % b ? 1 : 0);
    const int64_t rows = height_ / b + (height_ % b ? 1 : 0);
    // Centred, the grid moves by half the leftover so the partial cells sit on both edges.
    const int64_t colOff = centre ? (width_ % b) / 2 : 0;
    const int64_t rowOff = centre ? (height_ % b) / 2 : 0;
    for (int64_t i = 0; i < rows; ++i) {
        for (int64_t j = 0; j < cols; ++j) {
            // Each cell spans block + offset pixels, so cells overlap; later ones win.
            const int64_t x0 = j * b - colOff, y0 = i * b - rowOff;
            const int left = static_cast<int>(std::max<int64_t>(x0, 0));
            const int top = static_cast<int>(std::max<int64_t>(y0, 0));
            const int right = static_cast<int>(std::min<int64_t>(x0 + b + colOff, width_));
            const int bottom = static_cast<int>(std::min<int64_t>(y0 + b + rowOff, height_));
            int64_t sb = 0, sg = 0, sr = 0;
            for (int y = top; y < bottom; ++y) {
                const uint32_t* p = Row(y);
                for (int x = left; x < right; ++x) {
                    sb += p[x] & 0xFF;
                    sg += (p[x] >> 8) & 0xFF;
                    sr += (p[x] >> 16) & 0xFF;
                }
            }
            const int64_t count = int64_t{right - left} * (bottom - top);
            int r = static_cast<int>(sr / count), g = static_cast<int>(sg / count);
            int bl = static_cast<int>(sb / count);
            if (noise) {
                r = std::clamp(r + NextRandom() % 96 - 48, 0, 255);
                g = std::clamp(g + NextRandom() % 96 - 48, 0, 255);
                bl = std::clamp(bl + NextRandom() % 96 - 48, 0, 255);
            }
            const uint32_t rgb = static_cast<uint32_t>(r << 16 | g << 8 | bl);
            for (int y = top; y < bottom; ++y) {
                uint32_t* p = Row(y);
                for (int x = left; x < right; ++x)
                    p[x] = (p[x] & 0xFF000000u) | rgb;
            }
        }
    }
}

// Each pixel becomes the mean of itself and the average of its 7 × 7 neighbourhood, where
// column 0 and row 0 never count as neighbours. The passes work in place in row-major order, so
// pixels already changed feed the later ones.
//
// Written as running sums: per column, the sum over the rows of the current neighbourhood, and
// across the row, the sum of those column sums; a changed pixel adds its change to both. This
// gives the same integers as summing the 49 neighbours, at a few operations per pixel.
bool CDIBImage::Befog(int passes) {
    AddExecLog("CDIBImage::Befog");
    // Below 2 × 2 the first pixel has no neighbour to count; the blur leaves such surfaces alone.
    if (!IsCreated() || width_ < 2 || height_ < 2 || passes <= 0) return true;
    std::vector<uint32_t> work;
    std::vector<std::array<int32_t, 3>> colSum;
    try {
        work = pixels_;
        colSum.resize(static_cast<size_t>(width_));
    } catch (const std::bad_alloc&) {
        return false;
    }
    // n / c for n < 2^14 as (n × m) >> 32, m = ⌊2^32 / c⌋ + 1.
    std::array<uint64_t, 50> recip{};
    for (uint64_t c = 1; c < recip.size(); ++c)
        recip[c] = (uint64_t{1} << 32) / c + 1;

    const int w = width_, h = height_;
    const size_t pitch = static_cast<size_t>(w);
    const auto channel = [](uint32_t p, int i) {
        return static_cast<int32_t>((p >> (8 * i)) & 0xFF);
    };
    const auto addRow = [&](int y, int sign) {
        const uint32_t* p = work.data() + static_cast<size_t>(y) * pitch;
        for (int x = 1; x < w; ++x)
            for (int i = 0; i < 3; ++i)
                colSum[x][i] += sign * channel(p[x], i);
    };
    for (int pass = 0; pass < passes; ++pass) {
        for (auto& s : colSum)
            s = {0, 0, 0};
        for (int y = 1; y <= std::min(3, h - 1); ++y)
            addRow(y, 1);
        for (int y = 0; y < h; ++y) {
            const int rowsCounted = std::min(h - 1, y + 3) - std::max(1, y - 3) + 1;
            std::array<int32_t, 3> sum{0, 0, 0};
            for (int x = 1; x <= std::min(3, w - 1); ++x)
                for (int i = 0; i < 3; ++i)
                    sum[i] += colSum[x][i];
            uint32_t* p = work.data() + static_cast<size_t>(y) * pitch;
            for (int x = 0; x < w; ++x) {
                const int colsCounted = std::min(w - 1, x + 3) - std::max(1, x - 3) + 1;
                const uint64_t m = recip[static_cast<size_t>(rowsCounted * colsCounted)];
                const uint32_t old = p[x];
                uint32_t now = old & 0xFF000000u;
                for (int i = 0; i < 3; ++i) {
                    const auto mean =
                        static_cast<int32_t>((static_cast<uint64_t>(sum[i]) * m) >> 32);
                    const int32_t value = (mean + channel(old, i)) / 2;
                    now |= static_cast<uint32_t>(value) << (8 * i);
                    if (x >= 1 && y >= 1) {
                        const int32_t delta = value - channel(old, i);
                        colSum[x][i] += delta;
                        sum[i] += delta;
                    }
                }
                p[x] = now;
                // Slide the window one column right.
                if (x - 3 >= 1)
                    for (int i = 0; i < 3; ++i)
                        sum[i] -= colSum[x - 3][i];
                if (x + 4 <= w - 1)
                    for (int i = 0; i < 3; ++i)
                        sum[i] += colSum[x + 4][i];
            }
            // Slide the rows one down.
            if (y - 3 >= 1) addRow(y - 3, -1);
            if (y + 4 <= h - 1) addRow(y + 4, 1);
        }
    }
    pixels_.swap(work);
    return true;
}

} // namespace qw
