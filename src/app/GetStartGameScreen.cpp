#include "app/GetStartGameScreen.h"

#include "common/ExecLog.h"
#include "ui/CDIBPlaceholderScreen.h"

namespace qw {

CDIBBaseScreen* GetStartGameScreen() {
    AddExecLog("GetStartGameScreen");
    // The title screen and its definitions come with the system screens; until then the game
    // opens on a plain first screen.
    auto* screen = new CDIBPlaceholderScreen();
    if (!screen->Initialize()) {
        delete screen;
        return nullptr;
    }
    return screen;
}

} // namespace qw
