#include "scenario/OverlapParams.h"

#include <algorithm>
#include <limits>
#include <string_view>

#include "common/ExecLog.h"

namespace qw {

namespace {

// Which counts a kind accepts and the class of each parameter after the kind: 'N' a number,
// 'S' a text; a count with a shorter pattern reads only that much.
struct KindRule {
    int minCount, maxCount;
    std::string_view pattern;
};

KindRule RuleFor(int32_t kind, int count) {
    switch (kind) {
    case 0:
    case 1:
    case 10:
    case 11:
        return {2, 2, "N"};
    case 2:
        return {4, 5, "NNSN"};
    case 3:
        return {4, 4, "NNS"};
    case 5:
        return {6, 6, "NSNNN"};
    case 7:
        return {6, 6, "NNNNN"};
    case 4:
    case 6:
    case 8:
    case 9:
    case 13:
    case 14:
        return {3, 3, "NN"};
    case 12:
        // Film reads its fields only when all five are given.
        return count == 6 ? KindRule{6, 6, "SSNNN"} : KindRule{1, 1 << 30, ""};
    default:
        return {1, 1 << 30, ""};
    }
}

} // namespace

OverlapParamError ReadOVParam(OverlapParamSource& params, CallEffectParam& out) {
    AddExecLog("ReadOVParam");
    out = CallEffectParam{};
    const int count = params.Count();
    if (count < 1) return OverlapParamError::kCount;
    if (params.IsText(0)) return OverlapParamError::kType;
    const int32_t kind = params.Value(0);
    const KindRule rule = RuleFor(kind, count);
    if (count < rule.minCount || count > rule.maxCount) return OverlapParamError::kCount;
    const int given = std::min<int>(count - 1, static_cast<int>(rule.pattern.size()));
    for (int i = 0; i < given; ++i)
        if (params.IsText(i + 1) != (rule.pattern[static_cast<size_t>(i)] == 'S'))
            return OverlapParamError::kType;

    CallEffectParam p;
    // Kinds outside 0–14 name no effect.
    p.SetInt(CallEffectParam::kType, kind >= 0 && kind <= 14 ? kind + 1 : kEffectNone);
    const auto value = [&](int i) { return params.Value(i); };
    switch (kind) {
    case 0:
    case 1: {
        // Stored one longer, so the duration is never 0.
        const int32_t time = value(1);
        p.SetInt(CallEffectParam::kTime,
                 time == std::numeric_limits<int32_t>::max() ? time : time + 1);
        break;
    }
    case 10:
    case 11:
        p.SetInt(CallEffectParam::kTime, value(1));
        break;
    case 2:
        p = CallEffectParam::MakeAlpha(value(1), value(2), params.Text(3),
                                       count == 5 ? value(4) : 255);
        break;
    case 3:
        p = CallEffectParam::MakeWipe(value(1), value(2), params.Text(3));
        break;
    case 5: {
        const int32_t time = value(1);
        const std::string flare = params.Text(2);
        const int32_t start = value(3), end = value(4);
        p = CallEffectParam::MakeLensFlare(time, flare, start, end, value(5));
        break;
    }
    case 7: {
        const int32_t time = value(1), mode = value(2), speed = value(3), dx = value(4);
        p = CallEffectParam::MakeBound(time, mode, speed, dx, value(5));
        break;
    }
    case 4:
    case 6:
    case 8:
    case 9:
    case 13:
    case 14: {
        const int32_t time = value(1);
        p = CallEffectParam::MakeMode(kind + 1, time, value(2));
        break;
    }
    case 12:
        if (count == 6) {
            const std::string first = params.Text(1), second = params.Text(2);
            const int32_t fadeIn = value(3), hold = value(4);
            p = CallEffectParam::MakeFilm(first, second, fadeIn, hold, value(5));
        }
        break;
    default:
        break;
    }
    out = p;
    return OverlapParamError::kNone;
}

} // namespace qw
