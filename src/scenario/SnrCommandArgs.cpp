#include "scenario/SnrCommandArgs.h"

#include <algorithm>

#include "common/ExecLog.h"

namespace qw {

SnrCommandArgs::SnrCommandArgs(CSnrBuffer& reader) : reader_(reader) {
    AddExecLog("SnrCommandArgs::SnrCommandArgs");
    for (SnrParam p = reader_.GetParam(); p.IsValid(); p = reader_.NextParam(p)) {
        if (count_ < kInline)
            inline_[static_cast<size_t>(count_)] = p;
        else
            more_.push_back(p);
        ++count_;
    }
    if (reader_.HasFault()) faultParam_ = std::max(count_, 1);
}

SnrParam SnrCommandArgs::At(int index) const {
    if (index < 0 || index >= count_) return {};
    if (index < kInline) return inline_[static_cast<size_t>(index)];
    return more_[static_cast<size_t>(index - kInline)];
}

void SnrCommandArgs::NoteFault(int index) {
    if (faultParam_ == 0 && reader_.HasFault()) faultParam_ = index + 1;
}

bool SnrCommandArgs::IsString(int index) const {
    return reader_.IsStringParam(At(index));
}

int32_t SnrCommandArgs::Value(int index) {
    int32_t value = reader_.GetValueParam(At(index));
    NoteFault(index);
    return value;
}

std::string SnrCommandArgs::Text(int index) {
    std::string text(reader_.GetStringParam(At(index)));
    NoteFault(index);
    return text;
}

} // namespace qw
