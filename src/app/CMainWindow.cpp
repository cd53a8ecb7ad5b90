#include "app/CMainWindow.h"

#include <climits>
#include <cstdio>

#include "app/Application.h"
#include "app/CInput.h"
#include "app/CScreenBuffer.h"
#include "app/DebugHook.h"
#include "app/GetStartGameScreen.h"
#include "audio/CBGMBuffer.h"
#include "audio/CDSound.h"
#include "audio/CSEBuffer.h"
#include "audio/CVoiceBuffer.h"
#include "common/ExecLog.h"
#include "common/Text.h"
#include "files/GameArchives.h"
#include "graphics/CSpriteCache.h"
#include "platform/Clock.h"
#include "platform/Font.h"
#include "platform/IniProfile.h"
#include "save/CSaveData.h"
#include "scenario/CDIBBaseScreen.h"
#include "scenario/CRootFlow.h"
#include "scenario/CSnrBuffer.h"
#include "video/CVideoPlayer.h"

namespace qw {

struct CMainWindow::Archives {
    CFileJoin slot[kGameArchiveCount];
};

namespace {
CMainWindow* g_mainWindow = nullptr;
constexpr int kUnsetPosition = INT_MIN;
} // namespace

CMainWindow* GetMainWindow() {
    return g_mainWindow;
}
void SetMainWindow(CMainWindow* window) {
    g_mainWindow = window;
    SetServices(window);
}

CMainWindow::CMainWindow(std::unique_ptr<platform::Window> window)
    : window_(std::move(window)), archives_(std::make_unique<Archives>()) {}

CMainWindow::~CMainWindow() {
    if (!destroyed_) OnDestroy();
    if (g_mainWindow == this) g_mainWindow = nullptr;
    if (&Services() == this) SetServices(nullptr);
}

CFileJoin* CMainWindow::GetFileJoin(int slot) const {
    if (slot < 0 || slot >= kGameArchiveCount) return nullptr;
    return &archives_->slot[slot];
}

bool CMainWindow::Create() {
    AddExecLog("CMainWindow::Create");
    const std::string& ini = GetIniPath();
    // The game's title, when the game names one.
    std::string title = platform::GetProfileString("MainWindow", "Title", "", ini);
    if (!title.empty()) SetProductTitle(title);
    // A font file for every text face, in place of the system's font configuration.
    platform::SetFontFileOverride(platform::GetProfileString("MainWindow", "FontFile", "", ini));
    useD3D_ = platform::GetProfileInt("MainWindow", "d3d", 1, ini) != 0;
    std::string pos = platform::GetProfileString("MainWindow", "Pos", "", ini);
    windowPos_ = {kUnsetPosition, kUnsetPosition};
    if (int x = 0, y = 0; std::sscanf(pos.c_str(), "%d,%d", &x, &y) == 2) windowPos_ = {x, y};

    if (!OpenArchives()) return false;

    saveData_ = std::make_unique<CSaveData>(GetInstallDir());
    if (!saveData_->Initialize()) return false;
    saveData_->LoadConfigEx();

    DecideDisplayMode();
    platform::WindowConfig config;
    config.caption = ProductTitle();
    config.hasPosition = windowPos_.x != kUnsetPosition;
    config.x = windowPos_.x;
    config.y = windowPos_.y;
    config.width = kWidth;
    config.height = kHeight;
    config.fullscreen = false; // entered below, once every service exists
    config.presentation =
        useD3D_ ? platform::Presentation::Renderer : platform::Presentation::Surface;
    if (!window_ || !window_->Create(config)) return false;
    if (windowPos_.x == kUnsetPosition) windowPos_ = window_->GetPosition();

    if (!CreateServices()) return false;

    for (int i = 0; i < kCursorCount; ++i)
        SetCursorList(i, 0);
    currentCursor_ = 0;
    ChangeCursor(0);

    if (fullScreen_) SetDisplayMode(true);
    StartGame();
    window_->Show();

    debugHook_ = std::make_unique<DebugHook>();
    int attach = platform::GetProfileInt("MainWindow", "DebugWndAttach", 0, ini);
    if (debugHook_->Load(GetInstallDir())) debugHook_->Initialize(attach != 0);
    return true;
}

bool CMainWindow::OpenArchives() {
    AddExecLog("CMainWindow::OpenArchives");
    int failed = OpenGameArchives(GetInstallDir(), archives_->slot);
    if (failed < 0) {
        CSnrBuffer::SetDefaultSource(GetFileJoin(kArchiveMsd));
        return true;
    }
    ErrorMsg("%s", GameArchiveErrorText(failed).c_str());
    return false;
}

void CMainWindow::DecideDisplayMode() {
    AddExecLog("CMainWindow::DecideDisplayMode");
    // Both modes are always possible here: full screen is the desktop mode with the picture
    // scaled, so the configuration decides, unless the command line does.
    fullScreen_ = saveData_->settings.fullScreen != 0;
    switch (GetLaunchOptions().displayMode) {
    case LaunchOptions::DisplayMode::FullScreen:
        fullScreen_ = true;
        break;
    case LaunchOptions::DisplayMode::Window:
        fullScreen_ = false;
        break;
    case LaunchOptions::DisplayMode::FromConfig:
        break;
    }
}

bool CMainWindow::CreateServices() {
    AddExecLog("CMainWindow::CreateServices");
    spriteCache_ = std::make_unique<CSpriteCache>();
    if (!spriteCache_->Initialize(GetFileJoin(kArchiveMgd))) return false;
    saveData_->imageSlots.SetCache(spriteCache_.get());
    screenBuffer_ = std::make_unique<CScreenBuffer>();
    if (!screenBuffer_->Initialize()) return false;
    if (!input_) input_ = std::make_unique<CInput>();
    input_->Initialize(window_.get(), GetFileJoin(kArchiveData));

    audioSettings_ = std::make_unique<AudioSettings>(*this);
    dsound_ = std::make_unique<CDSound>();
    if (!dsound_->Initialize(window_.get(), 44100, 2, 16)) dsound_.reset(); // run silently

    const GameSettings& s = saveData_->settings;
    seBuffer_ = std::make_unique<CSEBuffer>();
    if (!seBuffer_->Initialize(dsound_.get(), GetFileJoin(kArchiveSe))) return false;
    seBuffer_->SetMute(!s.effectsOn);
    seBuffer_->SetVolume(s.effectsVolume);
    // The built-in system sound table is empty, so stock games stay silent; a game may name its
    // cancel, decide and cursor sounds with [MainWindow] "SystemSE0", "SystemSE1", "SystemSE2".
    sysSE_ = {};
    if (saveData_->configEx.systemSE) {
        for (int i = 0; i < 3; ++i) {
            std::string name = platform::GetProfileString(
                "MainWindow", "SystemSE" + std::to_string(i), "", GetIniPath());
            if (!name.empty()) sysSE_[static_cast<size_t>(i)] = seBuffer_->Read(name);
        }
    }

    if (!bgmBuffer_) bgmBuffer_ = std::make_unique<CBGMBuffer>();
    if (!bgmBuffer_->Initialize(dsound_.get(), GetFileJoin(kArchiveBgm))) return false;
    bgmBuffer_->SetSettings(audioSettings_.get());
    bgmBuffer_->SetMute(!s.musicOn);
    bgmBuffer_->SetVolume(s.musicVolume);

    voiceBuffer_ = std::make_unique<CVoiceBuffer>();
    if (!voiceBuffer_->Initialize(dsound_.get(), GetFileJoin(kArchiveVoice))) return false;
    voiceBuffer_->SetMute(!s.voiceOn);
    voiceBuffer_->SetVolume(s.voiceVolume);
    saveData_->SetSound({bgmBuffer_.get(), seBuffer_.get(), voiceBuffer_.get()});

    videoPlayer_ = std::make_unique<CVideoPlayer>();
    return videoPlayer_->Initialize(window_.get());
}

int CMainWindow::AudioSettings::FrameSpeed() const {
    return main_.GetSaveData() ? main_.GetSaveData()->configEx.frameSpeed : 1;
}
bool CMainWindow::AudioSettings::MusicSmallVolume() const {
    return main_.GetSaveData() && main_.GetSaveData()->configEx.bgmSmallVolume != 0;
}

void CMainWindow::PassEnd(uint32_t ms) {
    if (dsound_) dsound_->Pass(ms);
}

void CMainWindow::AttachBGMBuffer(std::unique_ptr<CBGMBuffer> buffer) {
    bgmBuffer_ = std::move(buffer);
}
void CMainWindow::AttachSaveData(std::unique_ptr<CSaveData> saveData) {
    saveData_ = std::move(saveData);
    if (saveData_) saveData_->imageSlots.SetCache(spriteCache_.get());
}
void CMainWindow::AttachInput(std::unique_ptr<CInput> input) {
    input_ = std::move(input);
}

void CMainWindow::AttachSpriteCache(std::unique_ptr<CSpriteCache> cache) {
    if (saveData_) saveData_->imageSlots.SetCache(nullptr); // give back to the old cache first
    spriteCache_ = std::move(cache);
    if (saveData_) saveData_->imageSlots.SetCache(spriteCache_.get());
}

void CMainWindow::StartGame() {
    AddExecLog("CMainWindow::StartGame");
    rootFlow_ = std::make_unique<CRootFlow>();
    CDIBBaseScreen* screen = nullptr;
    if (rootFlow_->Initialize())
        screen = startScreenFactory_ ? startScreenFactory_() : GetStartGameScreen();
    if (!screen) {
        closeWithoutAsking_ = true;
        PostCloseRequest();
        return;
    }
    CallEffectParam effect;
    screen->GetCallEffectParam(effect);
    if (effect.Type() == kEffectNone) effect = CallEffectParam::Make(kEffectBlt, 1);
    if (!rootFlow_->ChangeScreen(effect, nullptr, nullptr, screen, false)) delete screen;
    gameRunning_ = true;
    lastFrameTime_ = platform::NowMs();
}

void CMainWindow::EndGame() {
    AddExecLog("CMainWindow::EndGame");
    rootFlow_.reset();
}

void CMainWindow::PauseGame(bool pause) {
    AddExecLog("CMainWindow::PauseGame");
    if (pause) {
        if (++pauseCount_ > 1) return;
    } else {
        if (--pauseCount_ > 0) return;
    }
    SetServicesPaused(pause);
    paused_ = pause;
    lastFrameTime_ = platform::NowMs();
}

void CMainWindow::SetServicesPaused(bool pause) {
    if (seBuffer_) seBuffer_->SetPause(pause);
    if (bgmBuffer_) bgmBuffer_->SetPause(pause);
    if (voiceBuffer_) voiceBuffer_->SetPause(pause);
    if (videoPlayer_) videoPlayer_->SetPause(pause);
}

void CMainWindow::ResetLossTime() {
    AddExecLog("CMainWindow::ResetLossTime");
    lostTime_ = 0;
    lastFrameTime_ = platform::NowMs();
}

void CMainWindow::PlaySysSE(int index) {
    AddExecLog("CMainWindow::PlaySysSE");
    if (index < 0 || index >= static_cast<int>(sysSECalls_.size())) return;
    ++sysSECalls_[static_cast<size_t>(index)];
    int channel = sysSE_[static_cast<size_t>(index)];
    if (channel != 0 && seBuffer_) seBuffer_->Play(channel, 0, false);
}

int CMainWindow::GetSysSECount(int index) const {
    if (index < 0 || index >= static_cast<int>(sysSECalls_.size())) return 0;
    return sysSECalls_[static_cast<size_t>(index)];
}

bool CMainWindow::SetDisplayMode(bool fullScreen) {
    AddExecLog("CMainWindow::SetDisplayMode");
    if (!fullScreen_) windowPos_ = window_->GetPosition();
    bool ok = window_->SetFullscreen(fullScreen);
    fullScreen_ = fullScreen;
    if (screenBuffer_) screenBuffer_->InvalidateAll();
    return ok;
}

void CMainWindow::ChangeActivate(bool active) {
    AddExecLog("CMainWindow::ChangeActivate");
    if (active) {
        if (activationState_ == 0) return;
        if (leftFullScreenForDeactivation_) {
            SetDisplayMode(true);
            leftFullScreenForDeactivation_ = false;
        }
        activationState_ = 0;
    } else {
        if (activationState_ == 1) return;
        if (fullScreen_) {
            SetDisplayMode(false);
            window_->Minimize();
            leftFullScreenForDeactivation_ = true;
        }
        activationState_ = 1;
    }
}

void CMainWindow::OnActivate(bool active, bool minimized) {
    AddExecLog("CMainWindow::OnActivate");
    bool nowActive = active && !minimized;
    bool nonePause = saveData_ && saveData_->configEx.nonePause;
    if (nowActive != inputActive_) {
        if (input_) {
            input_->Clear();
            input_->SetActive(nowActive, platform::NowMs());
        }
        if (screenBuffer_) screenBuffer_->InvalidateAll();
        if (!nonePause) SetServicesPaused(!nowActive);
    }
    // The window system does not tell window and application activation apart here.
    appActive_ = active;
    if (!active) {
        windowActive_ = false;
        ChangeActivate(false);
    } else if (!minimized) {
        windowActive_ = true;
        ChangeActivate(true);
    }
    inputActive_ = nowActive;
    if (!nonePause && rootFlow_) gameRunning_ = nowActive;
}

void CMainWindow::OnMove() {
    AddExecLog("CMainWindow::OnMove");
    if (!fullScreen_) windowPos_ = window_->GetPosition();
}

void CMainWindow::OnPaint() {
    AddExecLog("CMainWindow::OnPaint");
    if (screenBuffer_) screenBuffer_->InvalidateAll();
}

void CMainWindow::OnChar(int character) {
    AddExecLog("CMainWindow::OnChar");
    if (input_) input_->OnChar(character);
}

void CMainWindow::OnMouseWheel(int keyFlags, int delta, int x, int y) {
    AddExecLog("CMainWindow::OnMouseWheel");
    if (input_) input_->OnMouseWheel(keyFlags, delta, x, y);
}

void CMainWindow::OnDeviceReset() {
    AddExecLog("CMainWindow::OnDeviceReset");
    // The picture comes back with the next presented frame.
    if (screenBuffer_) screenBuffer_->InvalidateAll();
}

void CMainWindow::OnToggleFullscreen() {
    AddExecLog("CMainWindow::OnToggleFullscreen");
    SetDisplayMode(!fullScreen_);
    if (saveData_) saveData_->settings.fullScreen = fullScreen_;
}

bool CMainWindow::TakeCloseRequest() {
    bool requested = closeRequested_;
    closeRequested_ = false;
    return requested;
}

void CMainWindow::OnClose() {
    AddExecLog("CMainWindow::OnClose");
    if (destroyed_) return;
    if (!closeWithoutAsking_ && rootFlow_ && rootFlow_->HasCurrentScreen()) {
        PauseGame(true);
        bool leftFullScreen = fullScreen_;
        if (leftFullScreen) ChangeActivate(false);
        bool yes = AskYesNo("終了しますか？");
        if (!yes) {
            if (leftFullScreen) window_->Restore();
            PauseGame(false);
            return;
        }
        EndGame();
    }
    OnDestroy();
}

void CMainWindow::OnDestroy() {
    AddExecLog("CMainWindow::OnDestroy");
    if (destroyed_) return;
    destroyed_ = true;
    if (shutdownObserver_) shutdownObserver_();
    if (debugHook_) debugHook_->Release();
    debugHook_.reset();
    EndGame();
    if (!fullScreen_ && window_) windowPos_ = window_->GetPosition();
    if (windowPos_.x != kUnsetPosition) {
        char pos[32];
        std::snprintf(pos, sizeof pos, "%d,%d", windowPos_.x, windowPos_.y);
        platform::WriteProfileString("MainWindow", "Pos", pos, GetIniPath());
    }
    if (saveData_) {
        saveData_->SaveConfigEx();
        saveData_->SaveConfig();
    }
    saveData_.reset();
    videoPlayer_.reset();
    voiceBuffer_.reset();
    bgmBuffer_.reset();
    for (int& channel : sysSE_) {
        if (seBuffer_ && channel != 0) seBuffer_->Free(channel);
        channel = 0;
    }
    seBuffer_.reset();
    dsound_.reset();
    input_.reset();
    screenBuffer_.reset();
    spriteCache_.reset();
    CSnrBuffer::SetDefaultSource(nullptr);
    if (archives_) archives_ = std::make_unique<Archives>();
    for (auto& c : cursors_)
        c = {};
    shownCursor_.reset();
    if (window_) window_->Destroy();
    quit_ = true;
    exitCode_ = 0;
}

} // namespace qw
