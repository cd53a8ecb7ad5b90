#pragma once
// OVERLAP's parameters: the kind first, then what that kind takes, turned into the transition
// record the virtual VRAM starts (ReadOVParam). The interpreter hands the running command's
// parameters in through ParamSource; the reader checks their number and classes and tells the
// caller which error to raise.
//
//   kind  effect     count   parameters after the kind
//   0     Blt        2       N time (stored + 1)
//   1     Fade       2       N time (stored + 1)
//   2     Alpha      4 or 5  N time, N mode, S rule, [N level, 255 when left out]
//   3     Wipe       4       N time, N mode, S shape
//   5     LensFlare  6       N time, S flare, N start, N end, N direction
//   7     Bound      6       N time, N mode, N speed, N direction x, N direction y
//   10    Fire       2       N time
//   11    Water      2       N time
//   4, 6, 8, 9, 13, 14       3   N time, N mode (Rotate, Twist, Kacchin, Glass, RotDoor, Blur)
//   12    Film       any     none: the three times stay 0 and it ends at once; with exactly
//                            6 parameters — S first picture, S second picture, N fade-in,
//                            N hold, N final — they fill Film's fields (an extension)
//   other            any     none read: the record names no effect
//
// The effect number stored is kind + 1.

#include <cstdint>
#include <string>

#include "graphics/CallEffectParam.h"

namespace qw {

class OverlapParamSource {
public:
    virtual ~OverlapParamSource() = default;
    // Positions count from 0.
    virtual int Count() const = 0;
    virtual bool IsText(int i) const = 0;
    virtual int32_t Value(int i) = 0;
    virtual std::string Text(int i) = 0;
};

enum class OverlapParamError {
    kNone,
    kCount, // the parameter-count error with the count
    kType,  // the parameter-type error, always shown for position 2
};

// Fills `out` (cleared first) from the parameters; on an error `out` is left cleared.
OverlapParamError ReadOVParam(OverlapParamSource& params, CallEffectParam& out);

} // namespace qw
