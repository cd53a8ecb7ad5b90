#include "audio/CSEBuffer.h"

#include "common/ExecLog.h"

namespace qw {

bool CSEBuffer::Initialize(CDSound* device, IMemberSource* archive) {
    AddExecLog("CSEBuffer::Initialize");
    device_ = device;
    archive_ = archive;
    return true;
}

void CSEBuffer::SetPause(bool on) {
    AddExecLog("CSEBuffer::SetPause");
    pause_.Set(on);
}

} // namespace qw
