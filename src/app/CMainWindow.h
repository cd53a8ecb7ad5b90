#pragma once
// The one game window and the owner of every long-lived service: the six archives, the save
// data, the picture cache, the frame buffer, the input, the sound device and buffers, the video
// player, the cursor list and the root flow. The screens reach its services through Services()
// (GameServices.h); what only the shell needs is reached through GetMainWindow().

#include <array>
#include <cstdarg>
#include <cstdint>
#include <functional>
#include <memory>
#include <string>

#include "app/CAppBaseWindow.h"
#include "app/GameServices.h"
#include "audio/AudioSettingsView.h"
#include "platform/Window.h"

namespace qw {

class CFileJoin;
class CSaveData;
class CSpriteCache;
class CScreenBuffer;
class CInput;
class CDSound;
class CSEBuffer;
class CBGMBuffer;
class CVoiceBuffer;
class CVideoPlayer;
class CRootFlow;
class CDIBBaseScreen;
class DebugHook;
namespace platform {
class DynamicModule;
}

class CMainWindow : public CAppBaseWindow, public GameServices {
public:
    static constexpr int kWidth = 800;
    static constexpr int kHeight = 600;
    static constexpr int kTickMs = 30;
    static constexpr int kCursorCount = 256;

    // The window system backend is given by the entry routine (SDL or headless).
    explicit CMainWindow(std::unique_ptr<platform::Window> window);
    ~CMainWindow() override;

    // Creates every service in start-up order; false when start-up must stop.
    bool Create();
    void StartGame();
    void EndGame();
    void PauseGame(bool pause);
    void ResetLossTime() override;
    // System sound 0 (cancel), 1 (decide) or 2 (cursor), played without fade when its slot holds
    // a sound; each call is counted per index.
    void PlaySysSE(int index) override;
    int GetSysSECount(int index) const;
    int GetSysSEChannel(int index) const {
        return index >= 0 && index < 3 ? sysSE_[static_cast<size_t>(index)] : 0;
    }

    // One pass of the pacing loop: runs a tick when 30 ms have passed.
    void OnIdle();
    // Milliseconds the loop may sleep before the next tick is due (0 in headless mode).
    int MillisecondsToNextTick() const;

    bool SetDisplayMode(bool fullScreen);
    void ChangeActivate(bool active);

    // Cursors: `SetCursorList` loads a cursor file from archive slot 0 or a system cursor.
    bool SetCursorList(int index, const std::string& fileName) override;
    bool SetCursorList(int index, int systemNumber) override;
    void ChangeCursor(int index);
    int GetCurrentCursor() const { return currentCursor_; }

    // Error dialogs (texts in the game code page). Each shows a modal box captioned with the
    // product title.
    void VErrorMsg(const char* format, va_list args) override;
    void ErrorRead(const char* object, const char* file) override;
    void ErrorMemory(const char* object, const char* name) override;
    void ErrorETC(const char* object, const char* name) override;
    // Yes/No question; true for Yes.
    bool AskYesNo(const std::string& text);

    // Asks the window to close; the loop handles it on its next pass.
    void PostCloseRequest() override { closeRequested_ = true; }
    bool TakeCloseRequest();
    void SetCloseWithoutAsking(bool on) override { closeWithoutAsking_ = on; }
    bool IsCloseWithoutAsking() const { return closeWithoutAsking_; }
    // Set once the window is destroyed: the loop ends with this exit code.
    bool IsQuit() const { return quit_; }
    int GetExitCode() const { return exitCode_; }

    // Services.
    platform::Window* GetWindow() const { return window_.get(); }
    CFileJoin* GetFileJoin(int slot) const override;
    CSaveData* GetSaveData() const override { return saveData_.get(); }
    CSpriteCache* GetSpriteCache() const override { return spriteCache_.get(); }
    CScreenBuffer* GetScreenBuffer() const override { return screenBuffer_.get(); }
    CInput* GetInput() const override { return input_.get(); }
    CSEBuffer* GetSEBuffer() const override { return seBuffer_.get(); }
    CBGMBuffer* GetBGMBuffer() const override { return bgmBuffer_.get(); }
    CVoiceBuffer* GetVoiceBuffer() const override { return voiceBuffer_.get(); }
    CVideoPlayer* GetVideoPlayer() const override { return videoPlayer_.get(); }
    CRootFlow* GetRootFlow() const override { return rootFlow_.get(); }
    DebugHook* GetDebugHook() const override { return debugHook_.get(); }

    // Replaces a service (tests, and backends that bring their own).
    void AttachBGMBuffer(std::unique_ptr<CBGMBuffer> buffer);
    void AttachSaveData(std::unique_ptr<CSaveData> saveData);
    void AttachInput(std::unique_ptr<CInput> input);
    void AttachSpriteCache(std::unique_ptr<CSpriteCache> cache);

