#pragma once
// A slider: a track and a knob, each in the five looks of a button (cells 0-4 track, 5-9 knob).
// The knob sits on the track at the value's place between the two margins; the arrows along
// the slider's axis step the value, a press on the track jumps it to the pointer and a drag
// follows the pointer, clamped to the range. Any change fires the slider for one tick.

#include "ui/CDIBBaseCtrl.h"
#include "ui/CtrlGeometry.h"

namespace qw {

class CDIBScrollCtrl : public CDIBBaseCtrl {
public:
    static constexpr size_t kSavedSize = 5742;

    explicit CDIBScrollCtrl(CBaseGame* owner = nullptr);

    using CDIBBaseCtrl::Initialize;
    void Save(ByteWriter& out) const override;
    std::optional<size_t> Load(ByteSpan record) override;
    void UpdateVertex() override;
    void SetEnable(bool enable) override;
    void Blt(CDIBImage& target) override;
    void OnLockInput() override;
    bool OnKeyUpBtn() override;
    bool OnKeyDownBtn() override;
    bool OnKeyLeftBtn() override;
    bool OnKeyRightBtn() override;
    bool OnMouseLBtnDown() override;
    bool OnMouseMove() override;
    bool Initialize(const CtrlParam& param) override;
    virtual int32_t GetScrollPos() const;
    // Sets the value, clamped to the range; fires.
    virtual void SetScrollPos(int32_t value);

    // The value under a screen position along the slider's axis.
    int32_t CalcScrollPos(int x, int y) const;
    bool IsVertical() const { return orientation_ != 0; }
    int32_t GetState() const { return state_; }
    const VertexQuad& GetTrackQuad() const { return quads_[0]; }
    const VertexQuad& GetKnobQuad() const { return quads_[1]; }

protected:
    void SetLook(Look look) override;
    std::span<const VertexQuad> Quads() const override { return quads_; }

private:
    SliderSpan Span() const;
    // One step towards the maximum (+1) or the minimum (-1).
    bool Step(int towardsMaximum);
    void TakeValue(int32_t value);

    std::array<int32_t, kCtrlStates * 2> cells_{};
    int32_t state_ = kStateNormal;
    int32_t value_ = 0;
    int32_t orientation_ = 0; // 0 horizontal, otherwise vertical
    int32_t minimum_ = 0, maximum_ = 0;
    int32_t startMargin_ = 0, endMargin_ = 0;
    std::array<VertexQuad, 2> quads_{}; // track, knob
};

} // namespace qw
