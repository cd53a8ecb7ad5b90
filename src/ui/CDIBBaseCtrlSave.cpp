// The control base: the common part of the saved record (5674 bytes, packed, little-endian).
//
//   redraw 1, input type 4, clicked 1, parts image name 256, hit-map name 256, type 4, id 4,
//   hit number 4, focus 1, shown 1, enabled 1, x 4, y 4, colour 4, enter sound 1,
//   cursor sound 1, navigation row count 4, navigation rows 256 × 5 × 4, fired 1,
//   input switch 1, sound kind 1
//
// Each kind appends its own fields (CDIBButtonCtrl.cpp and the others).

#include <cstring>

#include "common/ExecLog.h"
#include "graphics/CSpriteCache.h"
#include "ui/CDIBBaseCtrl.h"
#include "ui/CtrlServices.h"

namespace qw {

namespace {

// Reads the fields of a record whose size has already been checked.
class RecordReader {
public:
    explicit RecordReader(ByteSpan record) : p_(record.data()) {}
    template <typename T>
    T Get() {
        T v = LoadLEUnchecked<T>(p_);
        p_ += sizeof(T);
        return v;
    }
    void Name(CtrlName& out) {
        std::memcpy(out.data(), p_, out.size());
        p_ += out.size();
    }

private:
    const uint8_t* p_;
};

bool IsTerminated(const CtrlName& name) {
    return std::memchr(name.data(), 0, name.size()) != nullptr;
}

} // namespace

void CDIBBaseCtrl::Save(ByteWriter& out) const {
    AddExecLog("CDIBBaseCtrl::Save");
    out.Put<uint8_t>(redraw_);
    out.Put<int32_t>(inputType_);
    out.Put<uint8_t>(clicked_);
    out.PutBytes(std::span(reinterpret_cast<const uint8_t*>(partsName_.data()), partsName_.size()));
    out.PutBytes(std::span(reinterpret_cast<const uint8_t*>(hitName_.data()), hitName_.size()));
    out.Put<int32_t>(ctrlType_);
    out.Put<int32_t>(id_);
    out.Put<int32_t>(hitNo_);
    out.Put<uint8_t>(focus_);
    out.Put<uint8_t>(show_);
    out.Put<uint8_t>(enable_);
    out.Put<int32_t>(x_);
    out.Put<int32_t>(y_);
    out.Put<uint32_t>(colour_);
    out.Put<uint8_t>(enterSE_);
    out.Put<uint8_t>(oncurSE_);
    out.Put<int32_t>(jumpRows_);
    for (const CtrlJumpRow& row : jumpTable_)
        for (int32_t target : row)
            out.Put<int32_t>(target);
    out.Put<uint8_t>(fired_);
    out.Put<uint8_t>(inputEnable_);
    out.Put<uint8_t>(soundKind_);
}

std::optional<CDIBBaseCtrl::SavedCommon> CDIBBaseCtrl::ParseCommon(ByteSpan record) const {
    AddExecLog("CDIBBaseCtrl::ParseCommon");
    if (record.size() < kSavedCommonSize) return std::nullopt;
    RecordReader r(record);
    SavedCommon s;
    s.redraw = r.Get<uint8_t>();
    s.inputType = r.Get<int32_t>();
    s.clicked = r.Get<uint8_t>();
    r.Name(s.parts);
    r.Name(s.hitName);
    s.type = r.Get<int32_t>();
    s.id = r.Get<int32_t>();
    s.hitNo = r.Get<int32_t>();
    s.focus = r.Get<uint8_t>();
    s.show = r.Get<uint8_t>();
    s.enable = r.Get<uint8_t>();
    s.x = r.Get<int32_t>();
    s.y = r.Get<int32_t>();
    s.colour = r.Get<uint32_t>();
    s.enterSE = r.Get<uint8_t>();
    s.oncurSE = r.Get<uint8_t>();
    s.jumpRows = r.Get<int32_t>();
    for (CtrlJumpRow& row : s.jumpTable)
        for (int32_t& target : row)
            target = r.Get<int32_t>();
    s.fired = r.Get<uint8_t>();
    s.inputEnable = r.Get<uint8_t>();
    s.soundKind = r.Get<uint8_t>();
    // Another kind's record, a name that runs past its field, or more rows than the table has.
    if (s.type != ctrlType_) return std::nullopt;
    if (!IsTerminated(s.parts) || !IsTerminated(s.hitName)) return std::nullopt;
    if (s.jumpRows < 0 || s.jumpRows > kCtrlJumpRows) return std::nullopt;
    return s;
}

bool CDIBBaseCtrl::ApplyCommon(const SavedCommon& s) {
    AddExecLog("CDIBBaseCtrl::ApplyCommon");
    CSpriteCache* cache = ctrl::SpriteCache();
    const std::string_view name = CtrlNameText(s.parts);
    CDIBSprite* parts = cache && !name.empty() ? cache->Read(name) : nullptr;
    if (!parts) return false;
    if (parts_ && partsCache_) partsCache_->Free(parts_);
    parts_ = parts;
    partsCache_ = cache;
    redraw_ = s.redraw;
    inputType_ = s.inputType;
    clicked_ = s.clicked;
    partsName_ = s.parts;
    hitName_ = s.hitName;
    id_ = s.id;
    hitNo_ = s.hitNo;
    focus_ = s.focus;
    show_ = s.show;
    enable_ = s.enable;
    x_ = s.x;
    y_ = s.y;
    colour_ = s.colour;
    enterSE_ = s.enterSE;
    oncurSE_ = s.oncurSE;
    jumpRows_ = s.jumpRows;
    jumpTable_ = s.jumpTable;
    fired_ = s.fired;
    inputEnable_ = s.inputEnable;
    soundKind_ = s.soundKind;
    return true;
}

std::optional<size_t> CDIBBaseCtrl::Load(ByteSpan record) {
    AddExecLog("CDIBBaseCtrl::Load");
    std::optional<SavedCommon> saved = ParseCommon(record);
    if (!saved || !ApplyCommon(*saved)) return std::nullopt;
    UpdateVertex();
    return kSavedCommonSize;
}

} // namespace qw