    // Headless runs, at the end of each loop pass: mix that pass's sound.
    void PassEnd(uint32_t ms);
    CDSound* GetDSound() const { return dsound_.get(); }

    int GetFrameTime() const override { return frameTime_; }
    bool IsHeadless() const override { return window_ && window_->IsHeadless(); }
    int GetTickCount() const { return tickCount_; }
    bool IsFullScreen() const { return fullScreen_; }
    bool IsPaused() const { return paused_ != 0; }
    int GetPauseCount() const { return pauseCount_; }
    bool IsGameRunning() const { return gameRunning_; }
    bool UsesRenderer() const { return useD3D_; }

    // Called after each tick has drawn its frame (screenshots, automation).
    void SetTickObserver(std::function<void(int tick)> observer) {
        tickObserver_ = std::move(observer);
    }
    // Called when the window is destroyed, before any service goes (the state dump).
    void SetShutdownObserver(std::function<void()> observer) {
        shutdownObserver_ = std::move(observer);
    }
    // The first screen; by default the title (see GetStartGameScreen).
    void SetStartScreenFactory(std::function<CDIBBaseScreen*()> factory) {
        startScreenFactory_ = std::move(factory);
    }

protected:
    void OnClose() override;
    void OnActivate(bool active, bool minimized) override;
    void OnMove() override;
    void OnPaint() override;
    void OnChar(int character) override;
    void OnMouseWheel(int keyFlags, int delta, int x, int y) override;
    void OnDeviceReset() override;
    void OnToggleFullscreen() override;
    void OnDestroy();

private:
    bool CreateServices();
    bool OpenArchives();
    void DecideDisplayMode();
    void ToggleDisplayModeFromKeys();
    void Present();
    void SetServicesPaused(bool pause);
    platform::CursorHandle ReadCursor(const std::string& fileName);

    struct CursorRecord {
        platform::CursorHandle handle;
        uint8_t kind = 1; // 0 loaded from a file, 1 system cursor
        std::string fileName;
        int systemId = 0;
    };

    std::unique_ptr<platform::Window> window_;
    struct Archives;
    std::unique_ptr<Archives> archives_;
    std::unique_ptr<CSaveData> saveData_;
    std::unique_ptr<CSpriteCache> spriteCache_;
    std::unique_ptr<CScreenBuffer> screenBuffer_;
    std::unique_ptr<CInput> input_;
    // The save data's settings, as the sound buffers see them.
    class AudioSettings final : public AudioSettingsView {
    public:
        explicit AudioSettings(const CMainWindow& main) : main_(main) {}
        int FrameSpeed() const override;
        bool MusicSmallVolume() const override;

    private:
        const CMainWindow& main_;
    };
    std::unique_ptr<AudioSettings> audioSettings_;
    std::unique_ptr<CDSound> dsound_;
    std::unique_ptr<CSEBuffer> seBuffer_;
    std::unique_ptr<CBGMBuffer> bgmBuffer_;
    std::unique_ptr<CVoiceBuffer> voiceBuffer_;
    std::unique_ptr<CVideoPlayer> videoPlayer_;
    std::unique_ptr<CRootFlow> rootFlow_;
    std::unique_ptr<DebugHook> debugHook_;

    bool fullScreen_ = false;
    bool fullScreenPossible_ = true;
    bool windowedPossible_ = true;
    bool windowActive_ = true;
    bool appActive_ = true;
    bool leftFullScreenForDeactivation_ = false;
    uint8_t activationState_ = 255;
    bool inputActive_ = true;
    bool gameRunning_ = false;
    bool closeWithoutAsking_ = false;
    bool closeRequested_ = false;
    bool destroyed_ = false;
    bool quit_ = false;
    int exitCode_ = 0;
    platform::Point windowPos_;
    int frameTime_ = kTickMs;
    int paused_ = 0;
    int pauseCount_ = 0;
    uint32_t lastFrameTime_ = 0;
    int lostTime_ = 0;
    int tickCount_ = 0;
    std::array<int, 3> sysSECalls_{};
    std::array<int, 3> sysSE_{}; // the system sounds' effect channels (0: none)
    bool useD3D_ = true;
    std::array<CursorRecord, kCursorCount> cursors_;
    int currentCursor_ = 0;
    platform::CursorHandle shownCursor_;
    std::function<void(int)> tickObserver_;
    std::function<void()> shutdownObserver_;
    std::function<CDIBBaseScreen*()> startScreenFactory_;
};

// The process's main window (null before start-up and after shut-down). Setting it makes it the
// services of the game (Services()).
CMainWindow* GetMainWindow();
void SetMainWindow(CMainWindow* window);

} // namespace qw
