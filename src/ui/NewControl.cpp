#include "common/ExecLog.h"
#include "ui/CDIBBaseCtrl.h"
#include "ui/CDIBButtonCtrl.h"
#include "ui/CDIBCheckCtrl.h"
#include "ui/CDIBImageCtrl.h"
#include "ui/CDIBScrollCtrl.h"

namespace qw {

CDIBBaseCtrl* NewControl(int type, CBaseGame* owner) {
    AddExecLog("NewControl");
    switch (type) {
    case kCtrlButton:
        return new CDIBButtonCtrl(owner);
    case kCtrlCheck:
        return new CDIBCheckCtrl(owner);
    case kCtrlScroll:
        return new CDIBScrollCtrl(owner);
    case kCtrlImage:
        return new CDIBImageCtrl(owner);
    default:
        return nullptr;
    }
}

} // namespace qw
