#pragma once
// A push button: five cells (normal, focused, pressed, disabled, focused while disabled), drawn
// blended or copied, optionally from a caption surface: a copy of the five cells stacked top to
// bottom that the owner draws captions into. The text form of SetCaption comes with glyph
// rendering; the picture form is here.

#include "ui/CDIBBaseCtrl.h"

namespace qw {

class CDIBButtonCtrl : public CDIBBaseCtrl {
public:
    static constexpr size_t kSavedSize = 5698;

    explicit CDIBButtonCtrl(CBaseGame* owner = nullptr);
    ~CDIBButtonCtrl() override;

    using CDIBBaseCtrl::Initialize;
    void Release() override;
    void Save(ByteWriter& out) const override;
    std::optional<size_t> Load(ByteSpan record) override;
    void UpdateVertex() override;
    void Blt(CDIBImage& target) override;
    void OnLockInput() override;
    bool Initialize(const CtrlParam& param) override;

    // A caption surface of the five cells, registered with the sprite cache under a name of its
    // own; from then on the button draws from it. False when it cannot be made.
    bool InitCaption();
    // Blends `image` into the caption cell of `state` through `quad`, whose corners are relative
    // to the cell. Nothing without a caption surface or for a state outside 0-4.
    void SetCaption(int state, CDIBImage& image, const VertexQuad& quad);
    // Copies the five cells into the caption surface again, erasing the captions.
    void ResCaption();
    CDIBSprite* GetCaption() const { return caption_; }

    int32_t GetState() const { return state_; }
    const std::array<int32_t, kCtrlStates>& GetCells() const { return cells_; }
    bool IsBlend() const { return blend_ != 0; }

protected:
    void SetLook(Look look) override;
    std::span<const VertexQuad> Quads() const override { return {&quad_, 1}; }

private:
    void ReleaseCaption();

    std::array<int32_t, kCtrlStates> cells_{};
    int32_t state_ = kStateNormal;
    VertexQuad quad_{};
    CDIBSprite* caption_ = nullptr;
    CSpriteCache* captionCache_ = nullptr;
    uint8_t blend_ = 1;
};

} // namespace qw
