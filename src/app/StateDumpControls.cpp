// The dumped state's "controls" and "system_sounds" fields.
//
//   "controls": {"focus_index": -1, "press_flag": 0, "list": [{"id": 3, "type": 1, "state": 1,
//                "focus": true, "shown": true, "enabled": true, "x": 100, "y": 200,
//                "checked": null, "value": null}]}
//   "system_sounds": [n0, n1, n2]
//
// "state" is null for pictures, "checked" a flag for check boxes only, "value" a number for
// sliders only.

#include "app/CMainWindow.h"
#include "app/JsonText.h"
#include "app/StateDump.h"
#include "scenario/CDIBBaseScreen.h"
#include "scenario/CRootFlow.h"
#include "ui/CDIBButtonCtrl.h"
#include "ui/CDIBCheckCtrl.h"
#include "ui/CDIBScrollCtrl.h"

namespace qw {

namespace {

std::string ControlJson(const CDIBBaseCtrl& c) {
    std::string state = "null", checked = "null", value = "null";
    if (auto* b = dynamic_cast<const CDIBButtonCtrl*>(&c)) state = std::to_string(b->GetState());
    if (auto* k = dynamic_cast<const CDIBCheckCtrl*>(&c)) {
        state = std::to_string(k->GetState());
        checked = JsonBool(k->GetCheck());
    }
    if (auto* s = dynamic_cast<const CDIBScrollCtrl*>(&c)) {
        state = std::to_string(s->GetState());
        value = std::to_string(s->GetScrollPos());
    }
    const CtrlPoint pos = c.GetPos();
    return "{\"id\": " + std::to_string(c.GetCtrlID()) +
           ", \"type\": " + std::to_string(c.GetCtrlType()) + ", \"state\": " + state +
           ", \"focus\": " + JsonBool(c.IsForcus()) + ", \"shown\": " + JsonBool(c.IsShow()) +
           ", \"enabled\": " + JsonBool(c.IsEnable()) + ", \"x\": " + std::to_string(pos.x) +
           ", \"y\": " + std::to_string(pos.y) + ", \"checked\": " + checked +
           ", \"value\": " + value + "}";
}

} // namespace

std::string DumpControlsJson(const CMainWindow& main) {
    const CRootFlow* flow = main.GetRootFlow();
    const CDIBBaseScreen* screen = flow ? flow->GetCurrentScreen() : nullptr;
    if (!screen) return "null";
    std::string list;
    for (const CDIBBaseCtrl* c = screen->GetCtrlTop(); c; c = c->GetNext()) {
        if (!list.empty()) list += ", ";
        list += ControlJson(*c);
    }
    return "{\"focus_index\": " + std::to_string(screen->GetForcus()) +
           ", \"press_flag\": " + std::to_string(screen->GetCtrlFlag()) + ", \"list\": [" + list +
           "]}";
}

std::string DumpSystemSoundsJson(const CMainWindow& main) {
    return "[" + std::to_string(main.GetSysSECount(0)) + "," +
           std::to_string(main.GetSysSECount(1)) + "," + std::to_string(main.GetSysSECount(2)) +
           "]";
}

} // namespace qw
