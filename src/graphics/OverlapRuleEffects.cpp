// CDIBOverlap: the effects driven by a picture's blue bytes — Alpha (a rule picture whose
// bytes are per-pixel thresholds) and Wipe (a shape that grows or shrinks over the frame).

#include <algorithm>
#include <cstring>

#include "common/ExecLog.h"
#include "graphics/CDIBOverlap.h"
#include "graphics/CDIBSprite.h"
#include "graphics/PixelKernels.h"
#include "graphics/PixelRules.h"
#include "graphics/TransitionKernels.h"

namespace qw {

void CDIBOverlap::SetupAlpha(std::string_view rule, int mode, int level) {
    AddExecLog("CDIBOverlap::SetupAlpha");
    state_.mode = mode == 1 || mode == 2 ? mode : 0;
    state_.level = std::clamp(level, 0, 255);
    state_.picture = ReadPicture(rule, true);
    if (!state_.picture) return; // reported; the effect runs its time and draws nothing
    const int w = state_.width, h = state_.height;
    const int rw = state_.picture->GetWidth(), rh = state_.picture->GetHeight();
    // The thresholds, one byte per frame pixel; a rule of another size is sampled scaled to it.
    state_.bytes.assign(static_cast<size_t>(w) * static_cast<size_t>(h), 0);
    for (int y = 0; y < h; ++y) {
        const uint32_t* src = state_.picture->Row(static_cast<int>(int64_t{y} * rh / h));
        uint8_t* dst = state_.bytes.data() + static_cast<size_t>(y) * static_cast<size_t>(w);
        if (rw == w) {
            for (int x = 0; x < w; ++x)
                dst[x] = static_cast<uint8_t>(src[x]);
        } else {
            for (int x = 0; x < w; ++x)
                dst[x] = static_cast<uint8_t>(src[int64_t{x} * rw / w]);
        }
    }
    if (state_.mode != 0) return;
    // Mode 0 passes through a picture where the rule has already mixed the two.
    auto work = std::make_unique<CDIBImage>();
    if (!work->Create(w, h)) return;
    for (int y = 0; y < h; ++y) {
        const uint32_t* f = from_->Row(y);
        const uint32_t* t = to_->Row(y);
        const uint8_t* r = state_.bytes.data() + static_cast<size_t>(y) * static_cast<size_t>(w);
        uint32_t* out = work->Row(y);
        for (int x = 0; x < w; ++x)
            out[x] = 0xFF000000u | (pixel::Fade255(f[x], t[x], r[x]) & 0x00FFFFFFu);
    }
    state_.work[0] = std::move(work);
}

void CDIBOverlap::DrawAlpha(CDIBImage& frame) {
    AddExecLog("CDIBOverlap::DrawAlpha");
    if (!state_.picture) return;
    const int w = DrawWidth(frame), h = DrawHeight(frame);
    const size_t pitch = static_cast<size_t>(state_.width);
    switch (state_.mode) {
    case 1: {
        const uint32_t threshold = static_cast<uint32_t>(255 - std::min<int64_t>(Level(255), 255));
        const TransitionKernels& k = ActiveTransitionKernels();
        for (int y = 0; y < h; ++y)
            k.ruleStep(frame.Row(y), from_->Row(y), to_->Row(y),
                       state_.bytes.data() + static_cast<size_t>(y) * pitch, static_cast<size_t>(w),
                       threshold);
        return;
    }
    case 2: {
        // Level per threshold r for this frame: the soft edge of width L sweeps over the rule;
        // with L = 0 the edge is hard and a pixel turns where r + b > 255.
        const int64_t l = state_.level;
        const int64_t b = Level(l + 255);
        uint8_t levels[256];
        for (int r = 0; r < 256; ++r) {
            const int64_t c = l > 0 ? (r + b - 255) * 255 / l : (r + b > 255 ? 255 : 0);
            levels[r] = static_cast<uint8_t>(std::clamp<int64_t>(c, 0, 255));
        }
        const TransitionKernels& k = ActiveTransitionKernels();
        for (int y = 0; y < h; ++y)
            k.ruleSoft(frame.Row(y), from_->Row(y), to_->Row(y),
                       state_.bytes.data() + static_cast<size_t>(y) * pitch, static_cast<size_t>(w),
                       levels);
        return;
    }
    default: {
        if (elapsed_ >= duration_) {
            CopyTo(frame);
            return;
        }
        if (!state_.work[0]) return;
        const int64_t c = Level(510);
        const PixelKernels& k = ActivePixelKernels();
        const CDIBImage& work = *state_.work[0];
        for (int y = 0; y < h; ++y) {
            if (c <= 254)
                k.fadeShift8(frame.Row(y), from_->Row(y), work.Row(y), static_cast<size_t>(w),
                             static_cast<uint32_t>(c));
            else
                k.fadeShift8(frame.Row(y), work.Row(y), to_->Row(y), static_cast<size_t>(w),
                             static_cast<uint32_t>(c - 255));
        }
        return;
    }
    }
}

void CDIBOverlap::SetupWipe(std::string_view shape, int mode) {
    AddExecLog("CDIBOverlap::SetupWipe");
    state_.mode = mode == 1 ? 1 : 0;
    state_.picture = ReadPicture(shape, false);
    // The mask row and column map of one frame, made once so drawing allocates nothing.
    state_.bytes.assign(static_cast<size_t>(state_.width), 0);
    state_.columns.assign(static_cast<size_t>(state_.width), 0);
    // The shape's mask bytes (the low byte of each pixel), with the 15 bytes the mask
    // kernel may read past a row's end.
    if (state_.picture) {
        const CDIBSprite& s = *state_.picture;
        state_.plane.assign(static_cast<size_t>(s.GetWidth()) * s.GetHeight() + 15, 0);
        for (int y = 0; y < s.GetHeight(); ++y)
            for (int x = 0; x < s.GetWidth(); ++x)
                state_.plane[static_cast<size_t>(y) * s.GetWidth() + x] =
                    static_cast<uint8_t>(s.Row(y)[x]);
    }
}

void CDIBOverlap::DrawWipe(CDIBImage& frame) {
    AddExecLog("CDIBOverlap::DrawWipe");
    if (!state_.picture || state_.bytes.empty()) return; // no shape: nothing is drawn
    const int fw = DrawWidth(frame), fh = DrawHeight(frame);
    const int sw = state_.picture->GetWidth(), sh = state_.picture->GetHeight();
    // The shape is stretched (nearest) into a box centred on the frame, half as large again as
    // the frame at full size: growing in mode 0, shrinking in mode 1.
    int64_t num = duration_ > 0 ? elapsed_ : 1, den = duration_ > 0 ? duration_ : 1;
    if (state_.mode == 1) num = den - num;
    const int64_t bw = (int64_t{state_.width} + state_.width / 2) * num / den;
    const int64_t bh = (int64_t{state_.height} + state_.height / 2) * num / den;
    const int64_t bx = (state_.width - bw) / 2, by = (state_.height - bh) / 2;
    const int x0 = static_cast<int>(std::clamp<int64_t>(bx, 0, fw));
    const int x1 = static_cast<int>(std::clamp<int64_t>(bx + bw, 0, fw));
    for (int x = x0; x < x1; ++x)
        state_.columns[static_cast<size_t>(x)] = static_cast<int>((x - bx) * sw / bw);
    const TransitionKernels& k = ActiveTransitionKernels();
    // Where the shape is set: the to surface in mode 0, the from surface in mode 1.
    const CDIBImage* clear = state_.mode == 0 ? from_ : to_;
    const CDIBImage* set = state_.mode == 0 ? to_ : from_;
    // Outside the box the mask is 0 and the row is the clear surface's; inside, the mask row
    // comes from one shape row, made again only when the shape row changes.
    uint8_t* mask = state_.bytes.data();
    const auto copyClear = [&](uint32_t* out, const uint32_t* in, int from, int to) {
        if (to > from)
            std::memmove(out + from, in + from, static_cast<size_t>(to - from) * sizeof(uint32_t));
    };
    int maskRow = -1;
    for (int y = 0; y < fh; ++y) {
        uint32_t* out = frame.Row(y);
        const uint32_t* in = clear->Row(y);
        if (y < by || y >= by + bh || x0 >= x1) {
            copyClear(out, in, 0, fw);
            continue;
        }
        const int sy = static_cast<int>((y - by) * sh / bh);
        if (sy != maskRow) {
            k.maskStretch(mask + x0, state_.plane.data() + static_cast<size_t>(sy) * sw,
                          state_.columns.data() + x0, static_cast<size_t>(x1 - x0));
            maskRow = sy;
        }
        copyClear(out, in, 0, x0);
        k.maskSelect(out + x0, in + x0, set->Row(y) + x0, mask + x0, static_cast<size_t>(x1 - x0));
        copyClear(out, in, x1, fw);
    }
}

} // namespace qw
