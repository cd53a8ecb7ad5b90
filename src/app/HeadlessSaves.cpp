#include "app/HeadlessSaves.h"

#include "app/CMainWindow.h"
#include "app/LaunchOptions.h"
#include "common/ExecLog.h"
#include "graphics/CDIBImage.h"
#include "graphics/CallEffectParam.h"
#include "save/CSaveData.h"
#include "scenario/CDIBSnrScreen.h"
#include "scenario/CRootFlow.h"

namespace qw {

namespace {

std::vector<SaveEventForDump> g_events;
bool g_loadFailed = false;

// A scenario screen that has loaded `slot`, or null (the failure said by the screen).
CDIBSnrScreen* LoadedScreen(int slot) {
    CDIBSnrScreen* screen = MakeLoadScreen(slot);
    if (!screen) return nullptr;
    screen->OnChangeScreen1st();
    if (screen->LoadFailed()) {
        delete screen;
        return nullptr;
    }
    return screen;
}

} // namespace

const std::vector<SaveEventForDump>& GetSaveEvents() {
    return g_events;
}

bool HeadlessLoadFailed() {
    return g_loadFailed;
}

CDIBBaseScreen* MakeStartLoadScreen(CMainWindow& main, int slot) {
    AddExecLog("MakeStartLoadScreen");
    if (CSaveData* save = main.GetSaveData()) save->replay = 0;
    CDIBSnrScreen* screen = LoadedScreen(slot);
    g_events.push_back({0, false, slot, screen != nullptr});
    if (!screen) g_loadFailed = true;
    return screen;
}

void RunHeadlessSaves(CMainWindow& main, const LaunchOptions& options, int tick) {
    CSaveData* save = main.GetSaveData();
    CRootFlow* flow = main.GetRootFlow();
    if (!save || !flow) return;
    for (const auto& [at, slot] : options.saveSlots) {
        if (at != tick) continue;
        AddExecLog("RunHeadlessSaves");
        // As SAVE does: the thumbnail from the screen's picture, then the slot.
        bool ok = false;
        if (CDIBBaseScreen* screen = flow->GetCurrentScreen()) {
            CDIBImage picture;
            if (picture.Create(800, 600)) {
                screen->CopyImage(picture);
                save->CreateSaveSum(picture);
                ok = save->SaveGame(slot);
            }
        }
        g_events.push_back({tick, true, slot, ok});
    }
    for (const auto& [at, slot] : options.loadSlotsAt) {
        if (at != tick) continue;
        AddExecLog("RunHeadlessSaves");
        // As the quick load does: a new scenario screen replaces the running one.
        CDIBSnrScreen* screen = LoadedScreen(slot);
        bool ok = screen != nullptr;
        if (screen && !flow->ChangeScreen(CallEffectParam::Make(kEffectBlt, 1), nullptr, nullptr,
                                          screen, false)) {
            delete screen;
            ok = false;
        }
        g_events.push_back({tick, false, slot, ok});
        if (!ok) {
            g_loadFailed = true;
            main.SetCloseWithoutAsking(true);
            main.PostCloseRequest();
        }
    }
}

} // namespace qw
