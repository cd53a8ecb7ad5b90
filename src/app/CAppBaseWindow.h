#pragma once
// A small window framework: every window-system event is routed to a virtual handler, and a
// handler that is not overridden lets the event go by.

#include "platform/Window.h"

namespace qw {

class CAppBaseWindow {
public:
    virtual ~CAppBaseWindow() = default;
    virtual const char* GetClassName() const { return "CAppBaseWindow"; }

    // Routes one event to its handler.
    void Dispatch(const platform::WindowEvent& event);

protected:
    virtual void OnClose() {}
    virtual void OnActivate(bool /*active*/, bool /*minimized*/) {}
    virtual void OnMove() {}
    virtual void OnPaint() {}
    virtual void OnChar(int /*character*/) {}
    virtual void OnMouseWheel(int /*keyFlags*/, int /*delta*/, int /*x*/, int /*y*/) {}
    virtual void OnDeviceReset() {}
    virtual void OnToggleFullscreen() {}
};

} // namespace qw
