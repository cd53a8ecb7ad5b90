#include "graphics/MgdRunLength.h"

#include <algorithm>
#include <limits>
#include <vector>

#include "common/ExecLog.h"

namespace qw {
namespace {

bool DecodeAlphaPlane(ByteSpan stream, uint32_t* px, size_t count) {
    const uint8_t* p = stream.data();
    const uint8_t* const end = p + stream.size();
    size_t at = 0;
    while (p != end) {
        if (end - p < 2) return false;
        const unsigned word = p[0] | (p[1] << 8);
        p += 2;
        if (word & 0x8000) {
            if (p == end) return false;
            const size_t n = std::min<size_t>((word & 0x7FFF) + 1, count - at);
            std::fill_n(px + at, n, static_cast<uint32_t>(*p++) << 24);
            at += n;
        } else {
            if (static_cast<size_t>(end - p) < word) return false;
            const size_t n = std::min<size_t>(word, count - at);
            for (size_t k = 0; k < n; ++k)
                px[at + k] = static_cast<uint32_t>(p[k]) << 24;
            at += n;
            p += word;
        }
    }
    return true;
}

bool DecodeColourPlane(ByteSpan stream, uint32_t* px, size_t count) {
    const uint8_t* p = stream.data();
    const uint8_t* const end = p + stream.size();
    size_t at = 0;
    // The colour of the pixel before the next one; black before the first pixel.
    uint8_t r = 0, g = 0, b = 0;
    while (p != end) {
        const unsigned control = *p++;
        const unsigned n = control & 0x3F;
        const size_t left = static_cast<size_t>(end - p);
        switch (control & 0xC0) {
        case 0x00: { // literal
            if (left < 3 * size_t{n}) return false;
            const size_t m = std::min<size_t>(n, count - at);
            for (size_t k = 0; k < m; ++k, p += 3)
                px[at + k] |= p[0] | (p[1] << 8) | (static_cast<uint32_t>(p[2]) << 16);
            p += 3 * (n - m);
            at += m;
            if (n) b = p[-3], g = p[-2], r = p[-1];
            break;
        }
        case 0x40: { // repeat
            if (left < 3) return false;
            b = p[0], g = p[1], r = p[2];
            p += 3;
            const uint32_t colour = b | (g << 8) | (static_cast<uint32_t>(r) << 16);
            const size_t m = std::min<size_t>(n + 1, count - at);
            for (size_t k = 0; k < m; ++k)
                px[at + k] |= colour;
            at += m;
            break;
        }
        case 0x80: { // delta
            if (left < 2 * size_t{n}) return false;
            const size_t m = std::min<size_t>(n, count - at);
            for (size_t k = 0; k < m; ++k, p += 2) {
                const unsigned w = p[0] | (p[1] << 8);
                if (w & 0x8000) {
                    r = static_cast<uint8_t>(r + ((w >> 10) & 31));
                    g = static_cast<uint8_t>(g + ((w >> 5) & 31));
                    b = static_cast<uint8_t>(b + (w & 31));
                } else {
                    const unsigned dr = (w >> 10) & 15, dg = (w >> 5) & 15, db = w & 15;
                    r = static_cast<uint8_t>((w & 0x4000) ? r - dr : r + dr);
                    g = static_cast<uint8_t>((w & 0x0200) ? g - dg : g + dg);
                    b = static_cast<uint8_t>((w & 0x0010) ? b - db : b + db);
                }
                px[at + k] |= b | (g << 8) | (static_cast<uint32_t>(r) << 16);
            }
            p += 2 * (n - m);
            at += m;
            break;
        }
        default:
            AddExecLog("ＲＧＢ展開に失敗");
            break;
        }
    }
    return true;
}

// ---- Encoder ------------------------------------------------------------------------------
//
// Shortest path over pixel positions: cost[j] is the fewest bytes that encode the first j
// pixels with whole runs. A run of kind k over [i, j) costs fixed + perPixel × (j − i) and is
// allowed when j − i is at most the kind's longest run and every pixel in [i, j) qualifies for
// the kind (equal to the run's first pixel, or reachable by a delta word). For each kind the
// allowed starts form a window that only slides forward as j grows, so the best start is the
// minimum of cost[i] − perPixel × i over a sliding window, kept in a monotonic queue: linear.

struct RunKind {
    int fixed;
    int perPixel;
    size_t maxLength;
};

class WindowMin {
public:
    explicit WindowMin(size_t capacity) : index_(capacity), value_(capacity) {}
    void Push(size_t i, int64_t v) {
        while (tail_ > head_ && value_[tail_ - 1] >= v)
            --tail_;
        index_[tail_] = i;
        value_[tail_++] = v;
    }
    // Best (start, value) with start >= left, if any.
    bool Best(size_t left, size_t& start, int64_t& value) {
        while (head_ < tail_ && index_[head_] < left)
            ++head_;
        if (head_ == tail_) return false;
        start = index_[head_];
        value = value_[head_];
        return true;
    }

private:
    std::vector<size_t> index_;
    std::vector<int64_t> value_;
    size_t head_ = 0, tail_ = 0;
};

struct Step {
    uint8_t kind;
    size_t start;
};

// `qualifyStart[k](j)`: the smallest start such that every pixel in [start, j) qualifies for
// kind k (j itself when pixel j − 1 does not). Returns the chosen runs, first to last.
template <size_t Kinds, typename QualifyStart>
std::vector<Step> ShortestRuns(size_t count, const RunKind (&kinds)[Kinds], QualifyStart qualify) {
    std::vector<int64_t> cost(count + 1, std::numeric_limits<int64_t>::max());
    std::vector<Step> choice(count + 1);
    std::vector<WindowMin> windows;
    for (size_t k = 0; k < Kinds; ++k)
        windows.emplace_back(count + 1);
    cost[0] = 0;
    for (size_t j = 1; j <= count; ++j) {
        for (size_t k = 0; k < Kinds; ++k) {
            windows[k].Push(j - 1, cost[j - 1] - int64_t{kinds[k].perPixel} * int64_t(j - 1));
            size_t left = qualify(k, j);
            if (left >= j) continue;
            left = std::max(left, j > kinds[k].maxLength ? j - kinds[k].maxLength : 0);
            size_t start;
            int64_t value;
            if (!windows[k].Best(left, start, value)) continue;
            const int64_t c = value + kinds[k].fixed + int64_t{kinds[k].perPixel} * int64_t(j);
            if (c < cost[j]) {
                cost[j] = c;
                choice[j] = {static_cast<uint8_t>(k), start};
            }
        }
    }
    std::vector<Step> runs;
    for (size_t j = count; j > 0; j = choice[j].start)
        runs.push_back(choice[j]);
    std::reverse(runs.begin(), runs.end());
    return runs;
}

uint8_t AlphaOf(uint32_t p) {
    return static_cast<uint8_t>(p >> 24);
}

Bytes EncodeAlphaPlane(const uint32_t* px, size_t count) {
    enum { kLiteral, kRepeat };
    static const RunKind kinds[] = {{2, 1, 0x7FFF}, {3, 0, 0x8000}};
    std::vector<size_t> equalFrom(count + 1, 0); // start of the equal stretch ending at j − 1
    for (size_t j = 2; j <= count; ++j)
        equalFrom[j] = AlphaOf(px[j - 1]) == AlphaOf(px[j - 2]) ? equalFrom[j - 1] : j - 1;
    auto runs = ShortestRuns(
        count, kinds, [&](size_t k, size_t j) { return k == kLiteral ? size_t{0} : equalFrom[j]; });
    ByteWriter w;
    size_t at = 0;
    for (size_t r = 0; r < runs.size(); ++r) {
        const size_t end = r + 1 < runs.size() ? runs[r + 1].start : count;
        const size_t n = end - at;
        if (runs[r].kind == kRepeat) {
            w.Put<uint16_t>(static_cast<uint16_t>(0x8000 | (n - 1)));
            w.Put<uint8_t>(AlphaOf(px[at]));
        } else {
            w.Put<uint16_t>(static_cast<uint16_t>(n));
            for (size_t k = at; k < end; ++k)
                w.Put<uint8_t>(AlphaOf(px[k]));
        }
        at = end;
    }
    return w.Take();
}

// The delta word that turns colour `from` into `to`, if one exists.
bool DeltaWord(uint32_t from, uint32_t to, uint16_t& word) {
    int d[3]; // R, G, B differences modulo 256
    for (int c = 0; c < 3; ++c) {
        const int shift = 16 - 8 * c;
        d[c] = static_cast<uint8_t>((to >> shift) - (from >> shift));
    }
    if (d[0] < 32 && d[1] < 32 && d[2] < 32) {
        word = static_cast<uint16_t>(0x8000 | (d[0] << 10) | (d[1] << 5) | d[2]);
        return true;
    }
    unsigned out = 0;
    const int fieldShift[3] = {10, 5, 0};
    for (int c = 0; c < 3; ++c) {
        const int s = static_cast<int8_t>(d[c]);
        if (s < -15 || s > 15) return false;
        out |= static_cast<unsigned>(s < 0 ? -s : s) << fieldShift[c];
        if (s < 0) out |= 0x10u << fieldShift[c];
    }
    word = static_cast<uint16_t>(out);
    return true;
}

Bytes EncodeColourPlane(const uint32_t* px, size_t count) {
    enum { kLiteral, kRepeat, kDelta };
    static const RunKind kinds[] = {{1, 3, 63}, {4, 0, 64}, {1, 2, 63}};
    auto colour = [&](size_t i) { return px[i] & 0xFFFFFF; };
    std::vector<size_t> equalFrom(count + 1, 0), deltaFrom(count + 1, 1);
    uint16_t word;
    for (size_t j = 2; j <= count; ++j) {
        equalFrom[j] = colour(j - 1) == colour(j - 2) ? equalFrom[j - 1] : j - 1;
        // Pixel 0 has no pixel before it, so a delta run never starts there.
        deltaFrom[j] = DeltaWord(px[j - 2], px[j - 1], word) ? deltaFrom[j - 1] : j;
    }
    if (count >= 1) deltaFrom[1] = 1;
    auto runs = ShortestRuns(count, kinds, [&](size_t k, size_t j) {
        return k == kLiteral ? size_t{0} : k == kRepeat ? equalFrom[j] : deltaFrom[j];
    });
    ByteWriter w;
    size_t at = 0;
    auto putColour = [&](size_t i) {
        w.Put<uint8_t>(static_cast<uint8_t>(px[i]));
        w.Put<uint8_t>(static_cast<uint8_t>(px[i] >> 8));
        w.Put<uint8_t>(static_cast<uint8_t>(px[i] >> 16));
    };
    for (size_t r = 0; r < runs.size(); ++r) {
        const size_t end = r + 1 < runs.size() ? runs[r + 1].start : count;
        const size_t n = end - at;
        switch (runs[r].kind) {
        case kLiteral:
            w.Put<uint8_t>(static_cast<uint8_t>(n));
            for (size_t k = at; k < end; ++k)
                putColour(k);
            break;
        case kRepeat:
            w.Put<uint8_t>(static_cast<uint8_t>(0x40 | (n - 1)));
            putColour(at);
            break;
        default:
            w.Put<uint8_t>(static_cast<uint8_t>(0x80 | n));
            for (size_t k = at; k < end; ++k) {
                DeltaWord(px[k - 1], px[k], word);
                w.Put<uint16_t>(word);
            }
            break;
        }
        at = end;
    }
    return w.Take();
}

} // namespace

std::optional<size_t> DecodeRunLengthPlanes(ByteSpan data, uint32_t* pixels, size_t count) {
    const auto alphaLength = LoadLE<uint32_t>(data, 0);
    if (!alphaLength || !FitsIn(data.size(), 4, *alphaLength)) return std::nullopt;
    if (!DecodeAlphaPlane(data.subspan(4, *alphaLength), pixels, count)) return std::nullopt;
    const size_t colourAt = 4 + size_t{*alphaLength};
    const auto colourLength = LoadLE<uint32_t>(data, colourAt);
    if (!colourLength || !FitsIn(data.size(), colourAt + 4, *colourLength)) return std::nullopt;
    if (!DecodeColourPlane(data.subspan(colourAt + 4, *colourLength), pixels, count))
        return std::nullopt;
    return colourAt + 4 + *colourLength;
}

size_t RunLengthPlanesReach(ByteSpan data) {
    const auto alphaLength = LoadLE<uint32_t>(data, 0);
    if (!alphaLength || !FitsIn(data.size(), 4, *alphaLength)) return 0;
    const size_t colourAt = 4 + size_t{*alphaLength};
    const auto colourLength = LoadLE<uint32_t>(data, colourAt);
    if (!colourLength || !FitsIn(data.size(), colourAt + 4, *colourLength)) return 0;
    // No run covers more pixels per byte than a repeat run: 64 pixels in 4 bytes.
    return (size_t{*colourLength} + 3) / 4 * 64;
}

Bytes EncodeRunLengthPlanes(const uint32_t* pixels, size_t count) {
    Bytes alpha = EncodeAlphaPlane(pixels, count);
    Bytes colour = EncodeColourPlane(pixels, count);
    ByteWriter w;
    w.Put<uint32_t>(static_cast<uint32_t>(alpha.size()));
    w.PutBytes(alpha);
    w.Put<uint32_t>(static_cast<uint32_t>(colour.size()));
    w.PutBytes(colour);
    return w.Take();
}

} // namespace qw
