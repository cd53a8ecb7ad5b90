#include "graphics/CDIBWater.h"

#include <algorithm>

#include "common/ExecLog.h"

namespace qw {

CDIBWater::~CDIBWater() = default;

bool CDIBWater::Initialize(int width, int height) {
    AddExecLog("CDIBWater::Initialize");
    Release();
    if (!Create(width, height)) return false;
    const int longer = std::max(width, height), shorter = std::min(width, height);
    const int other = std::max(2, kGridCells * shorter / longer); // at least one quad across
    gw_ = width >= height ? kGridCells : other;
    gh_ = width >= height ? other : kGridCells;
    for (auto& h : heights_)
        h.assign(static_cast<size_t>(2 * gw_) * static_cast<size_t>(2 * gh_), 0);
    points_.assign(static_cast<size_t>(gw_) * static_cast<size_t>(gh_), QuadCorner{});
    sources_.assign(points_.size(), QuadSource{});
    current_ = 0;
    leftOver_ = 0;
    return true;
}

void CDIBWater::Release() {
    AddExecLog("CDIBWater::Release");
    for (auto& h : heights_)
        h.clear();
    points_.clear();
    sources_.clear();
    gw_ = gh_ = 0;
    active_ = false;
    CDIBImage::Release();
}

void CDIBWater::SetMove(bool on, bool clear) {
    AddExecLog("CDIBWater::SetMove");
    active_ = on;
    if (clear) {
        for (auto& h : heights_)
            std::fill(h.begin(), h.end(), 0);
        leftOver_ = 0;
    }
}

void CDIBWater::SetDrawParam(int x, int y, int width, int height, uint32_t colour) {
    AddExecLog("CDIBWater::SetDrawParam");
    drawX_ = x, drawY_ = y, drawW_ = width, drawH_ = height;
    colour_ = colour;
}

int32_t CDIBWater::Height(int i, int j) const {
    return heights_[current_][At(i, j)];
}

void CDIBWater::Drop(int x, int y, int w, int h, int strength) {
    AddExecLog("CDIBWater::Drop");
    if (gw_ == 0 || w <= 0 || h <= 0) return;
    const int64_t gx = int64_t{x} * gw_ / width_ + gw_ / 2,
                  gy = int64_t{y} * gh_ / height_ + gh_ / 2;
    const int64_t x0 = std::max<int64_t>(0, gx - w / 2), y0 = std::max<int64_t>(0, gy - h / 2);
    const int64_t x1 = std::min<int64_t>(2 * gw_, gx - w / 2 + w);
    const int64_t y1 = std::min<int64_t>(2 * gh_, gy - h / 2 + h);
    std::vector<int32_t>& buf = heights_[current_];
    for (int64_t r = y0; r < y1; ++r)
        for (int64_t c = x0; c < x1; ++c) {
            int32_t& v = buf[static_cast<size_t>(r * 2 * gw_ + c)];
            v = static_cast<int32_t>(
                std::clamp<int64_t>(int64_t{v} + strength, INT32_MIN / 16, INT32_MAX / 16));
        }
}

// Heights are kept within ±2^27 (Drop) and steps only shrink or sum eight of them shifted by 2,
// so the sums stay inside 32 bits.
void CDIBWater::Step() {
    const std::vector<int32_t>& cur = heights_[current_];
    std::vector<int32_t>& next = heights_[1 - current_];
    for (int i = 0; i < gh_; ++i)
        for (int j = 0; j < gw_; ++j) {
            int32_t& out = next[At(i, j)];
            if (i == 0 || j == 0 || i == gh_ - 1 || j == gw_ - 1) {
                out = 0;
                continue;
            }
            int64_t sum = 0;
            for (int di = -1; di <= 1; ++di)
                for (int dj = -1; dj <= 1; ++dj)
                    if (di || dj) sum += cur[At(i + di, j + dj)];
            int64_t v = (sum >> 2) - out;
            v -= v / kDamping;
            out = static_cast<int32_t>(std::clamp<int64_t>(v, 0, INT32_MAX / 16));
        }
    current_ = 1 - current_;
}

void CDIBWater::Move(int ms) {
    AddExecLog("CDIBWater::Move");
    if (!active_ || gw_ == 0) return;
    leftOver_ = static_cast<int>(std::clamp<int64_t>(int64_t{leftOver_} + ms, 0, INT32_MAX));
    for (; leftOver_ >= kStepMs; leftOver_ -= kStepMs)
        Step();
}

void CDIBWater::Draw(CDIBImage* dst) {
    AddExecLog("CDIBWater::Draw");
    if (!active_ || !dst || gw_ < 2 || gh_ < 2) return;
    mask_.Clear(*dst);
    const int g = width_ > height_ ? drawH_ / gh_ : drawW_ / gw_;
    const auto point = [&](int i, int j, QuadCorner& out) {
        int64_t px = drawX_ + int64_t{j} * drawW_ / (gw_ - 1);
        int64_t py = drawY_ + int64_t{i} * drawH_ / (gh_ - 1);
        if (i > 0 && j > 0) {
            const int32_t h = std::min(Height(i, j), g);
            px += std::min(Height(i, j + 1), g) - h;
            py += std::min(Height(i + 1, j), g) - h;
        }
        out.x = static_cast<int16_t>(std::clamp<int64_t>(px, INT16_MIN, INT16_MAX));
        out.y = static_cast<int16_t>(std::clamp<int64_t>(py, INT16_MIN, INT16_MAX));
        out.shade = 0;
    };
    const auto source = [&](int i, int j) {
        return QuadSource{static_cast<int16_t>(std::min(j * width_ / (gw_ - 1), width_ - 1)),
                          static_cast<int16_t>(std::min(i * height_ / (gh_ - 1), height_ - 1))};
    };
    const auto at = [&](int i, int j) {
        return static_cast<size_t>(i) * static_cast<size_t>(gw_) + static_cast<size_t>(j);
    };
    for (int i = 0; i < gh_; ++i)
        for (int j = 0; j < gw_; ++j) {
            point(i, j, points_[at(i, j)]);
            sources_[at(i, j)] = source(i, j);
        }
    for (int i = 0; i + 1 < gh_; ++i)
        for (int j = 0; j + 1 < gw_; ++j) {
            VertexQuad q;
            const int di[4] = {0, 0, 1, 1}, dj[4] = {0, 1, 1, 0};
            for (int c = 0; c < 4; ++c) {
                q.corner[c] = points_[at(i + di[c], j + dj[c])];
                q.source[c] = sources_[at(i + di[c], j + dj[c])];
            }
            q.colour = colour_;
            BltWater(*this, dst, q, mask_);
        }
}

} // namespace qw
