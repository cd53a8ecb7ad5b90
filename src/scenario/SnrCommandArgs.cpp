#include "scenario/SnrCommandArgs.h"

#include <algorithm>

#include "common/ExecLog.h"

namespace qw {

void SnrCommandArgs::Gather(CSnrBuffer& reader) {
    AddExecLog("SnrCommandArgs::Gather");
    reader_ = &reader;
    count_ = 0;
    faultParam_ = 0;
    for (SnrParam p = reader.GetParam(); p.IsValid(); p = reader.NextParam(p)) {
        if (static_cast<size_t>(count_) == slots_.size()) slots_.emplace_back();
        Slot& slot = slots_[static_cast<size_t>(count_++)];
        slot.param = p;
        slot.hasValue = false;
        slot.hasText = false;
    }
    if (reader.HasFault()) faultParam_ = std::max(count_, 1);
}

void SnrCommandArgs::NoteFault(int index) {
    if (faultParam_ == 0 && reader_->HasFault()) faultParam_ = index + 1;
}

bool SnrCommandArgs::IsString(int index) const {
    return index >= 0 && index < count_ &&
           reader_->IsStringParam(slots_[static_cast<size_t>(index)].param);
}

// A position past the last parameter reads as past the parameter area: the reader records the
// overrun and gives 0 or an empty text.
int32_t SnrCommandArgs::Value(int index) {
    if (index < 0 || index >= count_) {
        int32_t value = reader_ ? reader_->GetValueParam(SnrParam{}) : 0;
        if (reader_) NoteFault(index);
        return value;
    }
    Slot& slot = slots_[static_cast<size_t>(index)];
    if (!slot.hasValue) {
        slot.value = reader_->GetValueParam(slot.param);
        slot.hasValue = true;
        NoteFault(index);
    }
    return slot.value;
}

const std::string& SnrCommandArgs::Text(int index) {
    if (index < 0 || index >= count_) {
        outside_.clear();
        if (reader_) {
            outside_ = reader_->GetStringParam(SnrParam{});
            NoteFault(index);
        }
        return outside_;
    }
    Slot& slot = slots_[static_cast<size_t>(index)];
    if (!slot.hasText) {
        slot.text = reader_->GetStringParam(slot.param);
        slot.hasText = true;
        NoteFault(index);
    }
    return slot.text;
}

void SnrCommandArgs::Fetch(int index) {
    if (IsString(index))
        Text(index);
    else
        Value(index);
}

} // namespace qw
