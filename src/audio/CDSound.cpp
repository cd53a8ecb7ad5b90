#include "audio/CDSound.h"

#include "common/ExecLog.h"

namespace qw {

bool CDSound::Initialize(platform::Window*, int, int, int) {
    AddExecLog("CDSound::Initialize");
    // The software mixer is not part of this build yet: report no device, so every buffer
    // stays silent and the game runs on.
    return false;
}

} // namespace qw
