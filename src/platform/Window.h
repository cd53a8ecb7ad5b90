#pragma once
// The game window as the engine sees it, whatever stands behind it: a real SDL window or the
// headless automation backend. Window-system events arrive through PollEvent and are routed by
// the main window to its handlers; key and mouse state are sampled on demand, like the
// asynchronous key-state query the input code was written for.

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "platform/InputOverlay.h"

namespace qw::platform {

class AudioSink;
class SoundMixer;

struct Point {
    int x = 0;
    int y = 0;
};

// Rectangle with exclusive right and bottom edges.
struct Rect {
    int left = 0, top = 0, right = 0, bottom = 0;
};

struct WindowEvent {
    enum class Type {
        None,
        CloseRequest,     // the player asked to close the window
        Activate,         // a = 1 active / 0 inactive, b = 1 when minimised
        Char,             // a = character code
        MouseWheel,       // a = delta (120 per notch), b = x, c = y (client), d = key flags
        Moved,            // the window moved (windowed mode)
        Expose,           // the window needs repainting
        DeviceReset,      // the presentation device was lost and must be rebuilt
        ToggleFullscreen, // a display-mode toggle the window system asked for
    };
    Type type = Type::None;
    int a = 0, b = 0, c = 0, d = 0;
};

enum class MessageBoxKind { Error, Question };
enum class MessageBoxAnswer { Ok, Yes, No };

enum class Presentation {
    Renderer, // the whole frame through one streaming texture every tick
    Surface,  // the window surface, only the dirty rectangles copied
};

// The system cursors, in the order of the engine's system cursor table.
enum class SystemCursor {
    Arrow,
    Wait,
    AppStarting,
    Help,
    Cross,
    Hand,
    IBeam,
    Icon,
    No,
    Size,
    SizeAll,
    SizeNESW,
    SizeNS,
    SizeNWSE,
    SizeWE,
    UpArrow
};

using CursorHandle = std::shared_ptr<void>; // null: no cursor

// A decoded cursor picture: 0xAARRGGBB pixels, top row first, and its hot spot.
struct CursorImage {
    int width = 0, height = 0;
    int hotX = 0, hotY = 0;
    std::vector<uint32_t> pixels;
};

struct WindowConfig {
    std::string caption;           // game code page
    bool hasPosition = false;      // false: centred on the desktop
    int x = 0, y = 0;              // outer top-left in windowed mode
    int width = 800, height = 600; // client area
    bool fullscreen = false;
    Presentation presentation = Presentation::Renderer;
};

class Window {
public:
    virtual ~Window() = default;

    virtual bool Create(const WindowConfig& config) = 0;
    virtual void Show() = 0;
    virtual void Destroy() = 0;
    virtual bool IsHeadless() const = 0;

    // One pending window-system event; false when there is none.
    virtual bool PollEvent(WindowEvent& event) = 0;
    // Sleeps until an event arrives or `timeoutMs` passes (headless: returns at once).
    virtual void WaitEvent(int timeoutMs) = 0;

    virtual bool SetFullscreen(bool fullscreen) = 0;
    // The outer top-left corner in windowed mode.
    virtual Point GetPosition() const = 0;
    virtual void Minimize() = 0;
    virtual void Restore() = 0;

    // Texts in the game code page.
    virtual MessageBoxAnswer ShowMessageBox(MessageBoxKind kind, const std::string& caption,
                                            const std::string& text) = 0;

    // Input state, as of now. Key codes are Windows virtual keys; positions are in the game's
    // 800 × 600 client coordinates (outside that area when the cursor is).
    virtual bool IsKeyDown(int virtualKey) const = 0;
    virtual Point GetCursorPosition() const = 0;
    virtual bool AreButtonsSwapped() const = 0;

    // Presentation of an 800 × 600 frame of 0xAARRGGBB pixels: the whole frame, or only `rects`.
    virtual void Present(const uint32_t* pixels, int width, int height,
                         const std::vector<Rect>* rects) = 0;

    virtual CursorHandle LoadSystemCursor(SystemCursor cursor) = 0;
    // Null when the window system cannot make the cursor.
    virtual CursorHandle LoadCursorImage(const CursorImage& image) = 0;
    virtual void SetCursor(const CursorHandle& cursor) = 0;

    // Where the mixer's sound goes: the audio device, or for windows without one (headless, test
    // windows) a null sink pulled once per loop pass.
    virtual std::unique_ptr<AudioSink> OpenAudio(std::shared_ptr<SoundMixer> mixer);

    // Scripted input laid over the real devices.
    InputOverlay& Overlay() { return overlay_; }
    const InputOverlay& Overlay() const { return overlay_; }

protected:
    // The next scripted event as a window event; false when the script has none waiting.
    bool TakeOverlayEvent(WindowEvent& event);

    InputOverlay overlay_;
};

struct HeadlessOptions {
    bool answerYes = true;   // how yes/no questions are answered
    std::string recordAudio; // WAV file that receives everything mixed, when not empty
};

std::unique_ptr<Window> CreateSdlWindow();
std::unique_ptr<Window> CreateHeadlessWindow(const HeadlessOptions& options);

} // namespace qw::platform
