// The dumped state's transition fields: the screen flow's as "screen_transition", and the same
// record for any other transition object (the scenario pages' when they have one).
//
//   "screen_transition": {"active": true, "effect": 2, "elapsed": 60, "duration": 500,
//                         "finish_now": false}
//
// null when there is no transition object.

#include "app/CMainWindow.h"
#include "app/JsonText.h"
#include "app/StateDump.h"
#include "graphics/CDIBOverlap.h"
#include "scenario/CRootFlow.h"

namespace qw {

std::string DumpTransitionJson(const CDIBOverlap* overlap) {
    if (!overlap) return "null";
    return "{\"active\": " + std::string(JsonBool(overlap->IsActive())) +
           ", \"effect\": " + std::to_string(overlap->GetEffect()) +
           ", \"elapsed\": " + std::to_string(overlap->GetElapsed()) +
           ", \"duration\": " + std::to_string(overlap->GetDuration()) +
           ", \"finish_now\": " + JsonBool(overlap->IsFinishNow()) + "}";
}

std::string DumpScreenTransitionJson(const CMainWindow& main) {
    const CRootFlow* flow = main.GetRootFlow();
    return DumpTransitionJson(flow ? flow->GetOverlap() : nullptr);
}

} // namespace qw
