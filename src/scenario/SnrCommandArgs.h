#pragma once
// The parameters of the scenario command at the reader's position, gathered once so that the
// interpreter can check their number and classes before anything is read, and read each of them
// once: a value or a text read again comes from here.
//
// Values and texts are read through the reader. The reader never reads outside the file; when
// something in it is wrong it records a fault instead (CSnrBuffer.h). The gatherer ties that
// fault to a parameter number, which is what the interpreter's parameter error shows:
//   - a fault already present, or raised while stepping through the parameter area (a record
//     or parameter that runs past its end): the last parameter found (1 when there is none);
//   - a fault raised while reading a value or a text: that parameter.

#include <cstdint>
#include <string>
#include <vector>

#include "scenario/CSnrBuffer.h"

namespace qw {

class SnrCommandArgs {
public:
    // Forgets the last command's parameters and gathers those of the command at the reader's
    // position. The reader must outlive the reads that follow.
    void Gather(CSnrBuffer& reader);

    int Count() const { return count_; }
    // Parameters are numbered from 0 here; errors number them from 1.
    bool IsString(int index) const;
    int32_t Value(int index);
    // The expanded text, kept here until the next Gather (the reader's own text buffer is reused
    // by the next text read).
    const std::string& Text(int index);
    // Reads parameter `index` now, as a text or a value by its class.
    void Fetch(int index);

    // The number (from 1) of the parameter that raised the first fault, or 0.
    int FaultParam() const { return faultParam_; }

private:
    struct Slot {
        SnrParam param;
        int32_t value = 0;
        bool hasValue = false;
        bool hasText = false;
        std::string text;
    };

    void NoteFault(int index);

    CSnrBuffer* reader_ = nullptr;
    std::vector<Slot> slots_; // grows to the longest command met, never shrinks
    int count_ = 0;
    int faultParam_ = 0;
    std::string outside_; // the text of a parameter that does not exist
};

} // namespace qw
