#include "audio/CVoiceBuffer.h"

#include "common/ExecLog.h"

namespace qw {

bool CVoiceBuffer::Initialize(CDSound* device, IMemberSource* archive) {
    AddExecLog("CVoiceBuffer::Initialize");
    device_ = device;
    archive_ = archive;
    return true;
}

void CVoiceBuffer::SetPause(bool on) {
    AddExecLog("CVoiceBuffer::SetPause");
    pause_.Set(on);
}

} // namespace qw
