#include "graphics/DIBFade.h"

#include <algorithm>

#include "common/ExecLog.h"
#include "graphics/CDIBImage.h"
#include "graphics/PixelKernels.h"

namespace qw {

namespace {

bool SameSize(const CDIBImage& a, const CDIBImage& b) {
    return a.IsCreated() && a.GetWidth() == b.GetWidth() && a.GetHeight() == b.GetHeight();
}

uint32_t Level(int level) {
    return static_cast<uint32_t>(std::clamp(level, 0, 255));
}

} // namespace

bool CrossFade(CDIBImage& dst, const CDIBImage& from, const CDIBImage& to, int level) {
    AddExecLog("CrossFade");
    if (!SameSize(dst, from) || !SameSize(dst, to)) return false;
    const size_t n = dst.GetByteSize() / 4;
    ActivePixelKernels().fade255(dst.GetPixels(), from.GetPixels(), to.GetPixels(), n,
                                 Level(level));
    return true;
}

bool CrossFadeShift8(CDIBImage& dst, const CDIBImage& from, const CDIBImage& to, int level) {
    AddExecLog("CrossFadeShift8");
    if (!SameSize(dst, from) || !SameSize(dst, to)) return false;
    const size_t n = dst.GetByteSize() / 4;
    ActivePixelKernels().fadeShift8(dst.GetPixels(), from.GetPixels(), to.GetPixels(), n,
                                    Level(level));
    return true;
}

bool FadeToColor(CDIBImage& dst, const CDIBImage& src, uint32_t colour, int level) {
    AddExecLog("FadeToColor");
    if (!SameSize(dst, src)) return false;
    const size_t n = dst.GetByteSize() / 4;
    ActivePixelKernels().fadeToColour(dst.GetPixels(), src.GetPixels(), n, colour, Level(level));
    return true;
}

} // namespace qw
