#pragma once
// A picture whose pixels are the frames of a movie, shown on a layer. The sprite cache makes one
// for a name whose extension starts with ".mpg" (the video player installs the factory); the
// layer recognises it by its type name ("CDIBMovie…") and then reaches it through this interface.
//
// A movie shown on several layers is one picture: the first layer that moves it in a tick
// advances it, which sets the moved flag, and the page clears the flag at the end of the tick.

#include "graphics/CDIBSprite.h"

namespace qw {

class LayerMovie : public CDIBSprite {
public:
    const char* GetTypeName() const override { return "CDIBMovie"; }

    // Advances playback by `frameMs` and copies the newest frame into the pixels; sets the
    // moved flag.
    virtual void Move(int frameMs) = 0;
    virtual float GetRate() const = 0;
    virtual void SetRate(float rate) = 0;
    // Nested: each pause request is matched by a release.
    virtual bool IsPaused() const = 0;
    virtual void SetPause(bool on) = 0;

    bool IsMoved() const { return moved_; }
    void ClearMoved() { moved_ = false; }

protected:
    bool moved_ = false;
};

// `picture` as a movie image when its type name says it is one (the first 9 characters,
// "CDIBMovie", in any case), else null.
LayerMovie* AsLayerMovie(CDIBSprite* picture);

} // namespace qw
