#pragma once
// A check box: ten cells, the five looks of a button unchecked (states 0-4) and checked (5-9).
// A completed click or Enter release toggles it.

#include "ui/CDIBBaseCtrl.h"

namespace qw {

class CDIBCheckCtrl : public CDIBBaseCtrl {
public:
    static constexpr size_t kSavedSize = 5719;

    explicit CDIBCheckCtrl(CBaseGame* owner = nullptr);

    using CDIBBaseCtrl::Initialize;
    void Save(ByteWriter& out) const override;
    std::optional<size_t> Load(ByteSpan record) override;
    void UpdateVertex() override;
    void SetEnable(bool enable) override;
    void Blt(CDIBImage& target) override;
    void OnLockInput() override;
    bool Initialize(const CtrlParam& param) override;
    virtual bool GetCheck() const;
    virtual void SetCheck(bool checked);

    int32_t GetState() const { return state_; }
    const std::array<int32_t, kCtrlStates * 2>& GetCells() const { return cells_; }

protected:
    void SetLook(Look look) override;
    void OnClickDone() override;
    std::span<const VertexQuad> Quads() const override { return {&quad_, 1}; }

private:
    std::array<int32_t, kCtrlStates * 2> cells_{};
    int32_t state_ = kStateNormal;
    uint8_t checked_ = 0;
    VertexQuad quad_{};
};

} // namespace qw
