#pragma once
// A passive picture: one cell, blended. The mouse never hits it; it takes the keyboard focus
// only when the owner's navigation sends it there.

#include "ui/CDIBBaseCtrl.h"

namespace qw {

class CDIBImageCtrl : public CDIBBaseCtrl {
public:
    static constexpr size_t kSavedSize = 5678;

    explicit CDIBImageCtrl(CBaseGame* owner = nullptr);

    using CDIBBaseCtrl::Initialize;
    void Save(ByteWriter& out) const override;
    std::optional<size_t> Load(ByteSpan record) override;
    void UpdateVertex() override;
    void Blt(CDIBImage& target) override;
    bool OnMouseLBtnDown() override { return false; }
    bool OnMouseLBtnUp() override { return false; }
    bool OnMouseMove() override { return false; }
    bool Initialize(const CtrlParam& param) override;

    int32_t GetCell() const { return cell_; }

protected:
    std::span<const VertexQuad> Quads() const override { return {&quad_, 1}; }

private:
    int32_t cell_ = 0;
    VertexQuad quad_{};
};

} // namespace qw
