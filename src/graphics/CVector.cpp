#include "graphics/CVector.h"

#include <cmath>

#include "common/ExecLog.h"

namespace qw {

float CVector::Length() const {
    AddExecLog("CVector::Length");
    return std::sqrt(x * x + y * y + z * z);
}

CVector& CVector::Normalize3() {
    AddExecLog("CVector::Normalize3");
    const float len = Length();
    if (len == 0) return *this;
    x /= len;
    y /= len;
    z /= len;
    return *this;
}

} // namespace qw
