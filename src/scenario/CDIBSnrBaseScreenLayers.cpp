// Picture and layer commands: pictures read into the save data's image slots ahead of use, and
// the back page's layers — picture, place, size, tint, blending, smoothing, action and camera
// state. Every layer command changes the back page through the layer's setter (which has the
// page recomposed) and reports the new value to the development module with page flag 1; the
// picture shows with the next transition.
//
// Numbers outside their tables (layers 0–15, slots 0–255, actions 0–255) are refused with the
// parameter error, which ends the game, as variable numbers are: a scenario that names layer 16
// is broken, and going on would draw a different picture than its author saw.

#include <cstdint>
#include <string>

#include "common/ExecLog.h"
#include "graphics/CDIBSnrLayer.h"
#include "graphics/CDIBSnrVVram.h"
#include "graphics/CDIBSprite.h"
#include "graphics/VVramHost.h"
#include "save/CSaveData.h"
#include "scenario/CDIBSnrBaseScreen.h"

namespace qw {

LayerDebugHook* CDIBSnrBaseScreen::GetLayerDebugHook() const {
    return vvramHost_.GetLayerDebugHook();
}

CDIBSnrLayer* CDIBSnrBaseScreen::CheckBackLayer(int32_t layer, int i) {
    AddExecLog("CDIBSnrBaseScreen::CheckBackLayer");
    CDIBSnrLayer* l = vvram_ ? vvram_->GetBackLayer(layer) : nullptr;
    if (!l) ParamError(i);
    return l;
}

bool CDIBSnrBaseScreen::CheckImageSlot(int32_t slot, int i) {
    AddExecLog("CDIBSnrBaseScreen::CheckImageSlot");
    if (save_ && ImageSlots::InRange(slot)) return true;
    ParamError(i);
    return false;
}

// IMREAD slot, file: the slot's old picture goes back to the cache, then the file is read into
// it. A picture that cannot be read is reported and leaves the slot empty; the story goes on.
void CDIBSnrBaseScreen::MoveCmdIMREAD() {
    AddExecLog("CDIBSnrBaseScreen::MoveCmdIMREAD");
    if (!CheckImageSlot(Value(0), 0)) return;
    const std::string& name = Text(1);
    if (!save_->imageSlots.Read(Value(0), name)) ReadError(name.c_str(), false);
    Advance();
}

// IMFREE slot: the slot's picture goes back; a layer showing it keeps its own reference.
void CDIBSnrBaseScreen::MoveCmdIMFREE() {
    AddExecLog("CDIBSnrBaseScreen::MoveCmdIMFREE");
    if (!CheckImageSlot(Value(0), 0)) return;
    save_->imageSlots.Free(Value(0));
    Advance();
}

// LYIMAGE layer, file or slot: the layer reads the picture by name from the cache — a slot
// gives the name its picture is held under (empty for an empty slot, which fails to read).
void CDIBSnrBaseScreen::MoveCmdLYIMAGE() {
    AddExecLog("CDIBSnrBaseScreen::MoveCmdLYIMAGE");
    CDIBSnrLayer* layer = CheckBackLayer(Value(0), 0);
    if (!layer) return;
    std::string name;
    if (IsText(1)) {
        name = Text(1);
    } else {
        if (!CheckImageSlot(Value(1), 1)) return;
        name = save_->imageSlots.Name(Value(1));
    }
    const bool read = layer->SetImage(name);
    if (LayerDebugHook* hook = GetLayerDebugHook()) {
        const CDIBSprite* p = layer->GetProp().picture;
        if (p)
            hook->OnUpdateLayImage(1, Value(0), layer->GetImageName().c_str(), p->GetWidth(),
                                   p->GetHeight(), p->GetPixels());
        else
            hook->OnUpdateLayImage(1, Value(0), "", 0, 0, nullptr);
    }
    if (!read) ReadError(name.c_str(), false);
    Advance();
}

// LYPOS layer, x, y, z.
void CDIBSnrBaseScreen::MoveCmdLYPOS() {
    AddExecLog("CDIBSnrBaseScreen::MoveCmdLYPOS");
    CDIBSnrLayer* layer = CheckBackLayer(Value(0), 0);
    if (!layer) return;
    layer->SetPos(Value(1), Value(2), Value(3));
    if (LayerDebugHook* hook = GetLayerDebugHook())
        hook->OnUpdateLayDrawPos(1, Value(0), Value(1), Value(2), Value(3));
    Advance();
}

// LYSIZE layer, width, height (0: the picture's own).
void CDIBSnrBaseScreen::MoveCmdLYSIZE() {
    AddExecLog("CDIBSnrBaseScreen::MoveCmdLYSIZE");
    CDIBSnrLayer* layer = CheckBackLayer(Value(0), 0);
    if (!layer) return;
    layer->SetBaseSize(Value(1), Value(2));
    if (LayerDebugHook* hook = GetLayerDebugHook())
        hook->OnUpdateLayDrawSize(1, Value(0), Value(1), Value(2));
    Advance();
}

// LYCOLOR layer, a, r, g, b: each channel clamped to 0–255; reported as 0xAARRGGBB.
void CDIBSnrBaseScreen::MoveCmdLYCOLOR() {
    AddExecLog("CDIBSnrBaseScreen::MoveCmdLYCOLOR");
    CDIBSnrLayer* layer = CheckBackLayer(Value(0), 0);
    if (!layer) return;
    layer->SetColor(Value(1), Value(2), Value(3), Value(4));
    if (LayerDebugHook* hook = GetLayerDebugHook())
        hook->OnUpdateLayColor(1, Value(0), layer->GetProp().colour);
    Advance();
}

// LYBLEND layer, on.
void CDIBSnrBaseScreen::MoveCmdLYBLEND() {
    AddExecLog("CDIBSnrBaseScreen::MoveCmdLYBLEND");
    CDIBSnrLayer* layer = CheckBackLayer(Value(0), 0);
    if (!layer) return;
    layer->SetBlend(Value(1) != 0);
    if (LayerDebugHook* hook = GetLayerDebugHook())
        hook->OnUpdateLayBlend(1, Value(0), layer->GetProp().blend);
    Advance();
}

// LYANTI layer, on.
void CDIBSnrBaseScreen::MoveCmdLYANTI() {
    AddExecLog("CDIBSnrBaseScreen::MoveCmdLYANTI");
    CDIBSnrLayer* layer = CheckBackLayer(Value(0), 0);
    if (!layer) return;
    layer->SetAnti(Value(1) != 0);
    if (LayerDebugHook* hook = GetLayerDebugHook())
        hook->OnUpdateLayAnti(1, Value(0), layer->GetProp().anti);
    Advance();
}

// LYACTION layer, action: the layer draws through action number + 1; −1 removes its action.
void CDIBSnrBaseScreen::MoveCmdLYACTION() {
    AddExecLog("CDIBSnrBaseScreen::MoveCmdLYACTION");
    CDIBSnrLayer* layer = CheckBackLayer(Value(0), 0);
    if (!layer) return;
    const int32_t action = Value(1);
    if (action < -1 || action >= CDIBSnrVVram::kActions) {
        ParamError(1);
        return;
    }
    layer->SetAction(action + 1);
    if (LayerDebugHook* hook = GetLayerDebugHook())
        hook->OnUpdateLayActListNo(1, Value(0), action + 1);
    Advance();
}

// LYCAMSTATE layer, camera, billboard, XY rate %, W rate %: each rate is the percentage times
// 0.01 in double, rounded once to a float.
void CDIBSnrBaseScreen::MoveCmdLYCAMSTATE() {
    AddExecLog("CDIBSnrBaseScreen::MoveCmdLYCAMSTATE");
    CDIBSnrLayer* layer = CheckBackLayer(Value(0), 0);
    if (!layer) return;
    const float xyRate = static_cast<float>(Value(3) * 0.01);
    const float wRate = static_cast<float>(Value(4) * 0.01);
    layer->SetCameraState(Value(1) != 0, Value(2) != 0, xyRate, wRate);
    if (LayerDebugHook* hook = GetLayerDebugHook()) {
        const LayerProp& p = layer->GetProp();
        hook->OnUpdateLayCamera(1, Value(0), p.camera);
        hook->OnUpdateLayCamBill(1, Value(0), p.billboard);
        hook->OnUpdateLayCamXYRate(1, Value(0), p.xyRate);
        hook->OnUpdateLayCamWRate(1, Value(0), p.wRate);
    }
    Advance();
}

} // namespace qw
