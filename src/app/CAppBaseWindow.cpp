#include "app/CAppBaseWindow.h"

#include "common/ExecLog.h"

namespace qw {

void CAppBaseWindow::Dispatch(const platform::WindowEvent& e) {
    AddExecLog("CAppBaseWindow::WndProc");
    using T = platform::WindowEvent::Type;
    switch (e.type) {
    case T::CloseRequest:
        OnClose();
        break;
    case T::Activate:
        OnActivate(e.a != 0, e.b != 0);
        break;
    case T::Moved:
        OnMove();
        break;
    case T::Expose:
        OnPaint();
        break;
    case T::Char:
        OnChar(e.a);
        break;
    case T::MouseWheel:
        OnMouseWheel(e.d, e.a, e.b, e.c);
        break;
    case T::DeviceReset:
        OnDeviceReset();
        break;
    case T::ToggleFullscreen:
        OnToggleFullscreen();
        break;
    case T::None:
        break;
    }
}

} // namespace qw
