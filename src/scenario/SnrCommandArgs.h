#pragma once
// The parameters of the scenario command at the reader's position, gathered once so that a
// command handler can check their number and classes before it reads any value.
//
// Values and texts are read through the reader. The reader never reads outside the file; when
// something in it is wrong it records a fault instead (CSnrBuffer.h). The gatherer ties that
// fault to a parameter number, which is what the interpreter's parameter error shows:
//   - a fault already present, or raised while stepping through the parameter area (a record
//     or parameter that runs past its end): the last parameter found (1 when there is none);
//   - a fault raised while reading a value or a text: that parameter.

#include <array>
#include <cstdint>
#include <string>
#include <vector>

#include "scenario/CSnrBuffer.h"

namespace qw {

class SnrCommandArgs {
public:
    explicit SnrCommandArgs(CSnrBuffer& reader);

    int Count() const { return count_; }
    // Parameters are numbered from 0 here; errors number them from 1.
    bool IsString(int index) const;
    int32_t Value(int index);
    // A copy of the expanded text (the reader's text buffer is reused by the next text read).
    std::string Text(int index);

    // The number (from 1) of the parameter that raised the first fault, or 0.
    int FaultParam() const { return faultParam_; }

private:
    static constexpr int kInline = 32;

    SnrParam At(int index) const;
    void NoteFault(int index);

    CSnrBuffer& reader_;
    int count_ = 0;
    std::array<SnrParam, kInline> inline_{};
    std::vector<SnrParam> more_; // parameters past the first 32 (long IF and MESRUN commands)
    int faultParam_ = 0;
};

} // namespace qw
