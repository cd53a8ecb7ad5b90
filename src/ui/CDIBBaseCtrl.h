#pragma once
// The interface every control offers to the screen that owns it. The control kinds (button,
// check box, slider, image) derive from it.

#include <cstdint>

namespace qw {

class CDIBImage;

class CDIBBaseCtrl {
public:
    virtual ~CDIBBaseCtrl() = default;

    virtual void Move() {}
    // Adds the area that changed since the last frame to the draw image's region.
    virtual void UpdateRGN(CDIBImage& /*drawImage*/) {}
    virtual void Draw(CDIBImage& /*target*/) {}
    virtual bool IsShow() const { return true; }
    virtual bool IsForcus() const { return false; }
    virtual void OnGetForcus() {}
    virtual void OnKillForcus() {}
    virtual void SetInput(bool /*on*/) {}

    int GetID() const { return id_; }
    void SetID(int id) { id_ = id; }
    CDIBBaseCtrl* GetNext() const { return next_; }
    void SetNext(CDIBBaseCtrl* next) { next_ = next; }
    CDIBBaseCtrl** NextLink() { return &next_; }

protected:
    int id_ = 0;
    CDIBBaseCtrl* next_ = nullptr;
};

} // namespace qw
